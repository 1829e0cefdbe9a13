#pragma once

#include <optional>

#include <QDialog>
#include <QPointer>
#include <QStringList>

class QFrame;
class QLabel;
class QMessageBox;
class QPushButton;

// frmAbout: title, version and the System Info button. Not modal: the main
// window and its measurement cycle keep running while it is open.
class AboutWindow final : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);

    // Folders searched for the system-information tool; unset means the PATH
    // of the environment at the moment the button is pressed.
    void setSysInfoSearchPath(std::optional<QStringList> searchPath);

    // Path of the tool started last, empty when none was started.
    const QString& startedSysInfo() const { return startedSysInfo_; }
    // The "unavailable" box while it is shown (it deletes itself when closed).
    QMessageBox* unavailableBox() const;

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QFrame* Line1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

private:
    void Form_Load();

    std::optional<QStringList> sysInfoSearchPath_;
    QString startedSysInfo_;
    QPointer<QMessageBox> unavailableBox_;
};

// mnuAbout: opens the About window, or brings the open one to the front.
// window is the caller's handle; it becomes null again once the window closes.
AboutWindow* ShowAboutWindow(QPointer<AboutWindow>& window, QWidget* owner);
