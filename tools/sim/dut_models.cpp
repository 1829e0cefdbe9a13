#include "dut_models.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace Sim {
namespace {

using Complex = std::complex<double>;

constexpr double kZ0 = 50.0;
constexpr double kSpeedOfLight = 299792458.0;
constexpr double kNepersToDb = 8.685889638065035;  // 20 / ln 10

// The program reads loss = n x 0.0587 - 20.16 dB and phase = p x 0.176 / 57.324 rad.
constexpr double kDbPerCount = 0.0587;
constexpr double kDbAtZero = 20.16;
constexpr double kDegreesPerCount = 0.176;
constexpr double kDegreesPerRadian = 57.324;
constexpr int kMaxCount = 1023;

// Antenna: series RLC with 60 ohm at resonance and a loaded-antenna Q.
constexpr double kAntennaR = 60.0;
constexpr double kAntennaQ = 15.0;

// Whip: a 1.3 m whip of 1 cm tube on a car, about 15 pF by the usual
// short-monopole estimate 55.6 h / (ln(h / a) - 1) pF, radiation resistance
// 40 pi^2 (h / lambda)^2 (1.5 ohm at 14.2 MHz), 12 ohm of ground loss, and a
// base coil of Q 100 that tunes it to f0 (8.4 uH, 7.5 ohm at 14.2 MHz): about
// 21 ohm in all at resonance, as a mobile whip reads.
constexpr double kWhipHeightM = 1.3;
constexpr double kWhipPicofarads = 15.0;
constexpr double kWhipGroundLossOhms = 12.0;
constexpr double kWhipCoilQ = 100.0;

// Dipole: 0.7 m of thick tube, fed at the centre. The lumped series model of
// such a dipole: about 5 pF, and 127 nH that brings its resonance to 200 MHz,
// near its half wave (0.95 c / 2 l = 203 MHz) and above the band; radiation
// resistance 20 pi^2 (l / lambda)^2 (35 ohm at 180 MHz) and 1 ohm of loss.
constexpr double kDipoleLengthM = 0.7;
constexpr double kDipolePicofarads = 5.0;
constexpr double kDipoleNanohenries = 127.0;
constexpr double kDipoleLossOhms = 1.0;

// Coax: 1.5 dB per 100 m at 10 MHz, growing with the square root of f (skin effect).
constexpr double kCableDbPerMetreAt10MHz = 1.5 / 100.0;

// Filter: 2-pole Butterworth band-pass, 3.5 % wide, resonators of unloaded Q 200.
constexpr double kFilterFractionalBandwidth = 0.035;
constexpr double kFilterUnloadedQ = 200.0;
constexpr double kButterworthG = std::numbers::sqrt2;

// The detector's response: a slope from 0 dB at 1 MHz to 2 dB at 180 MHz,
// and a ripple of 0.5 dB with a period of 20 MHz, as a mismatched line behind
// the bridge would give.
constexpr double kSlopeStartHz = 1e6;
constexpr double kSlopeDbPerHz = 2.0 / 179e6;
constexpr double kRippleDb = 0.5;
constexpr double kRipplePeriodHz = 20e6;

// Below 1 Hz the reactances of the models blow up; the analyser never gets there.
double UsableHz(double hz) {
    return std::max(1.0, std::fabs(hz));
}

Complex GammaOf(Complex z) {
    return (z - kZ0) / (z + kZ0);
}

Complex AntennaImpedance(double f0, double hz) {
    const double w0 = 2.0 * std::numbers::pi * f0;
    const double w = 2.0 * std::numbers::pi * hz;
    const double l = kAntennaQ * kAntennaR / w0;
    const double c = 1.0 / (w0 * w0 * l);
    return {kAntennaR, w * l - 1.0 / (w * c)};
}

Complex WhipImpedance(double f0, double hz) {
    const double w0 = 2.0 * std::numbers::pi * f0;
    const double w = 2.0 * std::numbers::pi * hz;
    const double c = kWhipPicofarads * 1e-12;
    const double coil = 1.0 / (w0 * w0 * c);
    const double heightWaves = kWhipHeightM * hz / kSpeedOfLight;
    const double radiation = 40.0 * std::numbers::pi * std::numbers::pi * heightWaves * heightWaves;
    const double r = radiation + kWhipGroundLossOhms + w * coil / kWhipCoilQ;
    return {r, w * coil - 1.0 / (w * c)};
}

Complex DipoleImpedance(double hz) {
    const double w = 2.0 * std::numbers::pi * hz;
    const double lengthWaves = kDipoleLengthM * hz / kSpeedOfLight;
    const double radiation = 20.0 * std::numbers::pi * std::numbers::pi * lengthWaves * lengthWaves;
    return {radiation + kDipoleLossOhms,
            w * kDipoleNanohenries * 1e-9 - 1.0 / (w * kDipolePicofarads * 1e-12)};
}

// Propagation constant times length of a line of metres, alpha l + j beta l.
Complex CableGammaL(const DutSettings& s, double hz, double metres) {
    const double alpha = kCableDbPerMetreAt10MHz * std::sqrt(hz / 10e6) / kNepersToDb;
    const double beta = 2.0 * std::numbers::pi * hz / (s.velocityFactor * kSpeedOfLight);
    return {alpha * metres, beta * metres};
}

// The names --end takes, in the order of CableEnd.
constexpr std::array<const char*, 3> kCableEndNames = {"open", "short", "load"};

// One stretch of the cable between two of its faults.
struct Section {
    double metres;
    double ohms;
};

// The cable's stretches from the port to the end: 50 ohm up to the first
// fault, then each fault's impedance up to the next one or the end.
std::vector<Section> CableSections(const DutSettings& s) {
    std::vector<Section> sections;
    double from = 0.0;
    double ohms = kZ0;
    for (const CableFault& fault : s.faults) {
        sections.push_back({fault.atM - from, ohms});
        from = fault.atM;
        ohms = fault.ohms;
    }
    sections.push_back({s.lengthM - from, ohms});
    return sections;
}

// The reflection coefficient of what ends the cable, against the last
// stretch's impedance.
Complex EndReflection(const DutSettings& s, double ohms) {
    switch (s.cableEnd) {
        case CableEnd::Open:
            return 1.0;
        case CableEnd::Short:
            return -1.0;
        case CableEnd::Load:
            return (s.loadOhms - ohms) / (s.loadOhms + ohms);
    }
    return 1.0;
}

// From the end towards the port: across each stretch the reflection turns by
// e^(-2 gamma l), and where the impedance changes from `from` to `to` the
// input impedance to (1 + G) / (1 - G) is seen against `from`, multiplied out
// so that an open end (G = 1) needs no infinite impedance.
Complex CableReflection(const DutSettings& s, double hz) {
    const std::vector<Section> sections = CableSections(s);
    Complex g = EndReflection(s, sections.back().ohms);
    for (std::size_t i = sections.size(); i-- > 0;) {
        g *= std::exp(-2.0 * CableGammaL(s, hz, sections[i].metres));
        const double to = sections[i].ohms;
        const double from = i > 0 ? sections[i - 1].ohms : kZ0;
        if (to != from) {
            g = (to * (1.0 + g) - from * (1.0 - g)) / (to * (1.0 + g) + from * (1.0 - g));
        }
    }
    return g;
}

// The stub is the plain cable ended in a short, whatever --end and the
// faults say.
Complex StubReflection(const DutSettings& s, double hz) {
    DutSettings stub = s;
    stub.cableEnd = CableEnd::Short;
    stub.faults.clear();
    return CableReflection(stub, hz);
}

// S21 of the stretches between two 50-ohm ports, from their cascaded ABCD
// matrices. A plain 50-ohm line is e^(-gamma l).
Complex CableTransmission(const DutSettings& s, double hz) {
    if (s.faults.empty()) {
        return std::exp(-CableGammaL(s, hz, s.lengthM));
    }
    Complex a = 1.0, b = 0.0, c = 0.0, d = 1.0;
    for (const Section& section : CableSections(s)) {
        const Complex gl = CableGammaL(s, hz, section.metres);
        const Complex ch = std::cosh(gl);
        const Complex sh = std::sinh(gl);
        const Complex na = a * ch + b * sh / section.ohms;
        const Complex nb = a * sh * section.ohms + b * ch;
        const Complex nc = c * ch + d * sh / section.ohms;
        const Complex nd = c * sh * section.ohms + d * ch;
        a = na, b = nb, c = nc, d = nd;
    }
    return 2.0 / (a + b / kZ0 + c * kZ0 + d);
}

struct TwoPortS {
    Complex s11;
    Complex s21;
};

// Shunt resonator then series resonator, from the low-pass prototype.
TwoPortS FilterS(double f0, double hz) {
    const double w0 = 2.0 * std::numbers::pi * f0;
    const double w = 2.0 * std::numbers::pi * hz;
    const double d = kFilterFractionalBandwidth;
    const Complex j(0.0, 1.0);

    const double c1 = kButterworthG / (w0 * d * kZ0);
    const double l1 = d * kZ0 / (w0 * kButterworthG);
    const Complex y1 = j * w * c1 + 1.0 / (j * w * l1) + w0 * c1 / kFilterUnloadedQ;

    const double l2 = kButterworthG * kZ0 / (w0 * d);
    const double c2 = d / (w0 * kButterworthG * kZ0);
    const Complex z2 = j * w * l2 + 1.0 / (j * w * c2) + w0 * l2 / kFilterUnloadedQ;

    // ABCD of shunt(y1) followed by series(z2).
    const Complex a = 1.0;
    const Complex b = z2;
    const Complex c = y1;
    const Complex dd = y1 * z2 + 1.0;
    const Complex den = a + b / kZ0 + c * kZ0 + dd;
    return {(a + b / kZ0 - c * kZ0 - dd) / den, 2.0 / den};
}

int ClampedCount(double x) {
    if (std::isnan(x)) {
        return 0;
    }
    return static_cast<int>(std::lround(std::clamp(x, 0.0, static_cast<double>(kMaxCount))));
}

}  // namespace

