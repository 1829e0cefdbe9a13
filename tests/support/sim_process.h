#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace TestSupport {

// The instrument simulator (zezizav-sim) as a child process of a test. It
// opens a pseudo-terminal and prints the path of its far end on its first
// line of standard output; open that path as the serial device.
class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator with these arguments (e.g. {"--fault", "short"})
    // and waits up to timeoutMs for the path line. On failure returns false
    // and says why (with what the simulator printed) in *error.
    bool start(const QStringList& arguments = {}, QString* error = nullptr, int timeoutMs = 5000);
    // The pseudo-terminal path printed at start.
    QString ptyPath() const { return ptyPath_; }
    bool isRunning() const;
    // Asks it to end (SIGTERM) and kills it if it has not within timeoutMs.
    void stop(int timeoutMs = 3000);
    // Ends it at once (SIGKILL): its end of the line vanishes, as with a
    // pulled adapter.
    void kill();
    // What it printed so far after the path line, stdout then stderr.
    QString output();
    QProcess& process() { return process_; }

private:
    QProcess process_;
    QString ptyPath_;
    QByteArray stdout_;
    QByteArray stderr_;
};

// The pseudo-terminal path in the simulator's first line: the line itself,
// or its last word that is an absolute path.
QString PtyPathFromLine(const QByteArray& line);

}  // namespace TestSupport
