// The adapter pulled out in the middle of a sweep and plugged back in: RUN
// stops with a message, half a reply never reaches the buffers, and once a
// device is back on the same path RUN works again in the same window.
#include <QMessageBox>
#include <QtTest>

#include "window/chart1.h"
#include "display/vb_colour.h"
#include "instrument/qt_serial_port_service.h"
#include "instrument/recording_parallel_port.h"
#include "support/test_support.h"

using TestSupport::SimProcess;

namespace {

constexpr std::int32_t kChamp = 2000;  // 8000 bytes: about 0.7 s on the wire when paced

// A window on the simulator with its timer running, as in use.
struct Window : TestSupport::WindowFixture {
    explicit Window(const QString& device) {
        settings.Champ = kChamp;
        loadLive(device);
    }
    QStringList visibleWarnings() const {
        QStringList texts;
        for (const QMessageBox* box : w->findChildren<QMessageBox*>(QStringLiteral("warningBox"))) {
            if (box->isVisible()) {
                texts << box->text();
            }
        }
        return texts;
    }
};

}  // namespace

class UnplugTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void replugOnTheSamePath_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("linkName");
        QTest::newRow("adapter pulled (simulator killed)")
            << QStringLiteral("kill") << QStringLiteral("ttyKILL");
        QTest::newRow("device switched off (simulator ended)")
            << QStringLiteral("terminate") << QStringLiteral("ttyTERM");
        QTest::newRow("line closed half-way through a reply")
            << QStringLiteral("hangup") << QStringLiteral("ttyHUP");
    }
    void replugOnTheSamePath() {
        QFETCH(QString, how);
        QFETCH(QString, linkName);
        const QString link = dir_.filePath(linkName);
        QStringList arguments = {QStringLiteral("--link"), link, QStringLiteral("--pace")};
        if (how == QLatin1String("hangup")) {
            arguments << QStringLiteral("--hangup-after") << QStringLiteral("2");
        }
        SimProcess first;
        QString error;
        QVERIFY2(first.start(arguments, &error), qPrintable(error));
        QCOMPARE(QFileInfo(link).symLinkTarget(), first.ptyPath());

        Window win(link);
        QVERIFY(win.nextTick());  // the limits are read; the step follows
        QSignalSpy acquired(win.w.get(), &chart1::sweepAcquired);
        win.w->cmdRUN_Click();
        QVERIFY(win.running());
        QVERIFY(acquired.wait(8000));  // a sweep through the link
        QTRY_VERIFY_WITH_TIMEOUT(win.w->tickWait() == chart1::TickWait::Sweep, 5000);
        const SweepBuffers firstSweep = win.buffers;

        if (how == QLatin1String("kill")) {
            QTest::qWait(250);  // a third of the reply is on its way
            first.kill();
        } else if (how == QLatin1String("terminate")) {
            QTest::qWait(250);
            first.stop();
        }
        QTRY_COMPARE_WITH_TIMEOUT(win.w->fields.Running, 0.0f, 5000);
        QCOMPARE(BackColour(win.w->ui.cmdRUN), 255u);
        QVERIFY(!win.serial.isOpen());
        QVERIFY(!win.warnings().isEmpty());
        QVERIFY(!win.warnings().first().isEmpty());
        QVERIFY(win.buffers.MagnitudeSamples == firstSweep.MagnitudeSamples);
        QVERIFY(win.buffers.PhaseSamples == firstSweep.PhaseSamples);
        QCOMPARE(acquired.count(), 1);
        QVERIFY(win.nextTick());  // the cycle goes on without the instrument

        // Nothing on the path: RUN says so and stays off. (A killed simulator
        // leaves its link behind, pointing at a terminal that another program
        // may since have opened, so that case is not tried.)
        if (!QFileInfo(link).isSymLink()) {
            const qsizetype before = win.warnings().size();
            win.w->cmdRUN_Click();
            QCOMPARE(win.w->fields.Running, 0.0f);
            QCOMPARE(win.warnings().size(), before + 1);
            QVERIFY2(win.warnings().last().contains(link), qPrintable(win.warnings().last()));
        }

        // A warning about something else than the line.
        win.w->warn(QStringLiteral("Cannot open sweep.vec: not a sweep file"));
        QVERIFY(win.visibleWarnings().size() >= 2);

        // Plugged in again: a new device on the same path, the same window.
        SimProcess second;
        QVERIFY2(second.start({QStringLiteral("--link"), link}, &error), qPrintable(error));
        QCOMPARE(QFileInfo(link).symLinkTarget(), second.ptyPath());
        win.buffers.resize(kChamp);
        acquired.clear();
        win.w->cmdRUN_Click();
        QVERIFY(win.running());
        QCOMPARE(BackColour(win.w->ui.cmdRUN), 65280u);
        QTRY_VERIFY_WITH_TIMEOUT(acquired.count() >= 3, 15000);
        QVERIFY(win.running());
        // The boxes saying the device had gone (or could not be opened) are
        // out of date now and closed; the other one stays.
        QCOMPARE(win.visibleWarnings(),
                 QStringList{QStringLiteral("Cannot open sweep.vec: not a sweep file")});
        // The same device under test answers the same command the same way.
        QVERIFY(win.buffers.MagnitudeSamples == firstSweep.MagnitudeSamples);
        QVERIFY(win.buffers.PhaseSamples == firstSweep.PhaseSamples);
        win.w->cmdRUN_Click();
        QVERIFY(!win.serial.isOpen());
    }
};

QTEST_MAIN(UnplugTest)
#include "tst_unplug.moc"
