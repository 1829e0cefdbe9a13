#include <QtTest>

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <vector>

#include "measure/fork_join.h"
#include "measure/trace_pixels.h"

namespace {

// Segments through the given points (in pixels when k is 1), joined end to start.
std::vector<Segment> Path(const std::vector<QPointF>& points) {
    std::vector<Segment> out;
    for (std::size_t i = 1; i < points.size(); ++i) {
        out.push_back(
            Segment{static_cast<float>(points[i - 1].x()), static_cast<float>(points[i - 1].y()),
                    static_cast<float>(points[i].x()), static_cast<float>(points[i].y())});
    }
    return out;
}

std::vector<std::vector<QPointF>> Runs(const TracePolylines& t) {
    std::vector<std::vector<QPointF>> runs;
    std::size_t start = 0;
    for (const std::size_t end : t.runEnds) {
        runs.emplace_back(t.points.begin() + static_cast<std::ptrdiff_t>(start),
                          t.points.begin() + static_cast<std::ptrdiff_t>(end));
        start = end;
    }
    return runs;
}

// The pixels a one-pixel cosmetic pen lights, aliased, as the graph paints.
QImage Lit(const QSize& size, const std::function<void(QPainter&)>& draw) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    QPen pen(Qt::white);
    pen.setCosmetic(true);
    painter.setPen(pen);
    draw(painter);
    return image;
}

QImage Thinned(const QSize& size, const TracePolylines& t) {
    return Lit(size, [&](QPainter& p) {
        std::size_t start = 0;
        for (const std::size_t end : t.runEnds) {
            p.drawPolyline(t.points.data() + start, static_cast<int>(end - start));
            start = end;
        }
    });
}

int LitCount(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) != qRgb(0, 0, 0) ? 1 : 0;
        }
    }
    return n;
}

// The lowest and highest y the polylines reach within each pixel column
// [x, x + 1), segments clipped at the column edges; {inf, -inf} where the path
// never enters.
std::vector<std::pair<double, double>> ColumnExtents(const TracePolylines& t, int columns) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<std::pair<double, double>> ext(static_cast<std::size_t>(columns), {inf, -inf});
    const auto reach = [&](int c, double y) {
        if (c >= 0 && c < columns) {
            auto& e = ext[static_cast<std::size_t>(c)];
            e = {std::min(e.first, y), std::max(e.second, y)};
        }
    };
    std::size_t start = 0;
    for (const std::size_t end : t.runEnds) {
        for (std::size_t i = start + 1; i < end; ++i) {
            QPointF a = t.points[i - 1];
            QPointF b = t.points[i];
            if (a.x() > b.x()) {
                std::swap(a, b);
            }
            const int first = static_cast<int>(std::floor(a.x()));
            const int last = static_cast<int>(std::floor(b.x()));
            reach(first, a.y());
            reach(last, b.y());
            for (int c = first + 1; c <= last; ++c) {  // the edge at x = c
                const double y = a.y() + (b.y() - a.y()) * (c - a.x()) / (b.x() - a.x());
                reach(c - 1, y);
                reach(c, y);
            }
        }
        start = end;
    }
    return ext;
}

int DifferentCount(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return n;
}

}  // namespace

class TestTracePixels : public QObject {
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void columnKeepsFirstExtremesAndLastInPathOrder();
    void twipsAreScaledToPixels();
    void devicePixelRatioNarrowsTheColumns();
    void keepsEveryColumnsHeights_data();
    void keepsEveryColumnsHeights();
    void runsBeyondTheEdgesAreCut();
    void pointsWithin_data();
    void pointsWithin();
    void forkJoin_data();
    void forkJoin();
};

