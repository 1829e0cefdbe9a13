// View → "Time domain" in the window: nothing is worked out while it is
// hidden; shown, it reads the sweep on the graph after every tick, with the
// marker, the peak list, the cable's velocity factor, the unit remembered in
// the settings file, a Transmission sweep's through path, and a picture.
#include <QtTest>

#include "dut_models.h"
#include "settings/settings_file.h"
#include "support/test_support.h"
#include "timedomain/time_domain_graph.h"
#include "window/settings_dialog.h"
#include "window/time_domain_view.h"

using TestSupport::WindowFixture;

namespace {

// 3 m of 50 ohm, then 75 ohm to the open end.
Sim::DutSettings Cable(double metres) {
    Sim::DutSettings cable;
    cable.dut = Sim::Dut::Cable;
    cable.lengthM = metres;
    cable.faults.push_back({3.0, 75.0});
    cable.cableEnd = Sim::CableEnd::Open;
    return cable;
}

struct Window : WindowFixture {
    QTemporaryDir folder;
    SettingsPlaces places{folder.filePath(QStringLiteral("bin/vezizo.ini")),
                          folder.filePath(QStringLiteral("cfg/zezizav/vezizo.ini"))};

    explicit Window(std::int32_t points = 6000) {
        settings.FMin = 1e6f;
        settings.FMax = 180e6f;
        settings.Champ = points;
        load();
        w->settingsController()->setPlaces(places, SettingsFileToRead(places));
    }
    TimeDomainView& view() { return w->timeDomainView(); }
    template <typename T>
    T* part(const char* name) {
        return view().view()->findChild<T*>(QLatin1String(name));
    }
    QString text(const char* name) { return part<QLabel>(name)->text(); }
    // The detector's counts of the cable at every point, as a sweep leaves them.
    void measure(bool transmission = false, double metres = 5.0) {
        const Sim::DutSettings cable = Cable(metres);
        const double step = (double(settings.FMax) - settings.FMin) / settings.Champ;
        for (std::int32_t k = 1; k <= settings.Champ; ++k) {
            const double hz = settings.FMin + k * step;
            const Sim::Counts c = Sim::CountsOf(transmission ? Sim::Transmission(cable, hz)
                                                             : Sim::Reflection(cable, hz));
            buffers.MagnitudeSamples[k] = static_cast<float>(c.magnitude);
            buffers.PhaseSamples[k] = static_cast<float>(c.phase);
        }
    }
};

std::vector<double> Distances(const TimeDomainResponse& r) {
    std::vector<double> d;
    for (const TimeDomainPeak& p : r.Peaks) {
        d.push_back(p.DistanceM);
    }
    return d;
}

}  // namespace

class TimeDomainViewTest : public QObject {
    Q_OBJECT
private slots:
    void hiddenThenShownAfterEveryTick() {
        Window f;
        f.measure();
        QVERIFY(f.tick());
        QVERIFY(!f.view().response());  // hidden: no work in the tick
        f.w->findChild<QAction*>(QStringLiteral("mnuTimeDomain"))->trigger();
        QVERIFY(f.view().view()->isVisible());
        QVERIFY(f.view().response());
        const std::vector<double> at = Distances(*f.view().response());
        QVERIFY(at.size() >= 2);
        QVERIFY2(std::abs(at[0] - 5.0) < 0.15 && std::abs(at[1] - 3.0) < 0.15,
                 qPrintable(QStringLiteral("%1 %2").arg(at[0]).arg(at[1])));
        auto* peaks = f.part<QTableWidget>("tblTdPeaks");
        QCOMPARE(peaks->rowCount(), static_cast<int>(at.size()));
        QCOMPARE(peaks->item(1, 0)->text(), QStringLiteral("3.00 m"));
        QVERIFY(f.text("lblTdInfo").startsWith(QLatin1String("VF 0.66   Kaiser window")));

        // A new sweep in the buffers is read at the next tick's end.
        f.measure(false, 8.0);
        QVERIFY(f.tick());
        QVERIFY(std::abs(f.view().response()->Peaks[0].DistanceM - 8.0) < 0.15);
    }

