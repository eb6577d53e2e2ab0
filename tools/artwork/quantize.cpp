#include "quantize.h"

#include <algorithm>
#include <libimagequant.h>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <vector>

namespace artwork {

namespace {

// Counts above half opacity; the small icons have no room for partial transparency.
constexpr int opaqueFrom = 128;
constexpr QRgb clear = 0;

// The picture with every pixel either fully transparent or fully opaque.
std::vector<QRgb> thresholded(const QImage& source) {
    std::vector<QRgb> pixels;
    pixels.reserve(static_cast<std::size_t>(source.width()) *
                   static_cast<std::size_t>(source.height()));
    for (int y = 0; y < source.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < source.width(); ++x)
            pixels.push_back(qAlpha(line[x]) < opaqueFrom ? clear : (line[x] | 0xff000000u));
    }
    return pixels;
}

template <typename T, void (*destroy)(T*)> struct Liq {
    void operator()(T* object) const { destroy(object); }
};
template <typename T, void (*destroy)(T*)> using LiqHandle = std::unique_ptr<T, Liq<T, destroy>>;

// Each pixel's colour as libimagequant chooses it: a palette of at most `colours` entries
// (the transparent one among them) and no dithering, so that flat areas stay flat.
std::vector<QRgb> reduced(const std::vector<QRgb>& pixels, int width, int height, int colours) {
    std::vector<unsigned char> rgba;
    rgba.reserve(pixels.size() * 4);
    for (const QRgb pixel : pixels)
        for (const int channel : {qRed(pixel), qGreen(pixel), qBlue(pixel), qAlpha(pixel)})
            rgba.push_back(static_cast<unsigned char>(channel));
    const LiqHandle<liq_attr, liq_attr_destroy> attributes(liq_attr_create());
    liq_set_max_colors(attributes.get(), colours);
    liq_set_speed(attributes.get(), 1);
    const LiqHandle<liq_image, liq_image_destroy> image(
        liq_image_create_rgba(attributes.get(), rgba.data(), width, height, 0));
    liq_result* raw = nullptr;
    if (!image || liq_image_quantize(image.get(), attributes.get(), &raw) != LIQ_OK)
        throw std::runtime_error("libimagequant");
    const LiqHandle<liq_result, liq_result_destroy> result(raw);
    liq_set_dithering_level(result.get(), 0);
    std::vector<unsigned char> indices(pixels.size());
    liq_write_remapped_image(result.get(), image.get(), indices.data(), indices.size());
    const liq_palette* palette = liq_get_palette(result.get());
    std::vector<QRgb> out;
    out.reserve(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const liq_color& c = palette->entries[indices[i]];
        out.push_back(pixels[i] == clear || c.a < opaqueFrom ? clear : qRgb(c.r, c.g, c.b));
    }
    return out;
}

} // namespace

QImage quantize(const QImage& picture, int colours) {
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    std::vector<QRgb> pixels = thresholded(source);
    const std::set<QRgb> distinct(pixels.begin(), pixels.end());
    if (distinct.size() > static_cast<std::size_t>(colours))
        pixels = reduced(pixels, source.width(), source.height(), colours);

    // Transparent first, then dark to light, so the colour table reads sensibly in any viewer.
    const std::set<QRgb> used(pixels.begin(), pixels.end());
    std::vector<QRgb> table(used.begin(), used.end());
    const auto lightness = [](QRgb c) { return 3 * qRed(c) + 6 * qGreen(c) + qBlue(c); };
    std::sort(table.begin(), table.end(), [&](QRgb a, QRgb b) {
        if ((a == clear) != (b == clear))
            return a == clear;
        return lightness(a) != lightness(b) ? lightness(a) < lightness(b) : a < b;
    });
    std::map<QRgb, uchar> index;
    for (std::size_t i = 0; i < table.size(); ++i)
        index[table[i]] = static_cast<uchar>(i);

    QImage result(source.width(), source.height(), QImage::Format_Indexed8);
    result.setColorTable(QList<QRgb>(table.begin(), table.end()));
    result.setDotsPerMeterX(source.dotsPerMeterX());
    result.setDotsPerMeterY(source.dotsPerMeterY());
    auto pixel = pixels.begin();
    for (int y = 0; y < result.height(); ++y) {
        uchar* out = result.scanLine(y);
        for (int x = 0; x < result.width(); ++x)
            out[x] = index.at(*pixel++);
    }
    return result;
}

int countColours(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::set<QRgb> seen;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            seen.insert(qAlpha(line[x]) == 0 ? 0u : line[x]);
    }
    return static_cast<int>(seen.size());
}

} // namespace artwork
