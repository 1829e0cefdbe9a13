#include "window/picture_menu.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>

#include "window/chart1.h"
#include "window/calibrate_controller.h"
#include "display/vb_colour.h"
#include "files/file_names.h"
#include "files/picture_compose.h"
#include "files/vec_file.h"
#include "measure/graph_widget.h"
#include "window/graph_view.h"

namespace {

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

QColor TextColour(const QWidget* w) {
    return w->palette().color(w->foregroundRole());
}

// The caption block from the window's own widgets.
CaptionBlock CaptionBlockOf(chart1& w, const QDateTime& when) {
    const Chart1Widgets& ui = w.ui;
    const QWidget* form = w.centralWidget();
    // A readout of a trace switched off keeps its text in the colour of its
    // background: the window does not show it, nor does the picture.
    const auto shown = [form](const QWidget* x) {
        return x && x->isVisibleTo(form) &&
               (!qobject_cast<const QLineEdit*>(x) || ForeColour(x) != BackColour(x));
    };
    const auto shownText = [&](const QWidget* x) { return shown(x) ? TextOf(x) : QString(); };

    // The mode's button, by what the window shows for it.
    std::size_t mode = 0;
    if (w.fields.TransmissionMode != 0.0f) {
        mode = 3;
    } else if (shown(ui.fraCableLoss)) {
        mode = 1;
    } else if (shown(ui.fraCableLength)) {
        mode = 2;
    }
    CaptionBlock block;
    block.when = when;
    block.FMin = w.settings().FMin;
    block.FMax = w.settings().FMax;
    block.pointsCaption = ui.lblPointsCaption->text();
    block.points = ui.lblPoints->text();
    block.mode = ui.toolbarButtons[mode]->text();
    // A normalised or averaged sweep is not the sweep as measured: the
    // picture says so as the window's INFO frame does.
    block.marks = {shownText(w.calibrate().lblNorm), shownText(ui.lblAverage)};
    block.fileName = shownText(ui.txtFileName);

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
        CaptionRow& out = block.rows.emplace_back();
        out.title = row.title;
        for (const Cell& cell : row.cells) {
            if (shown(cell.value)) {
                out.cells.push_back(
                    {shownText(cell.before), shownText(cell.value), shownText(cell.after)});
            }
        }
    }
    return block;
}

}  // namespace

QStringList PictureCaptionLines(chart1& w, const QDateTime& when) {
    return CaptionBlockLines(CaptionBlockOf(w, when));
}

PictureContent WindowPicture(chart1& w, const QDateTime& when) {
    const Chart1Widgets& ui = w.ui;
    const QWidget* form = w.centralWidget();
    PictureParts parts;
    parts.graph = ui.picGraph1->scene(true);
    parts.graphSize = ui.picGraph1->size();
    parts.textScale = ui.textScale;
    parts.ohm = w.graphView().scales().Ohm;
    // The captions lie where the caption rules put them, as the window's
    // layout puts its labels; what they say and in which colour is the window's.
    const QLabel* const scales[kScaleCaptions] = {
        ui.lblRL_SWR, ui.lblTL_SWR, ui.lbl0db,    ui.lbl10dB,   ui.lbl20dB,   ui.lbl30dB,
        ui.lbl0ohm,   ui.lbl75ohm,  ui.lbl150ohm, ui.lbl225ohm, ui.lbl300ohm, ui.lbl50ohm};
    GraphCaptionLook& look = parts.captions;
    for (std::size_t i = 0; i < kScaleCaptions; ++i) {
        look.scaleTexts[i] = scales[i]->text();
        look.scaleColours[i] = TextColour(scales[i]);
        look.scaleShown[i] = scales[i]->isVisibleTo(form);
    }
    for (std::size_t k = 0; k < kFrequencyAxisLabels; ++k) {
        const QLabel* label = ui.lblFreqAxis[k];
        look.axisTexts[k] = label->isVisibleTo(form) ? label->text() : QString();
        look.axisColours[k] = TextColour(label);
    }
    look.font = form->font();
    parts.block = CaptionBlockOf(w, when);
    parts.font = form->font();
    parts.background = form->palette().color(QPalette::Window);
    parts.text = form->palette().color(QPalette::WindowText);
    return ComposePicture(std::move(parts));
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
