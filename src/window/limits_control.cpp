#include "window/limits_control.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "common/decimal_text.h"
#include "display/menu_bar_order.h"
#include "display/vb_colour.h"
#include "measure/graph_widget.h"
#include "settings/settings.h"
#include "window/settings_dialog.h"

namespace {

// Far beyond any limits file a person writes; a larger file is not one.
constexpr qint64 kMostLimitsBytes = 1024 * 1024;

constexpr std::uint32_t kFailingColour = 0x0000FF;  // red
constexpr int kFailingWidth = 3;
constexpr std::uint32_t kPassBack = 0x00C000;  // green
constexpr std::uint32_t kFailBack = 0x0000FF;
constexpr std::uint32_t kNotCheckedBack = 0x808080;  // grey

struct Loaded {
    std::optional<LimitSet> limits;
    QString error;
};

Loaded ReadLimitsFile(const QString& path) {
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (QFileInfo(path).isDir()) {
        return {std::nullopt,
                QStringLiteral("Cannot load the limits %1: it is a folder").arg(path)};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return {std::nullopt,
                QStringLiteral("Cannot load the limits %1: %2").arg(path, file.errorString())};
    }
    if (file.size() > kMostLimitsBytes) {
        return {std::nullopt,
                QStringLiteral("Cannot load the limits %1: it is larger than 1 MiB").arg(path)};
    }
    const QByteArray bytes = file.read(kMostLimitsBytes + 1);
    LimitParse parsed = ParseLimits(bytes);
    if (!parsed.limits) {
        return {std::nullopt,
                QStringLiteral("Cannot load the limits %1: %2").arg(name, parsed.error)};
    }
    return {std::move(parsed.limits), {}};
}

QString Number(double v) {
    return QString::number(v, 'g', 6);
}

}  // namespace

LimitsControl::LimitsControl(const Parts& parts, QObject* parent) : QObject(parent), w_(parts) {
    menu_ = new QMenu(QStringLiteral("&Limits"), &w_.window);
    NameMenu(menu_, "mnuLimits");
    mnuLimitsLoad_ = menu_->addAction(QStringLiteral("&Load Limits\u2026"));
    mnuLimitsLoad_->setObjectName(QStringLiteral("mnuLimitsLoad"));
    connect(mnuLimitsLoad_, &QAction::triggered, this, &LimitsControl::mnuLimitsLoad_Click);
    mnuLimitsClear_ = menu_->addAction(QStringLiteral("&Clear Limits"));
    mnuLimitsClear_->setObjectName(QStringLiteral("mnuLimitsClear"));
    mnuLimitsClear_->setEnabled(false);
    connect(mnuLimitsClear_, &QAction::triggered, this, [this] {
        clear();
        w_.settingsFile.rememberLimitsFile({});
    });
    menu_->addSeparator();
    mnuLimitsBeep_ = menu_->addAction(QStringLiteral("&Beep on FAIL"));
    mnuLimitsBeep_->setObjectName(QStringLiteral("mnuLimitsBeep"));
    mnuLimitsBeep_->setCheckable(true);
    mnuLimitsBeep_->setChecked(w_.settings.LimitsBeep);
    connect(mnuLimitsBeep_, &QAction::triggered, this,
            [this](bool on) { w_.settingsFile.rememberLimitsBeep(on); });
    InsertInMenuBarOrder(w_.window.menuBar(), menu_);

    lblLimits_ = new QLabel(&w_.window);
    lblLimits_->setObjectName(QStringLiteral("lblLimits"));
    lblLimits_->setAccessibleDescription(QStringLiteral("lblLimits"));
    lblLimits_->setAlignment(Qt::AlignCenter);
    lblLimits_->setMargin(2);
    lblLimits_->setAutoFillBackground(true);
    w_.window.statusBar()->addPermanentWidget(lblLimits_);
    lblLimits_->hide();
}

void LimitsControl::loadRemembered() {
    const QString path = QString::fromStdString(w_.settings.LimitsFile);
    if (path.isEmpty()) {
        return;
    }
    Loaded read = ReadLimitsFile(path);
    if (!read.limits) {
        w_.notify(read.error);
        return;
    }
    limits_ = std::move(read.limits);
    path_ = path;
    mnuLimitsClear_->setEnabled(true);
    update();
}

