#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <functional>

// An error a user can cause. Handlers let it propagate; the dispatch wrapper (runGuarded) shows it.
class Error : public std::exception {
public:
    explicit Error(QString message);
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// The Windows-style error codes of failed file operations.
namespace IoCode {
constexpr int FileNotFound = 2;
constexpr int InvalidFilename = 3;
constexpr int TooManyOpenFiles = 4;
constexpr int AccessDenied = 5;
constexpr int WriteProtected = 19; // a read-only file system
constexpr int SharingViolation = 32;
constexpr int ReadBeyondEnd = 100;
constexpr int DiskFull = 101; // no room left: a full disk or quota, or a short write
constexpr int InvalidNumericInput = 106;
constexpr int DeviceError = 1117;
} // namespace IoCode

// A failed file operation, carrying the Windows-style error code its message is chosen by.
class InOutError : public Error {
public:
    // note: what the user should know beyond the fault, on a line of its own after it.
    explicit InOutError(int code, const QString& note = {});
    int code() const { return code_; }
    const QString& note() const { return note_; }

    static QString messageFor(int code);
    // The Windows-style code for a POSIX errno value.
    static int codeFromErrno(int err);
    // Throws the InOutError for errno value err.
    [[noreturn]] static void raiseErrno(int err);
    // The same for a failed call on fileName, where a missing file in a missing folder is an
    // invalid name (3) rather than a file not found (2); an empty fileName names no file.
    [[noreturn]] static void raiseErrno(int err, const QString& fileName);
    // Throws the InOutError of a failed call: errno value err when it left one, else fallback; with
    // fileName as raiseErrno takes it.
    [[noreturn]] static void raiseErrnoOr(int err, int fallback, const QString& fileName = {});
    // Throws the InOutError of a write that wrote less than it was given: errno value err, or
    // "Disk full" when it left none, as a disk that takes no more bytes does.
    [[noreturn]] static void raiseWriteErrno(int err);

private:
    int code_;
    QString note_;
};

// A text that should hold an integer and does not.
class ConvertError : public Error {
public:
    explicit ConvertError(const QString& text);
};

// An error that ends the running handler without any message.
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "silent abort"; }
};

// Reads a decimal integer the way the program's boxes do: optional leading blanks, an optional
// sign, digits, and nothing after them; a value outside 32 bits also fails. Throws ConvertError.
int toInteger(const QString& text);

// The text of the error box for a message: a "." is appended when the message is not empty and its
// last character's code is above that of ".".
QString errorBoxText(const QString& message);

// Runs one handler. An Error reaches the installed reporter, SilentAbort is dropped, and any other
// exception is reported by its what() text, so that no exception ever crosses a Qt frame.
void runGuarded(const std::function<void()>& handler);

// The reporter that runGuarded hands error messages to (the application shows the error box;
// tests record the message). Returns the previous reporter.
using ErrorReporter = std::function<void(const QString& message)>;
ErrorReporter setErrorReporter(ErrorReporter next);
