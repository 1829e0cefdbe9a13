#pragma once

#include <span>
#include <string>
#include <string_view>

#include "common/trace_kind.h"
#include "remote/error_queue.h"
#include "remote/remote_instrument.h"
#include "remote/scpi_parser.h"

// What one command takes: nothing, or exactly one parameter of a kind.
enum class ParamKind {
    None,
    Frequency,  // a number, hertz, with or without a unit ("7.1MHz")
    Count,      // a whole number without a unit
    Boolean,    // ON, OFF, 1 or 0
    Mode,       // a mode word or a mode's quoted name
    Trace,      // LOSS, PHASe, SWR, RS, XS or Z
    Name,       // a quoted file name
};

// The parameter, checked and converted for its kind.
struct ParamValue {
    double number = 0.0;
    int count = 0;
    bool flag = false;
    RemoteMode mode = RemoteMode::Antenna;
    TraceKind trace = TraceKind::Loss;
    std::string text;
};

// What *OPC? and *WAI leave behind: the session holds the rest of its input
// until the sweep has been drawn.
enum class Hold { None, Opc, Wai };

// The session's part that commands change.
struct SessionState {
    ErrorQueue errors;
    bool sweepPending = false;
    Hold hold = Hold::None;
    std::string savesFolder;
};

struct CommandContext {
    RemoteInstrument& instrument;
    SessionState& state;
    const ParamValue& param;
    int suffix = 1;           // the header's numeric suffix (MARK2: 2), 1 if none
    std::string& response;    // a query's answer
    std::string detail = {};  // said after the error's text when it fails
};

// 0, or the error number; a query writes its answer into context.response.
using CommandHandler = int (*)(CommandContext&);

// One row of the command table.
struct CommandSpec {
    std::string_view pattern;  // header in SCPI notation, "?" at the end for a query
    bool query;
    ParamKind param;
    std::string_view help;
    CommandHandler handler;
};

// The whole table, in the order SYST:HELP? and docs/remote.md list it.
std::span<const CommandSpec> RemoteCommands();

// The row's syntax as the help shows it: "[SENSe:]FREQuency:STARt <Hz>".
std::string CommandSyntax(const CommandSpec& spec);

// SYST:HELP?'s text: one line per row, syntax, a tab, the help.
std::string RemoteHelpText();

// Checks and converts params for the kind: 0, or -104 (wrong type), -108
// (too many), -109 (none), -131 (a unit where none belongs), -222 (out of
// range) or -224 (a word or name that is none of the kind's).
int ConvertParams(ParamKind kind, std::span<const ScpiParam> params, ParamValue& value);

// The window's name of a mode ("Cable Loss"), as SENS:MODE? answers it.
std::string_view RemoteModeName(RemoteMode mode);
