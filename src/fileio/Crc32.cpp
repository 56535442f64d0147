#include "Crc32.h"

#include <array>

namespace {

using Tables = std::array<std::array<quint32, 256>, 8>;

// Table k gives the CRC of a byte followed by k zero bytes, so that eight bytes are folded in at
// once ("slicing by 8").
Tables makeTables() {
    Tables t{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        }
        t[0][i] = c;
    }
    for (quint32 i = 0; i < 256; ++i) {
        for (size_t k = 1; k < t.size(); ++k) {
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFU];
        }
    }
    return t;
}

} // namespace

quint32 crc32(QByteArrayView bytes, quint32 previous) {
    static const Tables t = makeTables();
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    qsizetype n = bytes.size();
    quint32 c = ~previous;
    for (; n >= 8; p += 8, n -= 8) {
        const quint32 lo =
            c ^ (quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24);
        c = t[7][lo & 0xFFU] ^ t[6][(lo >> 8) & 0xFFU] ^ t[5][(lo >> 16) & 0xFFU] ^ t[4][lo >> 24] ^
            t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    }
    for (; n > 0; ++p, --n) {
        c = t[0][(c ^ *p) & 0xFFU] ^ (c >> 8);
    }
    return ~c;
}
