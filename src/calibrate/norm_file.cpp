#include "calibrate/norm_file.h"

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "common/trimmed.h"

namespace {

constexpr std::string_view kVersionPrefix = "Zezizav normalisation ";

void AppendFloat(std::string& out, float value) {
    // Shortest fixed form that reads back as the same float: 1000000, 343, 0.25.
    std::array<char, 64> buf{};
    const auto written =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed);
    out.append(buf.data(), written.ptr);
}

// A whole field as a float, or nothing (a sign, digits, a point and an
// exponent; nothing before or after).
std::optional<float> FloatField(std::string_view field) {
    float value = 0.0f;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> PointsField(std::string_view field) {
    std::int32_t value = 0;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 1 || value > MaxReferencePoints) {
        return std::nullopt;
    }
    return value;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view s) {
    return ::Trimmed(s, IsBlank);
}

std::vector<std::string_view> Fields(std::string_view line) {
    return ::Fields(line, IsBlank);
}

// The text's lines, each without its LF or CR LF.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}
    bool next(std::string_view* line) {
        if (at_ >= text_.size()) {
            return false;
        }
        std::size_t end = text_.find('\n', at_);
        if (end == std::string_view::npos) {
            end = text_.size();
        }
        *line = text_.substr(at_, end - at_);
        if (!line->empty() && line->back() == '\r') {
            line->remove_suffix(1);
        }
        at_ = end + 1;
        ++number_;
        return true;
    }
    std::size_t number() const { return number_; }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t number_ = 0;
};

NormReadResult Refused(std::size_t line, const std::string& why) {
    return {std::nullopt, "line " + std::to_string(line) + ": " + why};
}

}  // namespace

std::string NormFileText(const Normalisation& normalisation) {
    std::string out(NormVersionLine);
    out += '\n';
    for (const Standard s : AllStandards) {
        const std::optional<Reference>& r = normalisation[s];
        if (!r) {
            continue;
        }
        out.reserve(out.size() + r->Counts.size() * 5 + 64);
        out += StandardName(s);
        out += ' ';
        AppendFloat(out, r->FMin);
        out += ' ';
        AppendFloat(out, r->FMax);
        out += ' ';
        out += std::to_string(r->Counts.size());
        out += '\n';
        for (const float n : r->Counts) {
            AppendFloat(out, n);
            out += '\n';
        }
    }
    return out;
}

NormReadResult ReadNormText(std::string_view text) {
    Lines lines(text);
    std::string_view line;
    if (!lines.next(&line) || line != NormVersionLine) {
        if (line.substr(0, kVersionPrefix.size()) == kVersionPrefix) {
            return Refused(1, "version " +
                                  std::string(Trimmed(line.substr(kVersionPrefix.size()))) +
                                  " is not one this program reads (it reads 1)");
        }
        return Refused(1, "this is no normalisation file (its first line is not \"" +
                              std::string(NormVersionLine) + "\")");
    }

    Normalisation out;
    while (lines.next(&line)) {
        if (Trimmed(line).empty()) {
            continue;
        }
        const std::size_t header = lines.number();
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.size() != 4) {
            return Refused(header,
                           "a reference starts with four fields: standard, start and "
                           "stop in Hz, points");
        }
        const std::optional<Standard> standard = StandardFromName(fields[0]);
        if (!standard) {
            return Refused(header, "the standard is open, short or through");
        }
        const std::string name(StandardName(*standard));
        if (out[*standard]) {
            return Refused(header, "a second " + name + " reference");
        }
        const std::optional<float> FMin = FloatField(fields[1]);
        const std::optional<float> FMax = FloatField(fields[2]);
        const std::optional<std::int32_t> points = PointsField(fields[3]);
        if (!FMin || !FMax) {
            return Refused(header, "the limits of the " + name + " reference are no numbers");
        }
        if (!points) {
            return Refused(header, "the " + name + " reference wants 1 to " +
                                       std::to_string(MaxReferencePoints) + " points");
        }
        Reference r;
        r.FMin = *FMin;
        r.FMax = *FMax;
        r.Counts.reserve(static_cast<std::size_t>(*points));
        for (std::int32_t j = 0; j < *points; ++j) {
            if (!lines.next(&line)) {
                return Refused(lines.number() + 1, "the " + name + " reference ends after " +
                                                       std::to_string(j) + " of its " +
                                                       std::to_string(*points) + " counts");
            }
            const std::optional<float> n = FloatField(Trimmed(line));
            if (!n) {
                return Refused(lines.number(), "a count is a number");
            }
            r.Counts.push_back(*n);
        }
        if (const std::optional<std::string> why = CheckReference(r)) {
            return Refused(header, "the " + name + " reference: " + *why);
        }
        out[*standard] = std::move(r);
    }
    if (out.empty()) {
        return Refused(lines.number(), "the file holds no reference");
    }
    return {std::move(out), {}};
}
