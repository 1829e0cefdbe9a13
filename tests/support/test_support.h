#pragma once

#include <QString>

namespace TestSupport {
// Path of a program built by this project (zezizav, zezizav-sim, zezizav-cli).
QString BuiltProgram(const QString& name);
}  // namespace TestSupport
