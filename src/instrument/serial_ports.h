#pragma once

#include <QString>

#include <vector>

#include "instrument/port_diagnosis.h"

// The serial ports present now, in the order of their paths.
std::vector<SerialPortEntry> ListSerialPorts();

// Looks at a device that would not open: whether it exists, its owner, group
// and mode, our own user and groups, a lock file another program holds on it,
// and the ports present. busy and systemText are what the open itself said.
PortOpenFacts GatherOpenFacts(const QString& device, bool busy, const QString& systemText);

// The places serial lock files are kept, in the order they are looked in.
QStringList SerialLockFolders();
// "LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_3" for /dev/pts/3.
QString SerialLockFileName(const QString& device);
