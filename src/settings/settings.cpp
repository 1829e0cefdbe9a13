#include "settings/settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include <QStringDecoder>

#include "settings/ini_lines.h"
#include "common/rounding.h"

namespace {

std::optional<std::string> FromUtf16(std::string_view bytes) {
    if (bytes.size() < 2) {
        return std::nullopt;
    }
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    QStringDecoder::Encoding encoding;
    if (b0 == 0xFF && b1 == 0xFE) {
        encoding = QStringDecoder::Utf16LE;
    } else if (b0 == 0xFE && b1 == 0xFF) {
        encoding = QStringDecoder::Utf16BE;
    } else {
        return std::nullopt;
    }
    QStringDecoder decode(encoding);
    const QString text = decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return text.toStdString();
}

// Keys in the order they are checked, so the first bad one is reported.
enum Key : std::size_t {
    kFMax,
    kFMin,
    kChamp,
    kStep,
    kColorS1,
    kColorS2,
    kColorS3,
    kColorS4,
    kColorS5,
    kColorS6,
    kAddress1,
    kAddress2,
    kPort,
    kCalOffsetRx,
    kCalOffsetTx,
    kCalOffsetValue,
    kInputVelFactor,
    kDevice,
    kTextSize,
    kDistanceUnit,
    kBandRegion,
    kLimitsFile,
    kLimitsBeep,
    kRemotePort,
    kRemoteAddress,
    kSaveFolder,
    kKeyCount
};

struct KeyName {
    std::string_view section;
    std::string_view name;
};

// clang-format off
constexpr std::array<KeyName, kKeyCount> kKeyNames = {{
    {"PARAMETERS", "FMax"},           {"PARAMETERS", "FMin"},
    {"PARAMETERS", "Champ"},          {"PARAMETERS", "Step"},
    {"GRAF_PROP", "colorS1"},         {"GRAF_PROP", "colorS2"},
    {"GRAF_PROP", "colorS3"},         {"GRAF_PROP", "colorS4"},
    {"GRAF_PROP", "colorS5"},         {"GRAF_PROP", "colorS6"},
    {"PORTSETTING", "Address1"},      {"PORTSETTING", "Address2"},
    {"PORTSETTING", "port"},          {"PORTSETTING", "caloffsetrx"},
    {"PORTSETTING", "caloffsettx"},   {"PORTSETTING", "caloffsetvalue"},
    {"PARAMETERS", "InputVelFactor"}, {"PORTSETTING", "device"},
    {"DISPLAY", "TextSize"},          {"DISPLAY", "DistanceUnit"},
    {"DISPLAY", "BandRegion"},        {"LIMITS", "LimitsFile"},
    {"LIMITS", "LimitsBeep"},         {"REMOTE", "Port"},
    {"REMOTE", "Address"},            {"REMOTE", "SaveFolder"},
}};
// clang-format on

// The value text of each key as written (blanks removed), if present.
struct FoundValue {
    bool present = false;
    std::string_view text;
};
using FoundValues = std::array<FoundValue, kKeyCount>;

constexpr std::size_t kMaxFileSize = 1024 * 1024;
// The velocity factor was read into a fixed buffer; longer text is cut.
constexpr std::size_t kVelFactorChars = 50;
constexpr std::size_t kShownValueChars = 60;
constexpr std::int32_t kInt32Min = -2147483647 - 1;
constexpr std::int32_t kInt32Max = 2147483647;

std::string_view Unquote(std::string_view s) {
    if (s.size() >= 2 && s.front() == s.back() && (s.front() == '"' || s.front() == '\'')) {
        return s.substr(1, s.size() - 2);
    }
    return s;
}

void RecordKey(std::string_view section, std::string_view key, std::string_view value,
               FoundValues& found) {
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        if (!found[k].present && IniNamesEqual(key, kKeyNames[k].name) &&
            IniNamesEqual(section, kKeyNames[k].section)) {
            found[k] = {true, value};
            return;
        }
    }
}

// One pass over the lines; only the known keys are kept, so any input costs
// linear time and constant memory.
FoundValues ScanIni(std::string_view text) {
    FoundValues found{};
    ForEachIniLine(text, [&found](const IniLine& line) {
        if (line.kind == IniLine::Kind::Key) {
            RecordKey(line.section, line.key, line.value, found);
        }
    });
    return found;
}

