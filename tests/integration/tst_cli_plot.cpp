// zezizav-cli plot: the window's picture of a saved sweep, drawn without a
// display at the size asked for, and the exit status and untouched output
// of the other commands when it cannot be.
#include <QSvgRenderer>
#include <QtTest>

#include "window/picture_menu.h"
#include "window/memory_control.h"
#include "measure/graph_widget.h"
#include "files/vec_file.h"
#include "support/test_support.h"

using TestSupport::RunCli;
using TestSupport::WindowFixture;

namespace {

const QByteArray kIni = "[PARAMETERS]\r\nChamp=300\r\n[PORTSETTING]\r\ncaloffsetrx=3\r\n";

QByteArray Sweep(std::int32_t points, float slope) {
    SweepBuffers b;
    b.resize(points);
    for (std::size_t i = 1; i < b.MagnitudeSamples.size(); ++i) {
        b.MagnitudeSamples[i] = 500.0f + slope * static_cast<float>(i % 300);
        b.PhaseSamples[i] = static_cast<float>((5 * i) % 1000);
    }
    return VecFileBytes(b, 3.5e6f, 3.8e6f);
}

}  // namespace

class CliPlotTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QString error;
        return WriteFileSafely(path, bytes, &error) ? path : QString();
    }
    QStringList common(const QString& output) {
        return {QStringLiteral("plot"),       dir_.filePath(QStringLiteral("s.vec")),
                QStringLiteral("--settings"), dir_.filePath(QStringLiteral("z.ini")),
                QStringLiteral("--output"),   dir_.filePath(output)};
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(!write(QStringLiteral("z.ini"), kIni).isEmpty());
        QVERIFY(!write(QStringLiteral("s.vec"), Sweep(300, 1.5f)).isEmpty());
        QVERIFY(!write(QStringLiteral("m.vec"), Sweep(120, -1.0f)).isEmpty());
        QVERIFY(!write(QStringLiteral("bad.s1p"), "# MHz S RI R 50\n1 0.5\n").isEmpty());
    }

    // Size is the picture's growth beyond the design size: the graph's.
    void sizesAndExitCodes_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("more");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QSize>("growth");
        const QSize none(0, 0);
        QTest::newRow("design size") << "a.png" << QStringList() << 0 << none;
        QTest::newRow("larger graph")
            << "b.png" << QStringList{"--width", "800", "--height=300"} << 0 << QSize(211, 47);
        QTest::newRow("svg, markers, memory")
            << "c.svg" << QStringList{"--marker1=30", "--memory", "m.vec"} << 0 << none;
        QTest::newRow("narrower than the window")
            << "d.png" << QStringList{"--width", "588"} << 2 << none;
        QTest::newRow("not a picture") << "e.jpg" << QStringList() << 2 << none;
        QTest::newRow("marker beyond the points")
            << "f.png" << QStringList{"--marker1", "301"} << 2 << none;
        QTest::newRow("unreadable memory")
            << "g.png" << QStringList{"--memory", "bad.s1p"} << 1 << none;
        QTest::newRow("missing memory")
            << "h.png" << QStringList{"--memory", "none.s2p"} << 1 << none;
        QTest::newRow("no such folder") << "none/i.png" << QStringList() << 3 << none;
    }

    void sizesAndExitCodes() {
        QFETCH(QString, output);
        QFETCH(QStringList, more);
        QFETCH(int, exitCode);
        QFETCH(QSize, growth);
        for (QString& m : more) {
            if (m.endsWith(QLatin1String(".vec")) || m.endsWith(QLatin1String("p"))) {
                m = dir_.filePath(m);
            }
        }
        const TestSupport::CliRun run = RunCli(common(output) + more);
        QVERIFY2(run.exitCode == exitCode, run.err.constData());
        const QString path = dir_.filePath(output);
        if (exitCode != 0) {
            QVERIFY(run.err.startsWith("zezizav-cli: "));
            QVERIFY(!QFileInfo::exists(path));
            return;
        }
        QVERIFY2(run.err.isEmpty(), run.err.constData());
        const TestSupport::CliRun plain = RunCli(common(QStringLiteral("plain.png")));
        QCOMPARE(plain.exitCode, 0);
        const QSize design = QImage(dir_.filePath(QStringLiteral("plain.png"))).size();
        QSize size;
        if (path.endsWith(QLatin1String(".svg"))) {
            QSvgRenderer svg(path);
            QVERIFY(svg.isValid());
            size = svg.viewBox().size();
        } else {
            size = QImage(path).size();
        }
        QCOMPARE(size - design, growth);
    }

    // The command line's picture is the window's "Save Picture…" of the same
    // file, pixel for pixel but for the line that says when it was made: the
    // window opened on the file and held, with the mode, the offset, the
    // memories and the markers the options give, at the graph's size.
    void sameAsTheWindow_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QSize>("graph");  // empty: the window as it starts
        QTest::addColumn<QStringList>("more");
        const QSize asStarted;
        QTest::newRow("as started") << kIni << asStarted << QStringList();
        QTest::newRow("markers either side of the middle, larger graph")
            << kIni << QSize(800, 300) << QStringList{"--marker1=30", "--marker2=250"};
        QTest::newRow("transmission, loss offset and a memory")
            << kIni << QSize(700, 280)
            << QStringList{"--transmission", "--loss-offset=3.5", "--memory", "m.vec"};
        QTest::newRow("text at 150 %, marker 2")
            << kIni + "[DISPLAY]\r\nTextSize=150\r\n"
            << QSize(1000, 420) << QStringList{"--marker2=200"};
    }

    void sameAsTheWindow() {
        QFETCH(QByteArray, ini);
        QFETCH(QSize, graph);
        QFETCH(QStringList, more);
        const QString settings = write(QStringLiteral("same.ini"), ini);
        QVERIFY(!settings.isEmpty());
        WindowFixture f;
        f.settings = ParseSettings(ini.toStdString()).settings;
        f.load();
        chart1& w = *f.w;
        if (!graph.isEmpty()) {
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            // The bars above and below the form settle once shown: the
            // graph grows by what is still missing until it is there.
            for (int i = 0; i < 5 && w.ui.picGraph1->size() != graph; ++i) {
                w.resize(w.size() + graph - w.ui.picGraph1->size());
                QTest::qWait(50);
            }
            QCOMPARE(w.ui.picGraph1->size(), graph);
        }
        QStringList arguments = common(QStringLiteral("cli.png"));
        arguments[3] = settings;
        if (!graph.isEmpty()) {
            arguments << QStringLiteral("--width=%1").arg(graph.width())
                      << QStringLiteral("--height=%1").arg(graph.height());
        }
        // The options as the window's controls take them, in the order the
        // picture is made in: mode, offset, memories, the file, the markers.
        std::array<std::optional<int>, 2> markers;
        for (qsizetype i = 0; i < more.size(); ++i) {
            const QString& m = more[i];
            if (m == QLatin1String("--transmission")) {
                w.Toolbar1_ButtonClick(QStringLiteral("Transmission"));
            } else if (m.startsWith(QLatin1String("--loss-offset="))) {
                w.ui.txtLossOffset->setText(m.section(QLatin1Char('='), 1));
            } else if (m == QLatin1String("--memory")) {
                more[i + 1] = dir_.filePath(more[i + 1]);
                QCOMPARE(w.memoryControl().load(more[i + 1]), QString());
            } else if (m.startsWith(QLatin1String("--marker"))) {
                markers[m.mid(8, 1).toInt() - 1] = m.section(QLatin1Char('='), 1).toInt();
            }
        }
        arguments << more;
        const QString sweep = dir_.filePath(QStringLiteral("s.vec"));
        w.chooseFile = [&](QWidget*, chart1::FileDialog kind, const QString&, const QString&) {
            return kind == chart1::FileDialog::Open ? sweep
                                                    : dir_.filePath(QStringLiteral("w.png"));
        };
        w.mnuOpen_Click();
        for (std::size_t m = 0; m < markers.size(); ++m) {
            if (markers[m]) {
                w.picGraph1_MouseUp(static_cast<int>(m) + 1, 0,
                                    static_cast<float>(*markers[m] * 8835.0 / 300), 0.0f);
            }
        }
        QVERIFY(f.tick());
        QVERIFY(f.tick());
        w.pictureCommands().mnuSavePicture->trigger();
        const TestSupport::CliRun run = RunCli(arguments);
        QVERIFY2(run.exitCode == 0, run.err.constData());

        const QImage window(dir_.filePath(QStringLiteral("w.png")));
        const QImage cli(dir_.filePath(QStringLiteral("cli.png")));
        QVERIFY(!window.isNull());
        QCOMPARE(cli.size(), window.size());
        int first = -1;
        int last = -1;
        for (int y = 0; y < cli.height(); ++y) {
            if (std::memcmp(cli.constScanLine(y), window.constScanLine(y),
                            static_cast<std::size_t>(cli.bytesPerLine())) != 0) {
                first = first < 0 ? y : first;
                last = y;
            }
        }
        const int line = QFontMetrics(w.centralWidget()->font()).lineSpacing();
        QVERIFY2(first < 0 || last - first < line,
                 qPrintable(QStringLiteral("rows %1 to %2 differ").arg(first).arg(last)));
    }
};

QTEST_MAIN(CliPlotTest)
#include "tst_cli_plot.moc"
