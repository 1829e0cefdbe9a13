#include "app/single_instance.h"

#include <QDir>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString& lockFolder) {
    QString folder = lockFolder;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    QDir().mkpath(folder);
    path_ = QDir(folder).filePath(QStringLiteral("zezizav.lock"));
    lock_ = std::make_unique<QLockFile>(path_);
    // Never treat a live owner's lock as stale by age; a dead owner's lock is
    // detected by its process id.
    lock_->setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    if (lock_->isLocked()) {
        return true;
    }
    if (lock_->tryLock(0)) {
        return true;
    }
    if (lock_->error() == QLockFile::LockFailedError) {
        // tryLock has already taken over a lock whose owner no longer runs;
        // this one belongs to a live copy.
        return false;
    }
    // The runtime folder is not writable: do not refuse to start over it.
    return true;
}
