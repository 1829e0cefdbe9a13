#pragma once

#include <QString>
#include <QTemporaryDir>

namespace TestSupport {

// A small tmpfs mounted on a temporary folder for as long as this object
// lives, in a mount namespace of the test's own: a disk that fills up, or
// turns read-only, on demand. Processes the test starts see it too. Mounting needs
// the right to mount (root, or CAP_SYS_ADMIN); without it isMounted() is
// false and whyNot() says so, for a QSKIP.
class ScratchMount {
public:
    explicit ScratchMount(qint64 sizeBytes);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool isMounted() const { return mounted_; }
    QString whyNot() const { return whyNot_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    // Remounts it read-only: even root can no longer create or change a file.
    bool makeReadOnly(QString* error);

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString whyNot_;
};

}  // namespace TestSupport
