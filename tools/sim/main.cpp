// zezizav-sim: a stand-in for the analyser on a pseudo-terminal. It prints the
// device path on the first line of stdout, then answers sweep commands until
// it is stopped by SIGTERM or SIGINT.

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "pty_server.h"

namespace {

std::optional<double> PositiveNumber(const QString& text, bool allowZero) {
    bool ok = false;
    const double value = text.toDouble(&ok);  // QString::toDouble is locale-free
    if (!ok || !std::isfinite(value) || value < 0.0 || (!allowZero && value == 0.0)) {
        return std::nullopt;
    }
    return value;
}

int Usage(const QString& message) {
    std::fprintf(stderr, "zezizav-sim: %s\n", message.toLocal8Bit().constData());
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zezizav-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated vector network analyser on a pseudo-terminal. The device path is printed "
        "on the first line of stdout.\n\n"
        "Frequencies: record k of a reply (k = 1 ... points) is measured at the start "
        "frequency plus k steps, the frequency the program labels point k with.\n\n"
        "Cable: a slightly lossy line of --length metres and --vf, 50 ohm up to its first "
        "--fault-at, each stretch after a fault of that fault's --fault-z, ending in --end; "
        "for example --dut cable --length 5 --fault-at 3 --fault-z 75 --end open is 3 m of 50 "
        "ohm, then 2 m of 75 ohm, open at the end.\n\n"
        "Reactance of a known sign: whip is a 1.3 m whip with a base coil tuned to --f0, "
        "capacitive below it and inductive above; dipole is a 0.7 m dipole, capacitive up to "
        "its resonance near 200 MHz; stub is a line of --length metres and --vf shorted at the "
        "end, as --dut cable --end short, inductive below its quarter wave and capacitive from "
        "there to its half wave. None of them passes anything in Transmission.\n\n"
        "Faults: silent (no reply), short (1-7 bytes missing), surplus (1-8 extra bytes), "
        "garbage-high (about one record in ten with a high part above 3), hangup (the line "
        "closes half-way through the first reply and the simulator exits), late:MS (the whole "
        "reply starts MS milliseconds after the command), slow:F (the reply streams at F times "
        "the wire rate, 0 < F <= 1), random:P (each exchange faulty with probability P, one of "
        "silent, short, surplus, garbage-high, late, slow; a random late or slow reply ends "
        "between half a reply deadline and 1.5 deadlines after the command; add "
        "--hangup-after N to hang up on exchange N)."));
    parser.addHelpOption();
    const QCommandLineOption dutOption(QStringLiteral("dut"),
                                       QStringLiteral("Device under test: load, open, short, "
                                                      "antenna (default), cable, filter, whip, "
                                                      "dipole, stub."),
                                       QStringLiteral("model"), QStringLiteral("antenna"));
    const QCommandLineOption f0Option(
        QStringLiteral("f0"),
        QStringLiteral("Antenna or whip resonance, or filter centre, in MHz (14.2)."),
        QStringLiteral("MHz"), QStringLiteral("14.2"));
    const QCommandLineOption lengthOption(QStringLiteral("length"),
                                          QStringLiteral("Cable or stub length in metres (10)."),
                                          QStringLiteral("m"), QStringLiteral("10"));
    const QCommandLineOption vfOption(QStringLiteral("vf"),
                                      QStringLiteral("Cable or stub velocity factor (0.66)."),
                                      QStringLiteral("factor"), QStringLiteral("0.66"));
    const QCommandLineOption resistanceOption(
        QStringList{QStringLiteral("r"), QStringLiteral("resistance")},
        QStringLiteral("Resistance of the load, or of the load ending --dut cable --end load, "
                       "in ohms (50)."),
        QStringLiteral("ohms"), QStringLiteral("50"));
    const QCommandLineOption endOption(
        QStringLiteral("end"),
        QStringLiteral("What ends the cable in reflection: open (default), short, load (--r "
                       "ohms). In Transmission the receiver ends it."),
        QStringLiteral("end"), QStringLiteral("open"));
    const QCommandLineOption faultAtOption(
        QStringLiteral("fault-at"),
        QStringLiteral("A change of the cable's impedance this far from the port, in metres; "
                       "from there to the next --fault-at, or the end, the line is of the "
                       "matching --fault-z. May be given more than once, in rising order."),
        QStringLiteral("m"));
    const QCommandLineOption faultZOption(
        QStringLiteral("fault-z"),
        QStringLiteral("The impedance in ohms from the matching --fault-at on (the cable is 50 "
                       "ohm before the first)."),
        QStringLiteral("ohms"));
    const QCommandLineOption responseOption(
        QStringLiteral("response"),
        QStringLiteral("The detector's own magnitude error on every model: none (default), "
                       "slope (about 0 dB at 1 MHz rising to about 2 dB at 180 MHz), ripple "
                       "(that slope +-0.5 dB)."),
        QStringLiteral("shape"), QStringLiteral("none"));
    const QCommandLineOption linkOption(QStringLiteral("link"),
                                        QStringLiteral("Make PATH a symbolic link to the device."),
                                        QStringLiteral("PATH"));
    const QCommandLineOption paceOption(
        QStringLiteral("pace"), QStringLiteral("Send replies at the wire rate of 115200 baud."));
    const QCommandLineOption faultOption(QStringLiteral("fault"),
                                         QStringLiteral("Spoil every exchange (see above)."),
                                         QStringLiteral("kind"));
    const QCommandLineOption hangupOption(QStringLiteral("hangup-after"),
                                          QStringLiteral("Hang up during the reply of exchange N."),
                                          QStringLiteral("N"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the random faults (1)."),
                                        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption stampOption(
        QStringLiteral("stamp"),
        QStringLiteral("Put the exchange number (modulo 1024) in the phase count of point 1."));
    const QCommandLineOption noiseOption(
        QStringLiteral("noise"),
        QStringLiteral("Detector noise: standard deviation of every count, in counts (0)."),
        QStringLiteral("counts"), QStringLiteral("0"));
    const QCommandLineOption verboseOption(
        QStringLiteral("v"), QStringLiteral("Log every command line and reply to stderr."));
    parser.addOptions({dutOption, f0Option, lengthOption, vfOption, resistanceOption, endOption,
                       faultAtOption, faultZOption, responseOption, linkOption, paceOption,
                       faultOption, hangupOption, seedOption, stampOption, noiseOption,
                       verboseOption});
    if (!parser.parse(QCoreApplication::arguments())) {
        return Usage(parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(0);
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Usage(
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
    }

    Sim::SimOptions options;
    const auto dut = Sim::DutFromName(parser.value(dutOption));
    if (!dut) {
        return Usage(QStringLiteral("unknown --dut %1").arg(parser.value(dutOption)));
    }
    options.dut.dut = *dut;
    const auto f0 = PositiveNumber(parser.value(f0Option), false);
    const auto length = PositiveNumber(parser.value(lengthOption), true);
    const auto vf = PositiveNumber(parser.value(vfOption), false);
    if (!f0 || *f0 > 1e6) {
        return Usage(QStringLiteral("--f0 wants a frequency in MHz above 0"));
    }
    if (!length) {
        return Usage(QStringLiteral("--length wants metres, 0 or more"));
    }
    if (!vf || *vf > 1.0) {
        return Usage(QStringLiteral("--vf wants a factor above 0 and at most 1"));
    }
    const auto ohms = PositiveNumber(parser.value(resistanceOption), true);
    if (!ohms || *ohms > 1e9) {
        return Usage(QStringLiteral("--r wants ohms, 0 or more"));
    }
    const auto end = Sim::CableEndFromName(parser.value(endOption));
    if (!end) {
        return Usage(QStringLiteral("unknown --end %1").arg(parser.value(endOption)));
    }
    const bool cable = options.dut.dut == Sim::Dut::Cable;
    if ((parser.isSet(endOption) || parser.isSet(faultAtOption) || parser.isSet(faultZOption)) &&
        !cable) {
        return Usage(QStringLiteral("--end, --fault-at and --fault-z describe --dut cable"));
    }
    if (parser.isSet(resistanceOption) && options.dut.dut != Sim::Dut::Load &&
        !(cable && *end == Sim::CableEnd::Load)) {
        return Usage(
            QStringLiteral("--r is the resistance of --dut load or of --dut cable --end load"));
    }
    const QStringList faultsAt = parser.values(faultAtOption);
    const QStringList faultsZ = parser.values(faultZOption);
    if (faultsAt.size() != faultsZ.size()) {
        return Usage(QStringLiteral("each --fault-at wants its --fault-z"));
    }
    for (qsizetype i = 0; i < faultsAt.size(); ++i) {
        const auto at = PositiveNumber(faultsAt[i], true);
        const auto z = PositiveNumber(faultsZ[i], false);
        if (!at || !z) {
            return Usage(
                QStringLiteral("--fault-at wants metres, 0 or more, and --fault-z ohms "
                               "above 0"));
        }
        options.dut.faults.push_back({*at, *z});
    }
    options.dut.cableEnd = *end;
    const auto response = Sim::ResponseFromName(parser.value(responseOption));
    if (!response) {
        return Usage(QStringLiteral("unknown --response %1").arg(parser.value(responseOption)));
    }
    options.dut.loadOhms = *ohms;
    options.dut.response = *response;
    options.dut.f0Hz = *f0 * 1e6;
    options.dut.lengthM = *length;
    options.dut.velocityFactor = *vf;
    if (const auto why = Sim::CheckCable(options.dut)) {
        return Usage(*why);
    }
    const auto noise = PositiveNumber(parser.value(noiseOption), true);
    if (!noise || *noise > 1023.0) {
        return Usage(QStringLiteral("--noise wants counts from 0 to 1023"));
    }
    options.noiseCounts = *noise;
    options.linkPath = parser.value(linkOption);
    options.pace = parser.isSet(paceOption);
    options.verbose = parser.isSet(verboseOption);
    options.stamp = parser.isSet(stampOption);

    if (parser.isSet(faultOption)) {
        QString why;
        const auto fault = Sim::ParseFaultSetting(parser.value(faultOption), &why);
        if (!fault) {
            return Usage(why);
        }
        // A hangup fault hangs up on the first exchange.
        if (fault->fault == Sim::Fault::Hangup) {
            options.hangupAfter = 1;
        } else {
            options.fault = *fault;
        }
    }
    if (parser.isSet(hangupOption)) {
        bool ok = false;
        options.hangupAfter = parser.value(hangupOption).toLongLong(&ok);
        if (!ok || options.hangupAfter < 1) {
            return Usage(QStringLiteral("--hangup-after wants an exchange number from 1"));
        }
    }
    bool seedOk = false;
    options.seed = parser.value(seedOption).toUInt(&seedOk);
    if (!seedOk) {
        return Usage(QStringLiteral("--seed wants a whole number from 0 to %1")
                         .arg(std::numeric_limits<std::uint32_t>::max()));
    }

    Sim::PtyServer server(options);
    QString error;
    if (!server.open(&error)) {
        std::fprintf(stderr, "zezizav-sim: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", server.devicePath().toLocal8Bit().constData());
    std::fflush(stdout);
    return server.run();
}
