#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include "window/about_window.h"
#include "window/splash_window.h"
#include "window/sys_info.h"

namespace {
// A stand-in system-information tool: leaves a file named after itself beside
// it, so the test sees which one was started.
void AddTool(const QString& dir, const QString& name, bool broken) {
    QFile file(dir + "/" + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (broken) {
        file.write("#!/nonexistent/interpreter\n");
    } else {
        file.write("#!/bin/sh\necho started > \"$(dirname \"$0\")/started-" + name.toUtf8() +
                   "\"\n");
    }
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

QList<QMessageBox*> VisibleMessageBoxes() {
    QList<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
            boxes.append(box);
        }
    }
    return boxes;
}

void CheckDescribedByName(QWidget& root, const QStringList& names) {
    QCOMPARE(root.accessibleDescription(), root.objectName());
    for (const QString& name : names) {
        auto* widget = root.findChild<QWidget*>(name);
        QVERIFY2(widget != nullptr, qPrintable(name));
        QCOMPARE(widget->accessibleDescription(), name);
    }
}

bool HasOpaquePixel(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0) {
                return true;
            }
        }
    }
    return false;
}
}  // namespace

class TestAboutSplash : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void splashTexts();
    void splashIsPaintedWhenShown();
    void aboutTexts();
    void aboutIsReusedWhileOpen();
    void sysInfoUnavailable_data();
    void sysInfoUnavailable();
    void sysInfoStartsTool_data();
    void sysInfoStartsTool();
};

void TestAboutSplash::cleanup() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        widget->close();
    }
}

void TestAboutSplash::splashTexts() {
    SplashWindow splash;
    QCOMPARE(splash.objectName(), "frmSplash");
    QCOMPARE(splash.lblVersion->text(), "Version 2.2.9");
    QCOMPARE(splash.lblLicenseTo->text(), QString());
    QCOMPARE(splash.lblCompanyProduct->text(), "Zezizav");
    QVERIFY(splash.txtUpdated->isReadOnly());
    QVERIFY(!splash.txtUpdated->toPlainText().isEmpty());
    QVERIFY(!splash.txtUpdated->accessibleName().isEmpty());
    QVERIFY(!splash.Logo1->pixmap().isNull());
    QVERIFY(HasOpaquePixel(splash.Logo1->pixmap()));
    CheckDescribedByName(splash, {"fraSplash", "Logo1", "lblCompanyProduct", "lblVersion",
                                  "lblLicenseTo", "txtUpdated"});
}

void TestAboutSplash::splashIsPaintedWhenShown() {
    SplashWindow splash;
    splash.showPainted();
    QVERIFY(splash.isVisible());
    QVERIFY(splash.fraSplash->isVisible());
    QVERIFY(splash.windowHandle() != nullptr);
    QVERIFY(splash.windowHandle()->isExposed());
}

void TestAboutSplash::aboutTexts() {
    AboutWindow about;
    QCOMPARE(about.objectName(), "frmAbout");
    QCOMPARE(about.windowTitle(), "About Zezizav");
    QCOMPARE(about.lblTitle->text(), "Zezizav");
    QCOMPARE(about.lblVersion->text(), "Version 2.2.9");
    QCOMPARE(about.cmdOK->text(), "OK");
    QCOMPARE(about.cmdSysInfo->text(), "&System Info...");
    QVERIFY(!about.lblDescription->text().isEmpty());
    QVERIFY(!about.lblDisclaimer->text().isEmpty());
    QVERIFY(!about.isModal());
    CheckDescribedByName(about, {"picIcon", "lblTitle", "lblVersion", "lblDescription",
                                 "lblDisclaimer", "Line1", "cmdOK", "cmdSysInfo"});

    about.show();
    QVERIFY(about.isVisible());
    QTest::mouseClick(about.cmdOK, Qt::LeftButton);
    QVERIFY(!about.isVisible());
}

