#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "window/window_calls.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class SerialPortService;

// "Settings…" in the File menu and every write of the settings file: the
// dialog, "Remember this port", and where the file lives. Owned by chart1.
class SettingsController : public QObject {
    Q_OBJECT
public:
    // Where the dialog goes and what a save applies at once.
    struct Parts {
        QWidget& window;  // the dialog is modal to it
        QMenu& fileMenu;  // "Settings…" goes above "E&xit" there
        QAction& exit;
        Settings& settings;
        QLineEdit& velocityFactor;  // txtVF
        float& fullFMin;            // what "Full" restores
        float& fullFMax;
        const SerialPortService& serial;  // the device in use
        // The port for the rest of this run, as the "&Port" menu takes it.
        std::function<void(const QString& device)> useDevice;
        Say notify;
        Say warn;
    };
    explicit SettingsController(const Parts& parts);

    // The places the file may live and the one start-up read.
    void setPlaces(const SettingsPlaces& places, const QString& readPath);
    const SettingsPlaces& places() const { return places_; }
    QString readPath() const { return readPath_; }
    QAction* action() const { return mnuSettings_; }

    // Opens the dialog, modal to the window only: the cycle runs on.
    void mnuSettings_Click();
    // The dialog while it is open.
    QDialog* dialog() const { return dialog_; }

    // Writes device=PATH under [PORTSETTING]; says in the status bar where,
    // or why not.
    bool rememberDevice(const QString& device);
    // Writes TextSize=PERCENT under [DISPLAY], likewise.
    bool rememberTextSize(int percent);
    // Writes DistanceUnit=feet or metres under [DISPLAY], likewise.
    bool rememberDistanceUnit(bool feet);
    // Writes LimitsFile=PATH (empty: no limits) and LimitsBeep=0|1 under
    // [LIMITS], and BandRegion=0..3 under [DISPLAY], likewise.
    bool rememberLimitsFile(const QString& path);
    bool rememberLimitsBeep(bool on);
    bool rememberBandRegion(int region);

private:
    void cmdSaveSettings_Click();
    SettingsTarget target() const;
    // Saves; on success the file that was written is read from now on.
    SettingsSaved save(const std::vector<SettingsEdit>& edits);
    // One key written, and said where, or why not.
    bool remember(const std::string& key, const std::string& value, const QString& what);
    void applyAtOnce(const Settings& saved, const std::vector<SettingsEdit>& edits);

    Parts window_;
    SettingsPlaces places_;
    QString readPath_;
    QAction* mnuSettings_ = nullptr;
    QPointer<QDialog> dialog_;
    std::map<std::string, QLineEdit*> fields_;
    std::map<std::string, QString> shown_;  // each field's text as the dialog opened
    QCheckBox* keepColours_ = nullptr;
    QLabel* error_ = nullptr;
};
