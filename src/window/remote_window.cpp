#include "window/remote_window.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <cmath>

#include "common/decimal_text.h"
#include "common/leading_number.h"
#include "common/version.h"
#include "cycle/marker_search.h"
#include "files/picture.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "remote/remote_session.h"
#include "window/chart1.h"
#include "window/limits_control.h"
#include "window/marker_controls.h"
#include "window/picture_menu.h"
#include "window/remote_server.h"

namespace {

// SCPI's refusals, as the command table names them.
constexpr int kOk = 0;
constexpr int kSettingsConflict = -221;
constexpr int kOutOfRange = -222;
constexpr int kHardware = -240;
constexpr int kMassStorage = -250;

// The analyser's frequency words reach about 200 MHz.
constexpr double kHighestHz = 200e6;

const std::array<const char*, 4> kModeTexts = {"Antenna", "Cable Loss", "Cable Length",
                                               "Transmission"};

double BoxHz(const QLineEdit* box) {
    return LeadingNumber(box->text().toStdString()) * 1e6;
}

QString MHzText(double hz) {
    return QString::fromStdString(HzAsMHzText(hz));
}

}  // namespace

RemoteWindow::RemoteWindow(chart1& window) : QObject(&window), w_(window) {
    const std::string folder = w_.settings_.SaveFolder;
    server_ = new RemoteServer(
        [this, folder] { return std::make_unique<RemoteSession>(*this, folder); }, this);
    // Shown for as long as a client is connected, whatever else the status
    // bar says meanwhile.
    lblRemote_ = new QLabel(QStringLiteral("Remote client connected"), &w_);
    lblRemote_->setObjectName(QStringLiteral("lblRemote"));
    lblRemote_->setAccessibleDescription(QStringLiteral("lblRemote"));
    lblRemote_->setMargin(2);
    w_.statusBar()->addPermanentWidget(lblRemote_);
    lblRemote_->hide();
    connect(server_, &RemoteServer::clientConnected, this, [this] {
        lblRemote_->show();
        w_.notify(QStringLiteral("A remote client connected"));
    });
    connect(server_, &RemoteServer::clientDisconnected, this, [this] {
        lblRemote_->hide();
        w_.notify(QStringLiteral("The remote client disconnected"));
    });
    connect(&w_, &chart1::sweepAcquired, this, [this] {
        if (owed_ && skip_-- <= 0) {
            acquired_ = true;
        }
    });
    connect(&w_, &chart1::tickFinished, this, [this] {
        if (owed_ && acquired_) {
            sweepDrawn();
        } else if (owed_ && (w_.fields.Running == 0.0f || w_.ui.chkHold->isChecked())) {
            sweepAbandoned();  // RUN stopped, the line was lost, or Hold came back
        }
    });
}

RemoteWindow::~RemoteWindow() = default;

void RemoteWindow::start() {
    const Settings& s = w_.settings_;
    if (s.RemotePort == 0) {
        return;
    }
    const QString address = QString::fromStdString(s.RemoteAddress);
    if (!server_->listen(address, static_cast<quint16>(s.RemotePort))) {
        w_.notify(QStringLiteral("Remote control is off: %1").arg(server_->errorString()));
        return;
    }
    w_.notify(QStringLiteral("Remote control on %1 port %2")
                  .arg(server_->serverAddress().toString())
                  .arg(server_->serverPort()));
}

void RemoteWindow::sweepDrawn() {
    owed_ = acquired_ = false;
    if (holdAfter_) {
        holdAfter_ = false;
        w_.ui.chkHold->setChecked(true);
    }
    server_->operationComplete(true);
}

void RemoteWindow::sweepAbandoned() {
    owed_ = acquired_ = holdAfter_ = false;  // Hold, if the user set it, stays
    server_->operationComplete(false);
}

RemoteIdentity RemoteWindow::identity() const {
    return {"two-port VNA", "",
            std::to_string(Version::Major) + "." + std::to_string(Version::Minor) + "." +
                std::to_string(Version::Revision)};
}

void RemoteWindow::reset() {
    w_.ui.chkHold->setChecked(true);
    w_.ui.toolbarButtons[0]->trigger();
    w_.ui.txtStart->setText(QStringLiteral("1"));
    w_.ui.txtStop->setText(QStringLiteral("180"));
}

double RemoteWindow::startHz() const {
    return BoxHz(w_.ui.txtStart);
}

double RemoteWindow::stopHz() const {
    return BoxHz(w_.ui.txtStop);
}

int RemoteWindow::setRange(double startHz, double stopHz) {
    if (!(startHz > 0.0) || !(stopHz > startHz) || stopHz > kHighestHz) {
        return kOutOfRange;
    }
    // Held, the boxes are locked: as a user would, Hold off, the range, Hold on.
    const bool held = w_.ui.chkHold->isChecked();
    if (held) {
        w_.ui.chkHold->setChecked(false);
    }
    w_.ui.txtStart->setText(MHzText(startHz));
    w_.ui.txtStop->setText(MHzText(stopHz));
    if (held) {
        w_.ui.chkHold->setChecked(true);
    }
    return kOk;
}

