#include "support/sim_process.h"

#include <QDeadlineTimer>

#include "support/test_support.h"

namespace TestSupport {

QString PtyPathFromLine(const QByteArray& line) {
    const QString text = QString::fromLocal8Bit(line).trimmed();
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (auto it = words.crbegin(); it != words.crend(); ++it) {
        if (it->startsWith(QLatin1Char('/'))) {
            return *it;
        }
    }
    return text;
}

SimProcess::~SimProcess() {
    stop(1000);
}

bool SimProcess::start(const QStringList& arguments, QString* error, int timeoutMs) {
    auto fail = [&](const QString& why) {
        if (error) {
            *error = why + QStringLiteral("\n") + output();
        }
        kill();
        return false;
    };
    stop(1000);
    stdout_.clear();
    stderr_.clear();
    ptyPath_.clear();
    const QString program = BuiltProgram(QStringLiteral("zezizav-sim"));
    process_.setProgram(program);
    process_.setArguments(arguments);
    process_.start();
    if (!process_.waitForStarted(timeoutMs)) {
        return fail(QStringLiteral("Cannot start %1: %2").arg(program, process_.errorString()));
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (!stdout_.contains('\n')) {
        if (deadline.hasExpired() || process_.state() != QProcess::Running) {
            stdout_.append(process_.readAllStandardOutput());
            if (stdout_.contains('\n')) {
                break;
            }
            return fail(QStringLiteral("%1 printed no pseudo-terminal path").arg(program));
        }
        process_.waitForReadyRead(static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1)));
        stdout_.append(process_.readAllStandardOutput());
    }
    const qsizetype end = stdout_.indexOf('\n');
    ptyPath_ = PtyPathFromLine(stdout_.left(end));
    stdout_.remove(0, end + 1);
    if (ptyPath_.isEmpty()) {
        return fail(QStringLiteral("%1 printed an empty first line").arg(program));
    }
    return true;
}

bool SimProcess::isRunning() const {
    return process_.state() != QProcess::NotRunning;
}

void SimProcess::stop(int timeoutMs) {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.terminate();
    if (!process_.waitForFinished(timeoutMs)) {
        kill();
    }
}

void SimProcess::kill() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.kill();
    process_.waitForFinished(3000);
}

QString SimProcess::output() {
    stdout_.append(process_.readAllStandardOutput());
    stderr_.append(process_.readAllStandardError());
    return QString::fromLocal8Bit(stdout_) + QString::fromLocal8Bit(stderr_);
}

}  // namespace TestSupport
