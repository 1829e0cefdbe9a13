// The Smith chart's mapping of G to pixels and back, the point under a
// click, the readout's sign and L or C, and its painting: the points whose
// sign is unknown in grey rings where they lie, the caption above.
#include <QtTest>

#include <QImage>
#include <QPainter>
#include <numbers>

#include "timedomain/smith_paint.h"

namespace {

using G = std::complex<double>;

QImage Painted(const SmithScene& scene, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintSmith(painter, scene, size);
    return image;
}

bool Grey(QRgb c) {
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    return std::max({r, g, b}) - std::min({r, g, b}) < 12 && r < 0xB0 && r > 0x40;
}

// How many grey pixels lie within 4 px of at.
int GreyAround(const QImage& image, QPointF at) {
    int n = 0;
    for (int dy = -4; dy <= 4; ++dy) {
        for (int dx = -4; dx <= 4; ++dx) {
            n += Grey(image.pixel(qRound(at.x()) + dx, qRound(at.y()) + dy)) ? 1 : 0;
        }
    }
    return n;
}

}  // namespace

class SmithPaintTest : public QObject {
    Q_OBJECT
private slots:
    // On a 400 x 440 chart the plot is a square; G maps into it and back.
    void mapping_data() {
        QTest::addColumn<G>("gamma");
        QTest::addColumn<double>("u");  // across the plot, 0..1
        QTest::addColumn<double>("v");  // down the plot, 0..1
        QTest::newRow("centre") << G(0, 0) << 0.5 << 0.5;
        QTest::newRow("short, left edge") << G(-1, 0) << 0.0 << 0.5;
        QTest::newRow("open, right edge") << G(1, 0) << 1.0 << 0.5;
        QTest::newRow("+j, top") << G(0, 1) << 0.5 << 0.0;
        QTest::newRow("-j, bottom") << G(0, -1) << 0.5 << 1.0;
        // 50 + j50 ohm lies on r = 1: G = j/(2 + j) = 0.2 + 0.4j.
        QTest::newRow("r=1, x=+1") << G(0.2, 0.4) << 0.6 << 0.3;
    }
    void mapping() {
        QFETCH(G, gamma);
        QFETCH(double, u);
        QFETCH(double, v);
        SmithScene s;
        const QSize size(400, 440);
        const QRect plot = SmithPlotRect(s, size);
        QCOMPARE(plot.width(), plot.height());
        QVERIFY(plot.width() > 250 && QRect(QPoint(), size).contains(plot));
        const QPointF p = SmithPixelOf(gamma, plot);
        QVERIFY2(std::abs(p.x() - (plot.left() + u * plot.width())) < 1e-9 &&
                     std::abs(p.y() - (plot.top() + v * plot.height())) < 1e-9,
                 qPrintable(QStringLiteral("%1 %2").arg(p.x()).arg(p.y())));
        QVERIFY(std::abs(SmithGammaAt(p, plot) - gamma) < 1e-12);
        // The r = 1 circle through that point: Re Z 50 ohm.
        if (QTest::currentDataTag() == QLatin1String("r=1, x=+1")) {
            QVERIFY(std::abs(SmithImpedance(gamma) - G(50, 50)) < 1e-9);
        }
    }

    // The point nearest a click, by pixels, unknown points included.
    void nearestPoint_data() {
        QTest::addColumn<G>("click");
        QTest::addColumn<int>("expected");
        QTest::newRow("on the first") << G(-0.9, 0) << 0;
        QTest::newRow("near the second") << G(0.05, 0.3) << 1;
        QTest::newRow("between, closer to the third") << G(0.5, -0.3) << 2;
        QTest::newRow("outside the circle") << G(1.4, -1.2) << 2;
        QTest::newRow("the unknown one") << G(0.1, 0.85) << 3;
    }
    void nearestPoint() {
        QFETCH(G, click);
        QFETCH(int, expected);
        SmithScene s;
        s.points = {G(-0.9, 0), G(0, 0.3), G(0.6, -0.6), G(0, 0.8)};
        s.known = {true, true, true, false};
        const QSize size(300, 320);
        const auto at = SmithNearestPoint(s, size, SmithPixelOf(click, SmithPlotRect(s, size)));
        QVERIFY(at);
        QCOMPARE(static_cast<int>(*at), expected);
        QVERIFY(!SmithNearestPoint(SmithScene{}, size, QPointF(150, 150)));
    }

