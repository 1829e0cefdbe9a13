#include "instrument/qt_serial_port_service.h"

#include "instrument/serial_ports.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

QtSerialPortService::QtSerialPortService(QObject* parent) : SerialPortService(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialPortService::dataArrived);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPortService::onErrorOccurred);
}

QtSerialPortService::~QtSerialPortService() = default;

void QtSerialPortService::setDevice(const QString& device) {
    device_ = device;
}

QString QtSerialPortService::device() const {
    return device_;
}

bool QtSerialPortService::open(QString* error) {
    if (port_.isOpen()) {
        return true;
    }
    auto fail = [&](const QString& why) {
        if (error) {
            *error = QStringLiteral("Cannot open %1: %2")
                         .arg(device_.isEmpty() ? QStringLiteral("the serial port") : device_, why);
        }
        return false;
    };
    if (device_.isEmpty()) {
        return fail(QStringLiteral("no serial port is configured"));
    }
    port_.setPortName(device_);
    port_.setBaudRate(QSerialPort::Baud115200);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    // Unlimited, so a whole reply waits in the buffer however long it is.
    port_.setReadBufferSize(0);
    opening_ = true;
    const bool opened = port_.open(QIODevice::ReadWrite);
    opening_ = false;
    if (!opened) {
        const QSerialPort::SerialPortError code = port_.error();
        const QString qtText = port_.errorString();
        port_.clearError();
        // Qt reports a port held by another program (its lock file, or the
        // exclusive flag) as a permission error too.
        const bool busy = code == QSerialPort::PermissionError &&
                          (qtText.contains(QLatin1String("lock"), Qt::CaseInsensitive) ||
                           qtText.contains(QLatin1String("busy"), Qt::CaseInsensitive));
        if (error) {
            *error = DescribeOpenFailure(GatherOpenFacts(device_, busy, qtText));
        }
        return false;
    }
    return true;
}

void QtSerialPortService::close() {
    if (port_.isOpen()) {
        port_.close();
    }
}

bool QtSerialPortService::isOpen() const {
    return port_.isOpen();
}

qint64 QtSerialPortService::write(const QByteArray& bytes) {
    if (!port_.isOpen()) {
        return -1;
    }
    return port_.write(bytes);
}

qint64 QtSerialPortService::bytesAvailable() const {
    return port_.isOpen() ? port_.bytesAvailable() : 0;
}

QByteArray QtSerialPortService::readAll() {
    return port_.isOpen() ? port_.readAll() : QByteArray();
}

bool QtSerialPortService::lineHungUp() const {
#ifdef Q_OS_UNIX
    if (!port_.isOpen()) {
        return false;
    }
    pollfd p{static_cast<int>(port_.handle()), POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return false;
#endif
}

void QtSerialPortService::onErrorOccurred(QSerialPort::SerialPortError error) {
    // open() reports its own failure; TimeoutError only comes from the
    // blocking waits, which are never used.
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || opening_) {
        return;
    }
    const QString why = port_.errorString();
    port_.clearError();
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
        error == QSerialPort::WriteError) {
        // A failing read or write keeps its notifier firing on the dead
        // descriptor, so the line is closed at once. A hung-up line (adapter
        // pulled out, the far end closed) often reports only a read error
        // with a stale errno, so the hang-up is asked of the descriptor.
        const bool gone = error == QSerialPort::ResourceError || lineHungUp();
        if (port_.isOpen()) {
            port_.close();
        }
        emit failed(gone ? QStringLiteral("The serial device %1 has gone away").arg(device_)
                         : QStringLiteral("The serial port %1 failed: %2").arg(device_, why),
                    true);
        return;
    }
    emit failed(QStringLiteral("Serial port %1: %2").arg(device_, why), false);
}
