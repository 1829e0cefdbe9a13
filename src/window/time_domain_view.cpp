#include "window/time_domain_view.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <cmath>

#include "files/vec_file.h"
#include "settings/settings.h"
#include "timedomain/sweep_input.h"
#include "timedomain/time_domain_graph.h"
#include "timedomain/velocity_factors.h"
#include "window/settings_dialog.h"
#include "window/view_window.h"

namespace {

QLabel* Caption(const QString& text, const char* name, QWidget* buddy, QWidget* parent) {
    auto* label = Named(new QLabel(text, parent), name);
    label->setBuddy(buddy);
    return label;
}

QString Vf(double factor) {
    return QString::number(factor, 'g', 3);
}

constexpr TimeWindow kWindows[] = {TimeWindow::Kaiser, TimeWindow::Hann, TimeWindow::Rectangular};

}  // namespace

TimeDomainView::TimeDomainView(const Parts& parts, QObject* parent) : QObject(parent), w_(parts) {
    w_.view.viewMenu.addSeparator();
    mnuTimeDomain_ = AddViewItem(w_.view.viewMenu, QStringLiteral("Time &domain\u2026"), "mnuTimeDomain",
                                 QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(mnuTimeDomain_, &QAction::triggered, this, &TimeDomainView::show);
    build();
}

void TimeDomainView::build() {
    view_ = NewViewWindow(w_.view.window, "frmTimeDomain", QStringLiteral("Time domain"));
    auto* grid = new QGridLayout(view_);

    trace_ = Named(new QComboBox(view_), "cboTdTrace");
    for (const auto t :
         {TimeDomainTrace::Impulse, TimeDomainTrace::Step, TimeDomainTrace::Impedance}) {
        trace_->addItem(TimeDomainTraceName(t), static_cast<int>(t));
    }
    cable_ = Named(new QComboBox(view_), "cboTdCable");
    cable_->addItem(QStringLiteral("From the settings (VF %1)")
                        .arg(Vf(DefaultTimeDomainOptions(w_.settings).VelocityFactor)),
                    DefaultTimeDomainOptions(w_.settings).VelocityFactor);
    for (const CableVelocity& c : CommonCableVelocities) {
        cable_->addItem(QStringLiteral("%1 (VF %2)")
                            .arg(QString::fromUtf8(c.Name.data(), static_cast<int>(c.Name.size())),
                                 Vf(c.Factor)),
                        c.Factor);
    }
    cable_->addItem(QStringLiteral("Other"));
    velocity_ = Named(new QDoubleSpinBox(view_), "spnTdVelocity");
    velocity_->setRange(0.05, 1.0);
    velocity_->setDecimals(3);
    velocity_->setSingleStep(0.01);
    velocity_->setValue(cable_->itemData(0).toDouble());
    velocity_->setAccessibleName(QStringLiteral("Velocity factor"));
    timeWindow_ = Named(new QComboBox(view_), "cboTdWindow");
    for (const TimeWindow t : kWindows) {
        QString name = QString::fromUtf8(TimeWindowName(t).data());
        name[0] = name[0].toUpper();
        timeWindow_->addItem(name, static_cast<int>(t));
    }
    span_ = Named(new QDoubleSpinBox(view_), "spnTdSpan");
    span_->setRange(0.0, 100000.0);
    span_->setDecimals(1);
    span_->setSpecialValueText(QStringLiteral("Auto"));
    span_->setAccessibleName(QStringLiteral("Distance shown"));
    unit_ = Named(new QComboBox(view_), "cboTdUnit");
    unit_->addItems({QStringLiteral("Metres"), QStringLiteral("Feet")});
    unit_->setCurrentIndex(w_.settings.DistanceInFeet ? 1 : 0);
    span_->setSuffix(unit_->currentIndex() == 1 ? QStringLiteral(" ft") : QStringLiteral(" m"));
    save_ =
        Named(new QPushButton(QStringLiteral("Save P&icture\u2026"), view_), "cmdTdSavePicture");

    graph_ = Named(new TimeDomainGraph(view_), "picTdGraph");
    graph_->setAccessibleName(QStringLiteral("Time domain graph"));
    peaks_ = Named(new QTableWidget(0, 2, view_), "tblTdPeaks");
    peaks_->setHorizontalHeaderLabels({QStringLiteral("Distance"), QStringLiteral("Reflection")});
    peaks_->verticalHeader()->hide();
    peaks_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    peaks_->setSelectionBehavior(QAbstractItemView::SelectRows);
    peaks_->setSelectionMode(QAbstractItemView::SingleSelection);
    peaks_->horizontalHeader()->setStretchLastSection(true);
    peaks_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    peaks_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    peaks_->setMinimumWidth(
        QFontMetrics(peaks_->font()).horizontalAdvance(QStringLiteral("00000.00 ft  +0.000  ")) +
        peaks_->verticalScrollBar()->sizeHint().width() + 8);
    peaks_->setMaximumWidth(peaks_->minimumWidth() * 3 / 2);
    marker_ = Named(new QLabel(view_), "lblTdMarker");
    info_ = Named(new QLabel(view_), "lblTdInfo");
    info_->setWordWrap(true);

    // Two rows of choices over the graph, the peak list beside both.
    int row = 0, col = 0;
    const auto control = [&](const QString& text, const char* name, QWidget* field) {
        grid->addWidget(Caption(text, name, field, view_), row, col++, Qt::AlignRight);
        grid->addWidget(field, row, col++);
    };
    control(QStringLiteral("&Show"), "lblTdTrace", trace_);
    control(QStringLiteral("&Cable"), "lblTdCable", cable_);
    control(QStringLiteral("&VF"), "lblTdVelocity", velocity_);
    row = 1;
    col = 0;
    control(QStringLiteral("&Window"), "lblTdWindow", timeWindow_);
    control(QStringLiteral("S&pan"), "lblTdSpan", span_);
    control(QStringLiteral("&Units"), "lblTdUnit", unit_);
    grid->addWidget(save_, 1, col);
    constexpr int kLast = 7;  // the stretching column before the peak list
    grid->setColumnStretch(kLast, 1);
    grid->addWidget(graph_, 2, 0, 1, kLast + 1);
    grid->addWidget(Caption(QStringLiteral("Pea&ks"), "lblTdPeaks", peaks_, view_), 0, kLast + 1);
    grid->addWidget(peaks_, 1, kLast + 1, 2, 1);
    grid->addWidget(marker_, 3, 0, 1, kLast + 2);
    grid->addWidget(info_, 4, 0, 1, kLast + 2);
    grid->setRowStretch(2, 1);
    view_->resize(900, 520);

    const auto recompute = [this] { refresh(); };
    const auto redraw = [this] { showResponse(); };
    connect(trace_, &QComboBox::currentIndexChanged, this, redraw);
    connect(cable_, &QComboBox::activated, this, &TimeDomainView::chooseCable);
    connect(velocity_, &QDoubleSpinBox::valueChanged, this, [this, recompute] {
        // A factor typed in is "Other" unless it is the cable's chosen.
        const QVariant chosen = cable_->currentData();
        if (!chosen.isValid() || std::abs(chosen.toDouble() - velocity_->value()) > 1e-9) {
            cable_->setCurrentIndex(cable_->count() - 1);
        }
        recompute();
    });
    connect(timeWindow_, &QComboBox::currentIndexChanged, this, recompute);
    connect(span_, &QDoubleSpinBox::valueChanged, this, redraw);
    connect(unit_, &QComboBox::activated, this, &TimeDomainView::chooseUnit);
    connect(save_, &QPushButton::clicked, this, &TimeDomainView::savePicture);
    connect(graph_, &TimeDomainGraph::markerMoved, this, [this](std::size_t bin) {
        markerBin_ = bin;
        showResponse();
    });
    connect(peaks_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (response_ && row >= 0 && static_cast<std::size_t>(row) < response_->Peaks.size()) {
            const double binM = response_->DistanceM[1];
            markerBin_ = static_cast<std::size_t>(
                std::lround(response_->Peaks[static_cast<std::size_t>(row)].DistanceM / binM));
            showResponse();
        }
    });
}

