#include "support/test_support.h"

namespace TestSupport {
QString BuiltProgram(const QString& name) {
    return QStringLiteral(ZEZIZAV_BIN_DIR) + QLatin1Char('/') + name;
}
}  // namespace TestSupport
