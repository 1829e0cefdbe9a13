#pragma once

#include <QByteArray>
#include <QKeySequence>
#include <QString>
#include <QWidget>
#include <functional>

#include "files/picture.h"
#include "files/sweep_export.h"
#include "window/window_calls.h"

class QAction;
class QMenu;

// What the views in windows of their own beside the graph (the time domain,
// the Smith chart) share: their names, their menu item, how they open, and
// their Save Picture command.

// What each view is handed: its owner (the view closes with it), the View
// menu (its item goes at the end), the sweep on the graph as every export
// reads it, and the window's calls.
struct ViewWindowParts {
    QWidget& window;
    QMenu& viewMenu;
    std::function<SweepExportInput()> sweep;
    ChooseFile chooseFile;
    Say notify;
    Say warn;
};

// widget named, and its name its accessible description.
template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleDescription(QLatin1String(name));
    return widget;
}

// The view's item at the end of the menu.
QAction* AddViewItem(QMenu& menu, const QString& text, const char* name, const QKeySequence& keys);

// A top-level window of owner's, closing with it; its accessible name its title.
QWidget* NewViewWindow(QWidget& owner, const char* name, const QString& title);

// Shown in front and given the keys.
void RaiseViewWindow(QWidget& view);

// Save Picture: a .png or .svg chosen, its bytes made for the format with
// the date line on top, written whole, and said in the status bar, or
// warned of.
struct ViewPictureCalls {
    ChooseFile chooseFile;
    Say notify;
    Say warn;
};
void SaveViewPicture(
    const ViewPictureCalls& calls,
    const std::function<QByteArray(PictureFormat, const QString& dateLine)>& bytes);
