#include "app/chart1.h"

#include <QApplication>
#include <QCloseEvent>

#include "app/about_window.h"
#include "common/version.h"
#include "instrument/parallel_port.h"
#include "instrument/serial_port_service.h"

chart1::chart1(Settings& settings, SweepBuffers& buffers, SerialPortService& serial,
               ParallelPort& parallel, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      buffers_(buffers),
      serial_(serial),
      parallel_(parallel) {
    BuildChart1(this, ui);
    setWindowTitle(QStringLiteral("%1 %2.%3.%4 - two-port vector network analyser on a serial "
                                  "(RS-232 or USB) link")
                       .arg(QLatin1String(Version::ProductName))
                       .arg(Version::Major)
                       .arg(Version::Minor)
                       .arg(Version::Revision));
    connect(ui.mnuExit, &QAction::triggered, this, &chart1::mnuExit_Click);
    connect(ui.mnuAbout, &QAction::triggered, this, &chart1::mnuAbout_Click);
    connect(ui.Timer1, &QTimer::timeout, this, &chart1::Timer1_Timer);
}

chart1::~chart1() = default;

void chart1::mnuExit_Click() { close(); }

void chart1::mnuAbout_Click() { ShowAboutWindow(about_, this); }

// Form_Unload: closing the main window closes every other window of the
// program; the application ends when the last one is gone. Nothing is saved.
void chart1::closeEvent(QCloseEvent* event) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible()) {
            w->close();
        }
    }
    event->accept();
}
