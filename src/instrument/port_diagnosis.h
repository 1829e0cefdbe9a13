#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// One serial port the system knows, as the "&Port" menu lists it.
struct SerialPortEntry {
    QString path;  // the device, /dev/ttyUSB0
    QString description;
    QString manufacturer;
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
};

// "/dev/ttyUSB0 - FT232R USB UART, FTDI, 0403:6001": the path, then whatever
// the system knows of the port.
QString PortMenuCaption(const SerialPortEntry& port);

// What could be found out about a device that would not open.
struct PortOpenFacts {
    QString device;
    bool exists = true;
    unsigned mode = 0;  // st_mode: file type and permission bits
    unsigned ownerUid = 0;
    unsigned groupGid = 0;
    QString ownerName;
    QString groupName;
    unsigned euid = 0;           // who we are
    std::vector<unsigned> gids;  // our effective and supplementary groups
    QString lockFile;            // a lock file held on the device, when found
    qint64 lockPid = 0;          // the process named in it, 0 when unreadable
    QString lockProcess;         // that process's name, when it can be read
    bool busy = false;           // the system said the device is in use
    QString systemText;          // the system's own words, for anything else
    QStringList ports;           // the serial ports present
};

// Whether a process of this user and these groups may open the device for
// reading and writing, by its mode bits (root always may).
bool MayReadWrite(unsigned mode, unsigned ownerUid, unsigned groupGid, unsigned euid,
                  const std::vector<unsigned>& gids);

// "crw-rw----"
QString ModeText(unsigned mode);

// Why the device would not open, in words a user can act on, beginning
// "Cannot open <device>: ". Missing: say so and list the ports present.
// Locked: name the lock file and its process. No permission: name the owning
// group and how to join it.
QString DescribeOpenFailure(const PortOpenFacts& facts);
