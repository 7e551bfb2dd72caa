#pragma once

// The console's pictures are JPEG files decoded with libjpeg, so they look the same wherever
// the program runs, whatever image plugins the host's Qt has.

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace navlor {

// Decodes a JPEG file held in memory into an RGB image. Data that is not a JPEG, corrupt or
// cut short gives a null image; the decoder never ends the program.
QImage decodeJpeg(const QByteArray& data);

// A picture shipped with the program ("navlor_banner.jpg"), from the program's resources;
// a null pixmap when there is no such picture.
QPixmap loadPicture(const QString& name);

// A button glyph: a picture whose background, the colour of its bottom-left pixel, is made
// transparent.
QPixmap loadGlyph(const QString& name);

} // namespace navlor
