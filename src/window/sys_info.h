#pragma once

#include <QString>
#include <QStringList>

// Finding and starting the desktop's system-information tool for the About
// window. Linux has no registry entry naming one, so a few well-known tools are
// looked for on the search path, in order of preference.
namespace SysInfo {
inline const char* const UnavailableMessage = "System Information Is Unavailable At This Time";

// Program names tried, most preferred first.
QStringList ToolNames();

// The folders of the PATH environment variable.
QStringList SearchPathFromEnvironment();

// Full paths of the tools found in searchPath, in the order of ToolNames().
// An empty searchPath finds nothing (it does not mean "the system PATH").
QStringList FindTools(const QStringList& searchPath);

// Starts the first tool of searchPath that can be started, detached, and
// returns its path; empty when none was found or none could be started.
QString StartSysInfo(const QStringList& searchPath);
}  // namespace SysInfo
