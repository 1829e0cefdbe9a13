#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QTcpServer;
class QTimer;
class QTcpSocket;
class RemoteSession;

// The remote-control socket: one client at a time, each with a session of
// its own made by the factory. It knows nothing of the window; the window
// hands it a factory of sessions over its adapter and shows the signals in
// the status bar.
class RemoteServer : public QObject {
    Q_OBJECT

public:
    using SessionFactory = std::function<std::unique_ptr<RemoteSession>()>;

    // Output a client has not read yet; beyond it the client is dropped, so
    // a client that never reads costs bounded memory and never the window.
    static constexpr qint64 kMaxUnsentBytes = 8 * 1024 * 1024;
    // Above this much unsent, no more input is run until the client has read
    // some: a client reading slowly is held back, not dropped.
    static constexpr qint64 kPauseUnsentBytes = 1024 * 1024;
    // A client that has read nothing of its pending answers for this long
    // has stopped reading, and is dropped.
    static constexpr int kStalledMs = 10000;
    // Read from the socket at most this much at a time, checking the output
    // between pieces: 512 bytes of trace queries are ~34 answers, ~2 MB.
    static constexpr qint64 kReadPiece = 512;
    // The longest the window's thread runs commands at one go; the rest of
    // the input waits for the next turn of the event loop.
    static constexpr int kBusyMs = 10;
    // The line a second client gets before it is closed.
    static constexpr const char* kBusyLine =
        "-300,\"Device-specific error;busy: another client is connected\"\n";

    explicit RemoteServer(SessionFactory factory, QObject* parent = nullptr);
    ~RemoteServer() override;

    // Listens on address (empty: 127.0.0.1) and port (0: any free one, for
    // tests). False, with errorString(), when the address is no address or
    // the port is taken.
    bool listen(const QString& address, quint16 port);
    void close();
    bool listening() const;
    QString errorString() const { return error_; }
    QHostAddress serverAddress() const;
    quint16 serverPort() const;
    bool hasClient() const { return client_ != nullptr; }

    // For tests: how long a client may leave its answers unread.
    void setStalledMs(int ms) { stalledMs_ = ms; }

    // The sweep INIT started has been drawn (or abandoned): a held *OPC? is
    // answered and the held input runs.
    void operationComplete(bool drawn = true);

signals:
    void clientConnected();
    void clientDisconnected();

private:
    void acceptClients();
    void readClient();
    void send(const std::string& bytes);
    void dropClient();
    void clientRead();
    void checkStalled();

    bool readQueued_ = false;
    bool paused_ = false;
    int stalledMs_ = kStalledMs;
    QElapsedTimer lastRead_;  // since the client last took some of its answers
    QTimer* stallCheck_ = nullptr;
    SessionFactory factory_;
    QTcpServer* server_ = nullptr;
    QTcpSocket* client_ = nullptr;  // deleted later, when it goes
    std::unique_ptr<RemoteSession> session_;
    QString error_;
};
