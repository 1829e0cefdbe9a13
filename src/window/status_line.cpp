#include "window/status_line.h"

#include <QMainWindow>
#include <QStatusBar>

namespace {
constexpr int PassingMs = 8000;
}  // namespace

void StatusLine::pass(const QString& message) {
    if (!message.isEmpty()) {
        window_->statusBar()->showMessage(message, PassingMs);
    }
}

void StatusLine::stand(Cause cause, const QString& message) {
    cause_ = cause;
    text_ = message;
    window_->statusBar()->showMessage(message);
}

void StatusLine::clear(Cause cause) {
    if (cause_ != cause) {
        return;
    }
    if (window_->statusBar()->currentMessage() == text_) {
        window_->statusBar()->clearMessage();
    }
    cause_.reset();
    text_.clear();
}
