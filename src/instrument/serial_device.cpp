#include "instrument/serial_device.h"

QString SerialDevicePath(std::int16_t portNumber, const std::string& device) {
    if (!device.empty()) {
        return QString::fromStdString(device);
    }
    if (portNumber <= 0) {
        return {};
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}
