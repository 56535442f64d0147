#pragma once

#include "Recorder.h"

class Document;
class RichEdit;

// The recorder of the editor's document: follows the document the editor shows, bound as
// document binds it, and the next one each time the editor takes another.
class EditorRecorder : public Recorder {
    Q_OBJECT
public:
    EditorRecorder(RichEdit& editor, const Document& document, Prompts& prompts,
                   RecordFolder folder = RecordFolder::standard(), Timing timing = Timing());
};
