#include "gif_writer.h"

#include <gif_lib.h>
#include <memory>
#include <stdexcept>
#include <vector>

namespace artwork {

namespace {

int appendTo(GifFileType* gif, const GifByteType* bytes, int length) {
    static_cast<QByteArray*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(length));
    return length;
}

void check(int status, const char* step) {
    if (status != GIF_OK)
        throw std::runtime_error(step);
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// The colour table padded to the power of two the format wants.
std::unique_ptr<ColorMapObject, MapDeleter> colourMap(const QList<QRgb>& colours) {
    int size = 2;
    while (size < colours.size())
        size *= 2;
    std::unique_ptr<ColorMapObject, MapDeleter> map(GifMakeMapObject(size, nullptr));
    if (!map)
        throw std::bad_alloc();
    for (int i = 0; i < size; ++i) {
        const QRgb colour = i < colours.size() ? colours[i] : qRgb(0, 0, 0);
        map->Colors[i] = {static_cast<GifByteType>(qRed(colour)),
                          static_cast<GifByteType>(qGreen(colour)),
                          static_cast<GifByteType>(qBlue(colour))};
    }
    return map;
}

void putTransparency(GifFileType* gif, const QList<QRgb>& colours) {
    for (qsizetype i = 0; i < colours.size(); ++i) {
        if (qAlpha(colours[i]) != 0)
            continue;
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, static_cast<int>(i)};
        GifByteType extension[4];
        const auto length = EGifGCBToExtension(&control, extension);
        check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension),
              "graphics control");
        return;
    }
}

} // namespace

QByteArray encodeGif(const QImage& indexed) {
    Q_ASSERT(indexed.format() == QImage::Format_Indexed8);
    const QList<QRgb> colours = indexed.colorTable();
    Q_ASSERT(!colours.isEmpty() && colours.size() <= 256);

    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendTo, &error);
    if (!gif)
        throw std::runtime_error(GifErrorString(error));
    const auto closed = [](GifFileType* file) { EGifCloseFile(file, nullptr); };
    std::unique_ptr<GifFileType, decltype(closed)> file(gif, closed);
    EGifSetGifVersion(gif, true);
    const auto map = colourMap(colours);
    check(
        EGifPutScreenDesc(gif, indexed.width(), indexed.height(), map->BitsPerPixel, 0, map.get()),
        "screen");
    putTransparency(gif, colours);
    check(EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr), "image");
    std::vector<GifPixelType> line(static_cast<std::size_t>(indexed.width()));
    for (int y = 0; y < indexed.height(); ++y) {
        std::copy_n(indexed.constScanLine(y), line.size(), line.begin());
        check(EGifPutLine(gif, line.data(), indexed.width()), "line");
    }
    file.reset();
    return out;
}

} // namespace artwork
