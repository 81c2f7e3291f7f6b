#pragma once
// Decoding JPEG pictures with libjpeg.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace guide {

// Decodes a JPEG file held in memory into a 24-bit image. On damaged or
// unsupported data returns a null image and, if error is given, libjpeg's
// reason; never ends the program (libjpeg's default reaction to bad data).
QImage DecodeJpeg(const QByteArray& data, QString* error = nullptr);

}  // namespace guide
