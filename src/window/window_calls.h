#pragma once

#include <QString>

#include <functional>

// What a controller of the window may ask of it, as calls: the window makes
// them, so that no controller holds the window itself.

// A line in the status bar, or a warning box (which says it there as well).
using Say = std::function<void(const QString& message)>;

// What a file dialog is asked for.
enum class FileDialog { Open, Save };
// The full path chosen in the window's file dialog, or empty when cancelled.
using ChooseFile = std::function<QString(FileDialog kind, const QString& filter)>;
