#pragma once
// Raw device bytes as message texts can show them.
#include <QByteArray>
#include <QString>

namespace device {

// A short printable rendering of raw bytes for error texts: printable ASCII
// as is, everything else as \xNN, cut after maxBytes with "...".
QString PrintableExcerpt(const QByteArray& bytes, int maxBytes = 24);

// Decodes bytes as UTF-8; false when they are not valid UTF-8.
bool DecodeUtf8(const QByteArray& bytes, QString* text);

}  // namespace device
