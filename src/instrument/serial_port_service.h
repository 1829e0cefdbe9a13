#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The one way to the instrument: a serial line at 115200 8N1. Writes return at
// once; arriving bytes are announced by dataArrived and read without blocking.
// The real port, and in tests the same port on a pseudo-terminal, implement it.
class SerialPortService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPortService() override = default;

    virtual void setDevice(const QString& device) = 0;
    virtual QString device() const = 0;
    // On failure returns false and says why in *error (device named).
    virtual bool open(QString* error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual qint64 write(const QByteArray& bytes) = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual QByteArray readAll() = 0;

signals:
    void dataArrived();
    // A fault of the line. deviceGone is true when the device vanished (an
    // adapter pulled out, the far end closed): the port is closed by then.
    void failed(const QString& message, bool deviceGone);
};
