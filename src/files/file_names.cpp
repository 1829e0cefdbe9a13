#include "files/file_names.h"

#include <QFileInfo>

QString FilterExtension(const QString& filter) {
    const qsizetype start = filter.indexOf(QLatin1String("(*."));
    if (start < 0) {
        return {};
    }
    qsizetype end = start + 2;
    while (end + 1 < filter.size() && filter[end + 1].isLetterOrNumber()) {
        ++end;
    }
    return end > start + 2 ? filter.mid(start + 2, end - start - 1) : QString();
}

QString WithFilterExtension(const QString& path, const QString& filter) {
    const QString extension = FilterExtension(filter);
    const QFileInfo info(path);
    if (path.isEmpty() || extension.isEmpty() || !info.suffix().isEmpty() ||
        info.fileName().isEmpty()) {
        return path;
    }
    // "ant20m." means no extension either; it is not doubled into "..vec".
    return path.endsWith(QLatin1Char('.')) ? path + extension.mid(1) : path + extension;
}

QString OpenDialogStartName(const QString& lastChosen) {
    return lastChosen.endsWith(QLatin1String(".vec"), Qt::CaseInsensitive) ? lastChosen : QString();
}