std::optional<Dut> DutFromName(const QString& name) {
    for (const Dut dut : {Dut::Load, Dut::Open, Dut::Short, Dut::Antenna, Dut::Cable, Dut::Filter,
                          Dut::Whip, Dut::Dipole, Dut::Stub}) {
        if (name == DutName(dut)) {
            return dut;
        }
    }
    return std::nullopt;
}

QString DutName(Dut dut) {
    switch (dut) {
        case Dut::Load:
            return QStringLiteral("load");
        case Dut::Open:
            return QStringLiteral("open");
        case Dut::Short:
            return QStringLiteral("short");
        case Dut::Antenna:
            return QStringLiteral("antenna");
        case Dut::Cable:
            return QStringLiteral("cable");
        case Dut::Filter:
            return QStringLiteral("filter");
        case Dut::Whip:
            return QStringLiteral("whip");
        case Dut::Dipole:
            return QStringLiteral("dipole");
        case Dut::Stub:
            return QStringLiteral("stub");
    }
    return {};
}

std::optional<CableEnd> CableEndFromName(const QString& name) {
    for (std::size_t i = 0; i < kCableEndNames.size(); ++i) {
        if (name == QLatin1String(kCableEndNames[i])) {
            return static_cast<CableEnd>(i);
        }
    }
    return std::nullopt;
}