void TestTracePixels::runs_data() {
    QTest::addColumn<std::vector<Segment>>("segments");
    QTest::addColumn<std::vector<std::vector<QPointF>>>("expected");
    QTest::newRow("nothing") << std::vector<Segment>{} << std::vector<std::vector<QPointF>>{};
    QTest::newRow("one column per point: kept whole")
        << Path({{0.5, 10}, {1.5, 20}, {2.5, 5}})
        << std::vector<std::vector<QPointF>>{{{0.5, 10}, {1.5, 20}, {2.5, 5}}};
    // Impedance segments with Step > 1 do not meet: each is its own line.
    QTest::newRow("gaps part the polylines")
        << std::vector<Segment>{{0, 1, 2, 3}, {5, 3, 7, 4}}
        << std::vector<std::vector<QPointF>>{{{0, 1}, {2, 3}}, {{5, 3}, {7, 4}}};
    // Single-precision x products miss the last end by far less than a pixel.
    QTest::newRow("a miss below 1/64 px still joins")
        << std::vector<Segment>{{0, 1, 2, 3}, {2.01f, 3, 4, 5}}
        << std::vector<std::vector<QPointF>>{{{0, 1}, {2, 3}, {4, 5}}};
    QTest::newRow("a miss of 1/32 px parts")
        << std::vector<Segment>{{0, 1, 2, 3}, {2.03125f, 3, 4, 5}}
        << std::vector<std::vector<QPointF>>{{{0, 1}, {2, 3}}, {{2.03125, 3}, {4, 5}}};
    QTest::newRow("a segment of no length still lights its pixel")
        << std::vector<Segment>{{3, 3, 3, 3}}
        << std::vector<std::vector<QPointF>>{{{3, 3}, {3, 3}}};
}

void TestTracePixels::runs() {
    QFETCH(std::vector<Segment>, segments);
    QFETCH(std::vector<std::vector<QPointF>>, expected);
    TracePolylines out;
    ToPixelPolylines(segments, 1.0, 1.0, out);
    QCOMPARE(out.segments, segments.size());
    const auto runs = Runs(out);
    QCOMPARE(runs.size(), expected.size());
    for (std::size_t r = 0; r < runs.size(); ++r) {
        QCOMPARE(runs[r].size(), expected[r].size());
        for (std::size_t i = 0; i < runs[r].size(); ++i) {
            QCOMPARE(runs[r][i].x(), expected[r][i].x());
            QCOMPARE(runs[r][i].y(), expected[r][i].y());
        }
    }
}

void TestTracePixels::columnKeepsFirstExtremesAndLastInPathOrder() {
    // Ten points in column 4, the highest y before the lowest, then on to
    // column 5. Column 3's point leads in. Eighths keep the floats exact.
    TracePolylines out;
    ToPixelPolylines(Path({{3.5, 50},
                           {4.0, 40},
                           {4.125, 45},
                           {4.25, 90},  // highest y
                           {4.375, 60},
                           {4.5, 10},  // lowest y
                           {4.625, 30},
                           {4.75, 35},
                           {4.875, 20},
                           {4.9375, 25},
                           {4.96875, 22},
                           {5.25, 70}}),
                     1.0, 1.0, out);
    const std::vector<QPointF> expected{{3.5, 50}, {4.0, 40},     {4.25, 90},
                                        {4.5, 10}, {4.96875, 22}, {5.25, 70}};
    QCOMPARE(Runs(out), std::vector<std::vector<QPointF>>{expected});

    // When the first point is the extreme it is not repeated.
    ToPixelPolylines(Path({{4.0, 5}, {4.25, 60}, {4.5, 30}}), 1.0, 1.0, out);
    QCOMPARE(Runs(out), (std::vector<std::vector<QPointF>>{{{4.0, 5}, {4.25, 60}, {4.5, 30}}}));
    ToPixelPolylines(Path({{4.0, 5}, {4.25, 6}, {4.5, 7}, {4.75, 8}}), 1.0, 1.0, out);
    QCOMPARE(Runs(out), (std::vector<std::vector<QPointF>>{{{4.0, 5}, {4.75, 8}}}));
}

void TestTracePixels::twipsAreScaledToPixels() {
    TracePolylines out;
    ToPixelPolylines({{15, 30, 150, 3795}}, 1.0 / 15.0, 1.0, out);
    QCOMPARE(out.points.size(), std::size_t{2});
    QCOMPARE(out.points[0], QPointF(1, 2));
    QCOMPARE(out.points[1], QPointF(10, 253));
}

