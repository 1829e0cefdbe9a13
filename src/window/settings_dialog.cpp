#include "window/settings_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/display_format.h"
#include "common/rounding.h"
#include "instrument/serial_device.h"
#include "instrument/serial_port_service.h"

namespace {

enum class Applies { AtOnce, NextStart };

struct Field {
    const char* key;
    const char* caption;
    Applies applies;
    bool megahertz;  // shown in MHz, held in Hz
};

// The keys users change, in the order the dialog shows them.
constexpr Field kFields[] = {
    {"port", "Serial port number, 1 is /dev/ttyS0", Applies::AtOnce, false},
    {"device", "Serial device, wins over the number", Applies::AtOnce, false},
    {"Champ", "Points per sweep", Applies::NextStart, false},
    {"Step", "Stride through the points", Applies::NextStart, false},
    {"FMin", "\"Full\" start, MHz", Applies::AtOnce, true},
    {"FMax", "\"Full\" stop, MHz", Applies::AtOnce, true},
    {"InputVelFactor", "Velocity factor of the cable", Applies::AtOnce, false},
    {"caloffsetrx", "Offset of the reflection modes, 0.1 dB", Applies::AtOnce, false},
    {"caloffsettx", "Offset of the Transmission mode, 0.1 dB", Applies::AtOnce, false},
    {"caloffsetvalue", "Cable loss correction, 0.1 dB", Applies::AtOnce, false},
};

QString WholeText(double v) {
    return QString::number(static_cast<qint64>(RoundHalfEven(v)));
}

// Hz as MHz, without trailing zeros: 1000000 -> "1", 14250000 -> "14.25".
QString MegahertzText(float hz) {
    QString text = QString::number(static_cast<double>(hz) / 1e6, 'f', 6);
    while (text.endsWith('0')) {
        text.chop(1);
    }
    if (text.endsWith('.')) {
        text.chop(1);
    }
    return text;
}

QString FieldText(const Settings& s, const std::string& key) {
    const std::map<std::string, QString> texts = {
        {"port", WholeText(s.port)},
        {"device", QString::fromStdString(s.device)},
        {"Champ", QString::number(s.Champ)},
        {"Step", QString::number(s.Step)},
        {"FMin", MegahertzText(s.FMin)},
        {"FMax", MegahertzText(s.FMax)},
        {"InputVelFactor", QString::fromStdString(FloatText(s.InputVelFactor))},
        {"caloffsetrx", QString::number(s.caloffsetrx)},
        {"caloffsettx", QString::number(s.caloffsettx)},
        {"caloffsetvalue", QString::number(s.caloffsetvalue)},
    };
    return texts.at(key);
}

// Whole Hz from MHz typed with a decimal point; nothing when it is no number.
std::optional<std::string> HertzText(const QString& megahertz) {
    const std::string text = megahertz.trimmed().toStdString();
    double v = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() ||
        !std::isfinite(v)) {
        return std::nullopt;
    }
    return std::to_string(static_cast<long long>(std::llround(v * 1e6)));
}

SettingsEdit Edit(const std::string& key, const std::string& value) {
    return {std::string(SettingsSectionOf(key)), key, value};
}

template <typename W>
W* Named(W* widget, const QString& name) {
    widget->setObjectName(name);
    widget->setAccessibleDescription(name);
    return widget;
}

QByteArray ExampleSettings() {
    QFile example(QStringLiteral(":/examples/vezizo.ini"));
    return example.open(QIODevice::ReadOnly) ? example.readAll() : QByteArray();
}

}  // namespace

SettingsController::SettingsController(const Parts& parts)
    : QObject(&parts.window), window_(parts) {
    const SettingsPlaces places = DefaultSettingsPlaces();
    setPlaces(places, SettingsFileToRead(places));
    // Before the separator above "E&xit", after the file commands.
    QMenu* file = &window_.fileMenu;
    const QList<QAction*> items = file->actions();
    const qsizetype exit = items.indexOf(&window_.exit);
    QAction* before = exit > 0 && items[exit - 1]->isSeparator() ? items[exit - 1] : &window_.exit;
    file->insertSeparator(before);
    mnuSettings_ = new QAction(QStringLiteral("Se&ttings\u2026"), file);
    mnuSettings_->setObjectName(QStringLiteral("mnuSettings"));
    file->insertAction(before, mnuSettings_);
    connect(mnuSettings_, &QAction::triggered, this, &SettingsController::mnuSettings_Click);
}

