#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Named marker sets: markers 1 and 2 (on or off, and where) and whether the
// minimum-SWR marker is on, kept in a file of their own beside the settings.
//
// The file, one section a set, frequencies in MHz with "." decimals:
//
//     [40 m dipole]
//     Marker1=on 7.050000
//     Marker2=off 7.150000
//     MinSWR=on
//
// A name is kept trimmed, and the section line's name runs from its first "["
// to its last "]", so a name may hold "]", "[", "=", "#" and any non-ASCII
// text without escapes; a name holding a control character (a line break
// among them) is refused. Keys are read in any case, a missing key is a marker
// that is off at 0 Hz, and lines starting with "#" or ";" are comments.
// Frequencies are kept to the whole hertz, from 0 to 1,000,000 MHz.

struct MarkerSetMarker {
    bool on = false;
    double frequencyHz = 0;
    friend bool operator==(const MarkerSetMarker&, const MarkerSetMarker&) = default;
};

struct MarkerSet {
    QString name;
    MarkerSetMarker marker1, marker2;
    bool minSwrOn = false;
    friend bool operator==(const MarkerSet&, const MarkerSet&) = default;
};

// The sets read, and one message ("line 7: ...") for each entry skipped.
struct MarkerSetsRead {
    std::vector<MarkerSet> sets;
    QStringList messages;
};

// Beside the settings file: the same folder and base name, ".markers".
QString MarkerSetsPath(const QString& settingsPath);

// Tolerant: a set with a bad line (an unknown or repeated key, a bad value, a
// frequency that is negative, not finite or too high, a bad or repeated name)
// is skipped whole with one message naming that line; the others are kept.
MarkerSetsRead ParseMarkerSets(QByteArrayView text);

// The file's text, as UTF-8, in the order given; it reads back the same.
QByteArray MarkerSetsText(const std::vector<MarkerSet>& sets);

// A missing file is no sets and no message; one that cannot be read is no
// sets and one message.
MarkerSetsRead ReadMarkerSets(const QString& path);

// Writes through QSaveFile (making the folder first): a failure leaves the old
// file whole and says why.
std::optional<QString> WriteMarkerSets(const QString& path, const std::vector<MarkerSet>& sets);

// Why a name cannot be saved (empty once trimmed, or holding a control
// character), or nothing when it can.
std::optional<QString> MarkerSetNameProblem(const QString& name);

// Adds the set, its name trimmed, or replaces the one of the same name (names
// compared trimmed and in any case) in its place. A bad name or frequency is
// refused with the reason, and the sets are left as they were.
std::optional<QString> PutMarkerSet(std::vector<MarkerSet>& sets, MarkerSet set);
