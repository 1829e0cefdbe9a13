#pragma once

#include <QPixmap>
#include <QWidget>

class QFrame;
class QLabel;
class QPlainTextEdit;

// The program's emblem (a reflection chart), drawn rather than loaded so that
// it is sharp at any scale. side is in device-independent pixels.
QPixmap ZezizavLogo(int side, qreal devicePixelRatio);

// Gives every widget under root (root included) its object name as its
// accessible description, so screen readers and tests can find it.
void DescribeWidgetsByName(QWidget& root);

// frmSplash: shown during start-up until the main window is up.
class SplashWindow final : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);

    // Shows the window and returns once it is on screen and painted, so that a
    // pause that follows does not leave an empty frame (waits at most
    // maxWaitMs for the window system to expose it).
    void showPainted(int maxWaitMs = 1000);

    QFrame* fraSplash = nullptr;
    QLabel* Logo1 = nullptr;
    QLabel* lblCompanyProduct = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblLicenseTo = nullptr;
    QPlainTextEdit* txtUpdated = nullptr;

private:
    void Form_Load();
};
