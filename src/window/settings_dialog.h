#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>

#include <map>
#include <string>
#include <vector>

#include "settings/settings_file.h"

class chart1;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;

// "Settings…" in the File menu and every write of the settings file: the
// dialog, "Remember this port", and where the file lives. Owned by chart1.
class SettingsController : public QObject {
    Q_OBJECT
public:
    explicit SettingsController(chart1& window);

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

private:
    void cmdSaveSettings_Click();
    SettingsTarget target() const;
    // Saves; on success the file that was written is read from now on.
    SettingsSaved save(const std::vector<SettingsEdit>& edits);
    void applyAtOnce(const Settings& saved, const std::vector<SettingsEdit>& edits);

    chart1& window_;
    SettingsPlaces places_;
    QString readPath_;
    QAction* mnuSettings_ = nullptr;
    QPointer<QDialog> dialog_;
    std::map<std::string, QLineEdit*> fields_;
    std::map<std::string, QString> shown_;  // each field's text as the dialog opened
    QCheckBox* keepColours_ = nullptr;
    QLabel* error_ = nullptr;
};
