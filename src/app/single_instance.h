#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// Refuses a second running copy through a lock file in the user's runtime
// folder. The lock holds the owner's process id, so a lock left behind by a
// killed process is recognised as stale and taken over.
class SingleInstance {
public:
    // lockFolder: where the lock lives (the runtime folder when empty).
    explicit SingleInstance(const QString& lockFolder = QString());
    // True when this process now holds the lock; false when another live
    // copy holds it.
    bool acquire();
    QString lockPath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};
