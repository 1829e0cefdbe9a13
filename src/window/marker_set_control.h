#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "display/marker_sets.h"
#include "window/window_calls.h"

class QAction;
class QMenu;
class QWidget;

// The dialog that asks for a marker set's name, modal to parent, offering
// the names already saved; empty when cancelled.
QString AskMarkerSetName(QWidget* parent, const QStringList& existing);

// Markers → "Save Marker Set…" and "Marker Sets": the markers (where
// markers 1 and 2 stand, and which markers are on) saved under a name, and
// recalled from the menu. They live in a file of their own next to the
// settings file, read anew each time the menu opens, so a set saved by
// another window is there too; an entry that cannot be read is skipped and
// said, the rest kept.
class MarkerSetControl : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QMenu& markersMenu;
        std::function<QString()> settingsPath;  // the settings file the sets go beside
        std::function<MarkerSet()> current;     // the markers as they stand, unnamed
        // Puts the markers of a set in place; what it could not place, in words.
        std::function<QStringList(const MarkerSet&)> apply;
        // The name to save under, empty when the user cancels.
        std::function<QString(const QStringList& existing)> askName;
        Say notify;
        Say warn;
    };
    MarkerSetControl(const Parts& parts, QObject* parent);

    // Saves the markers as they stand under name, replacing a set of that name.
    bool save(const QString& name);
    // Recalls the set of that name; false when there is none.
    bool recall(const QString& name);
    // The sets in the file now (and says what it skipped).
    std::vector<MarkerSet> sets();
    QString path() const;
    QMenu* menu() const { return menu_; }

private:
    void mnuMarkerSetSave_Click();
    void fill();

    Parts w_;
    QAction* mnuMarkerSetSave_ = nullptr;
    QMenu* menu_ = nullptr;
};
