// View → "Text size": the whole design scaled together, the window's
// smallest size with it, remembered in the settings file, and 100 % the
// design exactly, also after another size.
#include <QtTest>

#include "window/chart1_resize.h"
#include "window/settings_dialog.h"
#include "settings/settings_file.h"
#include "window/text_size.h"
#include "window/calibrate_controller.h"
#include "measure/graph_widget.h"
#include "measure/line_widget.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A window whose settings file lives in a folder of its own.
struct Window : WindowFixture {
    QTemporaryDir folder;
    SettingsPlaces places{folder.filePath(QStringLiteral("bin/vezizo.ini")),
                          folder.filePath(QStringLiteral("cfg/zezizav/vezizo.ini"))};

    explicit Window(int percent = 100) {
        settings.TextSize = percent;
        load();
        w->settingsController()->setPlaces(places, SettingsFileToRead(places));
        w->show();
    }
    void choose(int percent) {
        w->findChild<QAction*>(QStringLiteral("mnuTextSize%1").arg(percent))->trigger();
    }
    // Every named widget's place, size and font, and the smallest sizes.
    QStringList look() const {
        QStringList l;
        for (const QWidget* x : w->findChildren<QWidget*>()) {
            if (x->objectName().startsWith(QLatin1String("qt_"))) {
                // Qt's own parts, placed by their owners when they show.
                l << QStringLiteral("%1 %2").arg(x->objectName()).arg(x->isVisible());
            } else if (!x->objectName().isEmpty()) {
                const QRect g = x->geometry();
                l << QStringLiteral("%1 %2,%3 %4x%5 %6 %7")
                         .arg(x->objectName())
                         .arg(g.x())
                         .arg(g.y())
                         .arg(g.width())
                         .arg(g.height())
                         .arg(x->font().toString())
                         .arg(x->isVisible());
            }
        }
        l << QStringLiteral("form min %1x%2")
                 .arg(w->centralWidget()->minimumWidth())
                 .arg(w->centralWidget()->minimumHeight());
        return l;
    }
};

}  // namespace

class TextSizeTest : public QObject {
    Q_OBJECT

private slots:
    // Back at 100 % from another size, every widget is where the design
    // puts it, at its size and in its font, and the window may again be as
    // small as designed.
    void backToTheDesign() {
        Window f;
        QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
        const QStringList design = f.look();
        const QSize smallest = f.w->minimumSizeHint();
        for (const int percent : {200, 125, 100}) {
            f.choose(percent);
            QCOMPARE(f.w->textSize().percent(), percent);
            QCOMPARE(f.w->ui.textScale, percent / 100.0);
            // At its smallest, the window follows the smallest size down too.
            QCOMPARE(f.w->size(), f.w->minimumSizeHint());
        }
        QCOMPARE(f.look(), design);
        QCOMPARE(f.w->minimumSizeHint(), smallest);
        // Grown by the user, it keeps its size; the graph takes the room.
        f.w->resize(f.w->size() + QSize(300, 200));
        const QSize grown = f.w->size();
        f.choose(125);
        QCOMPARE(f.w->size(), grown);
        f.choose(100);
        QCOMPARE(f.w->size(), grown);
    }

