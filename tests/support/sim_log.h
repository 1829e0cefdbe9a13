#pragma once

#include <QList>
#include <QString>

namespace TestSupport {

// One exchange as the simulator logged it with -v: the command it answered
// and the fault it applied ("none", "silent", "short", "surplus",
// "garbage-high", "hangup").
struct SimExchange {
    int number = 0;
    QString command;  // "sweep mode 0, 1000000.0 Hz + k x ... Hz, 200 points"
    QString fault;
};

// The exchanges in the simulator's -v log, in the order it numbered them.
// Lines of other kinds are skipped.
QList<SimExchange> SimExchangesFromLog(const QString& log);

}  // namespace TestSupport
