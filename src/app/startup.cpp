#include "app/startup.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "window/chart1.h"
#include "app/message.h"
#include "window/settings_dialog.h"
#include "settings/settings_file.h"
#include "app/single_instance.h"
#include "window/splash_window.h"
#include "settings/startup_rules.h"
#include "common/sweep_buffers.h"
#include "common/version.h"
#include "instrument/linux_parallel_port.h"
#include "instrument/qt_serial_port_service.h"

namespace {

constexpr int SplashMs = 2000;

void SayOnStderr(const QString& line) {
    std::fprintf(stderr, "zezizav: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

// Keeps the splash painted (and the window system answered) while it shows.
void PauseWithEvents(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int Main(QApplication& app) {
    // 1. One copy at a time.
    SingleInstance instance;
    if (!instance.acquire()) {
        const QString text = QStringLiteral("The  'Zezizav'  program is already running");
        SayOnStderr(text);
        QApplication::beep();
        ShowMessage(nullptr, QMessageBox::Warning, QStringLiteral("Warning"), text);
        return 1;
    }

    // 2. The splash, really painted, for two seconds.
    SplashWindow splash;
    splash.showPainted();
    PauseWithEvents(SplashMs);

    // 3. Settings; a value the program cannot work with stops here, by name.
    // Beside the program when there is one there, else the user's own.
    const SettingsPlaces places = DefaultSettingsPlaces();
    const QString iniPath = SettingsFileToRead(places);
    SettingsResult loaded = LoadSettings(iniPath.toStdString());
    if (loaded.error) {
        const QString text =
            QString::fromStdString(DescribeSettingsError(iniPath.toStdString(), *loaded.error));
        SayOnStderr(text);
        splash.close();
        ShowMessage(nullptr, QMessageBox::Critical, QLatin1String(Version::AppTitle), text);
        return 2;
    }
    Settings settings = loaded.settings;
    // The command line overrides the file's [REMOTE] Port.
    std::vector<std::string> arguments;
    for (const QString& a : QCoreApplication::arguments().mid(1)) {
        arguments.push_back(a.toStdString());
    }
    const ProgramArguments parsed = ParseProgramArguments(arguments);
    if (!parsed.error.empty()) {
        const QString text = QString::fromStdString(parsed.error);
        SayOnStderr(text);
        splash.close();
        ShowMessage(nullptr, QMessageBox::Critical, QLatin1String(Version::AppTitle), text);
        return 2;
    }
    if (parsed.remotePort) {
        settings.RemotePort = *parsed.remotePort;
    }
    // Start-up goes on with 0 for these, but not without a word.
    const QString noNumber =
        loaded.noNumber.empty()
            ? QString()
            : QString::fromStdString(DescribeNoNumber(iniPath.toStdString(), loaded.noNumber));
    if (!noNumber.isEmpty()) {
        SayOnStderr(noNumber);
    }

    // 4. Advice for small screens; start-up goes on.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size();
        if (ScreenTooSmall(size.width(), size.height())) {
            QApplication::beep();
            ShowMessage(nullptr, QMessageBox::Warning, QStringLiteral("Warning"),
                        QStringLiteral("At least a monitor resolution of 800x600 pixels and small "
                                       "characters (96 dpi) are suggested for this program."));
        }
    }

    // 5. The main window; loading it prepares everything else.
    SweepBuffers buffers;
    QtSerialPortService serial;
    LinuxParallelPort parallel;
    chart1 window(settings, buffers, serial, parallel);
    window.settingsController()->setPlaces(places, iniPath);
    window.Form_Load();
    window.show();
    if (!QFileInfo::exists(iniPath)) {
        // Said once and left standing: a "Full" of 0.01 MHz would otherwise
        // go unexplained.
        window.statusLine().stand(StatusLine::Cause::Notice, NoSettingsFileText(places));
    } else if (!noNumber.isEmpty()) {
        window.statusLine().stand(StatusLine::Cause::Notice, noNumber);
    }

    // 6. The splash goes.
    splash.close();

    return app.exec();
}
