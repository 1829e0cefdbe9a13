#include "app/message.h"

#include <QTimer>

void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    bool ok = false;
    const int timeoutMs = qEnvironmentVariableIntValue("ZEZIZAV_MESSAGE_TIMEOUT_MS", &ok);
    if (ok && timeoutMs >= 0) {
        QTimer::singleShot(timeoutMs, &box, &QMessageBox::accept);
    }
    box.exec();
}
