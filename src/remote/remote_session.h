#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "remote/command_table.h"
#include "remote/remote_instrument.h"

// One remote client's conversation: bytes in, bytes out, no socket. Lines
// end with LF (a CR before it is dropped). Each line's query answers are
// joined by ';' and end with one LF. Nothing here waits: INIT starts a sweep
// and returns; *OPC? and *WAI hold the rest of the input until the window
// calls operationComplete().
class RemoteSession {
public:
    // A longer line is refused with -223 and discarded up to its LF.
    static constexpr std::size_t kMaxLineBytes = 64 * 1024;
    // Input held behind *OPC?; lines beyond it are dropped with -363.
    static constexpr std::size_t kMaxHeldBytes = 1024 * 1024;
    // The answers of one line; beyond it they are dropped with -223.
    static constexpr std::size_t kMaxAnswerBytes = 8 * 1024 * 1024;

    // savesFolder is where MMEM:STOR may write; empty refuses every save.
    explicit RemoteSession(RemoteInstrument& instrument, std::string savesFolder = {});

    // Takes bytes as they arrive, in any pieces; returns what to send back.
    std::string receive(std::string_view bytes);

    // The sweep INIT started has been drawn (drawn false: abandoned, which
    // queues -240). Releases a held *OPC? (it answers 1) or *WAI and runs
    // the input held behind it. Without a pending sweep, nothing happens.
    std::string operationComplete(bool drawn = true);

    bool sweepPending() const { return state_.sweepPending; }
    bool holding() const { return state_.hold != Hold::None; }

private:
    void takeLine(std::string line, std::string& out);
    void runLine(std::string& out);  // the current line, until its end or a hold
    void runHeld(std::string& out);  // held lines, until none is left or a hold
    void runUnit(std::string_view unit, bool first, bool& endLine);
    const CommandSpec* find(const ScpiHeader& header, int& suffix, bool& misplaced) const;

    RemoteInstrument& instrument_;
    SessionState state_;

    std::string partial_;      // the line still arriving
    bool discarding_ = false;  // the rest of an over-long line
    std::deque<std::string> held_;
    std::size_t heldBytes_ = 0;

    // The line being run, and how far; a hold stops it between units.
    std::string line_;
    std::vector<std::string_view> units_;
    std::size_t nextUnit_ = 0;
    std::string answers_;
    bool answered_ = false;
    // The header path of the last command, for the next unit of the line.
    ScpiHeader path_;
};
