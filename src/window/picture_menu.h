#pragma once

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include "files/picture.h"

class chart1;
class QAction;

// The caption block of the window's picture: when, the range, the points,
// the mode, the normalisation and averaging marks and the file on show, then one line per readout
// row the window shows (markers 1, 2 and 3, bandwidth and Q, cable loss or cable length), each
// heading and value read from the window's own widgets.
QStringList PictureCaptionLines(chart1& window, const QDateTime& when);

// The graph as the window shows it now, with its captions and the caption
// block.
PictureContent WindowPicture(chart1& window, const QDateTime& when);

// "Save Picture…" and "Copy Picture" of the File menu, after the save items.
class PictureCommands : public QObject {
    Q_OBJECT
public:
    explicit PictureCommands(chart1& window);

    QAction* mnuSavePicture = nullptr;
    QAction* mnuCopyPicture = nullptr;

public slots:
    void mnuSavePicture_Click();
    void mnuCopyPicture_Click();

private:
    chart1& w_;
};
