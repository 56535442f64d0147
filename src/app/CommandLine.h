#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for: `zelto [FILE]`, `zelto -- FILE` for a name that starts with a
// dash, `--help` and `--version`. Help and version win over anything else on the line, so that
// they are answered even among options of Qt's own that only the application takes out.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };

    Action action = Action::Run;
    QString file;    // Run: the file to open (the first name; later ones are ignored), or empty
    QString message; // Error: what is wrong, for standard error

    // The arguments of main: a file name that is not UTF-8 keeps its bytes (FileName::decode).
    static QStringList arguments(int argc, const char* const* argv);
    // arguments: as arguments() gives them, the program first.
    static CommandLine parse(const QStringList& arguments);
    static QString helpText();
    static QString versionText();
};
