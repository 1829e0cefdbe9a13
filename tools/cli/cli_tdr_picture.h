#pragma once

#include <QByteArray>

#include "cli_tdr.h"
#include "files/picture.h"
#include "settings/settings.h"

// tdr --output FILE.png or .svg: the impulse against distance as the window's
// time view paints it, its peaks marked in the caption lines under it. Empty
// when it could not be encoded.
QByteArray CliTdrPicture(const CliTdr& tdr, const Settings& settings, PictureFormat format);
