// Where the captions around the graph lie, for graphs grown beyond the
// design and at the text sizes: beside the graph and level with the lines
// they name, the impedance scale following the right edge, the frequency
// axis one label a tenth under the bottom edge.
#include <QtTest>

#include "measure/graph_captions.h"

namespace {

// A line's y in pixels in a graph of that size.
int LineY(QSize graph, float twips) {
    return GraphMapping{static_cast<double>(graph.width()), static_cast<double>(graph.height())}
        .pixelY(twips);
}

}  // namespace

class GraphCaptionsTest : public QObject {
    Q_OBJECT

private slots:
    void placesAroundTheGraph_data() {
        QTest::addColumn<QSize>("graph");
        QTest::addColumn<double>("scale");
        QTest::newRow("design") << QSize(589, 253) << 1.0;
        QTest::newRow("grown") << QSize(1589, 653) << 1.0;
        QTest::newRow("125 %, barely grown") << QSize(737, 320) << 1.25;
        QTest::newRow("150 %, its design") << QSize(884, 380) << 1.5;
        QTest::newRow("200 %, grown") << QSize(1500, 700) << 2.0;
    }

    void placesAroundTheGraph() {
        QFETCH(QSize, graph);
        QFETCH(double, scale);
        const QRect design = ScaledRect(GraphDesign::Graph.pixels(), scale);
        QVERIFY(graph.width() >= design.width() && graph.height() >= design.height());
        QCOMPARE(GraphPlace(graph, scale), QRect(design.topLeft(), graph));

        for (const OhmScale ohm : {OhmScale::To500, OhmScale::To100}) {
            const auto places = ScaleCaptionPlaces(graph, scale, ohm);
            const auto atDesign = ScaleCaptionPlaces(design.size(), scale, ohm);
            for (std::size_t i = 0; i < kScaleCaptions; ++i) {
                const QRect& r = places[i];
                const bool left = static_cast<ScaleCaption>(i) < ScaleCaption::Ohm0;
                QVERIFY2(left ? r.right() < 0 : r.left() > graph.width() - 1,
                         qPrintable(QString::number(i)));
                // Sized as designed at the text size whatever the graph's size;
                // the right-hand ones keep their distance from its right edge.
                QCOMPARE(r.size(), atDesign[i].size());
                QCOMPARE(r.left() - (left ? 0 : graph.width()),
                         atDesign[i].left() - (left ? 0 : design.width()));
            }
            const GraphScalePositions p =
                ComputeGraphScalePositions(static_cast<float>(design.top() * 15.0), 3795.0f, ohm);
            const std::pair<ScaleCaption, float> level[] = {
                {ScaleCaption::Db10, p.lin10dB},    {ScaleCaption::Db20, p.lin20dB},
                {ScaleCaption::Ohm75, p.lin225ohm}, {ScaleCaption::Ohm150, p.lin150ohm},
                {ScaleCaption::Ohm225, p.lin75ohm}, {ScaleCaption::Ohm50, p.lin50ohm}};
            for (const auto& [caption, y] : level) {
                const QRect& r = places[static_cast<std::size_t>(caption)];
                QVERIFY2(std::abs(r.center().y() - LineY(graph, y)) <= 2,
                         qPrintable(QStringLiteral("caption %1 at %2, its line at %3")
                                        .arg(static_cast<int>(caption))
                                        .arg(r.center().y())
                                        .arg(LineY(graph, y))));
            }
        }

        const auto axis = FrequencyAxisPlaces(graph, scale);
        QCOMPARE(axis.front().left(), 0);
        QCOMPARE(axis.back().right(), graph.width() - 1);
        for (std::size_t k = 0; k < axis.size(); ++k) {
            QCOMPARE(axis[k].top(), graph.height() - 1 + ScaledPixels(2, scale));
            QCOMPARE(axis[k].size(), axis[0].size());
            if (k > 0 && k + 1 < axis.size()) {
                const int tenth = graph.width() * static_cast<int>(k) / 10;
                QVERIFY(std::abs(axis[k].center().x() - tenth) <= 1);
            }
        }
        QVERIFY(axis[0].width() * 10 >= graph.width() - 10);
        QVERIFY(std::abs(axis[0].height() - 13.0 * scale) <= 1.0);
    }
};

QTEST_MAIN(GraphCaptionsTest)
#include "tst_graph_captions.moc"
