#include <QApplication>
#include <QStyleFactory>

#include "app/startup.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zezizav"));
    // Ties the windows to the installed desktop entry (its icon and name).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zezizav.zezizav"));
    // Fusion honours the face colours the buttons and check boxes carry.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    return Main(app);
}
