#pragma once

#include <QString>

#include <cstdint>
#include <string>

// The device to open for the settings `port` (already rounded to 16 bits) and
// the optional `device` key. A non-empty device path wins; otherwise port N
// >= 1 is the platform's N-th serial port (/dev/ttyS{N-1}, COM{N} on
// Windows); port <= 0 means no port is configured and gives an empty path.
QString SerialDevicePath(std::int16_t portNumber, const std::string& device);
