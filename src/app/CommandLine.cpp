#include "CommandLine.h"

#include "FileName.h"

#include <QCoreApplication>

QStringList CommandLine::arguments(int argc, const char* const* argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i) {
        list << FileName::decode(argv[i]);
    }
    return list;
}

CommandLine CommandLine::parse(const QStringList& arguments) {
    CommandLine line;
    bool help = false;
    bool version = false;
    bool optionsEnd = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const bool option = !optionsEnd && argument.size() > 1 && argument.startsWith('-');
        if (!option) {
            if (line.file.isEmpty() && !argument.isEmpty()) {
                line.file = argument;
            }
        } else if (argument == QLatin1String("--")) {
            optionsEnd = true;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            help = true;
        } else if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
            version = true;
        } else if (line.message.isEmpty()) {
            line.message = QStringLiteral("zelto: неизвестный параметр «%1»\n"
                                          "Справка: zelto --help\n")
                               .arg(argument);
        }
    }
    if (help) {
        line.action = Action::Help;
    } else if (version) {
        line.action = Action::Version;
    } else if (!line.message.isEmpty()) {
        line.action = Action::Error;
    }
    return line;
}

QString CommandLine::helpText() {
    return QStringLiteral(
        "Использование: zelto [ПАРАМЕТР] [ФАЙЛ]\n"
        "Текстовый редактор Zelto. Открывает ФАЙЛ как текст Windows-1251.\n"
        "\n"
        "  -h, --help     показать эту справку и выйти\n"
        "  -v, --version  показать версию и выйти\n"
        "  --             дальше только имя файла (для имён, начинающихся с «-»)\n");
}

QString CommandLine::versionText() {
    return QStringLiteral("zelto %1\n").arg(QStringLiteral(ZELTO_VERSION));
}