    // The peak list and the keys place the marker; a picture holds it.
    void markerByPeakAndKeys() {
        Window f;
        f.measure();
        f.view().show();
        auto* peaks = f.part<QTableWidget>("tblTdPeaks");
        peaks->setCurrentCell(1, 0);
        // On the bin nearest the peak: within half a bin of it (and the
        // text's rounding).
        const QString marker = f.text("lblTdMarker");
        const TimeDomainResponse& r = *f.view().response();
        QVERIFY2(std::abs(marker.mid(8, 4).toDouble() - r.Peaks[1].DistanceM) <=
                         r.DistanceM[1] / 2 + 0.005 &&
                     marker.contains(QLatin1String(" m   reflection +0.")),
                 qPrintable(marker));
        TimeDomainGraph* graph = f.view().graph();
        const std::size_t at = *graph->scene().marker;
        QTest::keyClick(graph, Qt::Key_Right);
        QCOMPARE(*graph->scene().marker, at + 1);
        QTest::keyClick(graph, Qt::Key_Home);
        QVERIFY(f.text("lblTdMarker").startsWith(QLatin1String("Marker: 0.00 m")));
        QTest::keyClick(graph, Qt::Key_Left);  // stays at the port
        QCOMPARE(*graph->scene().marker, std::size_t{0});
        QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(graph->width() - 2, 50));
        QCOMPARE(
            *graph->scene().marker,
            TimeDomainAxesFor(*f.view().response(), TimeDomainTrace::Impulse, DistanceUnit::Metres)
                .LastBin);

        const QString path = f.folder.filePath(QStringLiteral("td"));
        f.w->chooseFile = [&](QWidget*, FileDialog, const QString&, const QString&) {
            return path;
        };
        f.part<QPushButton>("cmdTdSavePicture")->click();
        QImage picture(path + QStringLiteral(".png"));
        QVERIFY(!picture.isNull());
        QVERIFY(picture.height() > graph->height());
    }

    // A cable from the list, a factor typed in, and feet remembered.
    void velocityAndUnit() {
        Window f;
        f.measure();
        f.view().show();
        auto* cable = f.part<QComboBox>("cboTdCable");
        auto* velocity = f.part<QDoubleSpinBox>("spnTdVelocity");
        const int foam = cable->findText(QStringLiteral("Foam PE (VF 0.8)"));
        QVERIFY(foam > 0);
        cable->setCurrentIndex(foam);
        emit cable->activated(foam);
        QCOMPARE(velocity->value(), 0.8);
        QVERIFY(std::abs(f.view().response()->Peaks[0].DistanceM - 5.0 * 0.8 / 0.66) < 0.15);
        velocity->setValue(0.7);
        QCOMPARE(cable->currentText(), QStringLiteral("Other"));

        auto* unit = f.part<QComboBox>("cboTdUnit");
        unit->setCurrentIndex(1);
        emit unit->activated(1);
        QVERIFY(f.part<QTableWidget>("tblTdPeaks")->item(0, 0)->text().endsWith(" ft"));
        QFile ini(f.w->settingsController()->readPath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("DistanceUnit=feet"));
    }

    // Transmission: the through path's delay and length; too few points: why.
    void throughPathAndRefusal() {
        Window f;
        f.w->Toolbar1_ButtonClick(QStringLiteral("Transmission"));
        f.measure(true);
        f.view().show();
        // 5 m at VF 0.66: 25.3 ns, 7.58 m of free space.
        const QString info = f.text("lblTdInfo");
        QVERIFY2(info.startsWith(QLatin1String("Through path: delay 25.")) &&
                     info.contains(QLatin1String("electrical length 7.")) &&
                     info.contains(QLatin1String(" m at VF 0.66")),
                 qPrintable(info));
        QVERIFY(!f.view().response());

        Window two(2);
        two.view().show();
        QVERIFY(!two.view().response());
        QVERIFY(!two.text("lblTdInfo").isEmpty());
        QVERIFY(two.text("lblTdMarker").isEmpty());
    }
};

QTEST_MAIN(TimeDomainViewTest)
#include "tst_time_domain_view.moc"
