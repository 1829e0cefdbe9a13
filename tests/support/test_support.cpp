#include "support/test_support.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace TestSupport {
QString BuiltProgram(const QString& name) {
    return QStringLiteral(ZEZIZAV_BIN_DIR) + QLatin1Char('/') + name;
}

QString PythonWithSkrf(QString* why) {
    QStringList candidates;
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (!onPath.isEmpty()) {
        candidates << onPath;
    }
    if (QFileInfo::exists(QStringLiteral("/usr/bin/python3"))) {
        candidates << QStringLiteral("/usr/bin/python3");
    }
    for (const QString& python : candidates) {
        QProcess probe;
        probe.start(python, {QStringLiteral("-c"), QStringLiteral("import skrf")});
        if (probe.waitForFinished(60000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0) {
            return python;
        }
    }
    *why = candidates.isEmpty()
               ? QStringLiteral("python3 is not installed")
               : QStringLiteral("the python module skrf (python3-scikit-rf) is not installed");
    return QString();
}
}  // namespace TestSupport
