#pragma once

#include "RecordReader.h"

class Document;
class Prompts;
class Recorder;
class RichEdit;

// The document a record begins with, made as Open makes it in editor (reading a file reports to
// prompts' progress). Throws RecordError when the file is not the one recorded.
RecordReader::MakeBase recordBase(RichEdit& editor, Prompts& prompts);

// At start-up, offers what editors that ended without a clean end left in the record folder,
// one record after another, newest first: Yes restores it into the editor (bound as it was,
// modified; the other records wait for the next start), No deletes it, Cancel keeps it for the
// next start. Records that cannot be read are renamed aside and named in one message. Returns
// true when a document was restored.
bool offerRecovery(Recorder& recorder, Document& document, RichEdit& editor);