int RemoteWindow::points() const {
    return w_.settings_.Champ;
}

int RemoteWindow::setPoints(int points) {
    if (points < 1 || points > 32767) {
        return kOutOfRange;
    }
    if (w_.fields.Running != 0.0f) {
        return kSettingsConflict;  // the sweeps on their way have the old count
    }
    w_.settings_.Champ = points;
    return kOk;
}

RemoteMode RemoteWindow::mode() const {
    if (w_.fields.TransmissionMode != 0.0f) {
        return RemoteMode::Transmission;
    }
    if (!w_.ui.fraCableLoss->isHidden()) {
        return RemoteMode::CableLoss;
    }
    if (!w_.ui.fraCableLength->isHidden()) {
        return RemoteMode::CableLength;
    }
    return RemoteMode::Antenna;
}

int RemoteWindow::setMode(RemoteMode mode) {
    w_.ui.toolbarButtons[static_cast<std::size_t>(mode)]->trigger();
    return kOk;
}

int RemoteWindow::startSweep() {
    if (w_.fields.Running == 0.0f) {
        w_.cmdRUN_Click();
        if (w_.fields.Running == 0.0f) {
            return kHardware;  // the port cannot be opened; the window says why
        }
    }
    // A sweep already on the wire was asked for before the command.
    skip_ = w_.tickWait() == chart1::TickWait::Sweep ? 1 : 0;
    acquired_ = false;
    if (w_.ui.chkHold->isChecked()) {
        holdAfter_ = true;
        w_.ui.chkHold->setChecked(false);
    }
    owed_ = true;
    return kOk;
}

bool RemoteWindow::continuous() const {
    return w_.fields.Running != 0.0f && !w_.ui.chkHold->isChecked();
}

int RemoteWindow::setContinuous(bool on) {
    if (on && w_.fields.Running == 0.0f) {
        w_.cmdRUN_Click();
        if (w_.fields.Running == 0.0f) {
            return kHardware;
        }
    }
    holdAfter_ = false;
    w_.ui.chkHold->setChecked(!on);
    return kOk;
}

const LimitTraceValues& RemoteWindow::values() const {
    LimitTraceValuesOf(w_.sweepExportInput(), values_);
    return values_;
}

std::vector<double> RemoteWindow::frequencies() const {
    return values().frequencyHz;
}

std::vector<double> RemoteWindow::trace(TraceKind kind) const {
    return values().values[static_cast<std::size_t>(kind)];
}

double RemoteWindow::markerHz(int marker) const {
    if (marker == 1 || marker == 2) {
        return w_.markerControls().frequencyOf(marker);
    }
    const float W = w_.ui.picGraph1->ScaleWidth();
    const std::int32_t index = MarkerIndex(w_.ui.linM3->X1(), W, w_.points(), w_.settings_.Step);
    return static_cast<double>(w_.settings_.FMin) + index * w_.freqStep();
}

int RemoteWindow::setMarkerHz(int marker, double hz) {
    if (marker != 1 && marker != 2) {
        return kSettingsConflict;  // marker 3 follows the best match
    }
    return w_.markerControls().placeAtFrequency(marker, hz) ? kOk : kOutOfRange;
}

double RemoteWindow::markerValue(int marker, TraceKind kind) const {
    const LimitTraceValues& v = values();
    const std::vector<double>& f = v.frequencyHz;
    if (f.empty()) {
        return 0.0;
    }
    // The point the marker stands on: its frequency is one of the sweep's.
    const double hz = markerHz(marker);
    const auto at = std::lower_bound(f.begin(), f.end(), hz - w_.freqStep() / 2.0) - f.begin();
    const auto k = static_cast<std::size_t>(std::min<std::ptrdiff_t>(at, f.size() - 1));
    return v.values[static_cast<std::size_t>(kind)][k];
}

int RemoteWindow::markerToMinimum() {
    w_.ui.chkMinSWR->setChecked(true);
    return kOk;
}

int RemoteWindow::store(const std::string& path) {
    const QString file = QString::fromStdString(path);  // inside the saves folder, checked
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QString suffix = QFileInfo(file).suffix().toLower();
    bool ok = false;
    if (suffix == QLatin1String("vec")) {
        ok = w_.SaveVecFile(file);
    } else if (suffix == QLatin1String("csv")) {
        ok = w_.ExportCsvFile(file);
    } else if (suffix == QLatin1String("s1p")) {
        ok = w_.ExportTouchstoneFile(file);
    } else if (suffix == QLatin1String("png")) {
        const QString error = WritePictureFile(
            file,
            PictureBytes(WindowPicture(w_, QDateTime::currentDateTime()), PictureFormat::Png));
        ok = error.isEmpty();
        if (!ok) {
            w_.notify(error);
        }
    }
    return ok ? kOk : kMassStorage;
}

std::optional<bool> RemoteWindow::limitsFail() const {
    const auto& verdict = w_.limitsControl().verdict();
    if (!verdict) {
        return std::nullopt;
    }
    return !verdict->pass;
}