// Optional sign, then decimal digits or 0x and hexadecimal digits; reading
// stops at the first other character. Values beyond 32 bits are kept just
// beyond, so every range check rejects them.
std::int64_t ReadInteger(std::string_view s) {
    constexpr std::int64_t kCap = std::int64_t{1} << 33;
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i + 2 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::int64_t value = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            break;
        }
        value = value * base + digit;
        if (value > kCap) {
            value = kCap;
        }
    }
    return negative ? -value : value;
}

// Optional sign, digits with at most one ".", at least one digit, optional
// exponent; nothing else.
bool IsDecimalNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        std::size_t exponentDigits = 0;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == s.size();
}

std::string IntegerText(std::int32_t v) {
    std::array<char, 16> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    return std::string(buffer.data(), result.ptr);
}

std::string RangeReason(std::int64_t lo, std::int64_t hi) {
    return "is out of range (" + std::to_string(lo) + " to " + std::to_string(hi) + ")";
}

// The value as written, made fit for one line: control characters become
// "?" and more than the shown number of characters (not bytes) is cut.
std::string ShownValue(std::string_view value) {
    std::string shown;
    std::size_t characters = 0;
    for (const char c : value) {
        // Stray continuation bytes count as no character: bound the bytes too.
        if (shown.size() == 4 * kShownValueChars) {
            return shown + "...";
        }
        const auto byte = static_cast<unsigned char>(c);
        const bool continuation = (byte & 0xC0) == 0x80;
        if (!continuation) {
            if (characters == kShownValueChars) {
                shown += "...";
                return shown;
            }
            ++characters;
        }
        shown.push_back((byte < 0x20 || byte == 0x7F) ? '?' : c);
    }
    return shown;
}

// Reads the keys in their fixed order, stopping at the first error.
class Reader {
public:
    explicit Reader(const FoundValues& found) : found_(found) {}

    // The key's integer, or its default when missing or empty; nothing (and
    // the error set) when it falls outside lo..hi.
    std::optional<std::int32_t> Integer(Key key, std::int32_t fallback, std::int64_t lo,
                                        std::int64_t hi) {
        const std::string_view value = Unquote(found_[key].text);
        if (!found_[key].present || value.empty()) {
            return fallback;
        }
        const std::int64_t v = ReadInteger(value);
        if (v < lo || v > hi) {
            Fail(key, RangeReason(lo, hi));
            return std::nullopt;
        }
        if (!StartsWithDigit(value)) {
            noNumber_.push_back(std::string(kKeyNames[key].name) + "=" +
                                ShownValue(found_[key].text));
        }
        return static_cast<std::int32_t>(v);
    }

    std::optional<std::int16_t> Integer16(Key key, std::int16_t fallback) {
        const auto v = Integer(key, fallback, -32768, 32767);
        return v ? std::optional<std::int16_t>(static_cast<std::int16_t>(*v)) : std::nullopt;
    }

    std::optional<float> IntegerAsFloat(Key key, float fallback) {
        const auto v = Integer(key, static_cast<std::int32_t>(fallback), kInt32Min, kInt32Max);
        return v ? std::optional<float>(static_cast<float>(*v)) : std::nullopt;
    }

    std::optional<float> VelocityFactor() {
        std::string_view text = Unquote(found_[kInputVelFactor].text);
        if (!found_[kInputVelFactor].present || text.empty()) {
            text = "0.66";
        }
        text = TrimIniBlanks(text.substr(0, kVelFactorChars));
        if (!IsDecimalNumber(text)) {
            Fail(kInputVelFactor, "is not a decimal number");
            return std::nullopt;
        }
        if (text.front() == '+') {
            text.remove_prefix(1);  // from_chars takes no plus sign
        }
        float v = 0.0f;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
        // A wave is never faster in a cable than in free space, and a factor
        // of 0 would make every cable length 0.
        if (result.ec != std::errc() || !(v > 0.0f && v <= 1.0f)) {
            Fail(kInputVelFactor, "is out of range (above 0, at most 1)");
            return std::nullopt;
        }
        return v;
    }

    std::string Text(Key key) const { return std::string(Unquote(found_[key].text)); }

