// A child process for the killed-save test: builds a large document and saves it the way the
// program does, saying "ready" on its standard output just before the save begins.
//   reliability_saver FILE txt|rtf VARIANT MEGABYTES
#include "RtfWriter.h"
#include "TextFile.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: reliability_saver FILE txt|rtf VARIANT MEGABYTES\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const bool rtf = qstrcmp(argv[2], "rtf") == 0;
    const int variant = QByteArray(argv[3]).toInt();
    const qsizetype bytes = QByteArray(argv[4]).toLongLong() << 20;

    // The variants differ in every line and in length, so that a mix of the two shows.
    const QString line = variant == 0 ? QStringLiteral("Первый вариант, строка номер ")
                                      : QStringLiteral("Second variant of a longer line, number ");
    QString text;
    text.reserve(bytes + 100);
    for (int i = 0; text.size() < bytes; ++i) {
        text += line;
        text += QString::number(i);
        text += QLatin1Char('\n');
    }
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(text);
    if (rtf) {
        // Some formatting, so that the writer's runs and tables take part.
        cursor.setPosition(0);
        cursor.setPosition(1000, QTextCursor::KeepAnchor);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        cursor.mergeCharFormat(bold);
    }

    std::printf("ready\n");
    std::fflush(stdout);
    try {
        if (rtf) {
            RtfWriter::save(doc, file);
        } else {
            DocFile out;
            out.assign(file);
            out.writeLines(doc);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("done\n");
    std::fflush(stdout);
    std::_Exit(0); // the document's teardown is of no interest here
}
