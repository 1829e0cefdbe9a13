#include "remote/command_table.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "remote/scpi_number.h"
#include "remote/store_path.h"

namespace {

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr std::array<std::string_view, 4> kModeNames = {"Antenna", "Cable Loss", "Cable Length",
                                                        "Transmission"};
// The one-word forms of the modes, in SCPI's long and short form.
constexpr std::array<std::string_view, 4> kModeWords = {"ANTenna", "LOSS", "LENGth",
                                                        "TRANsmission"};
// The traces' words, in TraceKind's order.
constexpr std::array<std::string_view, TraceKindCount> kTraceWords = {"LOSS", "PHASe", "SWR",
                                                                      "RS",   "XS",    "Z"};

int ModeOf(const ScpiParam& p, ParamValue& value) {
    for (std::size_t i = 0; i < kModeNames.size(); ++i) {
        const bool named = p.kind == ScpiParam::Kind::String && SameNoCase(p.text, kModeNames[i]);
        const bool word = p.kind == ScpiParam::Kind::Word && MnemonicMatches(kModeWords[i], p.text);
        if (named || word) {
            value.mode = static_cast<RemoteMode>(i);
            return 0;
        }
    }
    return p.kind == ScpiParam::Kind::Number ? -104 : -224;
}

int TraceOf(const ScpiParam& p, ParamValue& value) {
    if (p.kind != ScpiParam::Kind::Word) {
        return -104;
    }
    for (std::size_t i = 0; i < kTraceWords.size(); ++i) {
        if (MnemonicMatches(kTraceWords[i], p.text)) {
            value.trace = static_cast<TraceKind>(i);
            return 0;
        }
    }
    return -224;
}

int BooleanOf(const ScpiParam& p, ParamValue& value) {
    if (p.kind == ScpiParam::Kind::Word) {
        if (SameNoCase(p.text, "ON") || SameNoCase(p.text, "OFF")) {
            value.flag = SameNoCase(p.text, "ON");
            return 0;
        }
        return -224;
    }
    if (p.kind == ScpiParam::Kind::Number && !p.hasUnit && (p.value == 0.0 || p.value == 1.0)) {
        value.flag = p.value == 1.0;
        return 0;
    }
    return p.kind == ScpiParam::Kind::Number ? -224 : -104;
}

// --- handlers: each a line or two over the instrument ---

int Identify(CommandContext& c) {
    const RemoteIdentity id = c.instrument.identity();
    c.response =
        "Zezizav," + id.model + "," + (id.serial.empty() ? "0" : id.serial) + "," + id.version;
    return 0;
}

int Reset(CommandContext& c) {
    c.instrument.reset();
    // A sweep the reset overtook is never drawn; nothing may wait for it.
    c.state.sweepPending = false;
    return 0;
}

int ClearStatus(CommandContext& c) {
    c.state.errors.clear();
    return 0;
}

int OperationComplete(CommandContext& c) {
    if (c.state.sweepPending) {
        c.state.hold = Hold::Opc;
    } else {
        c.response = "1";
    }
    return 0;
}

int Wait(CommandContext& c) {
    if (c.state.sweepPending) {
        c.state.hold = Hold::Wai;
    }
    return 0;
}

int NextError(CommandContext& c) {
    c.response = c.state.errors.pop();
    return 0;
}

int Help(CommandContext& c) {
    // A definite-length block: the text holds line ends, the answer stays one.
    const std::string text = RemoteHelpText();
    const std::string length = std::to_string(text.size());
    c.response = "#" + std::to_string(length.size()) + length + text;
    return 0;
}

int Answer(CommandContext& c, double v) {
    AppendScpiNumber(c.response, v);
    return 0;
}

int SetStart(CommandContext& c) {
    return c.instrument.setRange(c.param.number, c.instrument.stopHz());
}
int GetStart(CommandContext& c) {
    return Answer(c, c.instrument.startHz());
}
int SetStop(CommandContext& c) {
    return c.instrument.setRange(c.instrument.startHz(), c.param.number);
}
int GetStop(CommandContext& c) {
    return Answer(c, c.instrument.stopHz());
}
int SetCenter(CommandContext& c) {
    const double half = (c.instrument.stopHz() - c.instrument.startHz()) / 2.0;
    return c.instrument.setRange(c.param.number - half, c.param.number + half);
}
int GetCenter(CommandContext& c) {
    return Answer(c, (c.instrument.startHz() + c.instrument.stopHz()) / 2.0);
}
int SetSpan(CommandContext& c) {
    if (c.param.number < 0.0) {
        return -222;
    }
    const double center = (c.instrument.startHz() + c.instrument.stopHz()) / 2.0;
    return c.instrument.setRange(center - c.param.number / 2.0, center + c.param.number / 2.0);
}
int GetSpan(CommandContext& c) {
    return Answer(c, c.instrument.stopHz() - c.instrument.startHz());
}
int SetPoints(CommandContext& c) {
    return c.instrument.setPoints(c.param.count);
}
int GetPoints(CommandContext& c) {
    return Answer(c, c.instrument.points());
}
int SetMode(CommandContext& c) {
    return c.instrument.setMode(c.param.mode);
}
int GetMode(CommandContext& c) {
    c.response = "\"" + std::string(RemoteModeName(c.instrument.mode())) + "\"";
    return 0;
}
int Initiate(CommandContext& c) {
    if (c.state.sweepPending) {
        return -213;
    }
    const int code = c.instrument.startSweep();
    c.state.sweepPending = code == 0;
    return code;
}
int SetContinuous(CommandContext& c) {
    return c.instrument.setContinuous(c.param.flag);
}
int GetContinuous(CommandContext& c) {
    c.response = c.instrument.continuous() ? "1" : "0";
    return 0;
}

int AnswerList(CommandContext& c, const std::vector<double>& values) {
    if (values.empty()) {
        c.detail = "no sweep yet";
        return -230;
    }
    AppendScpiList(c.response, values.data(), values.size());
    return 0;
}
int Frequencies(CommandContext& c) {
    return AnswerList(c, c.instrument.frequencies());
}
int TraceData(CommandContext& c) {
    return AnswerList(c, c.instrument.trace(c.param.trace));
}

constexpr int kMarkers = 3;
int SetMarker(CommandContext& c) {
    return c.suffix > kMarkers ? -114 : c.instrument.setMarkerHz(c.suffix, c.param.number);
}
int GetMarker(CommandContext& c) {
    return c.suffix > kMarkers ? -114 : Answer(c, c.instrument.markerHz(c.suffix));
}
int MarkerValue(CommandContext& c) {
    return c.suffix > kMarkers ? -114
                               : Answer(c, c.instrument.markerValue(c.suffix, c.param.trace));
}
int MarkerMinimum(CommandContext& c) {
    return c.instrument.markerToMinimum();
}

int Store(CommandContext& c) {
    const StorePath path = ResolveStorePath(c.state.savesFolder, c.param.text);
    if (path.refusal != StorePathRefusal::None) {
        c.detail = std::string(StorePathRefusalText(path.refusal));
        return path.refusal == StorePathRefusal::NoFolder ? -250 : -257;
    }
    return c.instrument.store(path.path);
}

int LimitsFail(CommandContext& c) {
    const std::optional<bool> fail = c.instrument.limitsFail();
    if (!fail) {
        c.detail = "no limit lines loaded";
        return -221;
    }
    c.response = *fail ? "1" : "0";
    return 0;
}

using P = ParamKind;
// Sized by its rows, so no row is ever left empty.
constexpr CommandSpec kCommands[] = {
    {"*IDN?", true, P::None, "Zezizav,model,serial (0 if none),version", Identify},
    {"*RST", false, P::None, "Window defaults, Hold; forgets a pending sweep", Reset},
    {"*CLS", false, P::None, "Empties the error queue", ClearStatus},
    {"*OPC?", true, P::None, "1 once the sweep INIT started has been drawn", OperationComplete},
    {"*WAI", false, P::None, "Holds later commands until the sweep has been drawn", Wait},
    {"SYSTem:ERRor[:NEXT]?", true, P::None,
     "The oldest error as code,\"text\"; 0,\"No error\" when none", NextError},
    {"SYSTem:HELP?", true, P::None, "This table, as a definite-length block", Help},
    {"[SENSe:]FREQuency:STARt", false, P::Frequency, "Sweep start", SetStart},
    {"[SENSe:]FREQuency:STARt?", true, P::None, "Sweep start, Hz", GetStart},
    {"[SENSe:]FREQuency:STOP", false, P::Frequency, "Sweep stop", SetStop},
    {"[SENSe:]FREQuency:STOP?", true, P::None, "Sweep stop, Hz", GetStop},
    {"[SENSe:]FREQuency:CENTer", false, P::Frequency, "Sweep centre, span kept", SetCenter},
    {"[SENSe:]FREQuency:CENTer?", true, P::None, "Sweep centre, Hz", GetCenter},
    {"[SENSe:]FREQuency:SPAN", false, P::Frequency, "Sweep span, centre kept", SetSpan},
    {"[SENSe:]FREQuency:SPAN?", true, P::None, "Sweep span, Hz", GetSpan},
    {"[SENSe:]SWEep:POINts", false, P::Count, "Point count; -221 while the window sweeps",
     SetPoints},
    {"[SENSe:]SWEep:POINts?", true, P::None, "Point count", GetPoints},
    {"[SENSe:]MODE", false, P::Mode,
     "ANTenna, LOSS, LENGth, TRANsmission, or the quoted name (\"Cable Loss\")", SetMode},
    {"[SENSe:]MODE?", true, P::None,
     "The mode's quoted name: \"Antenna\", \"Cable Loss\", "
     "\"Cable Length\", \"Transmission\"",
     GetMode},
    {"INITiate[:IMMediate]", false, P::None, "Starts one sweep and returns at once", Initiate},
    {"INITiate:CONTinuous", false, P::Boolean, "ON: RUN; OFF: Hold", SetContinuous},
    {"INITiate:CONTinuous?", true, P::None, "1 while RUN, 0 on Hold", GetContinuous},
    {"[SENSe:]FREQuency:DATA?", true, P::None, "The frequency of every point, Hz", Frequencies},
    {"TRACe:DATA?", true, P::Trace, "The trace's value at every point, as the window shows it",
     TraceData},
    {"CALCulate:MARKer#:X", false, P::Frequency, "Marker 1, 2 or 3 to a frequency", SetMarker},
    {"CALCulate:MARKer#:X?", true, P::None, "Marker 1, 2 or 3: its frequency, Hz", GetMarker},
    {"CALCulate:MARKer#:Y?", true, P::Trace, "Marker 1, 2 or 3: the trace's value there",
     MarkerValue},
    {"CALCulate:MARKer:MINimum", false, P::None, "The minimum-SWR marker to the lowest SWR",
     MarkerMinimum},
    {"MMEMory:STORe", false, P::Name,
     "Saves the sweep by the extension: .vec, .csv, .s1p or .png; inside the saves folder", Store},
    {"CALCulate:LIMit:FAIL?", true, P::None,
     "1 when the sweep fails the limit lines, else 0; "
     "-221 when none are loaded",
     LimitsFail},
    // The whole queue at once, or its length.
    {"SYSTem:ERRor:ALL?", true, P::None, "Every queued error, oldest first, comma-separated",
     [](CommandContext& c) {
         c.response = c.state.errors.pop();
         while (c.state.errors.size() > 0) {
             c.response += "," + c.state.errors.pop();
         }
         return 0;
     }},
    {"SYSTem:ERRor:COUNt?", true, P::None, "How many errors are queued",
     [](CommandContext& c) { return Answer(c, static_cast<double>(c.state.errors.size())); }},
};

std::string_view ParamSyntax(ParamKind kind) {
    switch (kind) {
        case ParamKind::None:
            return "";
        case ParamKind::Frequency:
            return " <Hz>";
        case ParamKind::Count:
            return " <N>";
        case ParamKind::Boolean:
            return " ON|OFF";
        case ParamKind::Mode:
            return " <mode>";
        case ParamKind::Trace:
            return " LOSS|PHASe|SWR|RS|XS|Z";
        case ParamKind::Name:
            return " \"<name>\"";
    }
    return "";
}

}  // namespace

