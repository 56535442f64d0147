#include "FontScripts.h"

#include "TextFormat.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace FontScripts {

namespace {

struct Script {
    int charset;
    const char* name;
};

constexpr int kEastEurope = 238;
constexpr int kGreek = 161;
constexpr int kTurkish = 162;
constexpr int kBaltic = 186;
constexpr int kHebrew = 177;
constexpr int kArabic = 178;
constexpr int kVietnamese = 163;
constexpr int kThai = 222;
constexpr int kShiftJis = 128;
constexpr int kHangul = 129;
constexpr int kGb2312 = 134;
constexpr int kChineseBig5 = 136;

constexpr Script kScripts[] = {
    {Charset::Ansi, "Западноевропейский"},
    {kEastEurope, "Центральноевропейский"},
    {Charset::Russian, "Кириллический"},
    {kGreek, "Греческий"},
    {kTurkish, "Турецкий"},
    {kBaltic, "Балтийский"},
    {kHebrew, "Иврит"},
    {kArabic, "Арабский"},
    {kVietnamese, "Вьетнамский"},
    {kThai, "Тайский"},
    {kShiftJis, "Японский"},
    {kHangul, "Корейский"},
    {kGb2312, "Китайский упрощённый"},
    {kChineseBig5, "Китайский традиционный"},
    {Charset::Symbol, "Символьный"},
};

// The character sets a writing system stands for; Latin covers the four Latin code pages.
QList<int> charsetsFor(QFontDatabase::WritingSystem system) {
    switch (system) {
    case QFontDatabase::Latin:
        return {Charset::Ansi, kEastEurope, kTurkish, kBaltic};
    case QFontDatabase::Cyrillic:
        return {Charset::Russian};
    case QFontDatabase::Greek:
        return {kGreek};
    case QFontDatabase::Hebrew:
        return {kHebrew};
    case QFontDatabase::Arabic:
        return {kArabic};
    case QFontDatabase::Vietnamese:
        return {kVietnamese};
    case QFontDatabase::Thai:
        return {kThai};
    case QFontDatabase::Japanese:
        return {kShiftJis};
    case QFontDatabase::Korean:
        return {kHangul};
    case QFontDatabase::SimplifiedChinese:
        return {kGb2312};
    case QFontDatabase::TraditionalChinese:
        return {kChineseBig5};
    case QFontDatabase::Symbol:
        return {Charset::Symbol};
    default:
        return {};
    }
}

} // namespace

QList<int> charsetsOf(const QString& family) {
    QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
    if (systems.isEmpty()) {
        // A face the screen lacks offers the scripts of the face it is drawn in.
        systems = QFontDatabase::writingSystems(QFontInfo(QFont(family)).family());
    }
    QList<int> found;
    for (const QFontDatabase::WritingSystem system : std::as_const(systems)) {
        found.append(charsetsFor(system));
    }
    QList<int> ordered;
    for (const Script& script : kScripts) {
        if (found.contains(script.charset)) {
            ordered.append(script.charset);
        }
    }
    if (ordered.isEmpty()) {
        ordered.append(Charset::Ansi);
    }
    return ordered;
}

QString name(int charset) {
    for (const Script& script : kScripts) {
        if (script.charset == charset) {
            return QString::fromUtf8(script.name);
        }
    }
    return {};
}

} // namespace FontScripts
