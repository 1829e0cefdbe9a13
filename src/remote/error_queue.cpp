#include "remote/error_queue.h"

#include <array>
#include <utility>

namespace {

struct KnownError {
    int code;
    std::string_view text;
};

constexpr std::array<KnownError, 30> kErrors = {{
    {0, "No error"},
    {-100, "Command error"},
    {-101, "Invalid character"},
    {-102, "Syntax error"},
    {-104, "Data type error"},
    {-108, "Parameter not allowed"},
    {-109, "Missing parameter"},
    {-113, "Undefined header"},
    {-114, "Header suffix out of range"},
    {-120, "Numeric data error"},
    {-121, "Invalid character in number"},
    {-131, "Invalid suffix"},
    {-151, "Invalid string data"},
    {-200, "Execution error"},
    {-213, "Init ignored"},
    {-221, "Settings conflict"},
    {-222, "Data out of range"},
    {-223, "Too much data"},
    {-224, "Illegal parameter value"},
    {-230, "Data corrupt or stale"},
    {-240, "Hardware error"},
    {-250, "Mass storage error"},
    {-256, "File name not found"},
    {-257, "File name error"},
    {-350, "Queue overflow"},
    {-363, "Input buffer overrun"},
    {-410, "Query INTERRUPTED"},
    {-420, "Query UNTERMINATED"},
    {-440, "Query UNTERMINATED after indefinite response"},
    {-300, "Device-specific error"},
}};

// A quote inside the text is doubled, so the answer is one SCPI string.
void AppendQuoted(std::string& out, std::string_view text) {
    for (const char c : text) {
        out.push_back(c);
        if (c == '"') {
            out.push_back('"');
        }
    }
}

}  // namespace

std::string_view ScpiErrorText(int code) {
    for (const KnownError& e : kErrors) {
        if (e.code == code) {
            return e.text;
        }
    }
    return "Unknown error";
}

void ErrorQueue::push(int code, std::string_view detail) {
    if (entries_.size() >= kCapacity) {
        entries_.back() = "-350,\"Queue overflow\"";
        return;
    }
    std::string entry = std::to_string(code) + ",\"";
    AppendQuoted(entry, ScpiErrorText(code));
    if (!detail.empty()) {
        entry.push_back(';');
        AppendQuoted(entry, detail);
    }
    entry.push_back('"');
    entries_.push_back(std::move(entry));
}

std::string ErrorQueue::pop() {
    if (entries_.empty()) {
        return "0,\"No error\"";
    }
    std::string entry = std::move(entries_.front());
    entries_.pop_front();
    return entry;
}
