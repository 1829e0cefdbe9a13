#pragma once

#include <QSerialPort>

#include "instrument/serial_port_service.h"

// SerialPortService on QSerialPort: 115200 8N1, no flow control, an unlimited
// read buffer so a whole reply waits for the reader. A vanished device, or a
// read or write that fails, closes the port and is reported with
// deviceGone = true; the line cannot be used again until reopened.
class QtSerialPortService final : public SerialPortService {
    Q_OBJECT
public:
    explicit QtSerialPortService(QObject* parent = nullptr);
    ~QtSerialPortService() override;

    void setDevice(const QString& device) override;
    QString device() const override;
    bool open(QString* error) override;
    void close() override;
    bool isOpen() const override;
    qint64 write(const QByteArray& bytes) override;
    qint64 bytesAvailable() const override;
    QByteArray readAll() override;

private:
    void onErrorOccurred(QSerialPort::SerialPortError error);
    bool lineHungUp() const;

    QSerialPort port_;
    QString device_;
    bool opening_ = false;
};
