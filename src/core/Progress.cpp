#include "Progress.h"

#include "Errors.h"

void Progress::step(qint64 done) {
    if (!advance(done)) {
        throw SilentAbort();
    }
}

Progress& NullProgress::instance() {
    static NullProgress none;
    return none;
}
