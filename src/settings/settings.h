#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Configuration read once from vezizo.ini beside the executable. Members keep
// the names of their keys and the types the program computes with.
struct Settings {
    // [PARAMETERS]
    float FMax = 10000.0f;  // Hz
    float FMin = 10000.0f;  // Hz
    std::int32_t Champ = 6000;
    std::int16_t Step = 1;
    float InputVelFactor = 0.66f;
    // [GRAF_PROP]: colours, red in the low byte. A missing colour takes the
    // one examples/vezizo.ini gives it, so that the traces can be told apart.
    float colorS1 = 32768.0f;     // green
    float colorS2 = 16711680.0f;  // blue
    float colorS3 = 8421376.0f;   // teal
    float colorS4 = 33023.0f;     // orange
    float colorS5 = 8388736.0f;   // purple
    std::string colorS6 = "255";  // red
    // [PORTSETTING]
    std::int16_t Address1 = 0;
    std::int16_t Address2 = 0;
    float port = 0.0f;
    std::int16_t caloffsetrx = 0;
    std::int16_t caloffsettx = 0;
    std::int16_t caloffsetvalue = 0;
    std::string device;  // optional serial device path; overrides port
    // [DISPLAY]: the View menu's text size, in per cent of the design.
    std::int32_t TextSize = 100;
    // [DISPLAY] DistanceUnit: "feet" shows the time view's distances in feet,
    // "metres" (or none) in metres.
    bool DistanceInFeet = false;
    // [DISPLAY] BandRegion: the amateur bands of IARU region 1, 2 or 3 shaded
    // on the graph; 0 (or none) shades nothing.
    std::int32_t BandRegion = 0;
    // [LIMITS]: the limits file loaded at start-up (none: no limits), and
    // LimitsBeep=1 to beep when the verdict turns to FAIL.
    std::string LimitsFile;
    bool LimitsBeep = false;
    // [REMOTE]: the remote-control server. Port 0 leaves it off; Address is
    // where it listens, loopback unless chosen otherwise (there is no
    // authentication); SaveFolder is the one folder MMEM:STOR writes in
    // (none: remote saves are refused).
    std::int32_t RemotePort = 0;
    std::string RemoteAddress = "127.0.0.1";
    std::string SaveFolder;

    // Every key alike; a new key is compared without touching this.
    friend bool operator==(const Settings&, const Settings&) = default;
};

// Why start-up cannot go on: the key, the value as written, and the reason.
struct SettingsError {
    std::string key;
    std::string value;
    std::string reason;
};

struct SettingsResult {
    Settings settings;
    std::optional<SettingsError> error;
    // Accepted keys whose value starts with no number at all ("FMin=abc"),
    // read as 0 by the leading-number rule; each as "key=value".
    std::vector<std::string> noNumber;
};

// Reads the keys from the text of an INI file. Missing sections, keys and
// empty values give the defaults.
SettingsResult ParseSettings(std::string_view iniText);

// Notepad saves "Unicode" as UTF-16 behind a byte-order mark, and the INI
// reader of the platform such files come from reads them as text; so does
// ParseSettings, rather than finding no keys and running on the defaults.
// This is the UTF-8 text it reads then, or nothing when the bytes do not
// begin with a UTF-16 mark.
std::optional<std::string> IniTextFromUtf16(std::string_view bytes);

// The section a key belongs in ("PARAMETERS" for "Champ"), as its name is
// spelt here; empty for a key the program does not read.
std::string_view SettingsSectionOf(std::string_view key);

// Reads the file at path; a file that does not exist gives the defaults.
SettingsResult LoadSettings(const std::string& path);

// One line for the status bar and stderr: the keys read as 0 for want of a
// number.
std::string DescribeNoNumber(const std::string& path, const std::vector<std::string>& keys);

// One line for a message box and stderr: file, key, value and reason.
std::string DescribeSettingsError(const std::string& path, const SettingsError& error);
