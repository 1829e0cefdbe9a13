#include "support/sim_log.h"

#include <QRegularExpression>

namespace TestSupport {

QList<SimExchange> SimExchangesFromLog(const QString& log) {
    // "zezizav-sim: exchange 7: sweep mode 0, ...; reply 800 bytes, fault short"
    const QRegularExpression line(
        QStringLiteral("exchange (\\d+): (.*); reply \\d+ bytes, fault ([a-z-]+)"));
    QList<SimExchange> exchanges;
    for (const QString& text : log.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = line.match(text);
        if (m.hasMatch()) {
            exchanges.append({m.captured(1).toInt(), m.captured(2), m.captured(3)});
        }
    }
    return exchanges;
}

}  // namespace TestSupport
