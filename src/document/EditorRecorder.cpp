#include "EditorRecorder.h"

#include "Document.h"
#include "RichEdit.h"

EditorRecorder::EditorRecorder(RichEdit& editor, const Document& document, Prompts& prompts,
                               RecordFolder folder, Timing timing)
    : Recorder(prompts, std::move(folder), timing) {
    connect(&editor, &RichEdit::documentReplaced, this, &Recorder::attach);
    follow([&editor] { return editor.document(); }, [&document] { return document.binding(); });
}