bool LimitsControl::load(const QString& path) {
    Loaded read = ReadLimitsFile(path);
    if (!read.limits) {
        w_.warn(read.error);
        return false;
    }
    limits_ = std::move(read.limits);
    path_ = path;
    lastPass_.reset();
    mnuLimitsClear_->setEnabled(true);
    w_.notify(QStringLiteral("Limits loaded from %1: %2 segments")
                  .arg(QFileInfo(path).fileName())
                  .arg(limits_->segments.size()));
    update();
    return true;
}

void LimitsControl::mnuLimitsLoad_Click() {
    const QString path = w_.chooseFile(FileDialog::Open, QStringLiteral("Limits (*.limits)"));
    if (!path.isEmpty() && load(path)) {
        w_.settingsFile.rememberLimitsFile(path);
    }
}

void LimitsControl::clear() {
    limits_.reset();
    verdict_.reset();
    lastPass_.reset();
    refused_.clear();
    path_.clear();
    mnuLimitsClear_->setEnabled(false);
    w_.graph.setStrokes({});
    lblLimits_->hide();
}

void LimitsControl::update() {
    if (!limits_) {
        return;
    }
    const SweepExportInput in = w_.sweep();
    // Limits on a trace the mode does not show (SWR in Transmission) check nothing.
    if (const auto why = LimitsModeRefusal(*limits_, in.TransmissionMode != 0.0f)) {
        verdict_.reset();
        lastPass_.reset();
        w_.graph.setStrokes({});
        if (*why != refused_) {
            w_.notify(QStringLiteral("Limits not checked in this mode: ") + *why);
        }
        refused_ = *why;
        showIndicator(QStringLiteral("NOT CHECKED"), kNotCheckedBack,
                      QStringLiteral("Limits not checked in this mode: ") + *why);
        return;
    }
    refused_.clear();
    LimitTraceValuesOf(in, values_);
    verdict_ = EvaluateLimits(*limits_, values_);
    std::vector<GraphStroke> strokes;
    for (const LimitLine& line : LimitLines(*limits_, *verdict_, values_, w_.geometry())) {
        if (!w_.traceShown(line.trace)) {
            continue;
        }
        strokes.push_back({line.x1, line.y1, line.x2, line.y2,
                           line.failing ? LineStyle::Solid : LineStyle::Dash,
                           line.failing ? kFailingColour : w_.traceColour(line.trace),
                           line.failing ? kFailingWidth : 1});
    }
    w_.graph.setStrokes(std::move(strokes));
    showVerdict();
}

void LimitsControl::showVerdict() {
    const bool pass = verdict_->pass;
    if (lastPass_ && *lastPass_ && !pass) {
        if (mnuLimitsBeep_->isChecked()) {
            w_.beep();
        }
        emit turnedToFail();
    }
    lastPass_ = pass;
    QStringList lines{QFileInfo(path_).fileName()};
    for (std::size_t k = 0; k < verdict_->segments.size() && k < limits_->segments.size(); ++k) {
        const SegmentVerdict& v = verdict_->segments[k];
        const LimitSegment& s = limits_->segments[k];
        QString line =
            QStringLiteral("line %1: %2 %3: ")
                .arg(s.line)
                .arg(QLatin1String(LimitTraceName(s.trace)),
                     s.kind == LimitKind::Max ? QStringLiteral("max") : QStringLiteral("min"));
        if (!v.worst) {
            line += QStringLiteral("no point in range");
        } else {
            line += QStringLiteral("%1, worst %2 at %3 MHz (margin %4)")
                        .arg(v.pass ? QStringLiteral("pass")
                                    : QStringLiteral("FAIL at %1 points").arg(v.failedPoints),
                             Number(v.worstValue),
                             QString::fromStdString(HzAsMHzText(v.worstFrequencyHz)),
                             Number(v.worstMargin));
        }
        lines << line;
    }
    showIndicator(pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"),
                  pass ? kPassBack : kFailBack, lines.join(QLatin1Char('\n')));
}

void LimitsControl::showIndicator(const QString& text, std::uint32_t back, const QString& tip) {
    if (lblLimits_->text() != text) {
        lblLimits_->setText(text);
        lblLimits_->setAccessibleName(QStringLiteral("Limits: ") + text);
        QPalette palette = lblLimits_->palette();
        palette.setColor(QPalette::Window, VbColour(back));
        palette.setColor(QPalette::WindowText, Qt::white);
        lblLimits_->setPalette(palette);
    }
    if (lblLimits_->toolTip() != tip) {
        lblLimits_->setToolTip(tip);
    }
    lblLimits_->show();
}