QString CableEndName(CableEnd end) {
    const auto i = static_cast<std::size_t>(end);
    return i < kCableEndNames.size() ? QString::fromLatin1(kCableEndNames[i]) : QString();
}

std::optional<QString> CheckCable(const DutSettings& settings) {
    double from = 0.0;
    for (const CableFault& fault : settings.faults) {
        if (!(fault.atM <= settings.lengthM)) {
            return QStringLiteral("the fault at %1 m lies beyond the end of the %2 m cable")
                .arg(fault.atM)
                .arg(settings.lengthM);
        }
        if (!(fault.atM >= from)) {
            return QStringLiteral("the faults go in rising order: %1 m comes after %2 m")
                .arg(fault.atM)
                .arg(from);
        }
        if (!(fault.ohms > 0.0 && std::isfinite(fault.ohms))) {
            return QStringLiteral("the fault at %1 m wants an impedance above 0 ohm")
                .arg(fault.atM);
        }
        from = fault.atM;
    }
    return std::nullopt;
}

std::optional<Response> ResponseFromName(const QString& name) {
    for (const Response r : {Response::None, Response::Slope, Response::Ripple}) {
        if (name == ResponseName(r)) {
            return r;
        }
    }
    return std::nullopt;
}

QString ResponseName(Response response) {
    switch (response) {
        case Response::None:
            return QStringLiteral("none");
        case Response::Slope:
            return QStringLiteral("slope");
        case Response::Ripple:
            return QStringLiteral("ripple");
    }
    return {};
}

double ResponseDb(Response response, double hz) {
    if (response == Response::None) {
        return 0.0;
    }
    const double slope = (hz - kSlopeStartHz) * kSlopeDbPerHz;
    if (response == Response::Slope) {
        return slope;
    }
    return slope +
           kRippleDb * std::sin(2.0 * std::numbers::pi * (hz - kSlopeStartHz) / kRipplePeriodHz);
}

