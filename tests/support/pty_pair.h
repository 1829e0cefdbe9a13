#pragma once

#include <QByteArray>
#include <QString>

namespace TestSupport {

// A bare pseudo-terminal for tests of the port itself: the program under test
// opens slavePath() as its serial device, the test plays the far end through
// the master side. Raw mode, so every byte passes unchanged.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return master_ >= 0; }
    QString error() const { return error_; }
    QString slavePath() const { return slavePath_; }

    // Sends bytes to the program (they arrive as its input).
    bool write(const QByteArray& bytes);
    // What the program wrote so far, waiting up to timeoutMs for at least
    // minBytes of it.
    QByteArray read(qsizetype minBytes = 1, int timeoutMs = 1000);
    // Closes the far end: the program's port sees its device vanish.
    void closeMaster();

private:
    int master_ = -1;
    int slave_ = -1;  // kept open so the line stays up until closeMaster()
    QString slavePath_;
    QString error_;
};

}  // namespace TestSupport
