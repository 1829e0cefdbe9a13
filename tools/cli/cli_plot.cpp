#include "cli_plot.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "window/chart1.h"
#include "window/calibrate_controller.h"
#include "window/memory_control.h"
#include "window/marker_controls.h"
#include "window/picture_menu.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/recording_parallel_port.h"
#include "measure/graph_widget.h"

namespace {

// One tick of the window to its end: readouts, traces and lines.
bool Tick(chart1& w) {
    bool done = false;
    QEventLoop loop;
    QObject::connect(&w, &chart1::tickFinished, &loop, [&] {
        done = true;
        loop.quit();
    });
    w.Timer1_Timer();
    if (!done) {
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done;
}

}  // namespace

PlotResult PlotPicture(const PlotRequest& request) {
    Settings settings = request.settings;
    SweepBuffers buffers;
    QtSerialPortService serial;  // never opened: the sweep comes from the file
    RecordingParallelPort parallel;
    chart1 w(settings, buffers, serial, parallel);
    w.Form_Load();
    w.ui.Timer1->stop();
    w.setAttribute(Qt::WA_DontShowOnScreen);
    w.show();
    // The graph grows with the window by as much as the window grows.
    for (int i = 0; i < 3 && w.ui.picGraph1->size() != request.graph; ++i) {
        w.resize(w.size() + request.graph - w.ui.picGraph1->size());
        QCoreApplication::sendPostedEvents();
    }
    if (w.ui.picGraph1->size() != request.graph) {
        return {{},
                QStringLiteral("The graph cannot be drawn at %1 x %2 pixels")
                    .arg(request.graph.width())
                    .arg(request.graph.height())};
    }

    if (request.transmission) {
        w.Toolbar1_ButtonClick(w.ui.toolbarButtons[3]->text());
    }
    w.ui.txtLossOffset->setText(request.lossOffset);
    w.calibrate().use(request.normalisation);
    // In the mode and with the offset a memory is read for.
    for (const QString& path : request.memories) {
        if (const QString error = w.memoryControl().load(path); !error.isEmpty()) {
            return {{}, error};
        }
    }
    w.chooseFile = [&](QWidget*, chart1::FileDialog, const QString&, const QString&) {
        return request.file;
    };
    w.mnuOpen_Click();
    if (w.points() != request.points) {
        return {{}, QStringLiteral("Cannot show %1").arg(request.file)};
    }
    const double W = w.ui.picGraph1->ScaleWidth();
    for (std::size_t m = 0; m < 2; ++m) {
        if (const auto at = request.markerAt[m]) {
            w.picGraph1_MouseUp(static_cast<int>(m) + 1, 0,
                                static_cast<float>(*at * W / request.points), 0.0f);
        }
    }
    // The second tick draws with the step of the limits read in the first.
    if (!Tick(w) || !Tick(w)) {
        return {{}, QStringLiteral("The window did not finish drawing the sweep")};
    }
    if (w.fields.Mkr1Index != request.markerIndex[0] ||
        (request.markerAt[1] && w.fields.Mkr2Index != request.markerIndex[1])) {
        return {{}, QStringLiteral("The markers did not come to the readout's points")};
    }
    const QByteArray bytes = PictureBytes(WindowPicture(w, request.when), request.format);
    if (bytes.isEmpty()) {
        return {{}, QStringLiteral("The picture could not be made")};
    }
    return {bytes, {}};
}
