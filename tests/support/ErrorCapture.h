#pragma once

#include "Errors.h"

#include <QString>
#include <QStringList>

// Collects every error the program reports into messages, in place of the error box, for as long
// as it lives; then puts back the reporter it replaced.
class ErrorCapture {
public:
    explicit ErrorCapture(QStringList& messages)
        : previous_(
              setErrorReporter([&messages](const QString& message) { messages.append(message); })) {
    }
    ~ErrorCapture() { setErrorReporter(previous_); }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

private:
    ErrorReporter previous_;
};
