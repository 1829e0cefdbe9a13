#pragma once

#include <QString>

#include <optional>

class QMainWindow;

// The window's status bar. A passing note shows for a few seconds; a
// standing line stays until its cause is gone (or another line replaces it),
// so a fault the user did not watch for is still there when they look.
class StatusLine {
public:
    enum class Cause {
        Notice,     // said once at start-up
        LinkFault,  // the last exchange failed; gone with the next complete sweep
        NoSweep,    // the limits give no sweep; gone with the first valid range
    };

    explicit StatusLine(QMainWindow* window) : window_(window) {}

    void pass(const QString& message);
    void stand(Cause cause, const QString& message);
    // Takes the line away only while it still shows what this cause said.
    void clear(Cause cause);

private:
    QMainWindow* window_;
    std::optional<Cause> cause_;
    QString text_;
};
