// Fuzzes the Touchstone reader, and the memory made from what it reads.
//
// Input: byte 0 picks the ports (even: a .s1p, odd: a .s2p); the rest is the
// file.
//
// Beyond "no crash":
// - a read gives either the data or a message, never both, never neither;
// - a message naming a line names one the file has, and is one short line;
// - accepted data has 1 to kMaxTouchstonePoints points, strictly rising
//   finite frequencies of 0 Hz or more, finite values, and S21 exactly for
//   two ports;
// - written back as "# Hz S RI R 50" at full precision, it reads back to the
//   very same numbers;
// - the memory made from it has one value per point in every array, the
//   impedances within the conversion's ceilings and nothing non-finite.

#include <QByteArray>

#include <array>
#include <charconv>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>

#include "compare/memory_trace.h"
#include "files/touchstone_reader.h"
#include "fuzz_check.h"
#include "measure/conversion.h"

namespace {

int Lines(const QByteArray& text) {
    return static_cast<int>(text.count('\n')) + 1;
}

void CheckMessage(const QString& error, const QByteArray& text) {
    FUZZ_CHECK(!error.isEmpty(), "a refusal says why");
    FUZZ_CHECK(!error.contains(QLatin1Char('\n')) && error.size() < 200,
               "a refusal is one short line");
    if (error.startsWith(QStringLiteral("line "))) {
        const int colon = static_cast<int>(error.indexOf(QLatin1Char(':')));
        bool ok = false;
        const int line = error.mid(5, colon - 5).toInt(&ok);
        FUZZ_CHECK(ok && line >= 1 && line <= Lines(text), "the line named is in the file");
    }
}

void Append(QByteArray& out, double v) {
    std::array<char, 32> buf{};
    const auto written = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    out.append(' ');
    out.append(buf.data(), static_cast<qsizetype>(written.ptr - buf.data()));
}

bool Finite(std::complex<double> v) {
    return std::isfinite(v.real()) && std::isfinite(v.imag());
}

void CheckData(const TouchstoneData& d, int ports) {
    const std::size_t n = d.frequencies.size();
    FUZZ_CHECK(d.ports == ports, "the ports asked for");
    FUZZ_CHECK(n >= 1 && n <= kMaxTouchstonePoints, "1 to the most points");
    FUZZ_CHECK(d.s11.size() == n, "one S11 per point");
    FUZZ_CHECK(d.s21.size() == (ports == 2 ? n : 0), "one S21 per point of a two-port only");
    for (std::size_t i = 0; i < n; ++i) {
        FUZZ_CHECK(std::isfinite(d.frequencies[i]) && d.frequencies[i] >= 0.0,
                   "a frequency is finite and not negative");
        FUZZ_CHECK(i == 0 || d.frequencies[i] > d.frequencies[i - 1], "frequencies rise");
        FUZZ_CHECK(Finite(d.s11[i]) && (ports == 1 || Finite(d.s21[i])), "values are finite");
    }
}

void CheckWrittenBack(const TouchstoneData& d) {
    QByteArray text("# Hz S RI R 50\n");
    for (std::size_t i = 0; i < d.frequencies.size(); ++i) {
        Append(text, d.frequencies[i]);
        Append(text, d.s11[i].real());
        Append(text, d.s11[i].imag());
        if (d.ports == 2) {
            Append(text, d.s21[i].real());
            Append(text, d.s21[i].imag());
            for (int k = 0; k < 4; ++k) {
                Append(text, 0.0);
            }
        }
        text.append('\n');
    }
    const TouchstoneReadResult again = ReadTouchstone(text, d.ports);
    FUZZ_CHECK(again.data.has_value(), "written back, the data reads again");
    FUZZ_CHECK(again.data->frequencies == d.frequencies && again.data->s11 == d.s11 &&
                   again.data->s21 == d.s21,
               "written back, the data reads back the same");
}

void CheckMemory(const TouchstoneData& d) {
    for (const bool transmission : {false, true}) {
        const std::optional<MemoryTrace> m = MemoryFromTouchstone(QString(), d, transmission);
        FUZZ_CHECK(m.has_value() == (!transmission || d.ports == 2),
                   "a memory unless Transmission asks a one-port for S21");
        if (!m) {
            continue;
        }
        const std::size_t n = d.frequencies.size();
        FUZZ_CHECK(m->size() == n && m->Magnitude.size() == n && m->Phase.size() == n &&
                       m->Swr.size() == n && m->Rs.size() == n && m->Xs.size() == n &&
                       m->Zmag.size() == n,
                   "one value per point in every array");
        for (std::size_t i = 0; i < n; ++i) {
            FUZZ_CHECK(
                std::isfinite(m->Magnitude[i]) && m->Phase[i] >= 0.0f && m->Phase[i] <= 1023.0f,
                "the counts are finite, the phase within the detector's range");
            FUZZ_CHECK(m->Swr[i] >= 0.0f && m->Swr[i] <= Conversion::SwrCeiling,
                       "SWR within its ceiling");
            for (const float ohm : {m->Rs[i], m->Xs[i], m->Zmag[i]}) {
                FUZZ_CHECK(ohm >= 0.0f && ohm <= Conversion::OhmCeiling, "ohms within the ceiling");
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const int ports = (data[0] & 1) ? 2 : 1;
    const QByteArray text(reinterpret_cast<const char*>(data + 1),
                          static_cast<qsizetype>(size - 1));
    const TouchstoneReadResult read = ReadTouchstone(text, ports);
    FUZZ_CHECK(read.data.has_value() != !read.error.isEmpty(), "either the data or a message");
    if (!read.data) {
        CheckMessage(read.error, text);
        return 0;
    }
    CheckData(*read.data, ports);
    CheckWrittenBack(*read.data);
    CheckMemory(*read.data);
    return 0;
}
