#pragma once

#include <QByteArray>
#include <QString>

#include <complex>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

// What the simulated analyser has on its port, and how it turns the device's
// response into the 10-bit counts of the reply records.
namespace Sim {

// Whip, dipole and stub are one-ports whose reactance has a clear sign on
// purpose: the whip capacitive below --f0 and inductive above, the dipole
// capacitive over the whole band, the stub the cable ended in a short.
enum class Dut { Load, Open, Short, Antenna, Cable, Filter, Whip, Dipole, Stub };

std::optional<Dut> DutFromName(const QString& name);
QString DutName(Dut dut);

// The detector's own frequency response, a magnitude error added to every
// model so that normalisation has something to correct: none (a flat
// detector), a slope of about 0 dB at 1 MHz rising to about 2 dB at 180 MHz,
// or that slope with +-0.5 dB of ripple on it.
enum class Response { None, Slope, Ripple };

std::optional<Response> ResponseFromName(const QString& name);
QString ResponseName(Response response);

// The extra loss in dB the detector reads at hz.
double ResponseDb(Response response, double hz);

// What ends the cable in the reflection modes: nothing (open), a short, or a
// resistor of loadOhms. In the Transmission mode the receiver ends it.
enum class CableEnd { Open, Short, Load };

std::optional<CableEnd> CableEndFromName(const QString& name);
QString CableEndName(CableEnd end);

// A change of the line's impedance atM metres from the port: from there to
// the next change, or to the end, the line is of ohms. Before the first
// change it is 50 ohm.
struct CableFault {
    double atM = 0.0;
    double ohms = 50.0;
};

struct DutSettings {
    Dut dut = Dut::Antenna;
    double loadOhms = 50.0;  // load, and the cable's load end: a resistor; 50 ohm reflects nothing
    Response response = Response::None;
    double f0Hz = 14.2e6;          // antenna and whip resonance, filter centre
    double lengthM = 10.0;         // cable, stub
    double velocityFactor = 0.66;  // cable, stub
    CableEnd cableEnd = CableEnd::Open;
    std::vector<CableFault> faults;  // cable, in rising atM
};

// Why the cable cannot be modelled, or nothing: the faults lie in rising
// order within 0..lengthM and each has a finite impedance above 0.
std::optional<QString> CheckCable(const DutSettings& settings);

// Reflection coefficient against 50 ohm at the analyser's port. The cable is
// a cascade of line sections, one for each stretch between its faults, every
// one with the same velocity factor and loss, ending as cableEnd says.
std::complex<double> Reflection(const DutSettings& settings, double hz);

// Transmission S21 from port 1 to port 2 (both 50 ohm). One-port devices pass
// nothing; the cable is measured as a through line ending in the receiver,
// its sections cascaded. The stub is a one-port: its short passes nothing.
std::complex<double> Transmission(const DutSettings& settings, double hz);

struct Counts {
    int phase = 0;
    int magnitude = 0;
};

// The detector: the inverse of the program's conversion of counts, so that
// the program shows the loss -20 log10 |ratio| and the phase |arg ratio|.
// Both counts are clamped to 0..1023; a ratio of 0 gives the largest loss.
Counts CountsOf(std::complex<double> ratio);

// The instrument's frequency unit: word = Hz x 10.737.
constexpr double kWordsPerHz = 10.737;

struct SweepCommand {
    std::int32_t mode = 0;  // 0 reflection, 1 transmission
    std::int32_t startWord = 0;
    std::int32_t points = 0;
    std::int32_t stepWord = 0;
};

// The largest sweep answered; a larger count is treated as a corrupt command.
constexpr std::int32_t kMaxPoints = 100000;

// Why the command cannot be answered, or nothing when it is good.
std::optional<QString> CheckCommand(const SweepCommand& command);

// The frequency in Hz at which record k (0-based) is measured: the one the
// program labels it with, the start plus k + 1 steps, since the program
// numbers the points of a sweep from 1 and puts point i at FMin + i x FreqStep.
double RecordHz(const SweepCommand& command, std::int32_t k);

// The full reply: 4 bytes per point (phase low, phase high, magnitude low,
// magnitude high), the first record for the start frequency. Precondition:
// CheckCommand(command) is empty.
QByteArray ReplyFor(const DutSettings& settings, const SweepCommand& command);

// --stamp: the phase count of record 1 becomes the exchange number modulo
// 1024, so that a client can tell which exchange a decoded sweep came from.
// A reply shorter than that reading is left alone.
void StampReply(QByteArray& reply, std::int64_t exchange);

// The detector's noise: every count of a reply moved by a normally
// distributed amount of standard deviation sigmaCounts, rounded and kept
// within 0..1023. Records whose high part is above 3 are left alone.
void AddNoise(QByteArray& reply, double sigmaCounts, std::mt19937& random);

}  // namespace Sim
