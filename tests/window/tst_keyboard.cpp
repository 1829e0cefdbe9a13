// The window by keyboard alone: what Tab reaches, the mode and file
// shortcuts, the menus' access keys and the focus mark.
#include <QtTest>

#include "window/focus_mark.h"
#include "window/port_menu.h"
#include "support/test_support.h"

using TestSupport::WindowFixture;

namespace {

// A shown, active window whose file dialogs only note what was asked.
struct KeyboardWindow : WindowFixture {
    QStringList asked;  // "Open|filter|name" or "Save|filter|name"

    bool open() {
        load();
        w->chooseFile = [this](QWidget*, chart1::FileDialog kind, const QString& filter,
                               const QString& name) {
            asked << QStringList{kind == chart1::FileDialog::Open ? "Open" : "Save", filter, name}
                         .join(QLatin1Char('|'));
            return QString();
        };
        w->show();
        w->activateWindow();
        return QTest::qWaitForWindowActive(w.get());
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w.get();
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }
    // Every control Tab reaches in one round, from the first one.
    QList<QWidget*> tabRound() {
        QList<QWidget*> reached;
        for (int i = 0; i < 200; ++i) {
            key(Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            if (now == nullptr || reached.contains(now)) {
                break;
            }
            reached << now;
        }
        return reached;
    }
};

// True when an opaque sibling shown above the form-level widget holding w
// hides the spot where w is.
bool Covered(QWidget* w, QWidget* form) {
    QWidget* top = w;
    while (top->parentWidget() != form) {
        top = top->parentWidget();
    }
    const QRect at(w->mapTo(form, QPoint()), w->size());
    const QObjectList& stacked = form->children();  // the last one on top
    for (qsizetype i = stacked.indexOf(top) + 1; i < stacked.size(); ++i) {
        auto* above = qobject_cast<QWidget*>(stacked[i]);
        if (above && above->isVisible() && above->autoFillBackground() &&
            above->geometry().contains(at)) {
            return true;
        }
    }
    return false;
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    // Bands clear: the band frames lie under the sweep limits and none of
    // their buttons is reached; Bands set: the limits are out of reach.
    void tabReachesOnlyWhatCanBeSeen() {
        KeyboardWindow k;
        QVERIFY(k.open());
        Chart1Widgets& ui = k.w->ui;
        for (const bool bands : {false, true}) {
            ui.chkBands->setChecked(bands);
            const QList<QWidget*> reached = k.tabRound();
            for (QWidget* w : reached) {
                QVERIFY2(w->isVisible() && !Covered(w, k.w->centralWidget()),
                         qPrintable(w->objectName()));
            }
            QVERIFY(reached.contains(ui.lstBands));
            QCOMPARE(reached.contains(ui.txtStart), !bands);
            QCOMPARE(reached.contains(ui.optA[0]), bands);
            QVERIFY(!reached.contains(ui.optB[0]));
            for (QAction* mode : ui.toolbarButtons) {
                QVERIFY(reached.contains(ui.Toolbar1->widgetForAction(mode)));
            }
        }
    }

    // Ctrl+1..Ctrl+4 choose a mode, Ctrl+O and Ctrl+S the file dialogs,
    // Alt+A opens About and Ctrl+Q exits; Enter chooses a mode Tab reached.
    void shortcuts() {
        KeyboardWindow k;
        QVERIFY(k.open());
        Chart1Widgets& ui = k.w->ui;
        k.key(Qt::Key_4, Qt::ControlModifier);
        QCOMPARE(k.w->fields.TransmissionMode, 1.0f);
        QCOMPARE(ui.mnuSaveTouchstone->text(), QStringLiteral("Sa&ve As (.s2p)"));
        k.key(Qt::Key_2, Qt::ControlModifier);
        QVERIFY(!ui.fraCableLoss->isHidden());
        ui.Toolbar1->widgetForAction(ui.toolbarButtons[2])->setFocus(Qt::TabFocusReason);
        k.key(Qt::Key_Return);
        QVERIFY(!ui.fraCableLength->isHidden());
        k.key(Qt::Key_O, Qt::ControlModifier);
        k.key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(k.asked, (QStringList{"Open|Zureraru_Files (*.vec);;All files (*)|",
                                       "Save|Analyser files (*.vec)|"}));
        k.key(Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(k.w->aboutWindow() && k.w->aboutWindow()->isVisible());
        k.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(k.w.get()));
        k.key(Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!k.w->isVisible());
    }

    // Every item has a key of its own within its menu, the port list too.
    void everyMenuItemHasAnAccessKey() {
        WindowFixture f;
        f.load();
        f.w->portMenu()->listPorts = [] {
            return std::vector<SerialPortEntry>{{"/dev/ttyS0", "", "", {}, {}},
                                                {"/dev/ttyUSB0", "FT232R", "", 0x0403, 0x6001}};
        };
        QList<QList<QAction*>> menus{f.w->menuBar()->actions()};
        for (QAction* top : f.w->menuBar()->actions()) {
            if (top->menu()) {
                emit top->menu()->aboutToShow();
                menus << top->menu()->actions();
            }
        }
        for (const QList<QAction*>& items : menus) {
            QList<QKeySequence> keys;
            for (const QAction* item : items) {
                const QKeySequence key = QKeySequence::mnemonic(item->text());
                QVERIFY2(item->isSeparator() || (!key.isEmpty() && !keys.contains(key)),
                         qPrintable(item->text()));
                keys << key;
            }
        }
    }

    // The Port menu holds the list before it first opens; Alt+P opens it
    // on the first port, and "Other device…" is the same item each time,
    // whatever the list and the port in use.
    void portMenuByKeyboard() {
        KeyboardWindow k;
        std::vector<SerialPortEntry> present{{"/dev/ttyS0", "", "", {}, {}},
                                             {"/dev/ttyUSB0", "FT232R", "", 0x0403, 0x6001}};
        k.load();
        PortMenu* port = k.w->portMenu();
        port->listPorts = [&present] { return present; };
        QMenu* menu = port->menu();
        QAction* other = menu->findChild<QAction*>(QStringLiteral("mnuOtherDevice"));
        QVERIFY(other);
        const auto texts = [menu] {
            QStringList t;
            for (const QAction* a : menu->actions()) {
                t << (a->isSeparator() ? QStringLiteral("-") : a->text());
            }
            return t;
        };
        k.w->show();
        k.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(k.w.get()));
        QVERIFY(!menu->isVisible());
        const QStringList listed{"&1 /dev/ttyS0", "&2 /dev/ttyUSB0 - FT232R, 0403:6001", "-",
                                 QString::fromUtf8("&Other device\u2026"), "&Remember this port"};
        QCOMPARE(texts(), listed);

        const struct {
            std::vector<SerialPortEntry> present;
            QString inUse;
            QStringList texts;
        } openings[] = {
            {present, QString(), listed},
            {{}, "/dev/ttyACM3",
             {"No serial ports found", "-",
              QString::fromUtf8("&Other device\u2026 (/dev/ttyACM3)"), "&Remember this port"}},
            {{present[1]}, "/dev/ttyUSB0",
             {"&1 /dev/ttyUSB0 - FT232R, 0403:6001", "-", QString::fromUtf8("&Other device\u2026"),
              "&Remember this port"}},
        };
        for (const auto& o : openings) {
            present = o.present;
            k.w->MSComm1().setDevice(o.inUse);
            k.key(Qt::Key_P, Qt::AltModifier);
            QTRY_VERIFY(menu->isVisible());
            QCOMPARE(QApplication::activePopupWidget(), menu);
            QCOMPARE(texts(), o.texts);
            QCOMPARE(menu->activeAction(), menu->actions().first()->isEnabled()
                                               ? menu->actions().first()
                                               : other);
            QCOMPARE(menu->findChild<QAction*>(QStringLiteral("mnuOtherDevice")), other);
            QCOMPARE(other->isChecked(), o.texts.join(' ').contains("(/dev/"));
            k.key(Qt::Key_Escape);
            QTRY_VERIFY(!menu->isVisible());
        }
    }

    // The mark frames what Tab reached and goes when the mouse takes over.
    void focusMarkFollowsTheKeyboard() {
        KeyboardWindow k;
        QVERIFY(k.open());
        auto* mark = k.w->findChild<FocusMark*>(QStringLiteral("focusMark"));
        QVERIFY(mark);
        QVERIFY(mark->isHidden());  // the window looks as it always did
        k.key(Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        QCOMPARE(mark->target(), focused);
        const QRect around(focused->mapTo(k.w->centralWidget(), QPoint()), focused->size());
        QVERIFY(mark->geometry().contains(around));
        QVERIFY(!around.contains(mark->geometry()));
        QTest::mouseClick(k.w->ui.txtLossOffset, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), k.w->ui.txtLossOffset);
        QVERIFY(mark->isHidden());
    }
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
