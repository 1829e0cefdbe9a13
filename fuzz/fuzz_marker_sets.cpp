// Fuzzes the marker sets' reader with arbitrary file contents.
//
// Beyond "no crash": every message is one short line "line N: ..." naming a
// line the file has; every set kept has a name that could be saved (trimmed,
// unique in any case) and frequencies to the whole hertz in range; the sets,
// written out, read back the very same with no message and write the same
// text again; and saving them one by one gives the same list.

#include <QByteArrayView>
#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "display/marker_sets.h"
#include "fuzz_check.h"

namespace {

int LineCount(QByteArrayView text) {
    return static_cast<int>(text.count('\n')) + (text.endsWith('\n') || text.isEmpty() ? 0 : 1);
}

void CheckMessage(const QString& message, int lines) {
    FUZZ_CHECK(message.startsWith(QLatin1String("line ")), "a message names a line");
    const qsizetype colon = message.indexOf(QLatin1String(": "));
    bool ok = false;
    const int line = message.mid(5, colon - 5).toInt(&ok);
    FUZZ_CHECK(colon > 5 && ok && line >= 1 && line <= lines, "the line named is in the file");
    for (const QChar c : message) {
        FUZZ_CHECK(c.category() != QChar::Other_Control, "a message is one printable line");
    }
    FUZZ_CHECK(message.size() < 160, "a message quotes a long piece cut short");
}

void CheckMarker(const MarkerSetMarker& m) {
    FUZZ_CHECK(std::isfinite(m.frequencyHz) && m.frequencyHz >= 0 && m.frequencyHz <= 1e12,
               "a frequency is 0 to 1000000 MHz");
    FUZZ_CHECK(m.frequencyHz == std::round(m.frequencyHz) && !std::signbit(m.frequencyHz),
               "a frequency is whole hertz, never -0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const MarkerSetsRead read = ParseMarkerSets(text);

    const int lines = LineCount(text);
    for (const QString& message : read.messages) {
        CheckMessage(message, lines);
    }
    for (std::size_t i = 0; i < read.sets.size(); ++i) {
        const MarkerSet& s = read.sets[i];
        FUZZ_CHECK(!MarkerSetNameProblem(s.name), "a set kept has a name that can be saved");
        FUZZ_CHECK(s.name == s.name.trimmed(), "a name is kept trimmed");
        for (std::size_t j = 0; j < i; ++j) {
            FUZZ_CHECK(read.sets[j].name.compare(s.name, Qt::CaseInsensitive) != 0,
                       "no two sets share a name");
        }
        CheckMarker(s.marker1);
        CheckMarker(s.marker2);
    }

    const QByteArray written = MarkerSetsText(read.sets);
    const MarkerSetsRead again = ParseMarkerSets(written);
    FUZZ_CHECK(again.messages.isEmpty(), "the sets written out read back without a message");
    FUZZ_CHECK(again.sets == read.sets, "the sets written out read back the same");
    FUZZ_CHECK(MarkerSetsText(again.sets) == written, "and write the same text again");

    std::vector<MarkerSet> saved;
    for (const MarkerSet& s : read.sets) {
        FUZZ_CHECK(!PutMarkerSet(saved, s), "a set read can be saved");
    }
    FUZZ_CHECK(saved == read.sets, "saving the sets one by one gives the same list");
    return 0;
}