    // True when the key is missing or empty, or its value is wholly an
    // integer as ReadInteger reads it (sign, then decimal or 0x digits).
    bool IsWholeNumberOrAbsent(Key key) const {
        std::string_view v = Unquote(found_[key].text);
        if (!found_[key].present || v.empty()) {
            return true;
        }
        if (v.front() == '+' || v.front() == '-') {
            v.remove_prefix(1);
        }
        const bool hex = v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X');
        if (hex) {
            v.remove_prefix(2);
        }
        const auto digit = [hex](char c) {
            return (c >= '0' && c <= '9') ||
                   (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
        };
        return !v.empty() && std::all_of(v.begin(), v.end(), digit);
    }

    void Fail(Key key, std::string reason) {
        error_ = SettingsError{std::string(kKeyNames[key].name), std::string(found_[key].text),
                               std::move(reason)};
    }

    std::optional<SettingsError> TakeError() { return std::move(error_); }
    std::vector<std::string> TakeNoNumber() { return std::move(noNumber_); }

private:
    // Whether the leading-number rule finds any digit, after a sign.
    static bool StartsWithDigit(std::string_view v) {
        if (!v.empty() && (v.front() == '+' || v.front() == '-')) {
            v.remove_prefix(1);
        }
        return !v.empty() && v.front() >= '0' && v.front() <= '9';
    }

    const FoundValues& found_;
    std::optional<SettingsError> error_;
    std::vector<std::string> noNumber_;
};

// The sizes the View menu offers.
bool IsTextSize(std::int32_t percent) {
    return percent == 100 || percent == 125 || percent == 150 || percent == 200;
}

bool IsDecimalByte(std::string_view part) {
    if (part.empty() || part.size() > 3 ||
        !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    return std::stoi(std::string(part)) <= 255;
}

// An IPv4 address in dotted decimal, or an IPv6 one in its usual text (hex
// groups and colons, "::" allowed, an IPv4 tail too). Names are not looked
// up: the server listens on an address, never on what a resolver says.
bool IsAddressText(std::string_view text) {
    if (text.find(':') == std::string_view::npos) {
        std::size_t parts = 0;
        std::size_t start = 0;
        while (true) {
            const std::size_t dot = text.find('.', start);
            const std::string_view part = text.substr(start, dot - start);
            if (!IsDecimalByte(part)) {
                return false;
            }
            ++parts;
            if (dot == std::string_view::npos) {
                break;
            }
            start = dot + 1;
        }
        return parts == 4;
    }
    const auto allowed = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
               c == ':' || c == '.';
    };
    return text.size() >= 2 && text.size() <= 45 &&
           std::all_of(text.begin(), text.end(), allowed) &&
           std::count(text.begin(), text.end(), ':') >= 2;
}

SettingsResult Failure(std::string reason) {
    SettingsResult result;
    result.error = SettingsError{{}, {}, std::move(reason)};
    return result;
}

}  // namespace

std::optional<std::string> IniTextFromUtf16(std::string_view bytes) {
    return FromUtf16(bytes);
}

std::string_view SettingsSectionOf(std::string_view key) {
    for (const KeyName& k : kKeyNames) {
        if (k.name == key) {
            return k.section;
        }
    }
    return {};
}

