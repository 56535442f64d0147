#include "Corpus.h"

#include "Cp1251.h"

#include <QList>
#include <QString>

namespace {

// Small deterministic generator (xorshift32): the documents must not depend on the platform's
// random engine.
class Random {
public:
    explicit Random(quint32 seed) : state_(seed != 0 ? seed : 1) {}
    quint32 next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<quint32>(n)); }

private:
    quint32 state_;
};

QByteArray encode(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const int b = Cp1251::fromUnicode(ch);
        out.append(static_cast<char>(b >= 0 ? b : '?'));
    }
    return out;
}

QList<QByteArray> wordList() {
    const QStringList words =
        QStringLiteral(
            "редактор текст абзац строка шрифт размер цвет отступ поиск сохранить открыть документ "
            "жирный курсив подчёркнутый выравнивание маркер таблица страница символ пробел буква "
            "Москва Россия Январь понедельник программа файл окно меню кнопка диалог "
            "editor text paragraph line font size colour indent search save open document bold "
            "italic underline alignment bullet table page symbol space letter Qt Linux Debian "
            "the quick brown fox jumps over lazy dog 2024 42 3.14 (см. рис. 5) «цитата» — e-mail")
            .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<QByteArray> out;
    for (const QString& w : words) {
        out.append(encode(w));
    }
    return out;
}

// One line of target length or a little more, without its break.
void appendLine(QByteArray& out, Random& random, const QList<QByteArray>& words) {
    const int target = 40 + random.below(161);
    const qsizetype start = out.size();
    while (out.size() - start < target) {
        if (out.size() > start) {
            const int gap = random.below(20);
            if (gap == 0) {
                out.append('\t');
            } else if (gap < 3) {
                out.append(QByteArray(2 + random.below(4), ' ')); // a run of spaces
            } else {
                out.append(' ');
            }
        }
        out.append(words[random.below(static_cast<int>(words.size()))]);
    }
    out.append("\r\n");
}

} // namespace

QByteArray Corpus::generate(qsizetype bytes, quint32 seed) {
    Random random(seed);
    const QList<QByteArray> words = wordList();
    const QByteArray marker = encode(QStringLiteral("Последняя страница: ") +
                                     QString::fromUtf16(kMarker) + QStringLiteral(" конец.\r\n"));
    QByteArray out;
    out.reserve(bytes + 512);
    const qsizetype markerAt = bytes - bytes / 100; // one hundredth before the end
    bool markerDone = false;
    while (out.size() < bytes) {
        if (!markerDone && out.size() >= markerAt) {
            out.append(marker);
            markerDone = true;
        }
        appendLine(out, random, words);
    }
    if (!markerDone) {
        out.append(marker);
    }
    return out;
}
