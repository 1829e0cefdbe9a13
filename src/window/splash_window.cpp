#include "window/splash_window.h"

#include <QEvent>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "common/version.h"

QPixmap ZezizavLogo(int side, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pixmap(qRound(side * ratio), qRound(side * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal r = side * 0.45;
    const QPointF centre(side / 2.0, side / 2.0);
    painter.translate(centre);

    // Outer circle: the edge of the reflection plane.
    painter.setPen(QPen(QColor(0, 0, 128), side / 24.0));
    painter.setBrush(QColor(255, 255, 224));
    painter.drawEllipse(QPointF(0, 0), r, r);

    const QRectF clip(-r, -r, 2 * r, 2 * r);
    QPainterPath disc;
    disc.addEllipse(clip);
    painter.setClipPath(disc);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 96, 192), side / 48.0));
    // Constant-resistance circles touch the right edge; constant-reactance
    // arcs are circles centred on the vertical through that point.
    for (const qreal resistance : {0.33, 1.0, 3.0}) {
        const qreal radius = r / (1.0 + resistance);
        painter.drawEllipse(QPointF(r - radius, 0), radius, radius);
    }
    for (const qreal reactance : {0.5, 1.0, 2.0}) {
        const qreal radius = r / reactance;
        painter.drawEllipse(QPointF(r, -radius), radius, radius);
        painter.drawEllipse(QPointF(r, radius), radius, radius);
    }
    painter.drawLine(QPointF(-r, 0), QPointF(r, 0));

    // A sweep trace spiralling in towards the matched centre.
    painter.setPen(QPen(QColor(220, 0, 0), side / 24.0, Qt::SolidLine, Qt::RoundCap));
    QPainterPath trace;
    trace.moveTo(-r * 0.8, -r * 0.1);
    trace.cubicTo(-r * 0.5, -r * 0.9, r * 0.6, -r * 0.6, r * 0.3, r * 0.1);
    trace.cubicTo(r * 0.1, r * 0.4, -r * 0.2, r * 0.2, 0, 0);
    painter.drawPath(trace);
    return pixmap;
}

void DescribeWidgetsByName(QWidget& root) {
    root.setAccessibleDescription(root.objectName());
    const auto children = root.findChildren<QWidget*>();
    for (QWidget* child : children) {
        child->setAccessibleDescription(child->objectName());
    }
}

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplash");
    setWindowTitle(Version::AppTitle);

    fraSplash = new QFrame(this);
    fraSplash->setObjectName("fraSplash");
    fraSplash->setFrameShape(QFrame::Box);
    fraSplash->setFrameShadow(QFrame::Raised);
    fraSplash->setLineWidth(2);

    Logo1 = new QLabel(fraSplash);
    Logo1->setObjectName("Logo1");
    Logo1->setPixmap(ZezizavLogo(96, devicePixelRatioF()));
    Logo1->setFixedSize(96, 96);

    lblCompanyProduct = new QLabel(Version::ProductName, fraSplash);
    lblCompanyProduct->setObjectName("lblCompanyProduct");
    QFont productFont = lblCompanyProduct->font();
    productFont.setPointSizeF(productFont.pointSizeF() * 2.0);
    productFont.setBold(true);
    lblCompanyProduct->setFont(productFont);

    lblVersion = new QLabel(fraSplash);
    lblVersion->setObjectName("lblVersion");
    QFont versionFont = lblVersion->font();
    versionFont.setBold(true);
    lblVersion->setFont(versionFont);

    lblLicenseTo = new QLabel(fraSplash);
    lblLicenseTo->setObjectName("lblLicenseTo");
    lblLicenseTo->setWordWrap(true);

    txtUpdated = new QPlainTextEdit(fraSplash);
    txtUpdated->setObjectName("txtUpdated");
    txtUpdated->setAccessibleName("Start-up note");
    txtUpdated->setReadOnly(true);
    txtUpdated->setFocusPolicy(Qt::NoFocus);
    txtUpdated->setFrameShape(QFrame::NoFrame);
    txtUpdated->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtUpdated->setPlainText(
        "Control and display for a two-port vector network analyser on a serial line "
        "(1 to 180 MHz). Settings are read once from vezizo.ini beside the program.");
    txtUpdated->setFixedHeight(txtUpdated->fontMetrics().lineSpacing() * 3 + 8);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblCompanyProduct);
    texts->addWidget(lblVersion);
    texts->addWidget(lblLicenseTo);
    texts->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(Logo1, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* inner = new QVBoxLayout(fraSplash);
    inner->setContentsMargins(16, 16, 16, 16);
    inner->addLayout(top);
    inner->addWidget(txtUpdated);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(fraSplash);
    setFixedWidth(440);

    DescribeWidgetsByName(*this);
    Form_Load();
}

void SplashWindow::Form_Load() {
    fraSplash->setVisible(true);
    lblVersion->setText(QString::fromStdString(Version::VersionText()) +
                        QString::fromUtf8(Version::Comments));
    lblLicenseTo->setText(QString::fromUtf8(Version::LegalNotice));
}

void SplashWindow::showPainted(int maxWaitMs) {
    show();
    raise();
    QWindow* const window = windowHandle();
    if (window != nullptr && !window->isExposed()) {
        // Wait for the window system's expose event without spinning: a local
        // loop that ends on exposure or at the deadline.
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&loop, window] {
            if (window->isExposed()) {
                loop.quit();
            }
        });
        deadline.start(maxWaitMs);
        poll.start(10);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    repaint();
}
