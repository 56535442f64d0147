// The save the power-cut explorer records: writes the bytes of SOURCE to TARGET through
// FileWriter, CHUNK bytes per write, as every save of the program does.
//   powercut_save TARGET SOURCE CHUNK
#include "Errors.h"
#include "FileWriter.h"
#include "Mark.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: powercut_save TARGET SOURCE CHUNK\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[2]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 2;
    }
    const QByteArray bytes = source.readAll();
    const qsizetype chunk = std::max(1LL, QByteArray(argv[3]).toLongLong());
    try {
        FileWriter writer(QString::fromLocal8Bit(argv[1]));
        writer.reserve(bytes.size());
        for (qsizetype at = 0; at < bytes.size(); at += chunk) {
            writer.write(QByteArrayView(bytes).sliced(at, std::min(chunk, bytes.size() - at)));
        }
        writer.commit();
        mark("saved");
    } catch (const InOutError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