Complex Reflection(const DutSettings& settings, double hz) {
    const double f = UsableHz(hz);
    switch (settings.dut) {
        case Dut::Load:
            return GammaOf(settings.loadOhms);
        case Dut::Open:
            return 1.0;
        case Dut::Short:
            return -1.0;
        case Dut::Antenna:
            return GammaOf(AntennaImpedance(settings.f0Hz, f));
        case Dut::Cable:
            return CableReflection(settings, f);
        case Dut::Filter:
            return FilterS(settings.f0Hz, f).s11;
        case Dut::Whip:
            return GammaOf(WhipImpedance(settings.f0Hz, f));
        case Dut::Dipole:
            return GammaOf(DipoleImpedance(f));
        case Dut::Stub:
            return StubReflection(settings, f);
    }
    return 0.0;
}

Complex Transmission(const DutSettings& settings, double hz) {
    const double f = UsableHz(hz);
    switch (settings.dut) {
        case Dut::Cable:
            return CableTransmission(settings, f);
        case Dut::Filter:
            return FilterS(settings.f0Hz, f).s21;
        default:
            return 0.0;
    }
}

Counts CountsOf(Complex ratio) {
    const double magnitude = std::abs(ratio);
    if (!std::isfinite(magnitude)) {
        return {};
    }
    // |ratio| = 0 gives an infinite loss, clamped to the largest count.
    const double lossDb = magnitude > 0.0 ? -20.0 * std::log10(magnitude) : HUGE_VAL;
    const double theta = magnitude > 0.0 ? std::fabs(std::arg(ratio)) : 0.0;
    return {ClampedCount(theta * kDegreesPerRadian / kDegreesPerCount),
            ClampedCount((lossDb + kDbAtZero) / kDbPerCount)};
}

std::optional<QString> CheckCommand(const SweepCommand& command) {
    if (command.mode != 0 && command.mode != 1) {
        return QStringLiteral("mode %1 is neither 0 nor 1").arg(command.mode);
    }
    if (command.points < 1 || command.points > kMaxPoints) {
        return QStringLiteral("%1 points is outside 1..%2").arg(command.points).arg(kMaxPoints);
    }
    return std::nullopt;
}

double RecordHz(const SweepCommand& command, std::int32_t k) {
    return command.startWord / kWordsPerHz + (k + 1) * (command.stepWord / kWordsPerHz);
}

QByteArray ReplyFor(const DutSettings& settings, const SweepCommand& command) {
    QByteArray reply(4 * static_cast<qsizetype>(command.points), '\0');
    auto* out = reinterpret_cast<unsigned char*>(reply.data());
    for (std::int32_t k = 0; k < command.points; ++k, out += 4) {
        const double hz = RecordHz(command, k);
        const Complex ratio =
            command.mode == 1 ? Transmission(settings, hz) : Reflection(settings, hz);
        const Counts counts =
            CountsOf(ratio * std::pow(10.0, -ResponseDb(settings.response, hz) / 20.0));
        out[0] = static_cast<unsigned char>(counts.phase & 0xFF);
        out[1] = static_cast<unsigned char>(counts.phase >> 8);
        out[2] = static_cast<unsigned char>(counts.magnitude & 0xFF);
        out[3] = static_cast<unsigned char>(counts.magnitude >> 8);
    }
    return reply;
}

void StampReply(QByteArray& reply, std::int64_t exchange) {
    if (reply.size() < 2) {
        return;
    }
    const auto stamp = static_cast<int>(exchange % 1024);
    reply[0] = static_cast<char>(stamp & 0xFF);
    reply[1] = static_cast<char>(stamp >> 8);
}

void AddNoise(QByteArray& reply, double sigmaCounts, std::mt19937& random) {
    if (!(sigmaCounts > 0.0)) {
        return;
    }
    std::normal_distribution<double> noise(0.0, sigmaCounts);
    auto* bytes = reinterpret_cast<unsigned char*>(reply.data());
    for (qsizetype at = 0; at + 1 < reply.size(); at += 2) {
        if (bytes[at + 1] > 3) {
            continue;
        }
        const int count = bytes[at] + 256 * bytes[at + 1];
        const int noisy = ClampedCount(count + noise(random));
        bytes[at] = static_cast<unsigned char>(noisy & 0xFF);
        bytes[at + 1] = static_cast<unsigned char>(noisy >> 8);
    }
}

}  // namespace Sim
