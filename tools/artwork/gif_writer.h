#pragma once

#include <QByteArray>
#include <QImage>

namespace artwork {

// Encodes an 8-bit indexed image (at most 256 colour table entries) as a single-frame GIF89a.
// The first fully transparent table entry, if any, becomes the GIF's transparent colour.
// Qt reads GIF but cannot write it; giflib writes it.
QByteArray encodeGif(const QImage& indexed);

} // namespace artwork
