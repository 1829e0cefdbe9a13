#include "window/remote_server.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "remote/remote_session.h"

RemoteServer::RemoteServer(SessionFactory factory, QObject* parent)
    : QObject(parent), factory_(std::move(factory)), server_(new QTcpServer(this)) {
    stallCheck_ = new QTimer(this);
    connect(server_, &QTcpServer::newConnection, this, &RemoteServer::acceptClients);
    stallCheck_->setInterval(100);
    connect(stallCheck_, &QTimer::timeout, this, &RemoteServer::checkStalled);
}

RemoteServer::~RemoteServer() {
    if (client_ != nullptr) {
        client_->disconnect(this);
        client_->abort();
    }
}

bool RemoteServer::listen(const QString& address, quint16 port) {
    close();
    const QString text = address.isEmpty() ? QStringLiteral("127.0.0.1") : address;
    QHostAddress host;
    if (!host.setAddress(text)) {
        error_ = QStringLiteral("%1 is not an IP address").arg(text);
        return false;
    }
    if (!server_->listen(host, port)) {
        error_ = QStringLiteral("cannot listen on %1 port %2: %3")
                     .arg(text)
                     .arg(port)
                     .arg(server_->errorString());
        return false;
    }
    error_.clear();
    return true;
}

void RemoteServer::close() {
    server_->close();
    if (client_ != nullptr) {
        client_->abort();
        dropClient();
    }
}

bool RemoteServer::listening() const {
    return server_->isListening();
}

QHostAddress RemoteServer::serverAddress() const {
    return server_->serverAddress();
}

quint16 RemoteServer::serverPort() const {
    return server_->serverPort();
}

void RemoteServer::acceptClients() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        if (client_ != nullptr) {
            // One client drives the window at a time; the next is told why.
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->write(kBusyLine);
            socket->disconnectFromHost();
            continue;
        }
        client_ = socket;
        // A client sending faster than the session runs is held back by TCP,
        // not by memory.
        socket->setReadBufferSize(64 * 1024);
        session_ = factory_();
        connect(socket, &QTcpSocket::readyRead, this, &RemoteServer::readClient);
        connect(socket, &QTcpSocket::disconnected, this, &RemoteServer::dropClient);
        connect(socket, &QTcpSocket::bytesWritten, this, &RemoteServer::clientRead);
        paused_ = false;
        lastRead_.start();
        stallCheck_->start();
        emit clientConnected();
        readClient();  // bytes that came with the connection
    }
}

void RemoteServer::readClient() {
    readQueued_ = false;
    QElapsedTimer busy;
    busy.start();
    while (client_ != nullptr && session_ != nullptr && client_->bytesAvailable() > 0) {
        if (client_->bytesToWrite() > kPauseUnsentBytes) {
            paused_ = true;  // clientRead() goes on
            return;
        }
        if (busy.elapsed() >= kBusyMs) {
            // A flood of queries shares the thread with the window's own work.
            if (!readQueued_) {
                readQueued_ = true;
                QMetaObject::invokeMethod(this, &RemoteServer::readClient, Qt::QueuedConnection);
            }
            return;
        }
        const QByteArray piece = client_->read(kReadPiece);
        send(session_->receive(std::string_view(piece.constData(), piece.size())));
    }
}

void RemoteServer::send(const std::string& bytes) {
    if (client_ == nullptr || bytes.empty()) {
        return;
    }
    client_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (client_->bytesToWrite() > kMaxUnsentBytes) {
        client_->abort();
        dropClient();
    }
}

void RemoteServer::clientRead() {
    lastRead_.restart();
    if (paused_ && client_ != nullptr && client_->bytesToWrite() <= kPauseUnsentBytes) {
        paused_ = false;
        readClient();
    }
}

void RemoteServer::checkStalled() {
    if (client_ != nullptr && client_->bytesToWrite() > 0 && lastRead_.elapsed() > stalledMs_) {
        client_->abort();
        dropClient();
    }
}

void RemoteServer::operationComplete(bool drawn) {
    if (session_ != nullptr) {
        send(session_->operationComplete(drawn));
    }
}

void RemoteServer::dropClient() {
    if (client_ == nullptr) {
        return;
    }
    QTcpSocket* socket = client_;
    client_ = nullptr;
    socket->disconnect(this);
    socket->deleteLater();
    session_.reset();
    stallCheck_->stop();
    paused_ = false;
    emit clientDisconnected();
}
