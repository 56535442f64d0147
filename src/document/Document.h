#pragma once

#include "Prompts.h"

#include <QObject>
#include <QString>

class RichEdit;

// The life of a document: which file it is bound to, when its text is read or written, the
// unsaved-changes question and the window title.
class Document : public QObject {
    Q_OBJECT
public:
    Document(RichEdit& editor, Prompts& prompts, QObject* parent = nullptr);

    QString title() const { return title_; }

    void formShow();
    void newFile();
    void open();
    void saveAs();
    // The close question; false keeps the window open.
    bool queryClose();

signals:
    void titleChanged(const QString& title);

private:
    RichEdit& editor_;
    Prompts& prompts_;
    QString title_;
};
