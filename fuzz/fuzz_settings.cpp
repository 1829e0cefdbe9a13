// Fuzzes the settings reader with arbitrary file contents.
//
// Beyond "no crash", every input must end in one of two ways:
// - refused: the error names one of the known keys, with a reason, and the
//   value it quotes is text that occurs in the file; the message line built
//   from it has no control characters and stays short however long the value;
// - accepted: every value is within the range the program relies on, and the
//   settings written back as a plain file read back to the very same values;
//   the settings writer, setting two keys in the file, changes those two and
//   nothing else the reader sees.

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"
#include "settings/settings_writer.h"
#include "common/rounding.h"
#include "fuzz_check.h"

namespace {

constexpr std::array<std::string_view, 23> kKeys = {
    "FMax",     "FMin",         "Champ",       "Step",           "colorS1",        "colorS2",
    "colorS3",  "colorS4",      "colorS5",     "colorS6",        "Address1",       "Address2",
    "port",     "caloffsetrx",  "caloffsettx", "caloffsetvalue", "InputVelFactor", "device",
    "TextSize", "DistanceUnit", "Port",        "Address",        "SaveFolder"};

// The longest value the message quotes, in bytes: 60 characters of at most
// four bytes each, then "...".
constexpr std::size_t kLongestShownValue = 60 * 4 + 3;

std::string FloatText(float v) {
    std::array<char, 64> buffer{};
    const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    return std::string(buffer.data(), r.ptr);
}

// Integer keys are held as floats: 2147483647 is held as 2^31, which must be
// written back as the largest integer that gives the same float.
std::string IntText(float v) {
    const auto whole = static_cast<std::int64_t>(v);
    return std::to_string(std::min<std::int64_t>(whole, 2147483647));
}

// The plain file a user would write for these settings.
std::string IniText(const Settings& s) {
    std::string t = "[PARAMETERS]\n";
    t += "FMax=" + IntText(s.FMax) + "\nFMin=" + IntText(s.FMin) + "\n";
    t += "Champ=" + std::to_string(s.Champ) + "\nStep=" + std::to_string(s.Step) + "\n";
    t += "InputVelFactor=" + FloatText(s.InputVelFactor) + "\n";
    t += "[GRAF_PROP]\n";
    t += "colorS1=" + IntText(s.colorS1) + "\ncolorS2=" + IntText(s.colorS2) + "\n";
    t += "colorS3=" + IntText(s.colorS3) + "\ncolorS4=" + IntText(s.colorS4) + "\n";
    t += "colorS5=" + IntText(s.colorS5) + "\ncolorS6=" + s.colorS6 + "\n";
    t += "[PORTSETTING]\n";
    t += "Address1=" + std::to_string(s.Address1) + "\nAddress2=" + std::to_string(s.Address2) +
         "\n";
    t += "port=" + IntText(s.port) + "\n";
    t += "caloffsetrx=" + std::to_string(s.caloffsetrx) + "\n";
    t += "caloffsettx=" + std::to_string(s.caloffsettx) + "\n";
    t += "caloffsetvalue=" + std::to_string(s.caloffsetvalue) + "\n";
    // Quoted, so blanks at either end of the path survive.
    t += "device=\"" + s.device + "\"\n";
    t += "[DISPLAY]\n";
    t += "TextSize=" + std::to_string(s.TextSize) + "\n";
    t += std::string("DistanceUnit=") + (s.DistanceInFeet ? "feet" : "metres") + "\n";
    t += "[REMOTE]\n";
    t += "Port=" + std::to_string(s.RemotePort) + "\nAddress=" + s.RemoteAddress + "\n";
    t += "SaveFolder=\"" + s.SaveFolder + "\"\n";
    return t;
}

bool IsWholeInt32(float v) {
    return std::isfinite(v) && v == std::trunc(v) && v >= -2147483648.0f && v <= 2147483648.0f;
}

void CheckRefusal(std::string_view ini, const SettingsError& error) {
    FUZZ_CHECK(std::find(kKeys.begin(), kKeys.end(), error.key) != kKeys.end(),
               "a refusal names a key the reader knows");
    FUZZ_CHECK(!error.reason.empty(), "a refusal says why");
    FUZZ_CHECK(ini.find(error.value) != std::string_view::npos,
               "the refused value is quoted as written in the file");

    const std::string line = DescribeSettingsError("vezizo.ini", error);
    FUZZ_CHECK(std::none_of(line.begin(), line.end(),
                            [](char c) {
                                const auto b = static_cast<unsigned char>(c);
                                return b < 0x20 || b == 0x7F;
                            }),
               "the message is one line of printable text");
    FUZZ_CHECK(line.find(error.key) != std::string::npos, "the message names the key");
    FUZZ_CHECK(line.size() <= std::string_view("vezizo.ini: =  ").size() + error.key.size() +
                                  kLongestShownValue + error.reason.size(),
               "the message quotes a long value cut short");
}

void CheckAccepted(const Settings& s) {
    FUZZ_CHECK(s.Champ >= 1 && s.Champ <= 32767, "Champ is 1..32767");
    FUZZ_CHECK(s.Step >= 1, "Step is at least 1");
    FUZZ_CHECK(s.InputVelFactor > 0.0f && s.InputVelFactor <= 1.0f,
               "InputVelFactor is above 0 and at most 1");
    for (const float v :
         {s.FMax, s.FMin, s.colorS1, s.colorS2, s.colorS3, s.colorS4, s.colorS5, s.port}) {
        FUZZ_CHECK(IsWholeInt32(v), "integer keys hold whole 32-bit values");
    }
    FUZZ_CHECK(ToInt16HalfEven(s.port).has_value(), "port fits the 16-bit port number");
    FUZZ_CHECK(s.RemotePort >= 0 && s.RemotePort <= 65535, "the remote port fits 16 bits");
    std::int32_t colour = 0;
    const auto r = std::from_chars(s.colorS6.data(), s.colorS6.data() + s.colorS6.size(), colour);
    FUZZ_CHECK(r.ec == std::errc() && r.ptr == s.colorS6.data() + s.colorS6.size(),
               "colorS6 is the text of a 32-bit integer");

    const std::string again = IniText(s);
    const SettingsResult reread = ParseSettings(again);
    FUZZ_CHECK(!reread.error.has_value(), "accepted settings, written out, are accepted again");
    FUZZ_CHECK(reread.settings == s, "accepted settings read back the same");
}

// Two keys set at once: of two sections, or of one section (where a key the
// file has and one it lacks may land at the same place, such as an empty last
// value without a line end).
void CheckRewrite(std::string_view ini, const Settings& s) {
    Settings expected = s;
    std::vector<SettingsEdit> edits;
    if (ini.size() % 2 == 0) {
        edits = {{"PARAMETERS", "Step", "3"}, {"PORTSETTING", "device", " /dev/ttyUSB7"}};
        expected.Step = 3;
        expected.device = " /dev/ttyUSB7";
    } else {
        edits = {{"PORTSETTING", "caloffsetrx", "5"}, {"PORTSETTING", "caloffsetvalue", "3"}};
        expected.caloffsetrx = 5;
        expected.caloffsetvalue = 3;
    }
    const RewrittenSettings r = RewriteSettings(ini, edits);
    if (!r.bytes) {
        return;  // UTF-16 that would not come back byte for byte is left alone
    }
    const SettingsResult after = ParseSettings(*r.bytes);
    FUZZ_CHECK(!after.error.has_value(), "an accepted file, rewritten, is accepted");
    FUZZ_CHECK(after.settings == expected, "a rewrite changes the keys it sets, and only those");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view ini(reinterpret_cast<const char*>(data), size);
    const SettingsResult result = ParseSettings(ini);
    if (result.error) {
        // A UTF-16 file's values are quoted from its text, not its bytes.
        const std::optional<std::string> text = IniTextFromUtf16(ini);
        CheckRefusal(text ? std::string_view(*text) : ini, *result.error);
    } else {
        CheckAccepted(result.settings);
        CheckRewrite(ini, result.settings);
    }
    return 0;
}