void TestTracePixels::devicePixelRatioNarrowsTheColumns() {
    // Six points in one logical column, three in each half: the column keeps
    // four of them, each of two device columns at ratio 2 keeps its three.
    const auto path = Path({{1.0, 10}, {1.125, 40}, {1.25, 20}, {1.5, 5}, {1.625, 30}, {1.75, 15}});
    TracePolylines out;
    ToPixelPolylines(path, 1.0, 1.0, out);
    QCOMPARE(out.points.size(), std::size_t{4});
    ToPixelPolylines(path, 1.0, 2.0, out);
    QCOMPARE(out.points.size(), std::size_t{6});
    ToPixelPolylines(path, 1.0, 0.0, out);  // a ratio below 1 counts as 1
    QCOMPARE(out.points.size(), std::size_t{4});
}

void TestTracePixels::keepsEveryColumnsHeights_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<double>("noise");
    QTest::newRow("smooth 6000") << 6000 << 0.0;
    QTest::newRow("noisy 6000") << 6000 << 40.0;
    QTest::newRow("noisy 32767") << 32767 << 40.0;
}

void TestTracePixels::keepsEveryColumnsHeights() {
    QFETCH(int, points);
    QFETCH(double, noise);
    // A resonance across the graph's 589 x 253 pixels, with noise on top.
    const QSize size(589, 253);
    auto rng = QRandomGenerator(7);
    const double width = static_cast<double>(size.width()) / points;
    std::vector<Segment> segments;
    float lastY = 120.0f;
    for (int i = 1; i <= points; ++i) {
        const double x = (i - points / 2.0) / (points / 20.0);
        const auto y = static_cast<float>(200.0 - 150.0 / (1.0 + x * x) +
                                          noise * (rng.generateDouble() - 0.5));
        segments.push_back(
            Segment{static_cast<float>((i - 1) * width), lastY, static_cast<float>(i * width), y});
        lastY = y;
    }
    TracePolylines out;
    ToPixelPolylines(segments, 1.0, 1.0, out);
    QVERIFY2(out.points.size() < segments.size() / 2,
             qPrintable(QStringLiteral("%1 points kept of %2 segments")
                            .arg(out.points.size())
                            .arg(segments.size())));

    // The reference: every point as one polyline, as the graph painted before
    // thinning.
    TracePolylines whole;
    whole.points.emplace_back(segments.front().x1, segments.front().y1);
    for (const Segment& s : segments) {
        whole.points.emplace_back(s.x2, s.y2);
    }
    whole.runEnds.push_back(whole.points.size());
    const QImage reference = Thinned(size, whole);
    const QImage thinned = Thinned(size, out);
    const int lit = LitCount(reference);
    const int different = DifferentCount(reference, thinned);
    // Qt rasterises a steep segment a little differently after a different
    // neighbour, so a few pixels at a column's edge may move.
    QVERIFY2(different * 100 <= 3 * lit,
             qPrintable(QStringLiteral("%1 of %2 lit pixels differ").arg(different).arg(lit)));
    // Exactly: the part of the path in each column reaches the same heights.
    const auto before = ColumnExtents(whole, size.width());
    const auto after = ColumnExtents(out, size.width());
    for (int x = 0; x < size.width(); ++x) {
        QVERIFY2(before[x] == after[x],
                 qPrintable(QStringLiteral("column %1 reaches %2..%3, not %4..%5")
                                .arg(x)
                                .arg(after[x].first)
                                .arg(after[x].second)
                                .arg(before[x].first)
                                .arg(before[x].second)));
    }
}

