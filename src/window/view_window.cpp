#include "window/view_window.h"

#include <QAction>
#include <QDateTime>
#include <QMenu>

#include "files/file_names.h"

QAction* AddViewItem(QMenu& menu, const QString& text, const char* name, const QKeySequence& keys) {
    QAction* item = menu.addAction(text);
    item->setObjectName(QLatin1String(name));
    item->setShortcut(keys);
    return item;
}

QWidget* NewViewWindow(QWidget& owner, const char* name, const QString& title) {
    QWidget* view = Named(new QWidget(&owner, Qt::Window), name);
    view->setWindowTitle(title);
    view->setAccessibleName(title);
    return view;
}

void RaiseViewWindow(QWidget& view) {
    view.show();
    view.raise();
    view.activateWindow();
}

void SaveViewPicture(
    const ViewPictureCalls& calls,
    const std::function<QByteArray(PictureFormat, const QString& dateLine)>& bytes) {
    const QString filter = QStringLiteral("PNG pictures (*.png);;SVG pictures (*.svg)");
    const QString path = WithFilterExtension(calls.chooseFile(FileDialog::Save, filter), filter);
    if (path.isEmpty()) {
        return;
    }
    const QString date =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString error = WritePictureFile(path, bytes(PictureFormatOf(path), date));
    if (!error.isEmpty()) {
        calls.warn(error);
    } else {
        calls.notify(QStringLiteral("Saved %1").arg(path));
    }
}
