#include "RecordFolder.h"

#include "Errors.h"
#include "RecordFormat.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

const QByteArray kRecordSuffix = Record::kSuffix.toLatin1();
const QByteArray kAsideSuffix = Record::kAsideSuffix.toLatin1();

bool isDigits(QByteArrayView s, bool hex) {
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [hex](char c) {
        return (c >= '0' && c <= '9') || (hex && c >= 'a' && c <= 'f');
    });
}

// <milliseconds>-<eight hex digits>: the name create() gives, before its suffix.
bool isMadeName(QByteArrayView stem) {
    const qsizetype dash = stem.indexOf('-');
    return dash > 0 && stem.size() - dash - 1 == 8 && isDigits(stem.first(dash), false) &&
           isDigits(stem.sliced(dash + 1), true);
}

bool hasSuffix(QByteArrayView name, const QByteArray& suffix) {
    return name.size() > suffix.size() && name.endsWith(suffix) && !name.startsWith('.');
}

// What a writer that died while making a record left: "." and a made name.
bool isTemporary(QByteArrayView name) {
    return name.startsWith('.') && isMadeName(name.sliced(1));
}

} // namespace

RecordFolder RecordFolder::standard() {
    return RecordFolder(PrivateFolder::ofXdg("XDG_STATE_HOME", QStringLiteral(".local/state"),
                                             QStringLiteral("zelto/recovery")));
}

RecordFolder::RecordFolder(PrivateFolder folder) : folder_(std::move(folder)) {}

RecordFolder::RecordFolder(QString path, QString anchor)
    : folder_(std::move(path), std::move(anchor)) {}

void RecordFolder::make() const {
    folder_.open();
}

LockedFile RecordFolder::create() const {
    const std::shared_ptr<const OpenFolder> folder = folder_.open();
    const QByteArray name =
        QStringLiteral("%1-%2")
            .arg(QDateTime::currentMSecsSinceEpoch())
            .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'))
            .toLatin1();
    // Made under a name no scan takes and locked before it gets its own, so that no starting
    // editor ever finds it unlocked.
    const QByteArray temporary = '.' + name;
    const int fd = folder->create(temporary, O_RDWR);
    if (fd < 0) {
        InOutError::raiseErrno(errno);
    }
    LockedFile record(folder, temporary, fd);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        record.remove();
        InOutError::raiseErrno(err);
    }
    try {
        record.rename(name + kRecordSuffix);
    } catch (const InOutError&) {
        record.remove();
        throw;
    }
    return record;
}

std::vector<LockedFile> RecordFolder::claimOrphans() const {
    std::vector<LockedFile> claimed;
    const std::shared_ptr<const OpenFolder> folder = folder_.openExisting();
    if (!folder) {
        return claimed; // nothing recorded yet, or a folder that may not be used
    }
    // A record made by an editor that died before it got its name holds nothing yet; one put
    // aside is kept a while for the user to look at.
    folder->removeExpired(isTemporary, [](const struct stat&, qint64) { return false; });
    folder->removeExpired([](QByteArrayView name) { return hasSuffix(name, kAsideSuffix); },
                          OpenFolder::keptAside);
    std::vector<QByteArray> names =
        folder->names([](QByteArrayView name) { return hasSuffix(name, kRecordSuffix); });
    std::sort(names.begin(), names.end());
    for (const QByteArray& name : names) {
        LockedFile record(folder, name, folder->openLocked(name, O_RDONLY));
        struct stat st {};
        if (!record.isOpen() || ::fstat(record.fd(), &st) != 0) {
            continue;
        }
        // A record deleted or replaced by its writer between the open and the lock is not one.
        struct stat now {};
        if (::fstatat(folder->fd(), name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
            now.st_ino != st.st_ino || now.st_dev != st.st_dev) {
            continue;
        }
        // Offered from now on: a record the user keeps for later is kept only so long.
        if (!OpenFolder::isSetAside(st)) {
            OpenFolder::setAside(record.fd());
        } else if (!OpenFolder::keptAside(st, QDateTime::currentSecsSinceEpoch())) {
            record.remove();
            continue;
        }
        claimed.push_back(std::move(record));
    }
    return claimed;
}

QString RecordFolder::putAside(LockedFile& record) {
    QByteArray aside = record.name();
    aside.chop(kRecordSuffix.size());
    aside += kAsideSuffix;
    record.rename(aside);
    // Its time kept starts now.
    OpenFolder::setAside(record.fd());
    QString path = record.path();
    record.close();
    return path;
}

void RecordFolder::remove(LockedFile& record) {
    record.remove();
}
