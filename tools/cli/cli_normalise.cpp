#include "cli_normalise.h"

#include <QByteArray>

#include "calibrate/norm_file.h"
#include "cli_args.h"
#include "files/vec_file.h"

namespace {

CliNormalisationResult Failed(const QString& error) {
    return {std::nullopt, error};
}

}  // namespace

QString* NormalisationValue(NormalisationArguments& arguments, const QString& name) {
    const struct {
        const char* name;
        QString* value;
    } options[] = {{"open", &arguments.open},
                   {"short", &arguments.shortFile},
                   {"through", &arguments.through},
                   {"normalise", &arguments.norm}};
    for (const auto& o : options) {
        if (name == QLatin1String(o.name)) {
            return o.value;
        }
    }
    return nullptr;
}

std::optional<QString> CheckNormalisationArguments(const NormalisationArguments& arguments,
                                                   bool transmission) {
    const bool vec =
        !arguments.open.isEmpty() || !arguments.shortFile.isEmpty() || !arguments.through.isEmpty();
    if (vec && !arguments.norm.isEmpty()) {
        return QStringLiteral("--normalise takes the place of --open, --short and --through");
    }
    if (transmission && (!arguments.open.isEmpty() || !arguments.shortFile.isEmpty())) {
        return QStringLiteral(
            "--open and --short normalise the reflection modes, not "
            "--transmission; use --through");
    }
    if (!transmission && !arguments.through.isEmpty()) {
        return QStringLiteral("--through normalises the Transmission mode: add --transmission");
    }
    return std::nullopt;
}

CliNormalisationResult ReadCliNormalisation(const NormalisationArguments& arguments) {
    QByteArray bytes;
    QString error;
    if (!arguments.norm.isEmpty()) {
        if (!ReadFileLimited(arguments.norm, MaxNormFileBytes, &bytes, &error)) {
            return Failed(error);
        }
        NormReadResult read = ReadNormText(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        if (!read.normalisation) {
            return Failed(QStringLiteral("--normalise %1: %2")
                              .arg(arguments.norm, QString::fromStdString(read.error)));
        }
        return {std::move(read.normalisation), {}};
    }

    Normalisation out;
    const struct {
        Standard standard;
        const QString& path;
    } vecs[] = {{Standard::Open, arguments.open},
                {Standard::Short, arguments.shortFile},
                {Standard::Through, arguments.through}};
    for (const auto& v : vecs) {
        if (v.path.isEmpty()) {
            continue;
        }
        const QString option =
            QStringLiteral("--") + QLatin1String(StandardName(v.standard).data());
        if (!ReadFileLimited(v.path, VecFileSize(kMaxCliPoints), &bytes, &error)) {
            return Failed(error);
        }
        const std::optional<std::int32_t> points = VecPointsForSize(bytes.size());
        if (!points) {
            return Failed(QStringLiteral("%1 %2 is %3 bytes, which is no .vec file")
                              .arg(option, v.path)
                              .arg(bytes.size()));
        }
        const VecReadResult read = ReadVecBytes(bytes, *points);
        if (!read.data) {
            return Failed(QStringLiteral("%1 %2: %3").arg(option, v.path, read.error));
        }
        Reference r = ReferenceFromSweep(read.data->buffers.MagnitudeSamples, *points,
                                         read.data->FMin, read.data->FMax);
        if (const std::optional<std::string> why = CheckReference(r)) {
            return Failed(
                QStringLiteral("%1 %2: %3").arg(option, v.path, QString::fromStdString(*why)));
        }
        out[v.standard] = std::move(r);
    }
    return {std::move(out), {}};
}
