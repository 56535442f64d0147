// Windows-1251 round trip: every byte string decodes and encodes back to itself, and any UTF-16
// text encodes to the bytes of the characters the code page holds, '?' for the others.
#include "Cp1251.h"
#include "FuzzSupport.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* bytes = reinterpret_cast<const char*>(data);
    const auto n = static_cast<qsizetype>(size);

    // Bytes -> text -> bytes is the identity, one character per byte.
    const QString text = Cp1251::decode(bytes, n);
    FUZZ_CHECK(text.size() == n, "decoded %lld characters from %lld bytes",
               static_cast<long long>(text.size()), static_cast<long long>(n));
    const QByteArray back = Cp1251::encode(text);
    FUZZ_CHECK(back == QByteArray(bytes, n), "round trip changed the bytes");
    for (qsizetype i = 0; i < n; ++i) {
        FUZZ_CHECK(text[i] == Cp1251::toUnicode(static_cast<unsigned char>(bytes[i])),
                   "decode and toUnicode differ at %lld", static_cast<long long>(i));
    }

    // The same bytes read as UTF-16 code units: arbitrary text, surrogates included.
    QString wide(n / 2, Qt::Uninitialized);
    std::memcpy(wide.data(), bytes, static_cast<size_t>(n / 2) * 2);
    const QByteArray encoded = Cp1251::encode(wide);
    FUZZ_CHECK(encoded.size() == wide.size(), "encoded length differs");
    const auto& table = Cp1251::encodeTable();
    QString sanitized = wide;
    qsizetype outside = 0;
    for (qsizetype i = 0; i < wide.size(); ++i) {
        const QChar c = wide[i];
        const int b = Cp1251::fromUnicode(c);
        FUZZ_CHECK(b >= -1 && b <= 255, "fromUnicode gave %d", b);
        FUZZ_CHECK(Cp1251::canEncode(c) == (b >= 0), "canEncode disagrees");
        const char expected = b >= 0 ? static_cast<char>(b) : '?';
        FUZZ_CHECK(encoded[i] == expected, "encode of U+%04X", c.unicode());
        FUZZ_CHECK(table[c.unicode()] == expected, "encode table of U+%04X", c.unicode());
        if (b >= 0) {
            FUZZ_CHECK(Cp1251::toUnicode(static_cast<unsigned char>(b)) == c,
                       "U+%04X does not come back", c.unicode());
        } else {
            ++outside;
        }
    }
    FUZZ_CHECK(Cp1251::sanitize(sanitized) == outside, "sanitize count");
    FUZZ_CHECK(Cp1251::decode(encoded) == sanitized, "sanitize and encode differ");
    return 0;
}
