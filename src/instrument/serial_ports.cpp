#include "instrument/serial_ports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <cerrno>

#include <signal.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The pid a lock file names: QLockFile and the UUCP style both begin with it
// in decimal. Binary or empty locks give 0.
qint64 LockPid(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray head = file.read(64).trimmed();
    qsizetype digits = 0;
    while (digits < head.size() && head[digits] >= '0' && head[digits] <= '9') {
        ++digits;
    }
    return digits > 0 ? head.left(digits).toLongLong() : 0;
}

QString ProcessName(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll().trimmed())
                                          : QString();
}

bool ProcessAlive(qint64 pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace

std::vector<SerialPortEntry> ListSerialPorts() {
    std::vector<SerialPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortEntry e;
        e.path = info.systemLocation();
        e.description = info.description();
        e.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier()) {
            e.vendorId = info.vendorIdentifier();
        }
        if (info.hasProductIdentifier()) {
            e.productId = info.productIdentifier();
        }
        ports.push_back(e);
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortEntry& a, const SerialPortEntry& b) { return a.path < b.path; });
    return ports;
}

QStringList SerialLockFolders() {
    return {QStringLiteral("/var/lock"),       QStringLiteral("/run/lock"),
            QStringLiteral("/etc/locks"),      QStringLiteral("/var/spool/locks"),
            QStringLiteral("/var/spool/uucp"), QStringLiteral("/tmp"),
            QStringLiteral("/var/tmp"),        QStringLiteral("/var/lock/lockdev")};
}

QString SerialLockFileName(const QString& device) {
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("LCK..") + name;
}

PortOpenFacts GatherOpenFacts(const QString& device, bool busy, const QString& systemText) {
    PortOpenFacts f;
    f.device = device;
    f.busy = busy;
    f.systemText = systemText;
    struct stat st {};
    const QByteArray path = QFile::encodeName(device);
    f.exists = ::stat(path.constData(), &st) == 0;
    if (!f.exists) {
        for (const SerialPortEntry& port : ListSerialPorts()) {
            f.ports << port.path;
        }
        return f;
    }
    f.mode = st.st_mode;
    f.ownerUid = st.st_uid;
    f.groupGid = st.st_gid;
    if (const passwd* pw = ::getpwuid(st.st_uid)) {
        f.ownerName = QString::fromLocal8Bit(pw->pw_name);
    }
    if (const group* gr = ::getgrgid(st.st_gid)) {
        f.groupName = QString::fromLocal8Bit(gr->gr_name);
    }
    f.euid = ::geteuid();
    f.gids.push_back(::getegid());
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(0, ::getgroups(0, nullptr))));
    const int n = ::getgroups(static_cast<int>(groups.size()), groups.data());
    for (int i = 0; i < n; ++i) {
        f.gids.push_back(groups[static_cast<std::size_t>(i)]);
    }

    // The lock may be named after the path given or after the device it
    // leads to (a link to a pseudo-terminal, say).
    QStringList names{SerialLockFileName(device)};
    const QString target = QFileInfo(device).canonicalFilePath();
    if (!target.isEmpty() && target != device) {
        names << SerialLockFileName(target);
    }
    for (const QString& folder : SerialLockFolders()) {
        for (const QString& name : names) {
            const QString lock = QDir(folder).filePath(name);
            if (!QFileInfo::exists(lock)) {
                continue;
            }
            const qint64 pid = LockPid(lock);
            if (pid > 0 && !ProcessAlive(pid)) {
                continue;  // left behind by a process that has ended
            }
            f.lockFile = lock;
            f.lockPid = pid;
            f.lockProcess = pid > 0 ? ProcessName(pid) : QString();
            return f;
        }
    }
    return f;
}
