#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

#include "instrument/port_diagnosis.h"
#include "window/window_calls.h"

class QAction;
class QDialog;
class QMainWindow;
class QMenu;
class SerialPortService;
class SettingsController;
struct Settings;
struct WindowFields;

// The "&Port" menu: the serial ports present, read afresh each time it opens
// (and when the window shows), with the one in use marked; "Other device…"
// for a path the list misses; and "Remember this port", those two always the
// same items. Owned by chart1.
class PortMenu : public QObject {
    Q_OBJECT
public:
    // Where the menu goes and what choosing a port changes.
    struct Parts {
        QMainWindow& window;  // its menu bar; the list is read as it shows
        QAction& about;       // the menu goes before "&About"
        SerialPortService& serial;
        Settings& settings;                // device, for the rest of this run
        const WindowFields& fields;        // whether RUN is on
        SettingsController& settingsFile;  // "Remember this port" writes there
        std::function<void()> pressRun;    // RUN, as its button
        Say notify;
    };
    explicit PortMenu(const Parts& parts);

    QMenu* menu() const { return mnuPort_; }
    // The ports present. Replaceable, so that tests need no real ports.
    std::function<std::vector<SerialPortEntry>()> listPorts;

    // The port to use for the rest of this run: RUN stops first when on, and
    // the next RUN opens this one.
    void useDevice(const QString& device);

    void mnuPort_AboutToShow();
    void mnuOtherDevice_Click();
    void mnuRememberPort_Click();
    // "Other device…" while it is open.
    QDialog* otherDeviceDialog() const { return otherDevice_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Parts window_;
    QMenu* mnuPort_ = nullptr;
    std::vector<QAction*> portItems_;  // the list, above the separator
    QAction* separator_ = nullptr;
    QAction* other_ = nullptr;
    QAction* remember_ = nullptr;
    QPointer<QDialog> otherDevice_;
};
