#pragma once

#include <string>
#include <string_view>
#include <vector>

// One program line of the remote commands, taken apart. No knowledge of the
// commands themselves: that is the command table's.

// A parameter as written.
struct ScpiParam {
    enum class Kind { Number, Word, String };
    Kind kind = Kind::Word;
    std::string text;    // the word as written, or the string's content
    double value = 0.0;  // a number's value (hertz when it had a unit)
    bool hasUnit = false;
};

// A header: "*IDN?" is common; ":SENS:FREQ:STAR" is absolute. Mnemonics are
// upper-cased, their numeric suffix split off ("MARK2": "MARK", 2; -1 when
// none is written).
struct ScpiHeader {
    bool common = false;
    bool absolute = false;
    bool query = false;
    std::vector<std::string> nodes;
    std::vector<int> suffixes;
};

struct ScpiCommand {
    ScpiHeader header;
    std::vector<ScpiParam> params;
};

// A command, or the error number (and its detail) that refuses it.
struct ParsedCommand {
    ScpiCommand command;
    int code = 0;
};

// The line's program units, split at ';' outside quoted strings, each
// trimmed of blanks. A line of only blanks has none; an empty unit between
// two ';' stays (and is refused as a syntax error).
std::vector<std::string_view> SplitProgramUnits(std::string_view line);

// One unit: header, then blanks and comma-separated parameters. Refusals:
// -101 invalid character (a control byte or one above ASCII), -102 syntax
// error, -109 an empty parameter between commas, -114 a suffix beyond 999,
// -121/-131/-222 a bad number (ParseScpiNumber), -151 an unterminated string.
ParsedCommand ParseProgramUnit(std::string_view unit);

// A header pattern of the command table in SCPI's notation:
// "[SENSe:]FREQuency:STARt?", "CALCulate:MARKer#:X", "INITiate[:IMMediate]",
// "*IDN?". A mnemonic matches its node when it equals the node's upper-case
// part (the short form) or the whole node (the long form), in any case.
// Bracketed nodes may be left out; '#' takes a numeric suffix, 1 when none is
// written. suffix gets the first '#' node's suffix.
bool HeaderMatches(std::string_view pattern, const ScpiHeader& header, int& suffix,
                   bool& suffixMisplaced);

// The short form of a long mnemonic ("PHASe" -> "PHAS").
std::string_view ShortForm(std::string_view mnemonic);

// True when word (any case) is the short or the long form of mnemonic.
bool MnemonicMatches(std::string_view mnemonic, std::string_view word);
