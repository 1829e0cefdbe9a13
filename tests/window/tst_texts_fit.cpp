// Readouts and the About window's texts are shown whole, never cut off, at
// the scale the test runs with (ctest runs this program at 1x and at 2x).
#include <QtTest>

#include "window/about_window.h"
#include "display/fit_text.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

namespace {

// Whole on screen: a line edit has not scrolled any of it out of sight (the
// point left of the text reads position 0, the right end the last), a label
// has the width its text needs.
bool ShownWhole(QWidget* w, const QString& text) {
    w->grab();  // paints it, which settles a line edit's scrolling
    if (auto* box = qobject_cast<QLineEdit*>(w)) {
        const int y = box->height() / 2;
        return box->cursorPositionAt(QPoint(1, y)) == 0 &&
               box->cursorPositionAt(QPoint(box->width() - 2, y)) == text.size();
    }
    auto* label = qobject_cast<QLabel*>(w);
    return label && QFontMetricsF(label->font(), label).horizontalAdvance(text) <=
                        label->contentsRect().width();
}

// Small, but still read at a glance.
constexpr int SmallestPixels = 7;

}  // namespace

class TextsFitTest : public QObject {
    Q_OBJECT

private slots:
    // The widest text each readout's format gives, at every text size of
    // the View menu.
    void widestReadouts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("percent");
        std::vector<std::pair<QString, QString>> widest;
        for (const char* m : {"1", "2", "3"}) {
            for (const char* q : {"SWR", "Z", "RL", "PH", "RS", "XS"}) {
                widest.emplace_back(QStringLiteral("txtMkr%1%2").arg(m, q),
                                    "99999.99");  // "##0.##"
            }
            widest.emplace_back(QStringLiteral("lblMkr%1Freq").arg(m), "999,999,999");  // "##,##0"
        }
        const char* const others[][2] = {
            {"txtMkr1XJ", "1.592357E+09"},  // plain float text
            {"txtMkr2XJ", "1.592357E+09"}, {"txtBandwidth", "999,999,999"},
            {"txtQ", "999,999,999"},       {"txtMinCL", "-9999.99"},
            {"txtAvgCL", "-9999.99"},      {"txtMaxCL", "-9999.99"},
            {"txtMeters", "99999.99"},  // "Fixed"
        };
        for (const auto& [name, text] : others) {
            widest.emplace_back(QLatin1String(name), QLatin1String(text));
        }
        for (const int percent : {100, 125, 150, 200}) {
            for (const auto& [name, text] : widest) {
                const QString row =
                    percent == 100 ? name : QStringLiteral("%1 at %2 %").arg(name).arg(percent);
                QTest::newRow(qPrintable(row)) << name << text << percent;
            }
        }
    }
    void widestReadouts() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(int, percent);
        WindowFixture f;
        f.settings.TextSize = percent;
        f.load();
        f.w->show();
        auto* w = f.w->findChild<QWidget*>(name);
        QVERIFY(w);
        for (QWidget* p = w; p != f.w.get(); p = p->parentWidget()) {
            p->setVisible(true);
        }
        if (auto* box = qobject_cast<QLineEdit*>(w)) {
            box->setText(text);  // as the tick writes it
        } else {
            static_cast<QLabel*>(w)->setText(text);
            FitReadoutText(static_cast<QLabel*>(w));
        }
        QVERIFY2(ShownWhole(w, text), qPrintable(w->font().toString()));
        QVERIFY2(w->font().pixelSize() >= SmallestPixels, qPrintable(w->font().toString()));
    }

    // A stop near 1 GHz, through the tick: every digit of the frequency
    // captions shows, and an everyday value keeps the window's own font.
    void frequencyCaptionsThroughTheTick() {
        WindowFixture f;
        f.load();
        f.w->show();
        Chart1Widgets& ui = f.w->ui;
        ui.chkMinSWR->setChecked(true);
        ui.txtStart->setText(QStringLiteral("999.99"));
        ui.txtStop->setText(QStringLiteral("999.999"));
        QVERIFY(f.tick());
        for (QLabel* caption : {ui.lblMkr1Freq, ui.lblMkr3Freq}) {
            QVERIFY(caption->text().startsWith(QStringLiteral("999,99")));
            QVERIFY2(ShownWhole(caption, caption->text()), qPrintable(caption->text()));
        }
        ui.txtStart->setText(QStringLiteral("1"));
        ui.txtStop->setText(QStringLiteral("30"));
        QVERIFY(f.tick());
        QVERIFY(!ui.lblMkr1Freq->testAttribute(Qt::WA_SetFont));
        ui.txtMkr1Z->setText(QStringLiteral("99999.99"));
        ui.txtMkr1Z->setText(QStringLiteral("60.89"));
        QVERIFY(!ui.txtMkr1Z->testAttribute(Qt::WA_SetFont));
        QVERIFY(ShownWhole(ui.txtMkr1Z, ui.txtMkr1Z->text()));
    }

    void aboutTextsAreWhole() {
        AboutWindow about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        for (QLabel* label :
             {about.lblTitle, about.lblVersion, about.lblDescription, about.lblDisclaimer}) {
            const int needed = label->wordWrap() ? label->heightForWidth(label->width())
                                                 : label->sizeHint().height();
            QVERIFY2(label->height() >= needed, qPrintable(QStringLiteral("%1: %2 < %3")
                                                               .arg(label->objectName())
                                                               .arg(label->height())
                                                               .arg(needed)));
            QVERIFY(about.rect().contains(label->geometry()));
        }
    }
};

QTEST_MAIN(TextsFitTest)
#include "tst_texts_fit.moc"
