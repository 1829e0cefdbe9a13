#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include "settings/settings.h"
#include "settings/settings_writer.h"

// The two places the settings file may live: beside the program (as a copy
// unpacked anywhere has it) and the user's configuration folder (as an
// installed copy has it).
struct SettingsPlaces {
    QString beside;  // <program folder>/vezizo.ini
    QString xdg;     // $XDG_CONFIG_HOME/zezizav/vezizo.ini
};

// An XDG_CONFIG_HOME that is empty or not absolute counts as unset, and then
// the folder is home/.config.
SettingsPlaces SettingsPlacesFor(const QString& programFolder, const QString& xdgConfigHome,
                                 const QString& home);
// For this program: its own folder, XDG_CONFIG_HOME and the home folder.
SettingsPlaces DefaultSettingsPlaces();

// The file beside the program when it exists, else the XDG one (which may not
// exist either: then the defaults apply).
QString SettingsFileToRead(const SettingsPlaces& places);

// The status line when neither file exists.
QString NoSettingsFileText(const SettingsPlaces& places);

// Where a save goes and what it starts from: the file that was read, when it
// exists and its folder can be written; else the XDG file, starting from its
// own bytes, or the read file's, or else the example settings. A file beside
// the program in a folder that cannot be written is an error: start-up would
// keep reading it over any copy.
struct SettingsTarget {
    QString path;
    QByteArray bytes;
    QString error;  // not empty when the bytes to start from cannot be read
};
SettingsTarget SettingsTargetFor(const SettingsPlaces& places, const QString& readPath,
                                 const QByteArray& example);

struct SettingsSaved {
    bool ok = false;
    QString error;      // a refused value as start-up words it, or why writing failed
    Settings settings;  // what the file now holds, when ok
};

// Makes the edits on the target's bytes, reads the result with start-up's
// reader, and only when it is accepted writes it through QSaveFile (making
// the folder first). A refusal or a failure leaves the old file whole.
SettingsSaved SaveSettingsEdits(const SettingsTarget& target,
                                const std::vector<SettingsEdit>& edits);
