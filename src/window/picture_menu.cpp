#include "window/picture_menu.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>

#include "window/chart1.h"
#include "window/calibrate_controller.h"
#include "common/decimal_text.h"
#include "display/vb_colour.h"
#include "files/file_names.h"
#include "files/vec_file.h"
#include "measure/graph_widget.h"

namespace {

QString Caption(QString text) {
    // Access keys are marks of the window, not of the picture.
    return text.replace(QLatin1String("&&"), QStringLiteral("\x01"))
        .remove(QLatin1Char('&'))
        .replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

QString TextOf(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        return label->text();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
        return edit->text();
    }
    return {};
}

// A readout with the caption before it and the unit after it, as the window
// shows them.
struct Cell {
    const QWidget* before;
    const QWidget* value;
    const QWidget* after = nullptr;
};

struct Row {
    QString title;
    std::vector<Cell> cells;
};

QString MHz(float hz) {
    return QString::fromStdString(ShortestDecimal(static_cast<double>(hz) / 1000000.0));
}

}  // namespace

QStringList PictureCaptionLines(chart1& w, const QDateTime& when) {
    const Chart1Widgets& ui = w.ui;
    const QWidget* form = w.centralWidget();
    // A readout of a trace switched off keeps its text in the colour of its
    // background: the window does not show it, nor does the picture.
    const auto shown = [form](const QWidget* x) {
        return x && x->isVisibleTo(form) &&
               (!qobject_cast<const QLineEdit*>(x) || ForeColour(x) != BackColour(x));
    };

    // The mode's button, by what the window shows for it.
    std::size_t mode = 0;
    if (w.fields.TransmissionMode != 0.0f) {
        mode = 3;
    } else if (shown(ui.fraCableLoss)) {
        mode = 1;
    } else if (shown(ui.fraCableLength)) {
        mode = 2;
    }
    QStringList what = {
        QStringLiteral("%1 to %2 MHz").arg(MHz(w.settings().FMin), MHz(w.settings().FMax)),
        Caption(ui.lblPointsCaption->text()) + QLatin1Char(' ') + ui.lblPoints->text(),
        Caption(ui.toolbarButtons[mode]->text())};
    // A normalised or averaged sweep is not the sweep as measured: the
    // picture says so as the window's INFO frame does.
    const QLabel* const marks[] = {w.calibrate().lblNorm, ui.lblAverage};
    for (const QLabel* mark : marks) {
        if (shown(mark) && !mark->text().isEmpty()) {
            what << mark->text();
        }
    }
    if (shown(ui.txtFileName) && !ui.txtFileName->text().isEmpty()) {
        what << ui.txtFileName->text();
    }
    QStringList lines = {when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                         what.join(QLatin1String("   "))};

    const QLabel* loss = shown(ui.lblMkrTL) ? ui.lblMkrTL : ui.lblMkrRL;
    const auto marker = [&](const QCheckBox* title, const QLabel* freq, const QLineEdit* swr,
                            const QLineEdit* z, const QLineEdit* rl, const QLineEdit* ph,
                            const QLineEdit* rs, const QLineEdit* xs, const QLineEdit* xj) {
        return Row{title->text(),
                   {{ui.lblMkrFreq, freq},
                    {ui.lblMkrSWR, swr},
                    {ui.lblMkrZ, z},
                    {loss, rl},
                    {ui.lblMkrPH, ph},
                    {ui.lblMKrRS, rs},
                    {ui.lblMkrXS, xs},
                    {ui.lblMkrXJ, xj}}};
    };
    const Row rows[] = {
        marker(ui.chkMkr1, ui.lblMkr1Freq, ui.txtMkr1SWR, ui.txtMkr1Z, ui.txtMkr1RL, ui.txtMkr1PH,
               ui.txtMkr1RS, ui.txtMkr1XS, ui.txtMkr1XJ),
        marker(ui.chkMkr2, ui.lblMkr2Freq, ui.txtMkr2SWR, ui.txtMkr2Z, ui.txtMkr2RL, ui.txtMkr2PH,
               ui.txtMkr2RS, ui.txtMkr2XS, ui.txtMkr2XJ),
        marker(ui.chkMinSWR, ui.lblMkr3Freq, ui.txtMkr3SWR, ui.txtMkr3Z, ui.txtMkr3RL, ui.txtMkr3PH,
               ui.txtMkr3RS, ui.txtMkr3XS, nullptr),
        {ui.fraBWandQ->title(), {{ui.lblBandwidth, ui.txtBandwidth}, {ui.lblQ, ui.txtQ}}},
        {ui.fraCableLoss->title(),
         {{ui.lblMinCL, ui.txtMinCL}, {ui.lblAvgCL, ui.txtAvgCL}, {ui.lblMaxCL, ui.txtMaxCL}}},
        {ui.fraCableLength->title(), {{nullptr, ui.txtMeters, ui.lblMeters}}},
    };
    for (const Row& row : rows) {
        QStringList cells;
        for (const Cell& cell : row.cells) {
            if (!shown(cell.value)) {
                continue;
            }
            QStringList parts;
            for (const QWidget* part : {cell.before, cell.value, cell.after}) {
                if (shown(part) && !TextOf(part).isEmpty()) {
                    parts << TextOf(part);
                }
            }
            cells << parts.join(QLatin1Char(' '));
        }
        if (!cells.isEmpty()) {
            lines << Caption(row.title) + QLatin1String(":   ") + cells.join(QLatin1String("   "));
        }
    }
    return lines;
}

