#include "remote/remote_session.h"

#include <utility>

#include "remote/scpi_parser.h"

RemoteSession::RemoteSession(RemoteInstrument& instrument, std::string savesFolder)
    : instrument_(instrument) {
    state_.savesFolder = std::move(savesFolder);
}

std::string RemoteSession::receive(std::string_view bytes) {
    std::string out;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, lf);
        if (discarding_) {
            // Nothing of the over-long line is kept, however long it goes on.
        } else if (partial_.size() + piece.size() > kMaxLineBytes + 1) {
            // One byte over is allowed for the CR of CR LF.
            state_.errors.push(-223, "line over 64 KiB discarded");
            partial_.clear();
            discarding_ = true;
        } else {
            partial_.append(piece);
        }
        if (lf == std::string_view::npos) {
            break;
        }
        bytes.remove_prefix(lf + 1);
        if (discarding_) {
            discarding_ = false;
            continue;
        }
        std::string line = std::move(partial_);
        partial_.clear();
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.size() > kMaxLineBytes) {
            state_.errors.push(-223, "line over 64 KiB discarded");
            continue;
        }
        takeLine(std::move(line), out);
    }
    return out;
}

void RemoteSession::takeLine(std::string line, std::string& out) {
    if (holding()) {
        if (heldBytes_ + line.size() > kMaxHeldBytes) {
            state_.errors.push(-363, "line dropped while waiting for the sweep");
            return;
        }
        heldBytes_ += line.size();
        held_.push_back(std::move(line));
        return;
    }
    line_ = std::move(line);
    units_ = SplitProgramUnits(line_);
    nextUnit_ = 0;
    answers_.clear();
    answered_ = false;
    runLine(out);
}

std::string RemoteSession::operationComplete(bool drawn) {
    std::string out;
    if (!state_.sweepPending) {
        return out;
    }
    state_.sweepPending = false;
    if (!drawn) {
        state_.errors.push(-240, "sweep abandoned");
    }
    const Hold hold = std::exchange(state_.hold, Hold::None);
    if (hold == Hold::None) {
        return out;
    }
    if (hold == Hold::Opc) {
        answers_ += answered_ ? ";1" : "1";
        answered_ = true;
    }
    runLine(out);
    runHeld(out);
    return out;
}

void RemoteSession::runHeld(std::string& out) {
    while (!holding() && !held_.empty()) {
        std::string line = std::move(held_.front());
        held_.pop_front();
        heldBytes_ -= line.size();
        takeLine(std::move(line), out);
    }
}

void RemoteSession::runLine(std::string& out) {
    bool endLine = false;
    while (!endLine && nextUnit_ < units_.size()) {
        const bool first = nextUnit_ == 0;
        runUnit(units_[nextUnit_++], first, endLine);
        if (holding()) {
            return;
        }
    }
    nextUnit_ = units_.size();
    if (answered_) {
        out += answers_;
        out.push_back('\n');
    }
    answers_.clear();
    answered_ = false;
}

const CommandSpec* RemoteSession::find(const ScpiHeader& header, int& suffix,
                                       bool& misplaced) const {
    for (const CommandSpec& spec : RemoteCommands()) {
        if (HeaderMatches(spec.pattern, header, suffix, misplaced)) {
            return &spec;
        }
    }
    return nullptr;
}

// Parse and header errors end the line, as its meaning is lost from there;
// a parameter or execution error ends only its own command.
void RemoteSession::runUnit(std::string_view unit, bool first, bool& endLine) {
    ParsedCommand parsed = ParseProgramUnit(unit);
    if (parsed.code != 0) {
        state_.errors.push(parsed.code);
        endLine = true;
        return;
    }
    ScpiHeader& header = parsed.command.header;
    int suffix = 1;
    bool misplaced = false;
    const CommandSpec* spec = nullptr;
    // After ';' a header goes on from the last one's path ("FREQ:STAR 1;STOP
    // 2"); when that names no command, it is read from the root.
    if (!first && !header.common && !header.absolute && !path_.nodes.empty()) {
        ScpiHeader relative = path_;
        relative.query = header.query;
        relative.nodes.insert(relative.nodes.end(), header.nodes.begin(), header.nodes.end());
        relative.suffixes.insert(relative.suffixes.end(), header.suffixes.begin(),
                                 header.suffixes.end());
        spec = find(relative, suffix, misplaced);
        if (spec != nullptr) {
            header = std::move(relative);
        }
    }
    if (spec == nullptr) {
        spec = find(header, suffix, misplaced);
    }
    if (spec == nullptr) {
        state_.errors.push(-113);
        endLine = true;
        return;
    }
    if (!header.common) {
        path_ = header;
        path_.nodes.pop_back();
        path_.suffixes.pop_back();
    }
    if (misplaced || suffix < 1) {
        state_.errors.push(-114);
        return;
    }
    ParamValue value;
    if (const int code = ConvertParams(spec->param, parsed.command.params, value); code != 0) {
        state_.errors.push(code);
        return;
    }
    std::string response;
    CommandContext context{instrument_, state_, value, suffix, response, {}};
    if (const int code = spec->handler(context); code != 0) {
        state_.errors.push(code, context.detail);
        return;
    }
    if (!spec->query) {
        return;
    }
    if (state_.hold == Hold::Opc) {
        return;  // answered when the sweep has been drawn
    }
    if (answers_.size() + response.size() > kMaxAnswerBytes) {
        state_.errors.push(-223, "answers of one line over 8 MiB dropped");
        return;
    }
    if (answered_) {
        answers_.push_back(';');
    }
    answers_ += response;
    answered_ = true;
}
