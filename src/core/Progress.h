#pragma once

#include <QtGlobal>

// What a long piece of work is doing, for the words the user is shown.
enum class ProgressTask { Open, Save };

// Feedback during long work: reading a file into the editor, writing the document to a file. The
// work calls begin once with its size, then advance after each chunk; the implementation shows
// how far it got and lets the user cancel. The work stops at the next chunk when advance returns
// false, leaving everything as it was (step throws SilentAbort for that).
class Progress {
public:
    virtual ~Progress() = default;

    // The work comprises total units (bytes of a file read, characters of a document written).
    virtual void begin(qint64 total) = 0;
    // done of the total units are finished. False once the user asked to cancel.
    virtual bool advance(qint64 done) = 0;

    // advance, throwing SilentAbort when the user cancelled.
    void step(qint64 done);
};

// Progress that shows nothing and never cancels.
class NullProgress : public Progress {
public:
    void begin(qint64 /*total*/) override {}
    bool advance(qint64 /*done*/) override { return true; }

    // One shared instance, for callers that report to no one.
    static Progress& instance();
};