// An SWR trace of a wide sweep spends most of its points far above the top
// edge: there the path keeps only where it turns back, and the picture is
// the same pixel for pixel.
void TestTracePixels::runsBeyondTheEdgesAreCut() {
    const QSize size(400, 100);
    auto rng = QRandomGenerator(11);
    std::vector<QPointF> path;
    for (int i = 0; i <= 4000; ++i) {
        const double x = i * 0.1;
        // Mostly far above or below, dipping into the picture now and then.
        const int band = (i / 500) % 3;
        const double y = band == 0 ? -3000.0 : band == 1 ? 50.0 : 4000.0;
        path.emplace_back(x, y + (band == 1 ? 80.0 : 2000.0) * (rng.generateDouble() - 0.5));
    }
    const std::vector<Segment> segments = Path(path);
    TracePolylines all;
    TracePolylines cut;
    ToPixelPolylines(segments, 1.0, 1.0, 1.0, all);
    ToPixelPolylines(segments, 1.0, 1.0, 1.0, cut, size.height());
    const auto beyond = [&](const TracePolylines& t) {
        return std::count_if(t.points.begin(), t.points.end(), [&](const QPointF& p) {
            return p.y() < -2.0 || p.y() > size.height() + 2.0;
        });
    };
    QVERIFY2(beyond(all) > 300 && beyond(cut) <= 12,
             qPrintable(QStringLiteral("%1, then %2 beyond").arg(beyond(all)).arg(beyond(cut))));
    QCOMPARE(Thinned(size, cut), Thinned(size, all));
}

// Both halves always run to their end before the call returns, on two threads
// when a second core is there, and a failure on either side reaches the caller.
// Half a picture draws from the last point left of its columns to the first
// right of them, two pixels' reach on either side; a path that turns back in
// x is drawn whole.
void TestTracePixels::pointsWithin_data() {
    QTest::addColumn<std::vector<double>>("xs");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<std::size_t>("first");
    QTest::addColumn<std::size_t>("last");
    const std::vector<double> rising{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("left half") << rising << 0.0 << 5.0 << std::size_t(0) << std::size_t(9);
    QTest::newRow("right half") << rising << 5.0 << 10.0 << std::size_t(2) << std::size_t(10);
    QTest::newRow("middle") << rising << 4.0 << 5.0 << std::size_t(1) << std::size_t(9);
    QTest::newRow("reach only") << rising << 11.0 << 20.0 << std::size_t(8) << std::size_t(10);
    QTest::newRow("beyond reach") << rising << 12.5 << 20.0 << std::size_t(9) << std::size_t(10);
    QTest::newRow("long segment across")
        << std::vector<double>{0, 100} << 40.0 << 60.0 << std::size_t(0) << std::size_t(2);
    QTest::newRow("turns back: whole")
        << std::vector<double>{0, 5, 3, 9} << 6.0 << 9.0 << std::size_t(0) << std::size_t(4);
}

void TestTracePixels::pointsWithin() {
    QFETCH(std::vector<double>, xs);
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(std::size_t, first);
    QFETCH(std::size_t, last);
    std::vector<QPointF> points;
    for (const double x : xs) {
        points.emplace_back(x, x * x);
    }
    TracePolylines pixels;
    ToPixelPolylines(Path(points), 1.0, 1.0, pixels);
    QCOMPARE(pixels.points.size(), xs.size());
    const auto [a, b] = PointsWithin(pixels, 0, pixels.points.size(), from, to);
    QCOMPARE(a, first);
    QCOMPARE(b, last);
}

void TestTracePixels::forkJoin_data() {
    QTest::addColumn<bool>("sideThrows");
    QTest::addColumn<bool>("hereThrows");
    QTest::newRow("both finish") << false << false;
    QTest::newRow("side fails") << true << false;
    QTest::newRow("here fails") << false << true;
}

void TestTracePixels::forkJoin() {
    QFETCH(bool, sideThrows);
    QFETCH(bool, hereThrows);
    std::atomic<int> finished = 0;
    Qt::HANDLE sideThread = nullptr;
    bool failed = false;
    try {
        ForkJoin(
            [&] {
                sideThread = QThread::currentThreadId();
                ++finished;
                if (sideThrows) {
                    throw std::runtime_error("side");
                }
            },
            [&] {
                ++finished;
                if (hereThrows) {
                    throw std::runtime_error("here");
                }
            });
    } catch (const std::runtime_error&) {
        failed = true;
    }
    QCOMPARE(finished.load(), 2);
    QCOMPARE(failed, sideThrows || hereThrows);
    QCOMPARE(sideThread != QThread::currentThreadId(), QThread::idealThreadCount() > 1);
}

QTEST_MAIN(TestTracePixels)
#include "tst_trace_pixels.moc"
