#include "AppPrompts.h"

#include "Application.h"
#include "FileFilters.h"
#include "FontDialog.h"
#include "MessageDialog.h"
#include "ProgressDialog.h"
#include "TForm1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

AppPrompts::AppPrompts() {
    if (qApp == nullptr) {
        return;
    }
    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

int AppPrompts::centeredMessage(const QString& text, MsgDlgType type, int buttons) {
    return CenteredMessage(text, type, buttons);
}

int AppPrompts::applicationMessage(const QString& text, MsgDlgType type, int buttons) {
    return CenteredMessage(text, type, buttons, Application::title());
}

bool AppPrompts::runOpenDialog(FileDialogState& state) {
    return runFileDialog(state, QFileDialog::AcceptOpen);
}

bool AppPrompts::runSaveDialog(FileDialogState& state) {
    return runFileDialog(state, QFileDialog::AcceptSave);
}

bool AppPrompts::runFileDialog(FileDialogState& state, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(mode == QFileDialog::AcceptOpen ? QStringLiteral("OpenDialog1")
                                                         : QStringLiteral("SaveDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Neither dialog asks before replacing a file; the open dialog takes the name of a file that
    // does not exist, which then fails when the file is read. A name is taken as typed.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = toNameFilters(state.filter);
    dialog.setNameFilters(filters);
    if (state.filterIndex >= 1 && state.filterIndex <= filters.size()) {
        dialog.selectNameFilter(filters[state.filterIndex - 1]);
    }
    if (!lastDirectory_.isEmpty()) {
        dialog.setDirectory(lastDirectory_);
    }
    if (!state.fileName.isEmpty()) {
        dialog.selectFile(state.fileName);
    }
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    const qsizetype filterIndex = filters.indexOf(dialog.selectedNameFilter());
    if (filterIndex >= 0) {
        state.filterIndex = static_cast<int>(filterIndex) + 1;
    }
    lastDirectory_ = dialog.directory().absolutePath();
    if (accepted) {
        state.fileName = dialog.selectedFiles().constFirst();
    }
    return accepted;
}

bool AppPrompts::runFontDialog(TextFont& font) {
    return FontDialog::execute(QApplication::activeWindow(), font);
}

std::unique_ptr<Progress> AppPrompts::startProgress(ProgressTask task) {
    // Over the main window, which it blocks while it is shown; the window that is active just
    // then may be a file dialog on its way out.
    QWidget* parent = Form1 != nullptr ? Form1 : QApplication::activeWindow();
    return std::make_unique<ProgressDialog>(parent, Application::title(), task);
}
