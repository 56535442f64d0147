#pragma once

#include "FileStamp.h"

#include <QByteArray>
#include <QString>

// How the save after the unsaved-changes question writes the bound file.
enum class DocFormat { PlainText, Rtf };

// The file a document is bound to, as one value: its name (empty: not bound); the format the save
// after the question writes it in; the file as it was last read or written, to tell whether
// another program changed it since; and the bytes its reading left out after a Ctrl-Z, which a
// save into that file writes back after the text.
struct DocBinding {
    QString fileName;
    DocFormat format = DocFormat::PlainText;
    FileStamp stamp;
    QByteArray unread;

    bool bound() const { return !fileName.isEmpty(); }
    friend bool operator==(const DocBinding&, const DocBinding&) = default;
};
