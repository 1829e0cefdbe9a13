#include "support/scratch_mount.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>

namespace TestSupport {

namespace {

// Moves this thread (and every process it starts) into a mount namespace of
// its own whose mounts propagate nowhere, so that a test's tmpfs is seen by no
// one else and goes away with the process, even one that crashed.
QString EnterPrivateMounts() {
    if (::unshare(CLONE_NEWNS) != 0) {
        return QStringLiteral("cannot make a mount namespace (%1)")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return QStringLiteral("cannot make the mounts private (%1)")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    return {};
}

}  // namespace

ScratchMount::ScratchMount(qint64 sizeBytes) {
    if (!dir_.isValid()) {
        whyNot_ = QStringLiteral("no temporary folder: %1").arg(dir_.errorString());
        return;
    }
    if (const QString why = EnterPrivateMounts(); !why.isEmpty()) {
        whyNot_ = why + QStringLiteral("; a scratch disk needs root or CAP_SYS_ADMIN");
        return;
    }
    const QByteArray target = QFile::encodeName(dir_.path());
    const QByteArray options = "size=" + QByteArray::number(sizeBytes) + ",mode=0755";
    if (::mount("zezizav-test", target.constData(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                options.constData()) != 0) {
        whyNot_ = QStringLiteral(
                      "cannot mount a tmpfs on %1 (%2); mounting needs root or "
                      "CAP_SYS_ADMIN")
                      .arg(dir_.path(), QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    mounted_ = true;
}

ScratchMount::~ScratchMount() {
    if (mounted_) {
        // Lazy, so that a file a failed test left open cannot keep it mounted.
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
}

bool ScratchMount::makeReadOnly(QString* error) {
    if (!mounted_) {
        *error = whyNot_;
        return false;
    }
    if (::mount(nullptr, QFile::encodeName(dir_.path()).constData(), nullptr,
                MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0) {
        *error = QStringLiteral("cannot remount %1 read-only (%2)")
                     .arg(dir_.path(), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

}  // namespace TestSupport
