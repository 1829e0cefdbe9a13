#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

// The standard text of an error number ("Undefined header" for -113), or
// "Unknown error" for one this program never queues.
std::string_view ScpiErrorText(int code);

// The error queue SYST:ERR? reads, oldest first. It holds at most kCapacity
// entries: when full, the newest is replaced by -350 "Queue overflow", as
// SCPI has it, and later errors are lost until it is read.
class ErrorQueue {
public:
    static constexpr std::size_t kCapacity = 20;

    // detail, when given, follows the text after ';' ("-221,"Settings
    // conflict;no limit lines loaded"").
    void push(int code, std::string_view detail = {});
    // The oldest entry as SYST:ERR? answers it, or 0,"No error".
    std::string pop();
    void clear() { entries_.clear(); }
    std::size_t size() const { return entries_.size(); }

private:
    std::deque<std::string> entries_;
};
