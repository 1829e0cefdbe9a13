#include "window/reactance_sign_control.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "instrument/protocol.h"
#include "measure/graph_mapping.h"
#include "measure/line_widget.h"
#include "measure/trace_geometry.h"
#include "timedomain/sweep_input.h"

ReactanceSignControl::ReactanceSignControl(const Parts& parts, QObject* parent)
    : QObject(parent), w_(parts) {
    mnuSignOfX_ = w_.viewMenu.addAction(QStringLiteral("Sign of &X: by causality"));
    mnuSignOfX_->setObjectName(QStringLiteral("mnuSignOfX"));
    mnuSignOfX_->setCheckable(true);
    connect(mnuSignOfX_, &QAction::toggled, this, [this](bool checked) {
        if (!checked) {
            signs_.clear();
            forgetWideSweep();
            zero_->hide();
            said_.clear();
        }
        emit toggled();
    });
    zero_ = new LineWidget(QStringLiteral("linXsZero"), LineStyle::Dash, w_.xsColour(), &w_.graph);
    zero_->setAccessibleDescription(QStringLiteral("linXsZero"));
    zero_->setX1(0.0f);
    zero_->setX2(static_cast<float>(GraphSpace::Width));
    zero_->hide();
}

bool ReactanceSignControl::on() const {
    return mnuSignOfX_->isChecked();
}

void ReactanceSignControl::update(OhmScale ohm, float graphHeight) {
    signs_.clear();
    if (!on()) {
        return;
    }
    const SweepExportInput in = w_.sweep();
    QString say;
    if (in.TransmissionMode != 0.0f) {
        say = QStringLiteral("Sign of X: for reflection only");
    } else {
        const TimeDomainSweep sweep = TimeDomainSweepFrom(in);
        const WideKey key{in.FMin, in.FMax, in.TransmissionMode};
        const bool useWide = wide_ && wide_->key == key && NeedsWideSweep(in.FMin, in.FMax);
        ReactanceSigns r;
        if (useWide) {
            SweepExportInput wide = in;
            wide.MagnitudeSamples = wide_->magnitude;
            wide.PhaseSamples = wide_->phase;
            wide.Champ = plan_.Champ;
            wide.FMin = plan_.FMin;
            wide.FMax = plan_.FMax;
            wide.LossErrors = wide_->errors.Error;
            r = finder_.signs(sweep, TimeDomainSweepFrom(wide));
        } else {
            r = finder_.signs(sweep);
        }
        if (!r.error.empty()) {
            say = QStringLiteral("Sign of X: ") + QString::fromStdString(r.error);
        } else {
            // Buffer index i is point i - 1 of the sweep; index 0 takes the first.
            signs_.resize(r.Signs.size() + 1);
            for (std::size_t i = 0; i < signs_.size(); ++i) {
                signs_[i] = static_cast<std::int8_t>(r.Signs[i == 0 ? 0 : i - 1]);
            }
            const bool none = std::all_of(r.Signs.begin(), r.Signs.end(), [](ReactanceSign s) {
                return s == ReactanceSign::Unknown;
            });
            say = none && !useWide
                      ? QStringLiteral(
                            "Sign of X: unknown (?): a range far from DC cannot show causality; "
                            "sweep the load from 1 MHz")
                      : QString();
        }
    }
    const float y = SignedXsZeroY(ohm, graphHeight);
    zero_->setBorderColour(w_.xsColour());
    zero_->setY1(y);
    zero_->setY2(y);
    zero_->setVisible(!signs_.empty());
    if (say != said_ && !say.isEmpty()) {
        w_.notify(say);
    }
    said_ = say;
}

ReactanceSign ReactanceSignControl::signAt(std::int32_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= signs_.size()) {
        return ReactanceSign::Unknown;
    }
    return static_cast<ReactanceSign>(signs_[static_cast<std::size_t>(index)]);
}

std::optional<WideSweepPlan> ReactanceSignControl::wideSweepDue(float FMin, float FMax,
                                                                float TransmissionMode) {
    const WideKey key{FMin, FMax, TransmissionMode};
    if (!on() || TransmissionMode != 0.0f || !NeedsWideSweep(FMin, FMax) ||
        (wide_ && wide_->key == key)) {
        due_.reset();
        return std::nullopt;
    }
    due_ = key;
    w_.notify(QStringLiteral(
        "Sign of X: a quick sweep from 1 to 180 MHz first: this range is too narrow to show "
        "causality by itself"));
    return plan_;
}

void ReactanceSignControl::wideSweepTaken(const QByteArray& reply) {
    if (!due_) {
        return;
    }
    WideSweep wide{*due_,
                   std::vector<float>(static_cast<std::size_t>(plan_.Champ) + 1),
                   std::vector<float>(static_cast<std::size_t>(plan_.Champ) + 1),
                   {}};
    due_.reset();
    if (!DecodeSweepReply(reinterpret_cast<const std::uint8_t*>(reply.constData()),
                          static_cast<std::size_t>(reply.size()), wide.phase.data(),
                          wide.magnitude.data(), plan_.Champ)) {
        return;
    }
    wide.errors = w_.wideLossErrors(plan_);
    wide_ = std::move(wide);
}

void ReactanceSignControl::forgetWideSweep() {
    due_.reset();
    wide_.reset();
}