TimeDomainOptions TimeDomainView::options() const {
    TimeDomainOptions o = DefaultTimeDomainOptions(w_.settings);
    o.VelocityFactor = velocity_->value();
    o.Window = static_cast<TimeWindow>(timeWindow_->currentData().toInt());
    return o;
}

void TimeDomainView::show() {
    RaiseViewWindow(*view_);
    refresh();
}

void TimeDomainView::chooseCable(int index) {
    const QVariant factor = cable_->itemData(index);
    if (factor.isValid()) {
        velocity_->setValue(factor.toDouble());
    } else {
        velocity_->setFocus();  // "Other": the factor is typed in
    }
}

void TimeDomainView::chooseUnit(int index) {
    const bool feet = index == 1;
    const double metres = span_->value() * (feet ? 1.0 : MetresPerFoot);
    const QSignalBlocker quiet(span_);
    span_->setSuffix(feet ? QStringLiteral(" ft") : QStringLiteral(" m"));
    span_->setValue(feet ? metres / MetresPerFoot : metres);
    w_.settingsFile.rememberDistanceUnit(feet);
    showResponse();
}

void TimeDomainView::refresh() {
    if (!view_ || !view_->isVisible()) {
        return;
    }
    const SweepExportInput in = w_.view.sweep();
    const TimeDomainSweep sweep = TimeDomainSweepFrom(in);
    const TimeDomainOptions o = options();
    response_.reset();
    delayText_.clear();
    if (in.TransmissionMode != 0.0f) {
        const TransmissionDelayResult d = transform_.transmission(sweep, o);
        if (d.delay) {
            delayText_ =
                QStringLiteral(
                    "Through path: delay %1 ns, electrical length %2 m, "
                    "%3 at VF %4")
                    .arg(d.delay->DelaySeconds * 1e9, 0, 'f', 2)
                    .arg(d.delay->DelaySeconds * TimeDomain::SpeedOfLight, 0, 'f', 2)
                    .arg(TimeDomainDistanceText(d.delay->LengthM,
                                                static_cast<DistanceUnit>(unit_->currentIndex())))
                    .arg(Vf(o.VelocityFactor));
        }
        message_ = d.delay ? delayText_ : QString::fromStdString(d.error);
    } else {
        TimeDomainResult r = transform_.reflection(sweep, o);
        message_ = QString::fromStdString(r.error);
        response_ = std::move(r.response);
    }
    showResponse();
}