SettingsResult ParseSettings(std::string_view iniText) {
    const std::optional<std::string> utf8 = FromUtf16(iniText);
    const FoundValues found = ScanIni(utf8 ? std::string_view(*utf8) : iniText);
    Reader reader(found);
    SettingsResult result;
    Settings& s = result.settings;

    // Each step either stores the key or leaves the error for the caller.
    const auto done = [&]() {
        result.error = reader.TakeError();
        return result;
    };

    if (const auto v = reader.IntegerAsFloat(kFMax, s.FMax)) {
        s.FMax = *v;
    } else {
        return done();
    }
    if (const auto v = reader.IntegerAsFloat(kFMin, s.FMin)) {
        s.FMin = *v;
    } else {
        return done();
    }
    // The sweep loops count points with 16-bit counters and need one point.
    if (const auto v = reader.Integer(kChamp, s.Champ, 1, 32767)) {
        s.Champ = *v;
    } else {
        return done();
    }
    // A stride below 1 would never advance through the points.
    if (const auto v = reader.Integer(kStep, s.Step, 1, 32767)) {
        s.Step = static_cast<std::int16_t>(*v);
    } else {
        return done();
    }
    const std::array<float*, 5> colours = {&s.colorS1, &s.colorS2, &s.colorS3, &s.colorS4,
                                           &s.colorS5};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        if (const auto v = reader.IntegerAsFloat(static_cast<Key>(kColorS1 + i), *colours[i])) {
            *colours[i] = *v;
        } else {
            return done();
        }
    }
    if (const auto v = reader.Integer(kColorS6, 255, kInt32Min, kInt32Max)) {
        s.colorS6 = IntegerText(*v);
    } else {
        return done();
    }
    const std::array<std::pair<Key, std::int16_t*>, 2> addresses = {
        {{kAddress1, &s.Address1}, {kAddress2, &s.Address2}}};
    for (const auto& [key, target] : addresses) {
        if (const auto v = reader.Integer16(key, *target)) {
            *target = *v;
        } else {
            return done();
        }
    }
    // The serial port number is set from the float rounded to 16 bits. A
    // port that is no number at all ("COM3") would otherwise name port 0.
    if (!reader.IsWholeNumberOrAbsent(kPort)) {
        reader.Fail(kPort, "is not a whole number");
        return done();
    }
    if (const auto v = reader.IntegerAsFloat(kPort, s.port)) {
        if (!ToInt16HalfEven(*v)) {
            reader.Fail(kPort, RangeReason(-32768, 32767));
            return done();
        }
        s.port = *v;
    } else {
        return done();
    }
    const std::array<std::pair<Key, std::int16_t*>, 3> offsets = {
        {{kCalOffsetRx, &s.caloffsetrx},
         {kCalOffsetTx, &s.caloffsettx},
         {kCalOffsetValue, &s.caloffsetvalue}}};
    for (const auto& [key, target] : offsets) {
        if (const auto v = reader.Integer16(key, *target)) {
            *target = *v;
        } else {
            return done();
        }
    }
    if (const auto v = reader.VelocityFactor()) {
        s.InputVelFactor = *v;
    } else {
        return done();
    }
    s.device = reader.Text(kDevice);
    if (const auto v = reader.Integer(kTextSize, s.TextSize, kInt32Min, kInt32Max);
        v && IsTextSize(*v)) {
        s.TextSize = *v;
    } else {
        if (v) {
            reader.Fail(kTextSize, "is not one of 100, 125, 150 and 200");
        }
        return done();
    }
    if (const std::string unit = reader.Text(kDistanceUnit); IniNamesEqual(unit, "feet")) {
        s.DistanceInFeet = true;
    } else if (!unit.empty() && !IniNamesEqual(unit, "metres")) {
        reader.Fail(kDistanceUnit, "is neither metres nor feet");
        return done();
    }
    if (const auto v = reader.Integer(kBandRegion, s.BandRegion, 0, 3)) {
        s.BandRegion = *v;
    } else {
        return done();
    }
    s.LimitsFile = reader.Text(kLimitsFile);
    if (const auto v = reader.Integer(kLimitsBeep, s.LimitsBeep ? 1 : 0, 0, 1)) {
        s.LimitsBeep = *v == 1;
    } else {
        return done();
    }
    if (const auto v = reader.Integer(kRemotePort, s.RemotePort, 0, 65535)) {
        s.RemotePort = *v;
    } else {
        return done();
    }
    if (const std::string address = reader.Text(kRemoteAddress); !address.empty()) {
        if (!IsAddressText(address)) {
            reader.Fail(kRemoteAddress, "is not an IPv4 or IPv6 address");
            return done();
        }
        s.RemoteAddress = address;
    }
    s.SaveFolder = reader.Text(kSaveFolder);
    result.noNumber = reader.TakeNoNumber();
    return result;
}

SettingsResult LoadSettings(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        return {};  // no file: the defaults, silently
    }
    if (ec) {
        return Failure("cannot be read (" + ec.message() + ")");
    }
    if (status.type() == fs::file_type::directory) {
        return Failure("cannot be read (it is a folder)");
    }
    if (status.type() != fs::file_type::regular) {
        return Failure("cannot be read (it is not a regular file)");
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > kMaxFileSize) {
        return Failure("is larger than 1 MiB");
    }

    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Failure("cannot be opened for reading");
    }
    // Read one byte past the limit, in case the file grew since its size was
    // taken.
    std::string text(kMaxFileSize + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        return Failure("cannot be read (read error)");
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxFileSize) {
        return Failure("is larger than 1 MiB");
    }
    return ParseSettings(text);
}

std::string DescribeNoNumber(const std::string& path, const std::vector<std::string>& keys) {
    std::string joined;
    for (const std::string& k : keys) {
        joined += (joined.empty() ? "" : ", ") + k;
    }
    return path + ": " + joined +
           (keys.size() == 1 ? " holds no number and is read as 0"
                             : " hold no number and are read as 0");
}

std::string DescribeSettingsError(const std::string& path, const SettingsError& error) {
    if (error.key.empty()) {
        return path + ": " + error.reason;
    }
    return path + ": " + error.key + "=" + ShownValue(error.value) + " " + error.reason;
}
