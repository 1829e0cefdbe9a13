#include "window/port_menu.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include <algorithm>

#include "common/window_fields.h"
#include "window/settings_dialog.h"
#include "instrument/serial_port_service.h"
#include "instrument/serial_ports.h"
#include "settings/settings.h"

namespace {

// A link (the simulator's, a udev alias) and the device it leads to are one port.
bool SamePort(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) {
        return false;
    }
    if (a == b) {
        return true;
    }
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

QString MenuText(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace

PortMenu::PortMenu(const Parts& parts) : QObject(&parts.window), window_(parts) {
    listPorts = ListSerialPorts;
    QMainWindow& window = window_.window;
    mnuPort_ = new QMenu(QStringLiteral("&Port"), &window);
    mnuPort_->setObjectName(QStringLiteral("mnuPort"));
    mnuPort_->setAccessibleDescription(mnuPort_->objectName());
    // Before the next menu of the bar's order that exists: "&About".
    window.menuBar()->insertMenu(&window_.about, mnuPort_);

    // The items under the list are made once: a keyboard or screen-reader
    // user finds the same "Other device…" however often the list changes.
    separator_ = mnuPort_->addSeparator();
    other_ = mnuPort_->addAction(QStringLiteral("&Other device\u2026"));
    other_->setObjectName(QStringLiteral("mnuOtherDevice"));
    connect(other_, &QAction::triggered, this, &PortMenu::mnuOtherDevice_Click);
    remember_ = mnuPort_->addAction(QStringLiteral("&Remember this port"));
    remember_->setObjectName(QStringLiteral("mnuRememberPort"));
    connect(remember_, &QAction::triggered, this, &PortMenu::mnuRememberPort_Click);

    // Read afresh each time it opens; filled as the window shows as well, so
    // that it is never empty when it opens, by Alt+P or through a menu
    // exported to the desktop that shows it before it has asked for the list.
    connect(mnuPort_, &QMenu::aboutToShow, this, &PortMenu::mnuPort_AboutToShow);
    window.installEventFilter(this);
}

bool PortMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_.window && event->type() == QEvent::Show) {
        mnuPort_AboutToShow();
    }
    return QObject::eventFilter(watched, event);
}

void PortMenu::mnuPort_AboutToShow() {
    qDeleteAll(portItems_);  // each leaves the menu as it goes
    portItems_.clear();
    const QString inUse = window_.serial.device();
    const std::vector<SerialPortEntry> ports =
        listPorts ? listPorts() : std::vector<SerialPortEntry>{};
    int n = 0;
    for (const SerialPortEntry& port : ports) {
        // The first nine are numbered, which gives them access keys.
        const QString key = n < 9 ? QStringLiteral("&%1 ").arg(n + 1) : QString();
        auto* a = new QAction(key + MenuText(PortMenuCaption(port)), mnuPort_);
        a->setObjectName(QStringLiteral("mnuPort%1").arg(n++));
        a->setCheckable(true);
        a->setChecked(SamePort(port.path, inUse));
        const QString path = port.path;
        connect(a, &QAction::triggered, this, [this, path] { useDevice(path); });
        portItems_.push_back(a);
    }
    if (ports.empty()) {
        auto* none = new QAction(QStringLiteral("No serial ports found"), mnuPort_);
        none->setObjectName(QStringLiteral("mnuNoPorts"));
        none->setEnabled(false);
        portItems_.push_back(none);
    }
    for (QAction* a : portItems_) {
        mnuPort_->insertAction(separator_, a);
    }
    // A device typed in (or set in the file) that the list does not hold.
    const bool listed = std::any_of(ports.begin(), ports.end(), [&](const SerialPortEntry& p) {
        return SamePort(p.path, inUse);
    });
    const bool otherInUse = !inUse.isEmpty() && !listed;
    other_->setText(otherInUse ? QStringLiteral("&Other device\u2026 (%1)").arg(MenuText(inUse))
                               : QStringLiteral("&Other device\u2026"));
    other_->setCheckable(otherInUse);
    other_->setChecked(otherInUse);
    remember_->setEnabled(!inUse.isEmpty());
}

void PortMenu::useDevice(const QString& device) {
    if (window_.fields.Running != 0.0f) {
        window_.pressRun();
    }
    window_.settings.device = device.toStdString();
    window_.serial.setDevice(device);
    window_.notify(QStringLiteral("Port in use: %1").arg(device));
}

void PortMenu::mnuOtherDevice_Click() {
    if (otherDevice_) {
        otherDevice_->raise();
        return;
    }
    auto* dialog = new QDialog(&window_.window);
    dialog->setObjectName(QStringLiteral("frmOtherDevice"));
    dialog->setAccessibleDescription(dialog->objectName());
    dialog->setWindowTitle(QStringLiteral("Other device"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(dialog);
    auto* label =
        new QLabel(QStringLiteral("&Serial device (a path such as /dev/ttyUSB0):"), dialog);
    label->setObjectName(QStringLiteral("lblOtherDevice"));
    label->setAccessibleDescription(label->objectName());
    auto* field = new QLineEdit(window_.serial.device(), dialog);
    field->setObjectName(QStringLiteral("txtOtherDevice"));
    field->setAccessibleDescription(field->objectName());
    label->setBuddy(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName(QStringLiteral("otherDeviceButtons"));
    buttons->setAccessibleDescription(buttons->objectName());
    for (QAbstractButton* b : buttons->buttons()) {
        const bool ok = buttons->buttonRole(b) == QDialogButtonBox::AcceptRole;
        b->setObjectName(ok ? QStringLiteral("cmdOtherDeviceOK")
                            : QStringLiteral("cmdOtherDeviceCancel"));
        b->setAccessibleDescription(b->objectName());
    }
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(dialog, &QDialog::accepted, this, [this, field] {
        const QString device = field->text().trimmed();
        if (!device.isEmpty()) {
            useDevice(device);
        }
    });
    otherDevice_ = dialog;
    dialog->open();
}

void PortMenu::mnuRememberPort_Click() {
    const QString device = window_.serial.device();
    if (!device.isEmpty()) {
        window_.settingsFile.rememberDevice(device);
    }
}
