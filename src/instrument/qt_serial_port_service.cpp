#include "instrument/qt_serial_port_service.h"

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
        const QString why = OpenFailureText(port_.error(), port_.errorString());
        port_.clearError();
        return fail(why);
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

QString QtSerialPortService::OpenFailureText(QSerialPort::SerialPortError error,
                                             const QString& qtText) {
    return QStringLiteral("[%1] %2").arg(int(error)).arg(qtText);
}

void QtSerialPortService::onErrorOccurred(QSerialPort::SerialPortError error) {
    // open() reports its own failure; TimeoutError only comes from the
    // blocking waits, which are never used.
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || opening_) {
        return;
    }
    const QString why = port_.errorString();
    port_.clearError();
    if (error == QSerialPort::ResourceError) {
        // The device vanished (adapter pulled out, the far end closed). Close
        // now, or the notifier keeps firing on a dead descriptor.
        if (port_.isOpen()) {
            port_.close();
        }
        emit failed(QStringLiteral("Serial device %1 is gone: %2").arg(device_, why), true);
        return;
    }
    emit failed(QStringLiteral("Serial port %1: %2").arg(device_, why), false);
}
