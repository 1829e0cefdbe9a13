#pragma once

#include <QMessageBox>
#include <QString>

// A modal message box with an OK button. For unattended runs (scripts, tests
// of the built program) ZEZIZAV_MESSAGE_TIMEOUT_MS makes it close itself after
// that many milliseconds, as if OK had been pressed.
void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text);
