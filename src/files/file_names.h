#pragma once

#include <QString>

// Names in the file dialogs of the File menu.

// The extension of the first pattern of a dialog filter: ".vec" for
// "Analyser files (*.vec)"; empty when it names none ("All files (*)").
QString FilterExtension(const QString& filter);

// A save dialog's answer with the filter's extension added when the name
// typed has none, so "ant20m" is written as "ant20m.vec" and the Open
// dialog, which lists *.vec, can show it again. A name with any extension
// is kept as typed.
QString WithFilterExtension(const QString& path, const QString& filter);

// The name the Open dialog starts with: the file last chosen, but only when
// it is a .vec file (an export's name would be opened as a sweep).
QString OpenDialogStartName(const QString& lastChosen);