void TestAboutSplash::aboutIsReusedWhileOpen() {
    QWidget owner;
    owner.show();
    QPointer<AboutWindow> handle;
    AboutWindow* const first = ShowAboutWindow(handle, &owner);
    QVERIFY(first != nullptr && first->isVisible());
    QCOMPARE(ShowAboutWindow(handle, &owner), first);

    QTest::mouseClick(first->cmdOK, Qt::LeftButton);
    QTRY_VERIFY(handle.isNull());  // closing frees it

    AboutWindow* const again = ShowAboutWindow(handle, &owner);
    QVERIFY(again != nullptr && again->isVisible());
    QCOMPARE(handle.data(), again);
}

void TestAboutSplash::sysInfoUnavailable_data() {
    QTest::addColumn<QStringList>("tools");  // files placed in the search folder
    QTest::addColumn<bool>("emptySearchPath");

    QTest::newRow("empty PATH") << QStringList() << true;
    QTest::newRow("folder without tools") << QStringList() << false;
    QTest::newRow("unrelated program") << QStringList{"xterm"} << false;
    QTest::newRow("tool cannot start") << QStringList{"!hardinfo"} << false;
}

void TestAboutSplash::sysInfoUnavailable() {
    QFETCH(QStringList, tools);
    QFETCH(bool, emptySearchPath);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString& tool : tools) {
        AddTool(dir.path(), tool.startsWith('!') ? tool.mid(1) : tool, tool.startsWith('!'));
    }

    AboutWindow about;
    about.setSysInfoSearchPath(emptySearchPath ? QStringList() : QStringList{dir.path()});
    about.show();
    QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);

    QCOMPARE(about.startedSysInfo(), QString());
    QMessageBox* const box = about.unavailableBox();
    QVERIFY(box != nullptr);
    QVERIFY(VisibleMessageBoxes().contains(box));
    QCOMPARE(box->text(), "System Information Is Unavailable At This Time");
    QCOMPARE(box->windowTitle(), "Zezizav");
    QCOMPARE(box->icon(), QMessageBox::NoIcon);
    QCOMPARE(box->buttons().size(), 1);
    QCOMPARE(box->standardButton(box->buttons().constFirst()), QMessageBox::Ok);
    QVERIFY(about.isVisible());

    // Asking again while the box is up does not stack a second one.
    about.StartSysInfo();
    QCOMPARE(VisibleMessageBoxes().size(), 1);

    QTest::mouseClick(box->buttons().constFirst(), Qt::LeftButton);
    QTRY_VERIFY(about.unavailableBox() == nullptr);
    QVERIFY(about.isVisible());
}

void TestAboutSplash::sysInfoStartsTool_data() {
    QTest::addColumn<QStringList>("tools");
    QTest::addColumn<QString>("expected");

    QTest::newRow("hardinfo") << QStringList{"hardinfo"} << "hardinfo";
    QTest::newRow("kinfocenter") << QStringList{"kinfocenter"} << "kinfocenter";
    QTest::newRow("gnome") << QStringList{"gnome-system-monitor"} << "gnome-system-monitor";
    QTest::newRow("xfce") << QStringList{"xfce4-taskmanager"} << "xfce4-taskmanager";
    QTest::newRow("preferred first") << QStringList{"xfce4-taskmanager", "hardinfo"} << "hardinfo";
    QTest::newRow("next when first cannot start")
        << QStringList{"!hardinfo", "kinfocenter"} << "kinfocenter";
}

void TestAboutSplash::sysInfoStartsTool() {
    QFETCH(QStringList, tools);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString& tool : tools) {
        AddTool(dir.path(), tool.startsWith('!') ? tool.mid(1) : tool, tool.startsWith('!'));
    }

    AboutWindow about;
    about.setSysInfoSearchPath(QStringList{dir.path()});
    about.show();
    QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);

    QCOMPARE(about.startedSysInfo(), dir.path() + "/" + expected);
    QVERIFY(about.unavailableBox() == nullptr);
    QVERIFY(VisibleMessageBoxes().isEmpty());
    QTRY_VERIFY(QFile::exists(dir.path() + "/started-" + expected));
    for (const QString& tool : tools) {
        if (tool != expected) {
            QVERIFY(!QFile::exists(dir.path() + "/started-" + tool));
        }
    }
    QVERIFY(about.isVisible());
}

QTEST_MAIN(TestAboutSplash)
#include "tst_about_splash.moc"
