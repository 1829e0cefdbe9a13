#pragma once

#include <QByteArray>
#include <QStringList>

namespace TestSupport {

// One run of the built zezizav-cli, waited for (a minute at most).
struct CliRun {
    int exitCode = -1;  // -1 when it did not finish normally
    QByteArray out;
    QByteArray err;
};

CliRun RunCli(const QStringList& arguments);

}  // namespace TestSupport
