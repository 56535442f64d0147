#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

// pandoc reading what the RTF writer wrote: a real reader's view of the file. Tests skip these
// checks where pandoc is not installed.

// The path of pandoc, or an empty string when it is not installed.
inline QString findPandoc() {
    return QStandardPaths::findExecutable(QStringLiteral("pandoc"));
}

struct PandocOutput {
    bool ok = false;  // started, finished within 20 seconds and exited with 0
    QString error;    // why not, when not ok
    QByteArray bytes; // what it wrote to its standard output
};

// Runs the pandoc at path on rtf, converting it to format ("html", "json", "plain").
inline PandocOutput runPandoc(const QString& path, const QByteArray& rtf, const QString& format) {
    PandocOutput out;
    QProcess process;
    process.start(path,
                  {QStringLiteral("-f"), QStringLiteral("rtf"), QStringLiteral("-t"), format});
    if (!process.waitForStarted()) {
        out.error = QStringLiteral("pandoc did not start: ") + process.errorString();
        return out;
    }
    process.write(rtf);
    process.closeWriteChannel();
    if (!process.waitForFinished(20000)) {
        out.error = QStringLiteral("pandoc did not finish: ") + process.errorString();
        return out;
    }
    out.bytes = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        out.error = QStringLiteral("pandoc failed: ") +
                    QString::fromLocal8Bit(process.readAllStandardError());
        return out;
    }
    out.ok = true;
    return out;
}
