#include "Errors.h"

#include <QDebug>
#include <QFileInfo>
#include <cerrno>
#include <climits>

Error::Error(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

InOutError::InOutError(int code, const QString& note)
    : Error(note.isEmpty() ? messageFor(code) : messageFor(code) + QStringLiteral(".\n") + note),
      code_(code), note_(note) {}

QString InOutError::messageFor(int code) {
    switch (code) {
    case IoCode::FileNotFound:
        return QStringLiteral("File not found");
    case IoCode::InvalidFilename:
        return QStringLiteral("Invalid filename");
    case IoCode::TooManyOpenFiles:
        return QStringLiteral("Too many open files");
    case IoCode::AccessDenied:
        return QStringLiteral("File access denied");
    case IoCode::WriteProtected:
        return QStringLiteral("Read-only file system");
    case IoCode::ReadBeyondEnd:
        return QStringLiteral("Read beyond end of file");
    case IoCode::DiskFull:
        return QStringLiteral("Disk full");
    case IoCode::InvalidNumericInput:
        return QStringLiteral("Invalid numeric input");
    default:
        return QStringLiteral("I/O error %1").arg(code);
    }
}

int InOutError::codeFromErrno(int err) {
    switch (err) {
    case ENOENT:
        return IoCode::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
        return IoCode::InvalidFilename;
    case EMFILE:
    case ENFILE:
        return IoCode::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
        return IoCode::AccessDenied;
    case EROFS:
        return IoCode::WriteProtected;
    case EBUSY:
    case ETXTBSY:
        return IoCode::SharingViolation;
    case ENOSPC:
    case EDQUOT:
        return IoCode::DiskFull;
    case EIO:
        return IoCode::DeviceError;
    default:
        return err;
    }
}

void InOutError::raiseErrno(int err) {
    throw InOutError(codeFromErrno(err));
}

void InOutError::raiseErrno(int err, const QString& fileName) {
    if (err == ENOENT && !fileName.isEmpty() &&
        !QFileInfo(QFileInfo(fileName).absolutePath()).isDir()) {
        throw InOutError(IoCode::InvalidFilename);
    }
    raiseErrno(err);
}

void InOutError::raiseErrnoOr(int err, int fallback, const QString& fileName) {
    raiseErrno(err != 0 ? err : fallback, fileName);
}

void InOutError::raiseWriteErrno(int err) {
    if (err == 0) {
        throw InOutError(IoCode::DiskFull);
    }
    raiseErrno(err);
}

ConvertError::ConvertError(const QString& text)
    : Error(QStringLiteral("'%1' is not a valid integer value").arg(text)) {}

int toInteger(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' ')) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == n) {
        throw ConvertError(text);
    }
    long long value = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            throw ConvertError(text);
        }
        value = value * 10 + (c.unicode() - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            throw ConvertError(text);
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX || value < INT_MIN) {
        throw ConvertError(text);
    }
    return static_cast<int>(value);
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') {
        return message + QLatin1Char('.');
    }
    return message;
}

namespace {
ErrorReporter& reporter() {
    static ErrorReporter current = [](const QString& message) { qWarning().noquote() << message; };
    return current;
}
} // namespace

ErrorReporter setErrorReporter(ErrorReporter next) {
    ErrorReporter previous = std::move(reporter());
    reporter() = std::move(next);
    return previous;
}

void runGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const SilentAbort&) {
        // Dropped on purpose: the handler chose to stop without a message.
    } catch (const Error& e) {
        reporter()(e.message());
    } catch (const std::exception& e) {
        reporter()(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reporter()(QStringLiteral("Unknown error"));
    }
}
