// zezizav-cli readout and convert with the normalisation options: a reference
// .vec and the same reference in a .norm file correct a sweep alike, the JSON
// names what was used, and a reference that cannot serve is refused.
#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "calibrate/norm_file.h"
#include "files/vec_file.h"
#include "support/test_support.h"

namespace {

using TestSupport::CliRun;
using TestSupport::RunCli;

// An open through a sloping detector, and a 25-ohm load 163 counts above it.
SweepBuffers Sweep(float above) {
    SweepBuffers b;
    b.resize(400);
    for (int i = 1; i <= 400; ++i) {
        b.MagnitudeSamples[static_cast<std::size_t>(i)] = std::round(343.0f + 0.085f * i) + above;
        b.PhaseSamples[static_cast<std::size_t>(i)] = above > 0 ? 1023.0f : 0.0f;
    }
    return b;
}

}  // namespace

class TestCliNormalise : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString write(const QString& name, const QByteArray& bytes) {
        QString error;
        return WriteFileSafely(dir_.filePath(name), bytes, &error) ? dir_.filePath(name)
                                                                   : QString();
    }
    QJsonObject readout(const QStringList& extra) {
        const CliRun run = RunCli(QStringList{"readout", dir_.filePath("load.vec"), "--json",
                                              "--settings", dir_.filePath("v.ini")} +
                                  extra);
        if (run.exitCode != 0) {
            qWarning("%s", run.err.constData());
        }
        return QJsonDocument::fromJson(run.out).object();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        const SweepBuffers open = Sweep(0);
        QVERIFY(!write("open.vec", VecFileBytes(open, 1e6f, 180e6f)).isEmpty());
        QVERIFY(!write("load.vec", VecFileBytes(Sweep(163), 1e6f, 180e6f)).isEmpty());
        QVERIFY(!write("v.ini", "").isEmpty());
        Normalisation n;
        n[Standard::Open] = ReferenceFromSweep(open.MagnitudeSamples, 400, 1e6f, 180e6f);
        n[Standard::Through] = n[Standard::Open];
        QVERIFY(!write("both.norm", QByteArray::fromStdString(NormFileText(n))).isEmpty());
    }

    void readoutNamesWhatCorrects() {
        const QJsonObject plain = readout({});
        QCOMPARE(plain.value("normalised").toArray(), QJsonArray());
        const QString rawLoss =
            plain.value("markers").toObject().value("1").toObject().value("loss").toString();
        QVERIFY(rawLoss != QStringLiteral("9.57"));

        const QJsonObject vec = readout({"--open", dir_.filePath("open.vec")});
        QCOMPARE(vec.value("normalised").toArray(), QJsonArray({"open"}));
        const QJsonObject markers = vec.value("markers").toObject();
        for (const char* m : {"1", "2", "3"}) {
            QCOMPARE(markers.value(m).toObject().value("loss").toString(), QStringLiteral("9.57"));
        }
        // The .norm holds a through too; only the open serves reflection.
        QCOMPARE(readout({"--normalise", dir_.filePath("both.norm")}), vec);
        const QJsonObject through =
            readout({"--normalise", dir_.filePath("both.norm"), "--transmission"});
        QCOMPARE(through.value("normalised").toArray(), QJsonArray({"through"}));
    }

    void convertAppliesTheSameReferences() {
        const auto convert = [&](const QString& out, const QStringList& extra) {
            const CliRun run = RunCli(
                QStringList{"convert", dir_.filePath("load.vec"), "--output", dir_.filePath(out)} +
                extra);
            QFile f(dir_.filePath(out));
            return run.exitCode == 0 && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray fromVec = convert("a.csv", {"--open", dir_.filePath("open.vec")});
        QVERIFY(fromVec.split('\n').value(1).startsWith("1447500,9.57,"));
        QCOMPARE(convert("b.csv", {"--normalise", dir_.filePath("both.norm")}), fromVec);
        QVERIFY(!convert("c.csv", {}).contains(",9.57,180.05"));
    }

    void referenceThatCannotServe() {
        const QString empty = write("empty.vec", VecFileBytes(Sweep(-1000), 1e6f, 180e6f));
        const CliRun zero = RunCli({"readout", dir_.filePath("load.vec"), "--short", empty});
        QCOMPARE(zero.exitCode, 1);
        // Refused as any sweep file with an impossible count is, naming the option.
        QVERIFY2(zero.err.contains("--short") && zero.err.contains("outside 0 to 1023"),
                 zero.err.constData());
        QVERIFY(zero.out.isEmpty());
        const CliRun missing =
            RunCli({"convert", dir_.filePath("load.vec"), "--output", dir_.filePath("d.csv"),
                    "--normalise", dir_.filePath("none.norm")});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(!QFileInfo::exists(dir_.filePath("d.csv")));
    }
};

QTEST_GUILESS_MAIN(TestCliNormalise)
#include "tst_cli_normalise.moc"
