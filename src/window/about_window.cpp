#include "window/about_window.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

#include "window/splash_window.h"
#include "window/sys_info.h"
#include "common/version.h"

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    picIcon = new QLabel(this);
    picIcon->setObjectName("picIcon");
    picIcon->setPixmap(ZezizavLogo(48, devicePixelRatioF()));
    picIcon->setFixedSize(48, 48);

    lblTitle = new QLabel("Application Title", this);
    lblTitle->setObjectName("lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    lblVersion = new QLabel("Version", this);
    lblVersion->setObjectName("lblVersion");

    lblDescription = new QLabel(
        "Drives a two-port vector network analyser over a serial line (RS-232 or USB) and "
        "shows return or transmission loss, phase, SWR, series resistance and reactance and "
        "impedance of antennas, cables and networks from 1 to 180 MHz, with markers, "
        "bandwidth and Q, cable loss and cable length.",
        this);
    lblDescription->setObjectName("lblDescription");
    lblDescription->setWordWrap(true);

    Line1 = new QFrame(this);
    Line1->setObjectName("Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    lblDisclaimer = new QLabel(
        "This program comes with no warranty of any kind. Check its readings against a "
        "known reference before you rely on them.",
        this);
    lblDisclaimer->setObjectName("lblDisclaimer");
    lblDisclaimer->setWordWrap(true);

    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton("&System Info...", this);
    cmdSysInfo->setObjectName("cmdSysInfo");
    cmdSysInfo->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &AboutWindow::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &AboutWindow::cmdSysInfo_Click);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addSpacing(8);
    texts->addWidget(lblDescription);

    auto* top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch();

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblDisclaimer, 1);
    bottom->addSpacing(12);
    bottom->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Line1);
    layout->addLayout(bottom);
    // The wrapped texts need the height they take at this width, which the
    // window's size hint does not know; with less they are cut at the top
    // and the bottom.
    constexpr int Width = 480;
    ensurePolished();
    setFixedSize(Width, heightForWidth(Width));

    DescribeWidgetsByName(*this);
    Form_Load();
}

void AboutWindow::Form_Load() {
    setWindowTitle(QStringLiteral("About ") + QString::fromUtf8(Version::AppTitle));
    lblVersion->setText(QString::fromStdString(Version::VersionText()));
    lblTitle->setText(QString::fromUtf8(Version::AppTitle));
}

void AboutWindow::setSysInfoSearchPath(std::optional<QStringList> searchPath) {
    sysInfoSearchPath_ = std::move(searchPath);
}

QMessageBox* AboutWindow::unavailableBox() const {
    return unavailableBox_;
}

void AboutWindow::cmdOK_Click() {
    close();
}

void AboutWindow::cmdSysInfo_Click() {
    StartSysInfo();
}

void AboutWindow::StartSysInfo() {
    startedSysInfo_ =
        SysInfo::StartSysInfo(sysInfoSearchPath_.value_or(SysInfo::SearchPathFromEnvironment()));
    if (!startedSysInfo_.isEmpty()) {
        return;
    }
    if (unavailableBox_ != nullptr) {
        unavailableBox_->raise();
        unavailableBox_->activateWindow();
        return;
    }
    // open(), not exec(): the measurement cycle must keep running behind it.
    auto* box =
        new QMessageBox(QMessageBox::NoIcon, QString::fromUtf8(Version::AppTitle),
                        QString::fromUtf8(SysInfo::UnavailableMessage), QMessageBox::Ok, this);
    box->setObjectName("msgSysInfoUnavailable");
    box->setAttribute(Qt::WA_DeleteOnClose);
    DescribeWidgetsByName(*box);
    unavailableBox_ = box;
    box->open();
}

AboutWindow* ShowAboutWindow(QPointer<AboutWindow>& window, QWidget* owner) {
    if (window == nullptr) {
        window = new AboutWindow(owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
