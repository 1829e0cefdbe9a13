// Fuzzes the remote commands' session (line splitting, parser, command table)
// with arbitrary bytes against a plain instrument.
//
// Beyond "no crash":
// - the bytes fed in pieces (of a size the first byte picks) give exactly the
//   answers they give fed at once, also after the held input is released;
// - every answer ends with a line end;
// - every save the session lets through lies inside the saves folder, with
//   no "." or ".." part and one of the four extensions;
// - however the input left it (a line half sent or over-long, *OPC? held),
//   a line end, the release of any sweep, and then one line of queries are
//   answered in full, with at most 20 errors queued.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "remote/remote_session.h"
#include "support/plain_instrument.h"

namespace {

constexpr const char* kFolder = "/saves";

// Releases every held sweep; a held INIT starts another, so a few rounds.
std::string Release(RemoteSession& session) {
    std::string out;
    for (int i = 0; i < 100000 && (session.holding() || session.sweepPending()); ++i) {
        out += session.operationComplete(i % 2 == 0);
    }
    FUZZ_CHECK(!session.holding(), "held input runs out");
    return out;
}

bool EndsWithNoCase(std::string_view s, std::string_view lower) {
    if (s.size() < lower.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lower.size(); ++i) {
        char c = s[s.size() - lower.size() + i];
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (c != lower[i]) {
            return false;
        }
    }
    return true;
}

void CheckStored(const PlainInstrument& instrument) {
    for (const std::string& path : instrument.stored) {
        FUZZ_CHECK(path.rfind(std::string(kFolder) + "/", 0) == 0, "a save stays in the folder");
        const std::string name = path.substr(std::string_view(kFolder).size());
        FUZZ_CHECK(name.find("/../") == std::string::npos &&
                       name.find("/./") == std::string::npos &&
                       name.find("//") == std::string::npos && name.find('\\') == std::string::npos,
                   "a save has no . or .. part");
        FUZZ_CHECK(EndsWithNoCase(path, ".vec") || EndsWithNoCase(path, ".csv") ||
                       EndsWithNoCase(path, ".s1p") || EndsWithNoCase(path, ".png"),
                   "a save has one of the four extensions");
    }
}

void CheckLines(const std::string& out) {
    FUZZ_CHECK(out.empty() || out.back() == '\n', "answers end with a line end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    PlainInstrument whole;
    whole.fill(5, 2, 1.5);
    RemoteSession wholeSession(whole, kFolder);
    std::string wholeOut = wholeSession.receive(input);
    CheckLines(wholeOut);

    PlainInstrument pieces;
    pieces.fill(5, 2, 1.5);
    RemoteSession piecesSession(pieces, kFolder);
    std::string piecesOut;
    for (std::size_t at = 0; at < input.size(); at += piece) {
        const std::string out = piecesSession.receive(input.substr(at, piece));
        CheckLines(out);
        piecesOut += out;
    }
    FUZZ_CHECK(piecesOut == wholeOut, "pieces answer as the whole does");

    const std::string released = Release(wholeSession);
    FUZZ_CHECK(released == Release(piecesSession), "pieces release as the whole does");
    CheckLines(released);
    CheckStored(whole);
    CheckStored(pieces);

    // Back to a clean start of line, whatever was left open.
    CheckLines(wholeSession.receive("\n"));
    Release(wholeSession);
    const std::string last = wholeSession.receive("SYST:ERR:COUN?;*IDN?\n");
    const std::string idn = ";Zezizav,VNA-1,0,2.2.9\n";
    FUZZ_CHECK(last.size() > idn.size() && last.substr(last.size() - idn.size()) == idn,
               "a clean line is answered in full");
    const int errors = std::stoi(last.substr(0, last.size() - idn.size()));
    FUZZ_CHECK(errors >= 0 && errors <= 20, "at most 20 errors are queued");
    return 0;
}
