// Saving where the disk says no (a read-only folder, a full disk, a place no
// file can be made) and opening what is not a file: each is named in a
// message, the user's file on disk stays as it was, and nothing in memory
// changes. The read-only and full disks are small tmpfs mounts, which need
// the right to mount; without it those rows are skipped.
#include <QMessageBox>
#include <QStatusBar>
#include <QtTest>

#include <optional>

#include "settings/settings_file.h"
#include "window/calibrate_controller.h"
#include "window/picture_menu.h"
#include "files/vec_file.h"
#include "support/cli_run.h"
#include "support/test_support.h"

using TestSupport::ScratchMount;
using TestSupport::WindowFixture;

namespace {

enum class Place { ReadOnlyFolder, FullDisk, DiskTooSmall, NoFilesHere };

// The disk of the full-disk rows: room for a few small files, not for a
// 6000-point sweep.
constexpr qint64 kScratchBytes = 64 * 1024;

QString Warning(const chart1& w) {
    auto* box = w.findChild<QMessageBox*>(QStringLiteral("warningBox"));
    return box ? box->text() : QString();
}

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

// Writes into a filler file until the disk refuses: the disk is then full.
bool FillUp(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    const QByteArray block(1024, 'f');
    while (f.write(block) == block.size()) {
    }
    return f.error() == QFileDevice::ResourceError;
}

void FillSweep(SweepBuffers& b) {
    for (std::size_t i = 0; i < b.MagnitudeSamples.size(); ++i) {
        b.MagnitudeSamples[i] = static_cast<float>((7 * i) % 1024);
        b.PhaseSamples[i] = static_cast<float>((13 * i) % 1024);
        b.ReservedSamples[i] = static_cast<double>(i);
    }
}

}  // namespace

class BadFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void failedSaveLosesNothing_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("place");
        QTest::addColumn<QString>("reason");  // in the message, besides the file's name
        const struct {
            const char* name;
            Place place;
            const char* reason;
        } places[] = {
            {"read-only folder", Place::ReadOnlyFolder, "is not writable"},
            {"full disk", Place::FullDisk, "disk full"},
            {"disk too small for the file", Place::DiskTooSmall, "disk full"},
            {"under /proc", Place::NoFilesHere, ""},
        };
        for (const char* command : {"csv", "vec", "s1p"}) {
            for (const auto& p : places) {
                QTest::addRow("%s, %s", command, p.name)
                    << QString::fromLatin1(command) << static_cast<int>(p.place)
                    << QString::fromLatin1(p.reason);
            }
        }
    }
    void failedSaveLosesNothing() {
        QFETCH(QString, command);
        QFETCH(int, place);
        QFETCH(QString, reason);

        std::optional<ScratchMount> disk;
        QString folder;
        const QByteArray precious = "precious, saved last week\r\n";
        const QString name = QStringLiteral("keep.") + command;
        if (static_cast<Place>(place) == Place::NoFilesHere) {
            folder = QStringLiteral("/proc");
        } else {
            // 64 KiB: less than any of the three files of a 6000-point sweep.
            disk.emplace(static_cast<Place>(place) == Place::ReadOnlyFolder ? 1024 * 1024
                                                                            : 64 * 1024);
            if (!disk->isMounted()) {
                QSKIP(qPrintable(disk->whyNot()));
            }
            folder = disk->path();
            QVERIFY(WriteFile(disk->filePath(name), precious));
            if (static_cast<Place>(place) == Place::FullDisk) {
                QVERIFY(FillUp(disk->filePath(QStringLiteral("filler"))));
            }
            if (static_cast<Place>(place) == Place::ReadOnlyFolder) {
                QString error;
                QVERIFY2(disk->makeReadOnly(&error), qPrintable(error));
            }
        }
        const QString path = QDir(folder).filePath(name);
        const QStringList before =
            disk ? QDir(folder).entryList(QDir::AllEntries | QDir::Hidden) : QStringList();

        WindowFixture f;
        f.load();
        FillSweep(f.buffers);
        f.settings.FMin = 1500000.0f;
        f.settings.FMax = 29700000.0f;
        const SweepBuffers buffers = f.buffers;
        const Settings settings = f.settings;
        chart1& w = *f.w;
        w.chooseFile = [path](QWidget*, chart1::FileDialog, const QString&, const QString&) {
            return path;
        };
        if (command == QLatin1String("csv")) {
            w.mnuSaveCsv_Click();
        } else if (command == QLatin1String("vec")) {
            w.mnuSaveVec_Click();
        } else {
            w.mnuSaveTouchstone_Click();
        }

        const QString warning = Warning(w);
        QVERIFY2(warning.contains(path), qPrintable(warning));
        QVERIFY2(warning.contains(reason), qPrintable(warning));
        QVERIFY(!w.statusBar()->currentMessage().startsWith(QStringLiteral("Saved")));
        // On disk: the old file whole, and no half-written one left beside it.
        if (disk) {
            QCOMPARE(Contents(path), precious);
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), before);
        } else {
            QVERIFY(!QFileInfo::exists(path));
        }
        // In memory: the sweep and its limits as they were.
        QVERIFY(f.buffers.MagnitudeSamples == buffers.MagnitudeSamples);
        QVERIFY(f.buffers.PhaseSamples == buffers.PhaseSamples);
        QVERIFY(f.buffers.ReservedSamples == buffers.ReservedSamples);
        QCOMPARE(f.settings.FMin, settings.FMin);
        QCOMPARE(f.settings.FMax, settings.FMax);
        QCOMPARE(f.settings.Champ, settings.Champ);
        // The window goes on.
        QVERIFY(f.tick());
    }

    // Every kind of file the program writes, on a disk that is already full:
    // a small file (which fits in a write buffer, so its failure shows only
    // at the flush) and a large one. The old file stays whole and the failure
    // is reported, in the window and in zezizav-cli.
    void fullDiskKeepsEveryKind_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("points");
        for (const char* kind : {"vec", "csv", "s1p", "s2p", "norm", "png", "svg", "ini", "cli.csv",
                                 "cli.s1p", "cli.s2p"}) {
            for (const int points : {10, 6000}) {
                QTest::addRow("%s, %d points", kind, points) << QString::fromLatin1(kind) << points;
            }
        }
    }
    void fullDiskKeepsEveryKind() {
        QFETCH(QString, kind);
        QFETCH(int, points);
        ScratchMount disk(kScratchBytes);
        if (!disk.isMounted()) {
            QSKIP(qPrintable(disk.whyNot()));
        }
        const QString extension = kind.section(QLatin1Char('.'), -1);
        const QString path = disk.filePath(QStringLiteral("keep.") + extension);
        // A settings file of a few lines, or one with long comments (24 KB,
        // beyond a write buffer); the other kinds are overwritten whatever
        // they hold.
        const QByteArray precious =
            kind == QLatin1String("ini")
                ? "[PARAMETERS]\r\nChamp=500\r\n" + QByteArray(points * 4, ';') + "\r\n"
                : QByteArray("precious, saved last week\r\n");
        QVERIFY(WriteFile(path, precious));

        // A sweep to save, made before the disk fills.
        WindowFixture f;
        f.settings.Champ = points;
        f.load();
        FillSweep(f.buffers);
        QVERIFY(f.tick());  // the limits from the boxes, for the normalisation
        const QString sweep = dir_.filePath(QStringLiteral("sweep%1.vec").arg(points));
        QVERIFY(WriteFile(sweep, VecFileBytes(f.buffers, 1e6f, 30e6f)));
        QVERIFY(FillUp(disk.filePath(QStringLiteral("filler"))));
        const QStringList before = QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden);

        QString said;  // what the program said of the save
        if (kind.startsWith(QLatin1String("cli."))) {
            QStringList args = {QStringLiteral("convert"), sweep, QStringLiteral("--output"), path};
            const TestSupport::CliRun run = TestSupport::RunCli(args);
            QVERIFY2(run.exitCode != 0, run.err.constData());
            said = QString::fromUtf8(run.err);
        } else if (kind == QLatin1String("ini")) {
            const SettingsSaved saved =
                SaveSettingsEdits({path, precious, {}}, {{"PARAMETERS", "Step", "3"}});
            QVERIFY(!saved.ok);
            said = saved.error;
        } else {
            chart1& w = *f.w;
            w.chooseFile = [path](QWidget*, chart1::FileDialog, const QString&, const QString&) {
                return path;
            };
            if (kind == QLatin1String("vec")) {
                w.mnuSaveVec_Click();
            } else if (kind == QLatin1String("csv")) {
                w.mnuSaveCsv_Click();
            } else if (kind == QLatin1String("s1p")) {
                w.mnuSaveTouchstone_Click();
            } else if (kind == QLatin1String("s2p")) {
                w.Toolbar1_ButtonClick(QStringLiteral("Transmission"));
                w.mnuSaveTouchstone_Click();
            } else if (kind == QLatin1String("norm")) {
                w.calibrate().mnuNormOpen->trigger();
                w.calibrate().mnuNormSave->trigger();
            } else {
                w.pictureCommands().mnuSavePicture->trigger();
            }
            said = Warning(w);
            QVERIFY(!w.statusBar()->currentMessage().startsWith(QStringLiteral("Saved")));
        }
        QVERIFY2(said.contains(path), qPrintable(said));
        QVERIFY2(said.contains(QLatin1String("disk full")), qPrintable(said));
        QCOMPARE(Contents(path), precious);
        QCOMPARE(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    // What the open dialog may hand over that is no .vec file at all.
    void openingWhatIsNoFileChangesNothing_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("a folder") << QStringLiteral("<dir>/folder.vec");
        QTest::newRow("gone since it was chosen") << QStringLiteral("<dir>/gone.vec");
        QTest::newRow("an endless device") << QStringLiteral("/dev/zero");
        QTest::newRow("a file under /proc") << QStringLiteral("/proc/self/status");
    }
    void openingWhatIsNoFileChangesNothing() {
        QFETCH(QString, path);
        path.replace(QStringLiteral("<dir>"), dir_.path());
        QDir().mkpath(dir_.filePath(QStringLiteral("folder.vec")));
        WindowFixture f;
        f.load();
        FillSweep(f.buffers);
        const SweepBuffers buffers = f.buffers;
        const float fmin = f.settings.FMin;
        f.w->chooseFile = [path](QWidget*, chart1::FileDialog, const QString&, const QString&) {
            return path;
        };
        f.w->mnuOpen_Click();
        QVERIFY2(Warning(*f.w).contains(path), qPrintable(Warning(*f.w)));
        QVERIFY(f.buffers.MagnitudeSamples == buffers.MagnitudeSamples);
        QVERIFY(f.buffers.PhaseSamples == buffers.PhaseSamples);
        QCOMPARE(f.settings.FMin, fmin);
        QCOMPARE(f.w->ui.txtStart->text(), QStringLiteral("1"));
    }
};

QTEST_MAIN(BadFilesTest)
#include "tst_bad_files.moc"