TimeDomainScene TimeDomainView::scene() const {
    TimeDomainScene s;
    s.response = response_ ? &*response_ : nullptr;
    s.trace = static_cast<TimeDomainTrace>(trace_->currentData().toInt());
    s.unit = static_cast<DistanceUnit>(unit_->currentIndex());
    s.spanM = span_->value() * (s.unit == DistanceUnit::Feet ? MetresPerFoot : 1.0);
    s.message = message_;
    s.font = graph_->font();
    if (response_ && !response_->DistanceM.empty()) {
        s.marker = std::min(markerBin_, response_->DistanceM.size() - 1);
    }
    return s;
}

void TimeDomainView::showResponse() {
    const TimeDomainScene s = scene();
    graph_->setScene(s);
    if (!response_) {
        peaks_->setRowCount(0);
        marker_->clear();
        info_->setText(message_);
        return;
    }
    const TimeDomainResponse& r = *response_;
    const QSignalBlocker quiet(peaks_);
    peaks_->setRowCount(static_cast<int>(r.Peaks.size()));
    for (std::size_t i = 0; i < r.Peaks.size(); ++i) {
        const int row = static_cast<int>(i);
        const auto cell = [&](int column, const QString& text) {
            QTableWidgetItem* item = peaks_->item(row, column);
            if (!item) {
                peaks_->setItem(row, column, item = new QTableWidgetItem);
            }
            item->setText(text);
        };
        cell(0, TimeDomainDistanceText(r.Peaks[i].DistanceM, s.unit));
        cell(1, QString::asprintf("%+.3f", r.Peaks[i].Reflection));
    }
    marker_->setText(QStringLiteral("Marker: ") + TimeDomainMarkerText(r, *s.marker, s.unit));
    info_->setText(TimeDomainSummary(r, options(), s.unit));
}

void TimeDomainView::savePicture() {
    SaveViewPicture({w_.view.chooseFile, w_.view.notify, w_.view.warn},
                    [this](PictureFormat format, const QString& date) {
                        TimeDomainScene s = scene();
                        s.lines = {date, info_->text()};
                        if (response_) {
                            s.lines << TimeDomainPeaksLine(*response_, s.unit) << marker_->text();
                        }
                        return TimeDomainPictureBytes(s, graph_->size(), format);
                    });
}