    // Rs and the signed Xs from G, L for +, C for -, and "?" unknown.
    void readout_data() {
        QTest::addColumn<double>("ohmsX");
        QTest::addColumn<int>("sign");
        QTest::addColumn<QString>("xs");
        QTest::addColumn<QString>("lc");
        const double w = 2 * std::numbers::pi * 10e6;
        // 1 uH at 10 MHz: 62.83 ohm; 100 pF: -159.2 ohm.
        QTest::newRow("inductive")
            << w * 1e-6 << 1 << "Xs +62.8 ohm (+ inferred)" << QString::fromUtf8("L 1 \u00b5H");
        QTest::newRow("capacitive") << -1 / (w * 100e-12) << -1 << "Xs -159.2 ohm (- inferred)"
                                    << "C 100 pF";
        QTest::newRow("unknown") << 30.0 << 0 << "Xs ?30.0 ohm (sign unknown)"
                                 << "L/C ?";
    }
    void readout() {
        QFETCH(double, ohmsX);
        QFETCH(int, sign);
        QFETCH(QString, xs);
        QFETCH(QString, lc);
        const G z(25.0, ohmsX);
        const G gamma = (z - 50.0) / (z + 50.0);
        // Unknown: Im G shown positive, as SignedGamma gives it.
        const G shown = sign == 0 ? G(gamma.real(), std::abs(gamma.imag())) : gamma;
        const QStringList lines = SmithPointLines(
            10e6, shown, static_cast<ReactanceSign>(static_cast<std::int8_t>(sign)));
        QCOMPARE(lines, (QStringList{"10.000 MHz", "Rs 25.0 ohm", xs, lc}));
    }

    // A point of unknown sign is a grey ring where it lies, a known one is
    // not; the caption is drawn above the circle, the message with no points.
    void unknownPointsAndCaption() {
        const QSize size(360, 400);
        SmithScene s;
        s.font = QFont(QStringLiteral("Sans"), 9);
        // Two clear of the grid lines: 0.33 + 0.47j and 0.45 - 0.4j.
        s.points = {G(0.1, 0.1), G(0.33, 0.47), G(0.45, -0.4)};
        s.known = {true, false, true};
        const QRect plot = SmithPlotRect(s, size);
        const QImage image = Painted(s, size);
        QVERIFY(GreyAround(image, SmithPixelOf(s.points[1], plot)) >= 6);
        QCOMPARE(GreyAround(image, SmithPixelOf(s.points[2], plot)), 0);
        s.known = {true, true, true};
        QCOMPARE(GreyAround(Painted(s, size), SmithPixelOf(s.points[1], plot)), 0);

        // The caption's band above the plot has ink, and none without it.
        const auto inkAbove = [&](const QImage& im) {
            int n = 0;
            for (int y = 0; y < plot.top() - QFontMetrics(s.font).horizontalAdvance("+0.5"); ++y) {
                for (int x = 0; x < size.width(); ++x) {
                    n += qGray(im.pixel(x, y)) < 128 ? 1 : 0;
                }
            }
            return n;
        };
        QVERIFY(inkAbove(image) > 20);
        s.caption.clear();
        QCOMPARE(inkAbove(Painted(s, size)), 0);

        // No points: the message in the middle instead.
        SmithScene empty;
        empty.font = s.font;
        const QImage blank = Painted(empty, size);
        empty.message = QStringLiteral("The Smith chart shows reflection");
        const QImage said = Painted(empty, size);
        const QPoint middle = SmithPlotRect(empty, size).center();
        int differ = 0;
        for (int x = middle.x() - 80; x < middle.x() + 80; ++x) {
            for (int y = middle.y() - 10; y < middle.y() + 10; ++y) {
                differ += blank.pixel(x, y) != said.pixel(x, y) ? 1 : 0;
            }
        }
        QVERIFY(differ > 50);
    }
};

QTEST_MAIN(SmithPaintTest)
#include "tst_smith_paint.moc"