void SettingsController::setPlaces(const SettingsPlaces& places, const QString& readPath) {
    places_ = places;
    readPath_ = readPath;
}

SettingsTarget SettingsController::target() const {
    return SettingsTargetFor(places_, readPath_, ExampleSettings());
}

void SettingsController::mnuSettings_Click() {
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    const SettingsTarget where = target();
    const std::string_view bytes(where.bytes.constData(),
                                 static_cast<std::size_t>(where.bytes.size()));
    const SettingsResult parsed = ParseSettings(bytes);
    // A file that cannot be used as it stands shows what this run uses, and
    // saving writes every field, so that the refused value is replaced.
    const bool usable = where.error.isEmpty() && !parsed.error;
    const Settings& shown = usable ? parsed.settings : window_.settings;

    auto* dialog = Named(new QDialog(&window_.window), QStringLiteral("frmSettings"));
    dialog->setWindowTitle(QStringLiteral("Settings"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(dialog);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    fields_.clear();
    shown_.clear();
    for (const Field& f : kFields) {
        const QString key = QLatin1String(f.key);
        auto* edit = Named(new QLineEdit(FieldText(shown, f.key), dialog), key);
        // The key's name beside its meaning, as a refusal names it.
        auto* label = Named(
            new QLabel(QStringLiteral("%1 (%2)").arg(QString::fromUtf8(f.caption), key), dialog),
            QStringLiteral("lbl") + key);
        label->setBuddy(edit);
        form->addRow(label, edit);
        fields_[f.key] = edit;
        shown_[f.key] = usable ? edit->text() : QString();
    }
    keepColours_ = Named(new QCheckBox(QStringLiteral("Keep colours"), dialog),
                         QStringLiteral("chkKeepColours"));
    layout->addWidget(keepColours_);
    layout->addWidget(Named(new QLabel(QStringLiteral("At once: the port, the velocity factor, the "
                                                      "offsets and the \"Full\" limits.\nAt the "
                                                      "next start: Champ and Step, which size the "
                                                      "sweep buffers."),
                                       dialog),
                            QStringLiteral("lblSettingsApply")));
    layout->addWidget(Named(new QLabel(QStringLiteral("File: %1").arg(where.path), dialog),
                            QStringLiteral("lblSettingsFile")));
    const QString problem = !where.error.isEmpty() ? where.error
                            : parsed.error
                                ? QString::fromStdString(DescribeSettingsError(
                                      QFile::encodeName(where.path).toStdString(), *parsed.error))
                                : QString();
    error_ = Named(new QLabel(problem, dialog), QStringLiteral("lblSettingsError"));
    error_->setWordWrap(true);
    error_->setStyleSheet(QStringLiteral("color: #c00000"));
    layout->addWidget(error_);

    auto* buttons = Named(new QDialogButtonBox(dialog), QStringLiteral("settingsButtons"));
    auto* saveButton =
        Named(buttons->addButton(QStringLiteral("&Save"), QDialogButtonBox::AcceptRole),
              QStringLiteral("cmdSaveSettings"));
    auto* cancel =
        Named(buttons->addButton(QDialogButtonBox::Cancel), QStringLiteral("cmdCancelSettings"));
    layout->addWidget(buttons);
    connect(saveButton, &QPushButton::clicked, this, &SettingsController::cmdSaveSettings_Click);
    connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    dialog_ = dialog;
    dialog->open();
}

void SettingsController::cmdSaveSettings_Click() {
    const std::string path = QFile::encodeName(target().path).toStdString();
    std::vector<SettingsEdit> edits;
    for (const Field& f : kFields) {
        const QString text = fields_.at(f.key)->text();
        if (text == shown_.at(f.key)) {
            continue;
        }
        std::string value = text.trimmed().toStdString();
        if (f.megahertz) {
            const std::optional<std::string> hz = HertzText(text);
            if (!hz) {
                error_->setText(QString::fromStdString(DescribeSettingsError(
                    path, {f.key, text.toStdString(), "is not a number of MHz"})));
                return;
            }
            value = *hz;
        }
        edits.push_back(Edit(f.key, value));
    }
    if (keepColours_->isChecked()) {
        const Settings& s = window_.settings;
        const float colours[] = {s.colorS1, s.colorS2, s.colorS3, s.colorS4, s.colorS5};
        for (int i = 0; i < 5; ++i) {
            edits.push_back(Edit("colorS" + std::to_string(i + 1),
                                 std::to_string(static_cast<long long>(colours[i]))));
        }
        edits.push_back(Edit("colorS6", s.colorS6));
    }
    const SettingsSaved saved = save(edits);
    if (!saved.ok) {
        error_->setText(saved.error);
        return;
    }
    applyAtOnce(saved.settings, edits);
    dialog_->accept();
}

SettingsSaved SettingsController::save(const std::vector<SettingsEdit>& edits) {
    const SettingsTarget where = target();
    SettingsSaved saved = SaveSettingsEdits(where, edits);
    if (saved.ok) {
        readPath_ = where.path;
    }
    return saved;
}

void SettingsController::applyAtOnce(const Settings& saved,
                                     const std::vector<SettingsEdit>& edits) {
    Settings& s = window_.settings;
    bool nextStart = false;
    bool port = false;
    for (const SettingsEdit& e : edits) {
        const std::string& k = e.key;
        const auto field = std::find_if(std::begin(kFields), std::end(kFields),
                                        [&](const Field& f) { return k == f.key; });
        if (field != std::end(kFields) && field->applies == Applies::NextStart) {
            nextStart = true;  // they size the buffers, which are sized once
        } else if (k == "port" || k == "device") {
            s.port = saved.port;
            s.device = saved.device;
            port = true;
        } else if (k == "InputVelFactor") {
            s.InputVelFactor = saved.InputVelFactor;
            window_.velocityFactor.setText(
                QString::fromStdString(FloatText(s.InputVelFactor / 100.0f)));
        } else if (k == "caloffsetrx") {
            s.caloffsetrx = saved.caloffsetrx;
        } else if (k == "caloffsettx") {
            s.caloffsettx = saved.caloffsettx;
        } else if (k == "caloffsetvalue") {
            s.caloffsetvalue = saved.caloffsetvalue;
        } else if (k == "FMin") {
            window_.fullFMin = saved.FMin;
        } else if (k == "FMax") {
            window_.fullFMax = saved.FMax;
        }
    }
    if (port) {
        const QString device = SerialDevicePath(ToInt16HalfEven(s.port).value_or(0), s.device);
        if (device != window_.serial.device()) {
            window_.useDevice(device);
        }
    }
    QString said = QStringLiteral("Settings saved to %1").arg(readPath_);
    if (nextStart) {
        said += QStringLiteral("; Champ and Step apply at the next start");
    }
    window_.notify(said);
}

bool SettingsController::rememberDevice(const QString& device) {
    const SettingsSaved saved = save({Edit("device", device.toStdString())});
    if (!saved.ok) {
        window_.warn(saved.error);
        return false;
    }
    window_.notify(QStringLiteral("Port %1 remembered in %2").arg(device, readPath_));
    return true;
}

bool SettingsController::rememberTextSize(int percent) {
    return remember("TextSize", std::to_string(percent),
                    QStringLiteral("Text size %1 %").arg(percent));
}

bool SettingsController::rememberDistanceUnit(bool feet) {
    return remember(
        "DistanceUnit", feet ? "feet" : "metres",
        feet ? QStringLiteral("Distances in feet") : QStringLiteral("Distances in metres"));
}

bool SettingsController::rememberLimitsFile(const QString& path) {
    return remember(
        "LimitsFile", path.toStdString(),
        path.isEmpty() ? QStringLiteral("No limits") : QStringLiteral("Limits %1").arg(path));
}

bool SettingsController::rememberLimitsBeep(bool on) {
    return remember("LimitsBeep", on ? "1" : "0",
                    on ? QStringLiteral("Beep on FAIL") : QStringLiteral("No beep on FAIL"));
}

bool SettingsController::rememberBandRegion(int region) {
    return remember("BandRegion", std::to_string(region),
                    region == 0 ? QStringLiteral("No band shading")
                                : QStringLiteral("Bands of IARU region %1").arg(region));
}

bool SettingsController::remember(const std::string& key, const std::string& value,
                                  const QString& what) {
    const SettingsSaved saved = save({Edit(key, value)});
    if (!saved.ok) {
        window_.warn(saved.error);
        return false;
    }
    window_.notify(QStringLiteral("%1 remembered in %2").arg(what, readPath_));
    return true;
}
