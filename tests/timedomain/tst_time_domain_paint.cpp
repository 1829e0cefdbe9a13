// The time view's axes, its bins under the mouse and its painting, on a
// response made by hand: the span follows the furthest peak, the impedance's
// scale stops before an open end, and the marker is drawn where it reads.
#include <QtTest>

#include <QImage>
#include <QPainter>

#include "timedomain/time_domain_paint.h"

namespace {

// 100 m in 5 cm bins: 50 ohm to 3 m, 75 ohm to 5 m, then open.
TimeDomainResponse Cable() {
    TimeDomainResponse r;
    for (int n = 0; n < 2000; ++n) {
        const double m = n * 0.05;
        r.DistanceM.push_back(m);
        r.Impulse.push_back(n == 60 ? 0.2 : n == 100 ? 0.9 : 0.0);
        r.Step.push_back(m < 3 ? 0.0 : m < 5 ? 0.2 : 1.0);
        r.Ohms.push_back(m < 3 ? 50.0 : m < 5 ? 75.0 : 1e6);
    }
    r.Peaks = {{5.0, 0.9}, {3.0, 0.2}};
    r.ResolutionM = 0.5;
    r.AliasFreeM = 99.95;
    return r;
}

}  // namespace

class TimeDomainPaintTest : public QObject {
    Q_OBJECT
private slots:
    void axes_data() {
        QTest::addColumn<int>("trace");
        QTest::addColumn<bool>("feet");
        QTest::addColumn<double>("spanM");
        QTest::addColumn<double>("xMax");
        QTest::addColumn<double>("xStep");
        QTest::addColumn<double>("yMin");
        QTest::addColumn<double>("yMax");
        QTest::addColumn<int>("lastBin");
        const int impulse = int(TimeDomainTrace::Impulse), ohms = int(TimeDomainTrace::Impedance);
        // 1.25 x 5 m + 2 resolutions = 7.25 m, on a grid of 1 m.
        QTest::newRow("auto, metres")
            << impulse << false << 0.0 << 8.0 << 1.0 << -1.0 << 1.0 << 160;
        // 7.25 m is 23.8 ft: 25 ft on a grid of 5; the last bin within 7.62 m.
        QTest::newRow("auto, feet") << impulse << true << 0.0 << 25.0 << 5.0 << -1.0 << 1.0 << 152;
        QTest::newRow("chosen span")
            << impulse << false << 50.0 << 50.0 << 10.0 << -1.0 << 1.0 << 1000;
        QTest::newRow("beyond the alias-free range")
            << impulse << false << 500.0 << 100.0 << 20.0 << -1.0 << 1.0 << 1999;
        // 75 ohm is the most short of the open end: 0..100 ohm, not 0..1000.
        QTest::newRow("impedance leaves out the open end")
            << ohms << false << 0.0 << 8.0 << 1.0 << 0.0 << 100.0 << 160;
        QTest::newRow("step") << int(TimeDomainTrace::Step) << false << 0.0 << 8.0 << 1.0 << -1.5
                              << 1.5 << 160;
    }
    void axes() {
        QFETCH(int, trace);
        QFETCH(bool, feet);
        QFETCH(double, spanM);
        const TimeDomainAxes a =
            TimeDomainAxesFor(Cable(), static_cast<TimeDomainTrace>(trace),
                              feet ? DistanceUnit::Feet : DistanceUnit::Metres, spanM);
        QTEST(a.XMax, "xMax");
        QTEST(a.XStep, "xStep");
        QTEST(a.YMin, "yMin");
        QTEST(a.YMax, "yMax");
        QTEST(static_cast<int>(a.LastBin), "lastBin");
    }

    // Left edge, right edge, beyond both, and the bin of 5 m found by its x.
    void binsUnderTheMouseAndTheMarker() {
        const TimeDomainResponse r = Cable();
        TimeDomainScene scene;
        scene.response = &r;
        const QSize size(600, 300);
        const QRect plot = TimeDomainPlotRect(scene, size);
        QCOMPARE(TimeDomainBinAt(scene, size, plot.left()), std::optional<std::size_t>(0));
        QCOMPARE(TimeDomainBinAt(scene, size, 0), std::optional<std::size_t>(0));
        QCOMPARE(TimeDomainBinAt(scene, size, plot.left() + plot.width()),
                 std::optional<std::size_t>(160));
        QCOMPARE(TimeDomainBinAt(scene, size, size.width() + 50), std::optional<std::size_t>(160));
        const int x5 = plot.left() + qRound(5.0 / 8.0 * plot.width());
        QCOMPARE(TimeDomainBinAt(scene, size, x5), std::optional<std::size_t>(100));

        scene.marker = 100;
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintTimeDomain(painter, scene, size);
        painter.end();
        int red = 0;
        for (int y = plot.top(); y < plot.bottom(); ++y) {
            red += image.pixelColor(x5, y) == QColor(Qt::red);
        }
        QVERIFY2(red > plot.height() / 3, qPrintable(QString::number(red)));
        QCOMPARE(TimeDomainMarkerText(r, 100, DistanceUnit::Metres),
                 QStringLiteral("5.00 m   reflection +0.900   > 10000 ohm"));
        QCOMPARE(TimeDomainMarkerText(r, 70, DistanceUnit::Feet),
                 QStringLiteral("11.48 ft   reflection +0.000   75.0 ohm"));
        QCOMPARE(TimeDomainPeaksLine(r, DistanceUnit::Metres, 1),
                 QStringLiteral("Peaks: 5.00 m  +0.900"));
    }

    // Without a response, the reason in words, and a picture of either kind.
    void messageAndPictures() {
        TimeDomainScene scene;
        scene.message = QStringLiteral("A sweep needs at least 3 points");
        scene.lines = {QStringLiteral("one"), QStringLiteral("two")};
        const QByteArray png = TimeDomainPictureBytes(scene, QSize(400, 200), PictureFormat::Png);
        QImage image;
        QVERIFY(image.loadFromData(png, "PNG"));
        QCOMPARE(image.size(), TimeDomainPictureSize(scene, QSize(400, 200)));
        QVERIFY(image.height() > 200);
        QVERIFY(
            TimeDomainPictureBytes(scene, QSize(400, 200), PictureFormat::Svg).startsWith("<?xml"));
    }
};

QTEST_MAIN(TimeDomainPaintTest)
#include "tst_time_domain_paint.moc"
