#include "files/touchstone_reader.h"

#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <numbers>
#include <string_view>

#include "common/trimmed.h"

namespace {

using Complex = std::complex<double>;

enum class Format { RI, MA, DB };

struct Options {
    double hzPerUnit = 1e9;
    Format format = Format::MA;
    double reference = 50.0;
};

// Why a file cannot be read, and on which line (0: none to blame).
struct Refusal {
    int line = 0;
    QString why;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view s) {
    return ::Trimmed(s, IsBlank);
}

// The next blank-separated token, taken off the front of s.
std::string_view NextToken(std::string_view& s) {
    s = Trimmed(s);
    std::size_t end = 0;
    while (end < s.size() && !IsBlank(s[end])) {
        ++end;
    }
    const std::string_view token = s.substr(0, end);
    s.remove_prefix(end);
    return token;
}

// A whole token as a finite number; "+" is allowed before it, as C writes it.
std::optional<double> Number(std::string_view token) {
    if (!token.empty() && token.front() == '+') {
        token.remove_prefix(1);
        if (!token.empty() && (token.front() == '-' || token.front() == '+')) {
            return std::nullopt;
        }
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (ec != std::errc() || end != token.data() + token.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool Is(std::string_view token, std::string_view word) {
    if (token.size() != word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < token.size(); ++i) {
        const char c = token[i];
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper != word[i]) {
            return false;
        }
    }
    return true;
}

QString Quoted(std::string_view token) {
    constexpr std::size_t Longest = 40;  // a whole binary line helps nobody
    QString text =
        QString::fromUtf8(token.data(), static_cast<qsizetype>(std::min(token.size(), Longest)));
    if (token.size() > Longest) {
        text += QStringLiteral("...");
    }
    return QLatin1Char('"') + text + QLatin1Char('"');
}

std::optional<Refusal> ReadOptions(std::string_view rest, int line, Options& options) {
    while (true) {
        const std::string_view token = NextToken(rest);
        if (token.empty()) {
            return std::nullopt;
        }
        const struct {
            const char* word;
            double hz;
        } units[] = {{"HZ", 1.0}, {"KHZ", 1e3}, {"MHZ", 1e6}, {"GHZ", 1e9}};
        bool known = false;
        for (const auto& unit : units) {
            if (Is(token, unit.word)) {
                options.hzPerUnit = unit.hz;
                known = true;
            }
        }
        if (known || Is(token, "S")) {
            continue;
        }
        if (Is(token, "Y") || Is(token, "Z") || Is(token, "H") || Is(token, "G")) {
            return Refusal{
                line,
                QStringLiteral("%1 parameters are not read, only S parameters").arg(Quoted(token))};
        }
        if (Is(token, "RI") || Is(token, "MA") || Is(token, "DB")) {
            options.format = Is(token, "RI")   ? Format::RI
                             : Is(token, "MA") ? Format::MA
                                               : Format::DB;
            continue;
        }
        if (Is(token, "R")) {
            const std::string_view value = NextToken(rest);
            const std::optional<double> ohm = Number(value);
            if (!ohm || *ohm <= 0.0) {
                return Refusal{line, QStringLiteral("the reference impedance %1 is not a "
                                                    "number of ohms above 0")
                                         .arg(Quoted(value))};
            }
            options.reference = *ohm;
            continue;
        }
        return Refusal{line,
                       QStringLiteral("%1 is no option of a Touchstone file").arg(Quoted(token))};
    }
}

std::optional<Complex> Pair(double a, double b, Format format) {
    const double angle = b * std::numbers::pi / 180.0;
    Complex v;
    switch (format) {
        case Format::RI:
            v = Complex(a, b);
            break;
        case Format::MA:
            v = Complex(a * std::cos(angle), a * std::sin(angle));
            break;
        case Format::DB: {
            const double magnitude = std::pow(10.0, a / 20.0);
            v = Complex(magnitude * std::cos(angle), magnitude * std::sin(angle));
            break;
        }
    }
    if (!std::isfinite(v.real()) || !std::isfinite(v.imag())) {
        return std::nullopt;
    }
    return v;
}

// S' = (S - rI)(I - rS)^-1 with r the reflection of 50 ohm against the old
// reference: for one port (s - r) / (1 - rs). Nothing when the matrix cannot
// be inverted or the result is not finite.
bool Renormalise(double reference, int ports, const Complex s[4], Complex& s11, Complex& s21) {
    const double r = (50.0 - reference) / (50.0 + reference);
    if (ports == 1) {
        const Complex d = 1.0 - r * s[0];
        s11 = (s[0] - r) / d;
        s21 = 0.0;
        return d != 0.0 && std::isfinite(s11.real()) && std::isfinite(s11.imag());
    }
    // In the file's order: s[0] S11, s[1] S21, s[2] S12, s[3] S22.
    const Complex a00 = s[0] - r, a01 = s[2], a10 = s[1], a11 = s[3] - r;
    const Complex m00 = 1.0 - r * s[0], m01 = -r * s[2], m10 = -r * s[1], m11 = 1.0 - r * s[3];
    const Complex det = m00 * m11 - m01 * m10;
    if (det == 0.0) {
        return false;
    }
    s11 = (a00 * m11 - a01 * m10) / det;
    s21 = (a10 * m11 - a11 * m10) / det;
    for (const Complex& v : {s11, s21}) {
        if (!std::isfinite(v.real()) || !std::isfinite(v.imag())) {
            return false;
        }
    }
    return true;
}

class Reader {
public:
    explicit Reader(int ports) : ports_(ports), perPoint_(1 + 2 * ports * ports) {
        data_.ports = ports;
    }

    // A refusal, or nothing; done() once the rest of the file is to be skipped.
    std::optional<Refusal> line(std::string_view text, int number) {
        const std::size_t bang = text.find('!');
        if (bang != std::string_view::npos) {
            text = text.substr(0, bang);
        }
        text = Trimmed(text);
        if (text.empty()) {
            return std::nullopt;
        }
        if (text.front() == '#') {
            if (optionsSeen_) {
                return std::nullopt;  // only the first option line counts
            }
            if (!data_.frequencies.empty() || count_ > 0) {
                return Refusal{number, QStringLiteral("the option line comes after the data")};
            }
            optionsSeen_ = true;
            return ReadOptions(text.substr(1), number, options_);
        }
        if (text.front() == '[') {
            return Refusal{number, QStringLiteral("%1: Touchstone 2 keywords are not read")
                                       .arg(Quoted(NextToken(text)))};
        }
        bool first = true;
        while (true) {
            const std::string_view token = NextToken(text);
            if (token.empty()) {
                return std::nullopt;
            }
            const std::optional<double> value = Number(token);
            if (!value) {
                return Refusal{number, QStringLiteral("%1 is not a number").arg(Quoted(token))};
            }
            if (count_ == 0) {
                if (!first) {
                    return Refusal{number, QStringLiteral("%1 numbers make a point of a .s%2p; "
                                                          "the next point must start a line")
                                               .arg(perPoint_)
                                               .arg(ports_)};
                }
                const double hz = *value * options_.hzPerUnit;
                if (!std::isfinite(hz) || hz < 0.0) {
                    return Refusal{number, QStringLiteral("the frequency %1 is not one of 0 Hz "
                                                          "or more")
                                               .arg(Quoted(token))};
                }
                if (!data_.frequencies.empty() && hz <= data_.frequencies.back()) {
                    if (ports_ == 2) {
                        done_ = true;  // the noise parameters follow
                        return std::nullopt;
                    }
                    return Refusal{number, QStringLiteral("the frequency %1 is not above the one "
                                                          "before")
                                               .arg(Quoted(token))};
                }
                if (data_.frequencies.size() >= kMaxTouchstonePoints) {
                    return Refusal{number,
                                   QStringLiteral("more than %1 points").arg(kMaxTouchstonePoints)};
                }
                pointHz_ = hz;
            }
            first = false;
            numbers_[count_++] = *value;
            if (count_ == perPoint_) {
                if (auto refused = finishPoint(number)) {
                    return refused;
                }
            }
        }
    }

    bool done() const { return done_; }

    TouchstoneReadResult finish(int lastLine) {
        if (count_ > 0) {
            return Refused({lastLine, QStringLiteral("the last point has %1 of its %2 numbers")
                                          .arg(count_)
                                          .arg(perPoint_)});
        }
        if (data_.frequencies.empty()) {
            return Refused({0, QStringLiteral("the file holds no points")});
        }
        return TouchstoneReadResult{std::move(data_), QString()};
    }

    static TouchstoneReadResult Refused(const Refusal& refusal) {
        return TouchstoneReadResult{
            std::nullopt, refusal.line > 0
                              ? QStringLiteral("line %1: %2").arg(refusal.line).arg(refusal.why)
                              : refusal.why};
    }

private:
    std::optional<Refusal> finishPoint(int number) {
        count_ = 0;
        Complex s[4];
        for (int k = 0; k < ports_ * ports_; ++k) {
            const std::optional<Complex> v =
                Pair(numbers_[1 + 2 * k], numbers_[2 + 2 * k], options_.format);
            if (!v) {
                return Refusal{number, QStringLiteral("a value is too large")};
            }
            s[k] = *v;
        }
        Complex s11 = s[0], s21 = ports_ == 2 ? s[1] : Complex();
        if (options_.reference != 50.0 && !Renormalise(options_.reference, ports_, s, s11, s21)) {
            return Refusal{number, QStringLiteral("the values cannot be taken from %1 ohm to 50 "
                                                  "ohm")
                                       .arg(options_.reference)};
        }
        data_.frequencies.push_back(pointHz_);
        data_.s11.push_back(s11);
        if (ports_ == 2) {
            data_.s21.push_back(s21);
        }
        return std::nullopt;
    }

    int ports_;
    int perPoint_;
    Options options_;
    bool optionsSeen_ = false;
    bool done_ = false;
    double numbers_[9] = {};
    int count_ = 0;
    double pointHz_ = 0.0;
    TouchstoneData data_;
};

}  // namespace

int TouchstonePortsOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("s1p") ? 1 : suffix == QLatin1String("s2p") ? 2 : 0;
}

TouchstoneReadResult ReadTouchstone(const QByteArray& text, int ports) {
    if (ports != 1 && ports != 2) {
        return Reader::Refused({0, QStringLiteral("only .s1p and .s2p files are read")});
    }
    Reader reader(ports);
    const std::string_view all(text.constData(), static_cast<std::size_t>(text.size()));
    std::size_t start = 0;
    int number = 0;
    while (start < all.size() && !reader.done()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string_view::npos) {
            end = all.size();
        }
        ++number;
        if (auto refused = reader.line(all.substr(start, end - start), number)) {
            return Reader::Refused(*refused);
        }
        start = end + 1;
    }
    return reader.finish(number);
}
