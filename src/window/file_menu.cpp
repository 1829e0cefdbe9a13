// The File menu: save and open .vec sweeps, export .csv and Touchstone. Each
// command sets Hold first, so the sweep on the graph stops changing. Cancel
// is silent; a real failure says which file and why, and changes nothing.
#include <QDateTime>
#include <QFileDialog>

#include "window/chart1.h"
#include "window/calibrate_controller.h"
#include "common/decimal_text.h"
#include "common/leading_number.h"
#include "files/csv_file.h"
#include "files/file_names.h"
#include "files/touchstone_file.h"
#include "files/vec_file.h"
#include "measure/conversion.h"

void chart1::connectFileHandlers() {
    connect(ui.mnuOpen, &QAction::triggered, this, &chart1::mnuOpen_Click);
    connect(ui.mnuSaveVec, &QAction::triggered, this, &chart1::mnuSaveVec_Click);
    connect(ui.mnuSaveCsv, &QAction::triggered, this, &chart1::mnuSaveCsv_Click);
    connect(ui.mnuSaveTouchstone, &QAction::triggered, this, &chart1::mnuSaveTouchstone_Click);
    chooseFile = [](QWidget* parent, FileDialog kind, const QString& filter,
                    const QString& fileName) {
        QFileDialog dialog(parent, QString(), fileName, filter);
        if (kind == FileDialog::Save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            // The dialog adds it before it asks about replacing a file.
            dialog.setDefaultSuffix(FilterExtension(filter).mid(1));
        } else {
            dialog.setFileMode(QFileDialog::ExistingFile);
        }
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
}

// The dialog of a file command, after Hold is set; cancel gives an empty
// name. A name saved without an extension gets the filter's.
QString chart1::askFileName(FileDialog kind, const QString& filter, const QString& fileName) {
    const QString path = chooseFile(this, kind, filter, fileName);
    return kind == FileDialog::Save ? WithFilterExtension(path, filter) : path;
}

void chart1::keepFileName(const QString& path, bool ok) {
    if (ok) {
        CommonDialog1FileName = path;
    }
}

void chart1::mnuOpen_Click() {
    ui.chkHold->setChecked(true);
    ui.chkBands->setChecked(false);
    const QString path =
        askFileName(FileDialog::Open, QStringLiteral("Zureraru_Files (*.vec);;All files (*)"),
                    OpenDialogStartName(CommonDialog1FileName));
    if (!path.isEmpty()) {
        keepFileName(path, OpenVecFile(path));
    }
}

void chart1::mnuSaveVec_Click() {
    ui.chkHold->setChecked(true);
    const QString path =
        askFileName(FileDialog::Save, QStringLiteral("Analyser files (*.vec)"), {});
    if (!path.isEmpty()) {
        keepFileName(path, SaveVecFile(path));
    }
}

void chart1::mnuSaveCsv_Click() {
    ui.chkHold->setChecked(true);
    const QString path =
        askFileName(FileDialog::Save, QStringLiteral("Analyser files (*.csv)"), {});
    if (!path.isEmpty()) {
        keepFileName(path, ExportCsvFile(path));
    }
}

// Replaces the buffers and the limits only when the whole file is good. A
// file of another number of points than Champ is shown at its own, until a
// sweep is taken again.
bool chart1::OpenVecFile(const QString& path) {
    QByteArray bytes;
    QString error;
    if (!ReadFileLimited(path, VecFileSize(Conversion::CounterLimit), &bytes, &error)) {
        warn(error);
        return false;
    }
    // A size that fits no number of points is refused as a file of Champ points.
    const std::int32_t champ = VecPointsForSize(bytes.size()).value_or(settings_.Champ);
    VecReadResult read = ReadVecBytes(bytes, champ);
    if (!read.data) {
        warn(QStringLiteral("Cannot open %1: %2").arg(path, read.error));
        return false;
    }
    buffers_ = std::move(read.data->buffers);
    showPoints();
    settings_.FMin = read.data->FMin;
    settings_.FMax = read.data->FMax;
    ui.txtStart->setText(
        QString::fromStdString(ShortestDecimal(static_cast<double>(settings_.FMin) / 1000000.0)));
    ui.txtStop->setText(
        QString::fromStdString(ShortestDecimal(static_cast<double>(settings_.FMax) / 1000000.0)));
    emit sweepOpened();
    // The file is drawn through the normalisation held for the live sweeps;
    // the small mark alone is easily missed.
    if (const std::string norm = calibrate_->inUseText(); !norm.empty()) {
        QString note =
            QStringLiteral("Opened %1: shown normalised to %2 (the phase is not changed)")
                .arg(path, QString::fromStdString(norm));
        if (const std::string outside = calibrate_->outsideText(); !outside.empty()) {
            note += QStringLiteral("; ") + QString::fromStdString(outside);
        }
        notify(note);
    }
    return true;
}

bool chart1::SaveVecFile(const QString& path) {
    QString error;
    if (!WriteFileSafely(path, VecFileBytes(buffers_, settings_.FMin, settings_.FMax), &error)) {
        warn(error);
        return false;
    }
    notify(QStringLiteral("Saved %1").arg(path));
    return true;
}

// Touchstone: .s1p (S11) in the reflection modes, .s2p (S21) in Transmission.
void chart1::mnuSaveTouchstone_Click() {
    ui.chkHold->setChecked(true);
    const QString filter =
        QStringLiteral("Touchstone files (*%1)").arg(TouchstoneExtension(fields.TransmissionMode));
    const QString path = askFileName(FileDialog::Save, filter, {});
    if (!path.isEmpty()) {
        keepFileName(path, ExportTouchstoneFile(path));
    }
}

SweepExportInput chart1::sweepExportInput() {
    SweepExportInput in;
    in.MagnitudeSamples = buffers_.MagnitudeSamples;
    in.PhaseSamples = buffers_.PhaseSamples;
    in.Champ = buffers_.champ();
    in.FMin = settings_.FMin;
    in.FMax = settings_.FMax;
    in.TransmissionMode = fields.TransmissionMode;
    in.CalOffsetDb = fields.CalOffsetDb;
    in.LossOffset = LeadingNumber(ui.txtLossOffset->text().toStdString());
    in.LossErrors = calibrate_->lossErrors();
    in.NormalisedTo = calibrate_->inUseText();
    return in;
}

bool chart1::ExportCsvFile(const QString& path) {
    fields.FreqStep = freqStep();
    CsvInput in;
    static_cast<SweepExportInput&>(in) = sweepExportInput();
    in.caloffsetvalue = settings_.caloffsetvalue;
    const CsvResult result = CsvText(in);
    return writeExport(path, result.text, result.error);
}

bool chart1::ExportTouchstoneFile(const QString& path) {
    TouchstoneInput in;
    static_cast<SweepExportInput&>(in) = sweepExportInput();
    in.date = QDateTime::currentDateTime();
    const TouchstoneResult result = TouchstoneText(in);
    return writeExport(path, result.text, result.error);
}

bool chart1::writeExport(const QString& path, const std::optional<QByteArray>& text,
                         const QString& whyNot) {
    if (!text) {
        warn(QStringLiteral("Cannot write %1: %2").arg(path, whyNot));
        return false;
    }
    QString error;
    if (!WriteFileSafely(path, *text, &error)) {
        warn(error);
        return false;
    }
    notify(QStringLiteral("Saved %1").arg(path));
    return true;
}
