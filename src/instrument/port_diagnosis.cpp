#include "instrument/port_diagnosis.h"

#include <algorithm>

QString PortMenuCaption(const SerialPortEntry& port) {
    QStringList known;
    for (const QString& text : {port.description, port.manufacturer}) {
        if (!text.trimmed().isEmpty() && !known.contains(text.trimmed())) {
            known << text.trimmed();
        }
    }
    if (port.vendorId && port.productId) {
        known << QStringLiteral("%1:%2")
                     .arg(*port.vendorId, 4, 16, QLatin1Char('0'))
                     .arg(*port.productId, 4, 16, QLatin1Char('0'));
    }
    return known.isEmpty() ? port.path : port.path + QStringLiteral(" - ") + known.join(", ");
}

bool MayReadWrite(unsigned mode, unsigned ownerUid, unsigned groupGid, unsigned euid,
                  const std::vector<unsigned>& gids) {
    if (euid == 0) {
        return true;
    }
    if (euid == ownerUid) {
        return (mode & 0600) == 0600;
    }
    if (std::find(gids.begin(), gids.end(), groupGid) != gids.end()) {
        return (mode & 0060) == 0060;
    }
    return (mode & 0006) == 0006;
}

QString ModeText(unsigned mode) {
    QString text;
    switch (mode & 0170000) {
        case 0020000:
            text += 'c';
            break;
        case 0060000:
            text += 'b';
            break;
        case 0040000:
            text += 'd';
            break;
        case 0120000:
            text += 'l';
            break;
        default:
            text += '-';
            break;
    }
    const char* const letters = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit) {
        text += (mode & (0400u >> bit)) ? QLatin1Char(letters[bit]) : QLatin1Char('-');
    }
    return text;
}

QString DescribeOpenFailure(const PortOpenFacts& f) {
    const QString head = QStringLiteral("Cannot open %1: ").arg(f.device);
    if (!f.exists) {
        if (f.ports.isEmpty()) {
            return head + QStringLiteral(
                              "there is no such device, and no serial ports are "
                              "present (is the adapter plugged in?)");
        }
        return head + QStringLiteral("there is no such device. Serial ports present: %1")
                          .arg(f.ports.join(QStringLiteral(", ")));
    }
    if (!f.lockFile.isEmpty()) {
        QString holder;
        if (f.lockPid <= 0) {
            holder = QStringLiteral("; the process holding it cannot be read");
        } else if (f.lockProcess.isEmpty()) {
            holder = QStringLiteral(", held by process %1").arg(f.lockPid);
        } else {
            holder = QStringLiteral(", held by process %1 %2").arg(f.lockPid).arg(f.lockProcess);
        }
        return head + QStringLiteral("it is in use by another program (lock file %1%2)")
                          .arg(f.lockFile, holder);
    }
    if (!MayReadWrite(f.mode, f.ownerUid, f.groupGid, f.euid, f.gids)) {
        const QString group = f.groupName.isEmpty() ? QString::number(f.groupGid) : f.groupName;
        if ((f.mode & 0060) == 0060) {
            return head + QStringLiteral(
                              "permission denied. The device belongs to the group "
                              "%1: add your user to the group %1, then log out and in")
                              .arg(group);
        }
        const QString owner = f.ownerName.isEmpty() ? QString::number(f.ownerUid) : f.ownerName;
        return head + QStringLiteral(
                          "permission denied. Only its owner %1 may use it (%2, "
                          "group %3)")
                          .arg(owner, ModeText(f.mode), group);
    }
    if (f.busy) {
        return head + QStringLiteral("it is in use by another program");
    }
    return head + (f.systemText.isEmpty() ? QStringLiteral("unknown error") : f.systemText);
}