std::span<const CommandSpec> RemoteCommands() {
    return kCommands;
}

std::string CommandSyntax(const CommandSpec& spec) {
    return std::string(spec.pattern) + std::string(ParamSyntax(spec.param));
}

std::string RemoteHelpText() {
    std::string text;
    for (const CommandSpec& spec : kCommands) {
        text += CommandSyntax(spec) + "\t" + std::string(spec.help) + "\n";
    }
    return text;
}

std::string_view RemoteModeName(RemoteMode mode) {
    return kModeNames[static_cast<std::size_t>(mode)];
}

int ConvertParams(ParamKind kind, std::span<const ScpiParam> params, ParamValue& value) {
    if (kind == ParamKind::None) {
        return params.empty() ? 0 : -108;
    }
    if (params.empty()) {
        return -109;
    }
    if (params.size() > 1) {
        return -108;
    }
    const ScpiParam& p = params.front();
    switch (kind) {
        case ParamKind::None:
            return 0;
        case ParamKind::Frequency:
            if (p.kind != ScpiParam::Kind::Number) {
                return -104;
            }
            value.number = p.value;
            return 0;
        case ParamKind::Count:
            if (p.kind != ScpiParam::Kind::Number) {
                return -104;
            }
            if (p.hasUnit) {
                return -131;
            }
            if (p.value != std::trunc(p.value) || std::fabs(p.value) > 2147483647.0) {
                return -222;
            }
            value.count = static_cast<int>(p.value);
            return 0;
        case ParamKind::Boolean:
            return BooleanOf(p, value);
        case ParamKind::Mode:
            return ModeOf(p, value);
        case ParamKind::Trace:
            return TraceOf(p, value);
        case ParamKind::Name:
            if (p.kind != ScpiParam::Kind::String) {
                return -104;
            }
            value.text = p.text;
            return 0;
    }
    return 0;
}