PictureContent WindowPicture(chart1& w, const QDateTime& when) {
    const Chart1Widgets& ui = w.ui;
    const QWidget* form = w.centralWidget();
    PictureContent content;
    content.graph = ui.picGraph1->scene(true);
    content.graphSize = ui.picGraph1->size();
    std::vector<const QLabel*> around = {ui.lblRL_SWR, ui.lblTL_SWR, ui.lbl0db,    ui.lbl10dB,
                                         ui.lbl20dB,   ui.lbl30dB,   ui.lbl0ohm,   ui.lbl75ohm,
                                         ui.lbl150ohm, ui.lbl225ohm, ui.lbl300ohm, ui.lbl50ohm};
    around.insert(around.end(), ui.lblFreqAxis.begin(), ui.lblFreqAxis.end());
    for (const QLabel* label : around) {
        if (label->isVisibleTo(form) && !label->text().isEmpty()) {
            content.captions.push_back({label->text(),
                                        label->geometry().translated(-ui.picGraph1->pos()),
                                        label->alignment(), label->font(),
                                        label->palette().color(label->foregroundRole())});
        }
    }
    content.lines = PictureCaptionLines(w, when);
    content.font = form->font();
    content.background = form->palette().color(QPalette::Window);
    content.text = form->palette().color(QPalette::WindowText);
    return content;
}

PictureCommands::PictureCommands(chart1& window) : QObject(&window), w_(window) {
    QMenu* file = w_.ui.mnuFile;
    // Right after the last save item.
    const QList<QAction*> items = file->actions();
    QAction* before = items.value(items.indexOf(w_.ui.mnuSaveTouchstone) + 1, nullptr);
    const auto item = [&](const char* name, const QString& caption, const QKeySequence& keys) {
        auto* a = new QAction(caption, file);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(keys);
        file->insertAction(before, a);
        return a;
    };
    mnuSavePicture = item("mnuSavePicture", QStringLiteral("Save &Picture\u2026"), {});
    mnuCopyPicture = item("mnuCopyPicture", QStringLiteral("&Copy Picture"),
                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    connect(mnuSavePicture, &QAction::triggered, this, &PictureCommands::mnuSavePicture_Click);
    connect(mnuCopyPicture, &QAction::triggered, this, &PictureCommands::mnuCopyPicture_Click);
}

void PictureCommands::mnuSavePicture_Click() {
    w_.ui.chkHold->setChecked(true);
    const QString filter = QStringLiteral("PNG pictures (*.png);;SVG pictures (*.svg)");
    const QString path =
        WithFilterExtension(w_.chooseFile(&w_, chart1::FileDialog::Save, filter, {}), filter);
    if (path.isEmpty()) {
        return;
    }
    const QString error = WritePictureFile(
        path, PictureBytes(WindowPicture(w_, QDateTime::currentDateTime()), PictureFormatOf(path)));
    if (!error.isEmpty()) {
        w_.warn(error);
    } else {
        w_.notify(QStringLiteral("Saved %1").arg(path));
    }
}

void PictureCommands::mnuCopyPicture_Click() {
    QApplication::clipboard()->setImage(
        PictureImage(WindowPicture(w_, QDateTime::currentDateTime())));
    w_.notify(QStringLiteral("Picture copied"));
}
