#include "window/marker_set_control.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "display/menu_bar_order.h"

namespace {

template <typename W>
W* Named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleDescription(QLatin1String(name));
    return widget;
}

}  // namespace

QString AskMarkerSetName(QWidget* parent, const QStringList& existing) {
    QDialog dialog(parent);
    Named(&dialog, "dlgMarkerSet");
    dialog.setWindowTitle(QStringLiteral("Save Marker Set"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = Named(new QLabel(QStringLiteral("&Name (a saved name is replaced):"), &dialog),
                        "lblMarkerSetName");
    auto* name = Named(new QComboBox(&dialog), "cboMarkerSetName");
    name->setEditable(true);
    name->addItems(existing);
    name->setCurrentText({});
    name->lineEdit()->setObjectName(QStringLiteral("txtMarkerSetName"));
    name->lineEdit()->setAccessibleDescription(QStringLiteral("txtMarkerSetName"));
    name->lineEdit()->setAccessibleName(QStringLiteral("Marker set name"));
    label->setBuddy(name);
    auto* buttons =
        Named(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog),
              "cmdMarkerSetButtons");
    Named(buttons->button(QDialogButtonBox::Ok), "cmdMarkerSetOk");
    Named(buttons->button(QDialogButtonBox::Cancel), "cmdMarkerSetCancel");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(name);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return name->currentText();
}

MarkerSetControl::MarkerSetControl(const Parts& parts, QObject* parent)
    : QObject(parent), w_(parts) {
    w_.markersMenu.addSeparator();
    mnuMarkerSetSave_ = w_.markersMenu.addAction(QStringLiteral("Save Marker &Set\u2026"));
    mnuMarkerSetSave_->setObjectName(QStringLiteral("mnuMarkerSetSave"));
    connect(mnuMarkerSetSave_, &QAction::triggered, this,
            &MarkerSetControl::mnuMarkerSetSave_Click);
    menu_ = w_.markersMenu.addMenu(QStringLiteral("Marker Se&ts"));
    NameMenu(menu_, "mnuMarkerSets");
    connect(menu_, &QMenu::aboutToShow, this, &MarkerSetControl::fill);
}

QString MarkerSetControl::path() const {
    const QString settings = w_.settingsPath();
    return settings.isEmpty() ? QString() : MarkerSetsPath(settings);
}

std::vector<MarkerSet> MarkerSetControl::sets() {
    if (path().isEmpty()) {
        return {};
    }
    MarkerSetsRead read = ReadMarkerSets(path());
    for (const QString& message : read.messages) {
        w_.notify(QStringLiteral("%1: %2").arg(QFileInfo(path()).fileName(), message));
    }
    return std::move(read.sets);
}

void MarkerSetControl::fill() {
    menu_->clear();
    const std::vector<MarkerSet> all = sets();
    int k = 0;
    for (const MarkerSet& set : all) {
        QString text = set.name;
        QAction* a = menu_->addAction(text.replace(QLatin1Char('&'), QStringLiteral("&&")));
        a->setObjectName(QStringLiteral("mnuMarkerSet%1").arg(++k));
        connect(a, &QAction::triggered, this, [this, name = set.name] { recall(name); });
    }
    if (all.empty()) {
        QAction* none = menu_->addAction(QStringLiteral("(none saved)"));
        none->setObjectName(QStringLiteral("mnuMarkerSetNone"));
        none->setEnabled(false);
    }
}

bool MarkerSetControl::save(const QString& name) {
    const QString file = path();
    if (file.isEmpty()) {
        w_.warn(QStringLiteral("Cannot save the marker set: there is no settings folder"));
        return false;
    }
    std::vector<MarkerSet> all = sets();
    MarkerSet set = w_.current();
    set.name = name;
    if (const auto why = PutMarkerSet(all, set)) {
        w_.warn(QStringLiteral("Cannot save the marker set: %1").arg(*why));
        return false;
    }
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (const auto why = WriteMarkerSets(file, all)) {
        w_.warn(QStringLiteral("Cannot save the marker set in %1: %2").arg(file, *why));
        return false;
    }
    w_.notify(QStringLiteral("Marker set \"%1\" saved in %2").arg(name.trimmed(), file));
    return true;
}

bool MarkerSetControl::recall(const QString& name) {
    for (const MarkerSet& set : sets()) {
        if (set.name.compare(name, Qt::CaseInsensitive) == 0) {
            const QStringList missed = w_.apply(set);
            w_.notify(missed.isEmpty() ? QStringLiteral("Marker set \"%1\" recalled").arg(set.name)
                                       : QStringLiteral("Marker set \"%1\" recalled: %2")
                                             .arg(set.name, missed.join(QStringLiteral("; "))));
            return true;
        }
    }
    w_.notify(QStringLiteral("There is no marker set \"%1\"").arg(name));
    return false;
}

void MarkerSetControl::mnuMarkerSetSave_Click() {
    QStringList names;
    for (const MarkerSet& set : sets()) {
        names << set.name;
    }
    const QString name = w_.askName(names);
    if (!name.isEmpty()) {
        save(name);
    }
}
