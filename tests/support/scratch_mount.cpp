#include "support/scratch_mount.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>

namespace TestSupport {

ScratchMount::ScratchMount(qint64 sizeBytes) {
    if (!dir_.isValid()) {
        whyNot_ = QStringLiteral("no temporary folder: %1").arg(dir_.errorString());
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
