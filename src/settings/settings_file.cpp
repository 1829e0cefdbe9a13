#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "files/vec_file.h"

namespace {

const QString kFileName = QStringLiteral("vezizo.ini");
constexpr qint64 kMaxSettingsBytes = 1024 * 1024;

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

SettingsPlaces SettingsPlacesFor(const QString& programFolder, const QString& xdgConfigHome,
                                 const QString& home) {
    const QString config = !xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome)
                               ? xdgConfigHome
                               : QDir(home).filePath(QStringLiteral(".config"));
    return {QDir(programFolder).filePath(kFileName),
            QDir(config).filePath(QStringLiteral("zezizav/") + kFileName)};
}

SettingsPlaces DefaultSettingsPlaces() {
    return SettingsPlacesFor(QCoreApplication::applicationDirPath(),
                             qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
}

QString SettingsFileToRead(const SettingsPlaces& places) {
    return QFileInfo::exists(places.beside) ? places.beside : places.xdg;
}

QString NoSettingsFileText(const SettingsPlaces& places) {
    return QStringLiteral("No settings file (%1 or %2): running on the defaults")
        .arg(QDir::toNativeSeparators(places.beside), QDir::toNativeSeparators(places.xdg));
}

SettingsTarget SettingsTargetFor(const SettingsPlaces& places, const QString& readPath,
                                 const QByteArray& example) {
    const QFileInfo read(readPath);
    const bool readWritable = read.exists() && QFileInfo(read.absolutePath()).isWritable();
    SettingsTarget target;
    if (read.exists() && !readWritable && readPath == places.beside) {
        // Start-up reads this file before the XDG one, so a copy saved there
        // would never be read: the user must know the save did not happen.
        target.path = readPath;
        target.error =
            QStringLiteral(
                "Cannot save %1: its folder cannot be written, and the "
                "program reads this file before %2")
                .arg(QDir::toNativeSeparators(readPath), QDir::toNativeSeparators(places.xdg));
        return target;
    }
    target.path = readWritable ? readPath : places.xdg;
    QString from = target.path;
    if (!QFileInfo::exists(from)) {
        from = read.exists() ? readPath : QString();
    }
    if (from.isEmpty()) {
        target.bytes = example;
    } else if (!ReadFileLimited(from, kMaxSettingsBytes, &target.bytes, &target.error)) {
        target.bytes.clear();
    }
    return target;
}

SettingsSaved SaveSettingsEdits(const SettingsTarget& target,
                                const std::vector<SettingsEdit>& edits) {
    SettingsSaved saved;
    if (!target.error.isEmpty()) {
        saved.error = target.error;
        return saved;
    }
    const std::string path = QFile::encodeName(target.path).toStdString();
    const RewrittenSettings rewritten = RewriteSettings(View(target.bytes), edits);
    if (!rewritten.bytes) {
        saved.error = QString::fromStdString(path + ": " + rewritten.error);
        return saved;
    }
    const SettingsResult check = ParseSettings(*rewritten.bytes);
    if (check.error) {
        saved.error = QString::fromStdString(DescribeSettingsError(path, *check.error));
        return saved;
    }
    const QString folder = QFileInfo(target.path).absolutePath();
    if (!QDir().mkpath(folder)) {
        saved.error = QStringLiteral("Cannot create the folder %1").arg(folder);
        return saved;
    }
    const QByteArray bytes(rewritten.bytes->data(),
                           static_cast<qsizetype>(rewritten.bytes->size()));
    if (!WriteFileSafely(target.path, bytes, &saved.error)) {
        return saved;
    }
    saved.ok = true;
    saved.settings = check.settings;
    return saved;
}
