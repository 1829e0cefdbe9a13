#include "window/sys_info.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace SysInfo {

QStringList ToolNames() {
    return {"hardinfo",          "hardinfo2",           "kinfocenter", "gnome-system-monitor",
            "xfce4-taskmanager", "mate-system-monitor", "lxtask"};
}

QStringList SearchPathFromEnvironment() {
    return qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
}

QStringList FindTools(const QStringList& searchPath) {
    QStringList found;
    // findExecutable falls back to the system PATH when given no folders.
    if (searchPath.isEmpty()) {
        return found;
    }
    for (const QString& name : ToolNames()) {
        const QString path = QStandardPaths::findExecutable(name, searchPath);
        if (!path.isEmpty()) {
            found.append(path);
        }
    }
    return found;
}

QString StartSysInfo(const QStringList& searchPath) {
    for (const QString& path : FindTools(searchPath)) {
        if (QProcess::startDetached(path, {})) {
            return path;
        }
    }
    return {};
}

}  // namespace SysInfo