    // Each size scales the design as one: sizes and places, the window's
    // font and the fonts of their own, the smallest size; the captions stay
    // level with their lines, the tags above the graph's bottom edge, the
    // axis under it, and every control inside its frame.
    void scalesTogether_data() {
        QTest::addColumn<int>("percent");
        QTest::newRow("125 %") << 125;
        QTest::newRow("150 %") << 150;
        QTest::newRow("200 %") << 200;
    }
    void scalesTogether() {
        QFETCH(int, percent);
        const double s = percent / 100.0;
        Window design;
        Window f(percent);
        QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
        QVERIFY(f.tick());
        QVERIFY(design.tick());
        const Chart1Widgets& d = design.w->ui;
        const Chart1Widgets& ui = f.w->ui;
        QVERIFY(
            f.w->findChild<QAction*>(QStringLiteral("mnuTextSize%1").arg(percent))->isChecked());

        QCOMPARE(f.w->centralWidget()->minimumSize(),
                 QSize(ScaledPixels(design.w->centralWidget()->minimumWidth(), s),
                       ScaledPixels(design.w->centralWidget()->minimumHeight(), s)));
        QVERIFY(f.w->width() >= f.w->centralWidget()->minimumWidth());
        QCOMPARE(ui.picGraph1->geometry(), ScaledRect(d.picGraph1->geometry(), s));
        for (const char* name : {"cmdRUN", "fraFreqSwpLim", "txtStart", "txtMkr1SWR", "chkBW",
                                 "lblMkrFreq", "Toolbar1", "lblM1"}) {
            const QString n = QLatin1String(name);
            QCOMPARE(f.w->findChild<QWidget*>(n)->size(),
                     ScaledRect(design.w->findChild<QWidget*>(n)->geometry(), s).size());
        }
        QCOMPARE(ui.txtStart->pos(), ScaledRect(d.txtStart->geometry(), s).topLeft());
        QCOMPARE(f.w->font().pixelSize(), ScaledPixels(11, s));
        QVERIFY(ui.cmdRUN->font().bold());
        QCOMPARE(ui.cmdRUN->font().pixelSize(), ScaledPixels(11, s));
        QCOMPARE(f.w->calibrate().lblNorm->font().pixelSize(), ScaledPixels(8, s));
        QCOMPARE(ui.txtMkr1SWR->font().pixelSize(), ScaledPixels(11, s));
        QCOMPARE(ui.Toolbar1->iconSize(), QSize(ScaledPixels(16, s), ScaledPixels(16, s)));

        const QRect g = ui.picGraph1->geometry();
        for (const auto& [caption, line] :
             {std::pair{ui.lbl75ohm, ui.lin225ohm}, std::pair{ui.lbl50ohm, ui.lin50ohm},
              std::pair{ui.lbl10dB, ui.lin10dB}}) {
            const int middle = caption->y() + caption->height() / 2;
            QVERIFY2(std::abs(middle - (g.top() + line->y())) <= 2,
                     qPrintable(caption->objectName()));
        }
        QVERIFY(ui.lbl0ohm->x() > g.right());
        const int designAbove = d.picGraph1->height() - d.lblM1->y();
        QVERIFY(std::abs(g.height() - ui.lblM1->y() - ScaledPixels(designAbove, s)) <= 1);
        QCOMPARE(ui.lblFreqAxis[5]->y(), g.bottom() + ScaledPixels(2, s));
        QCOMPARE(ui.lblFreqAxis[5]->height(), ScaledRect(d.lblFreqAxis[5]->geometry(), s).height());

        // What the design holds whole within its frame stays whole in it.
        for (const QGroupBox* frame : d.picGraph1->parentWidget()->findChildren<QGroupBox*>()) {
            for (const QWidget* x :
                 frame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (x->objectName().isEmpty() || !frame->rect().contains(x->geometry())) {
                    continue;
                }
                const auto* scaled = f.w->findChild<QWidget*>(x->objectName());
                QVERIFY2(scaled->parentWidget()->rect().contains(scaled->geometry()),
                         qPrintable(x->objectName()));
            }
        }

        // The tag of marker 2, left of its line, keeps its right edge on the
        // line when the size changes under it.
        design.w->ui.chkMkr2->setChecked(true);
        design.w->cmdZoomSweep_Click();
        design.choose(percent);
        const GraphWidget* dg = design.w->ui.picGraph1;
        QCOMPARE(design.w->ui.lblM2->geometry().right() + 1,
                 dg->mapping().pixelX(design.w->ui.linM2->X1()));
        QCOMPARE(design.w->ui.lblM2->width(), ui.lblM2->width());
    }

    // A choice is written under [DISPLAY] and said in the status bar; the
    // next window starts at it.
    void rememberedInTheSettingsFile() {
        Window f;
        QDir().mkpath(f.folder.filePath(QStringLiteral("bin")));
        QFile::copy(QStringLiteral(ZEZIZAV_SOURCE_DIR "/examples/vezizo.ini"), f.places.beside);
        f.w->settingsController()->setPlaces(f.places, SettingsFileToRead(f.places));
        f.choose(150);
        const QByteArray bytes = ReadAll(f.places.beside);
        QVERIFY2(bytes.contains("\n[DISPLAY]\n; Size of the controls, readouts and labels in "
                                "percent: 100, 125, 150 or 200\nTextSize=150\n"),
                 bytes.constData());
        QCOMPARE(f.w->statusBar()->currentMessage(),
                 QStringLiteral("Text size 150 % remembered in %1").arg(f.places.beside));
        const SettingsResult read = LoadSettings(f.places.beside.toStdString());
        QVERIFY(!read.error);
        QCOMPARE(read.settings.TextSize, 150);

        WindowFixture next;
        next.settings = read.settings;
        next.load();
        QCOMPARE(next.w->textSize().percent(), 150);
        QCOMPARE(next.w->ui.textScale, 1.5);
        QVERIFY(next.w->findChild<QAction*>(QStringLiteral("mnuTextSize150"))->isChecked());
    }
};

QTEST_MAIN(TextSizeTest)
#include "tst_text_size.moc"
