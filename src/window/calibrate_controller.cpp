#include "window/calibrate_controller.h"

#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include <functional>

#include "calibrate/norm_file.h"
#include "common/decimal_text.h"
#include "common/sweep_buffers.h"
#include "common/window_fields.h"
#include "files/vec_file.h"
#include "settings/settings.h"

namespace {

const QString kNormFilter = QStringLiteral("Normalisation files (*.norm)");

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

CalibrateController::CalibrateController(const Parts& parts) : w_(parts) {
    buildMenu();

    // The mark takes a line of its own in the INFO frame, which grows by that
    // line only while the mark shows.
    lblNorm = new QLabel(&w_.info);
    lblNorm->setObjectName(QStringLiteral("lblNorm"));
    lblNorm->setAccessibleDescription(lblNorm->objectName());
    lblNorm->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont small = lblNorm->font();
    small.setPixelSize(8);
    lblNorm->setFont(small);
    lblNorm->setVisible(false);
    w_.placeInfoRows(lblNorm);
}

void CalibrateController::buildMenu() {
    QMenuBar* bar = &w_.menuBar;
    // "&Calibrate" comes before "&Port" when there is one, else before "&About".
    QAction* before = &w_.about;
    for (QAction* a : bar->actions()) {
        if (a->text() == QLatin1String("&Port")) {
            before = a;
            break;
        }
    }
    mnuCalibrate = new QMenu(QStringLiteral("&Calibrate"), bar);
    mnuCalibrate->setObjectName(QStringLiteral("mnuCalibrate"));
    mnuCalibrate->setAccessibleDescription(mnuCalibrate->objectName());
    bar->insertMenu(before, mnuCalibrate);

    const struct {
        QAction** action;
        const char* name;
        const char* caption;
        std::function<void()> handler;
        bool separatorAfter;
    } items[] = {
        {&mnuNormOpen, "mnuNormOpen", "Normalise to &open", [this] { normaliseTo(Standard::Open); },
         false},
        {&mnuNormShort, "mnuNormShort", "Normalise to &short",
         [this] { normaliseTo(Standard::Short); }, false},
        {&mnuNormThrough, "mnuNormThrough", "Normalise to &through",
         [this] { normaliseTo(Standard::Through); }, true},
        {&mnuNormClear, "mnuNormClear", "&Clear normalisation", [this] { mnuNormClear_Click(); },
         true},
        {&mnuNormSave, "mnuNormSave", "S&ave normalisation\u2026", [this] { mnuNormSave_Click(); },
         false},
        {&mnuNormLoad, "mnuNormLoad", "&Load normalisation\u2026", [this] { mnuNormLoad_Click(); },
         false},
    };
    for (const auto& item : items) {
        QAction* a = mnuCalibrate->addAction(QString::fromUtf8(item.caption));
        a->setObjectName(QLatin1String(item.name));
        *item.action = a;
        connect(a, &QAction::triggered, this, item.handler);
        if (item.separatorAfter) {
            mnuCalibrate->addSeparator();
        }
    }
}

std::span<const double> CalibrateController::lossErrors() {
    if (normalisation_.empty()) {
        return {};
    }
    const Settings& s = w_.settings;
    const bool transmission = w_.fields.TransmissionMode != 0.0f;
    // One error per point on the graph: a sweep file keeps its own points.
    const std::int32_t points = w_.points();
    const Key key{s.FMin, s.FMax, points, transmission, s.caloffsetrx, s.caloffsettx};
    if (!valid_ || !(key == key_)) {
        key_ = key;
        valid_ = true;
        errors_ = ComputeLossErrors(normalisation_, s.FMin, s.FMax, points,
                                    w_.fields.TransmissionMode, s.caloffsetrx, s.caloffsettx);
        showMark(errors_.Standards);
        w_.notify(QString::fromStdString(OutsideText(errors_)));
    }
    return errors_.Error;
}

std::string CalibrateController::inUseText() {
    return lossErrors().empty() ? std::string() : StandardsText(errors_.Standards);
}

std::string CalibrateController::outsideText() {
    return lossErrors().empty() ? std::string() : OutsideText(errors_);
}

void CalibrateController::use(Normalisation normalisation) {
    normalisation_ = std::move(normalisation);
    changed();
}

void CalibrateController::changed() {
    valid_ = false;
    errors_ = {};
    showMark(InUse(normalisation_, w_.fields.TransmissionMode));
}

void CalibrateController::showMark(const std::vector<Standard>& inUse) {
    const QString names = QString::fromStdString(StandardsText(inUse));
    lblNorm->setText(QString::fromStdString(NormalisedMarkText(inUse)));
    lblNorm->setToolTip(names.isEmpty()
                            ? QString()
                            : QStringLiteral("Normalised to %1: the loss and the SWR, Rs, |Xs| "
                                             "and |Z| from it are corrected point by point; the "
                                             "phase is not changed")
                                  .arg(names));
    lblNorm->setAccessibleName(lblNorm->toolTip());
    lblNorm->setVisible(!names.isEmpty());
    w_.placeInfoRows(lblNorm);
}

void CalibrateController::normaliseTo(Standard standard) {
    const QString name = Text(StandardName(standard));
    if (!AppliesIn(standard, w_.fields.TransmissionMode)) {
        w_.warn(standard == Standard::Through
                    ? QStringLiteral("Normalise to through works in the Transmission mode")
                    : QStringLiteral("Normalise to %1 works in the reflection modes (Antenna, "
                                     "Cable Loss, Cable Length)")
                          .arg(name));
        return;
    }
    const Settings& s = w_.settings;
    Reference r = ReferenceFromSweep(w_.buffers.MagnitudeSamples, w_.points(), s.FMin, s.FMax);
    if (const std::optional<std::string> why = CheckReference(r)) {
        w_.warn(
            QStringLiteral("Cannot normalise to %1: %2").arg(name, QString::fromStdString(*why)));
        return;
    }
    normalisation_[standard] = std::move(r);
    changed();
    w_.notify(QStringLiteral("Normalised to %1 from %2 to %3 MHz: the phase is not changed")
                  .arg(name, QString::fromStdString(HzAsMHzText(s.FMin)),
                       QString::fromStdString(HzAsMHzText(s.FMax))));
}

void CalibrateController::mnuNormClear_Click() {
    normalisation_ = {};
    changed();
    w_.notify(QStringLiteral("Normalisation cleared"));
}

void CalibrateController::mnuNormSave_Click() {
    if (normalisation_.empty()) {
        w_.warn(QStringLiteral("There is no normalisation to save"));
        return;
    }
    QString path = w_.chooseFile(FileDialog::Save, kNormFilter);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".norm");
    }
    QString error;
    if (!WriteFileSafely(path, QByteArray::fromStdString(NormFileText(normalisation_)), &error)) {
        w_.warn(error);
        return;
    }
    w_.notify(QStringLiteral("Saved %1").arg(path));
}

void CalibrateController::mnuNormLoad_Click() {
    const QString path = w_.chooseFile(FileDialog::Open, kNormFilter);
    if (path.isEmpty()) {
        return;
    }
    QByteArray bytes;
    QString error;
    if (!ReadFileLimited(path, MaxNormFileBytes, &bytes, &error)) {
        w_.warn(error);
        return;
    }
    NormReadResult read =
        ReadNormText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!read.normalisation) {
        w_.warn(QStringLiteral("Cannot load %1: %2").arg(path, QString::fromStdString(read.error)));
        return;
    }
    normalisation_ = std::move(*read.normalisation);
    changed();
    w_.notify(QStringLiteral("Loaded the normalisation to %1 from %2: the phase is not changed")
                  .arg(QString::fromStdString(StandardsText(Held(normalisation_))), path));
}
