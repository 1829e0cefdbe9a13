#include "files/touchstone_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "common/version.h"
#include "files/csv_file.h"
#include "measure/conversion.h"

namespace {

// The shortest text that reads back as the same double; -0 is written as 0.
void AppendNumber(QByteArray& out, double value) {
    std::array<char, 32> buf{};
    const auto written = std::to_chars(buf.data(), buf.data() + buf.size(), value + 0.0);
    out.append(' ');
    out.append(buf.data(), static_cast<qsizetype>(written.ptr - buf.data()));
}

TouchstoneResult Refused(const QString& extension, const QString& why) {
    return TouchstoneResult{std::nullopt, extension, why};
}

}  // namespace

QString TouchstoneExtension(float TransmissionMode) {
    return TransmissionMode != 0.0f ? QStringLiteral(".s2p") : QStringLiteral(".s1p");
}

QString TouchstoneMenuCaption(float TransmissionMode) {
    return QStringLiteral("Sa&ve As (%1)").arg(TouchstoneExtension(TransmissionMode));
}

TouchstoneResult TouchstoneText(const TouchstoneInput& input) {
    const bool transmission = input.TransmissionMode != 0.0f;
    const QString extension = TouchstoneExtension(input.TransmissionMode);
    if (const auto refusal = SweepExportRefusal(input)) {
        return Refused(extension, *refusal);
    }
    const std::int32_t Champ = input.Champ;
    const auto needed = static_cast<std::size_t>(Champ) + 1;

    QByteArray out;
    out.reserve(static_cast<qsizetype>(needed) * (transmission ? 100 : 50) + 600);
    out.append("! Program: ");
    out.append(Version::ProductName);
    out.append('\n');
    out.append("! Version: " + std::to_string(Version::Major) + "." +
               std::to_string(Version::Minor) + "." + std::to_string(Version::Revision) + "\n");
    if (input.date.isValid()) {
        out.append("! Date: " + input.date.toString(Qt::ISODate).toLatin1() + "\n");
    }
    out.append("! Points: " + std::to_string(Champ) + "\n");
    if (transmission) {
        out.append("! Mode: Transmission\n");
        out.append("! Measured: S21 only; S11, S12 and S22 are written as 0\n");
    } else {
        out.append("! Mode: Reflection\n");
        out.append("! Measured: S11 only\n");
    }
    const bool signed_ = !transmission && !input.ImSigns.empty();
    if (signed_ && input.ImSigns.size() < static_cast<std::size_t>(Champ)) {
        return Refused(extension,
                       QStringLiteral("the signs cover fewer than %1 points").arg(Champ));
    }
    if (signed_) {
        const auto unknown =
            std::count(input.ImSigns.begin(), input.ImSigns.begin() + Champ, std::int8_t{0});
        out.append(
            "! The detector gives the phase without sign; the sign of the imaginary part is "
            "inferred by causality (Im G is the Hilbert transform of Re G)");
        out.append(unknown > 0 ? "; " + std::to_string(unknown) +
                                     " points where it could not be are written positive\n"
                               : std::string("\n"));
    } else {
        out.append(
            "! The detector gives the phase without sign (0..180 degrees), so the sign of the "
            "imaginary part is not known\n");
    }
    if (!input.LossErrors.empty()) {
        out.append("! Normalised: the magnitudes are corrected point by point against " +
                   input.NormalisedTo + "; the phase is not changed\n");
    }
    out.append("# Hz S RI R 50\n");

    PointConverter convert(input.CalOffsetDb, input.LossOffset);
    for (std::int64_t point = 1; point <= Champ; ++point) {
        const auto at = static_cast<std::size_t>(point);
        const float n = input.MagnitudeSamples[at];
        const float p = input.PhaseSamples[at];
        if (!std::isfinite(n) || !std::isfinite(p)) {
            return Refused(
                extension,
                QStringLiteral("point %1 holds a count that is not a finite number").arg(point));
        }
        const PointValues v = SweepPointValues(convert, input, at);
        // Products of two floats are exact in a double: the file holds the
        // reflection coefficient the graph's GammaRe and GammaIm round.
        const double re = static_cast<double>(v.Rho) * static_cast<double>(v.CosPhi);
        const double im = static_cast<double>(v.Rho) * static_cast<double>(v.SinPhi) *
                          (signed_ && input.ImSigns[at - 1] < 0 ? -1.0 : 1.0);

        const std::string f =
            SweepFrequencyText(input.FMin, input.FMax, Champ, static_cast<std::int32_t>(point));
        out.append(f.data(), static_cast<qsizetype>(f.size()));
        if (transmission) {
            AppendNumber(out, 0.0);  // S11
            AppendNumber(out, 0.0);
            AppendNumber(out, re);  // S21
            AppendNumber(out, im);
            for (int k = 0; k < 4; ++k) {  // S12, S22
                AppendNumber(out, 0.0);
            }
        } else {
            AppendNumber(out, re);
            AppendNumber(out, im);
        }
        out.append('\n');
    }
    return TouchstoneResult{out, extension, QString()};
}
