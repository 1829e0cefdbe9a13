#include "files/sweep_export.h"

#include <cmath>

#include "files/csv_file.h"

std::optional<QString> SweepExportRefusal(const SweepExportInput& input) {
    const std::int32_t Champ = input.Champ;
    if (Champ < 1) {
        return QStringLiteral("the sweep has no points (Champ is %1)").arg(Champ);
    }
    const auto needed = static_cast<std::size_t>(Champ) + 1;
    if (input.MagnitudeSamples.size() < needed || input.PhaseSamples.size() < needed ||
        (!input.LossErrors.empty() && input.LossErrors.size() < needed)) {
        return QStringLiteral("the sweep holds fewer than %1 points").arg(Champ);
    }
    if (!std::isfinite(input.FMin) || !std::isfinite(input.FMax)) {
        return QStringLiteral("the sweep limits are not finite numbers");
    }
    if (!std::isfinite(input.CalOffsetDb) || !std::isfinite(input.LossOffset)) {
        return QStringLiteral("the loss offsets are not finite numbers");
    }
    return std::nullopt;
}

double SweepPointHz(const SweepExportInput& input, std::int32_t i) {
    const double step =
        (static_cast<double>(input.FMax) - static_cast<double>(input.FMin)) / input.Champ;
    return static_cast<double>(input.FMin) + i * step;
}

SweepLoss::SweepLoss(const SweepExportInput& input, double calibrationDb)
    : input_(input),
      calibration_(calibrationDb),
      calOffsetDb_(DecimalValueOf(input.CalOffsetDb)),
      offsets_(calOffsetDb_ + input.LossOffset) {}
