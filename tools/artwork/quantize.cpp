#include "quantize.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <set>
#include <vector>

namespace artwork {

namespace {

// Counts above half opacity; the small icons have no room for partial transparency.
constexpr int opaqueFrom = 128;

struct Shade {
    std::array<int, 3> rgb{};
    std::int64_t count = 0;
};

struct Mean {
    std::array<double, 3> rgb{};
};

// Green differences show most, blue the least; the weights keep a gold edge from being merged
// into a brown one before two blues that nobody can tell apart.
constexpr std::array<double, 3> channelWeight = {3.0, 4.0, 2.0};

double distance(const std::array<int, 3>& a, const std::array<double, 3>& b) {
    double sum = 0;
    for (int c = 0; c < 3; ++c) {
        const double d = a[static_cast<std::size_t>(c)] - b[static_cast<std::size_t>(c)];
        sum += channelWeight[static_cast<std::size_t>(c)] * d * d;
    }
    return sum;
}

// A box of the colour cube, as a range of the shade list.
struct Box {
    std::size_t begin = 0;
    std::size_t end = 0;
    double error = 0; // weighted squared distance of its shades to their mean
    int axis = 0;     // the channel that varies the most inside it
};

Box measure(const std::vector<Shade>& shades, std::size_t begin, std::size_t end) {
    Box box{begin, end, 0, 0};
    std::array<double, 3> sum{}, squares{};
    double total = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const double n = static_cast<double>(shades[i].count);
        total += n;
        for (std::size_t c = 0; c < 3; ++c) {
            sum[c] += n * shades[i].rgb[c];
            squares[c] += n * shades[i].rgb[c] * shades[i].rgb[c];
        }
    }
    double largest = -1;
    for (std::size_t c = 0; c < 3; ++c) {
        const double spread = channelWeight[c] * (squares[c] - sum[c] * sum[c] / total);
        box.error += spread;
        if (spread > largest) {
            largest = spread;
            box.axis = static_cast<int>(c);
        }
    }
    return box;
}

// Median cut, splitting the box with the largest error each time, then a few rounds of
// k-means to let each colour settle at the middle of the shades it ends up serving.
std::vector<Mean> choosePalette(std::vector<Shade> shades, int size) {
    std::vector<Box> boxes{measure(shades, 0, shades.size())};
    while (boxes.size() < static_cast<std::size_t>(size)) {
        auto worst = std::max_element(boxes.begin(), boxes.end(),
                                      [](const Box& a, const Box& b) { return a.error < b.error; });
        if (worst->end - worst->begin < 2 || worst->error <= 0)
            break;
        const Box box = *worst;
        const auto axis = static_cast<std::size_t>(box.axis);
        const auto first = shades.begin() + static_cast<std::ptrdiff_t>(box.begin);
        const auto last = shades.begin() + static_cast<std::ptrdiff_t>(box.end);
        std::sort(first, last, [axis](const Shade& a, const Shade& b) {
            return a.rgb[axis] != b.rgb[axis] ? a.rgb[axis] < b.rgb[axis] : a.rgb < b.rgb;
        });
        std::int64_t total = 0;
        for (auto it = first; it != last; ++it)
            total += it->count;
        std::int64_t seen = 0;
        std::size_t split = box.begin;
        while (split < box.end - 1 && (seen + shades[split].count) * 2 <= total)
            seen += shades[split++].count;
        split = std::clamp(split, box.begin + 1, box.end - 1);
        *worst = measure(shades, box.begin, split);
        boxes.push_back(measure(shades, split, box.end));
    }

    std::vector<Mean> palette;
    for (const Box& box : boxes) {
        Mean mean;
        double total = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            total += static_cast<double>(shades[i].count);
            for (std::size_t c = 0; c < 3; ++c)
                mean.rgb[c] += static_cast<double>(shades[i].count) * shades[i].rgb[c];
        }
        for (double& channel : mean.rgb)
            channel /= total;
        palette.push_back(mean);
    }

    for (int round = 0; round < 10; ++round) {
        std::vector<Mean> sums(palette.size());
        std::vector<double> totals(palette.size(), 0);
        for (const Shade& shade : shades) {
            std::size_t nearest = 0;
            double best = std::numeric_limits<double>::max();
            for (std::size_t p = 0; p < palette.size(); ++p) {
                const double d = distance(shade.rgb, palette[p].rgb);
                if (d < best) {
                    best = d;
                    nearest = p;
                }
            }
            totals[nearest] += static_cast<double>(shade.count);
            for (std::size_t c = 0; c < 3; ++c)
                sums[nearest].rgb[c] += static_cast<double>(shade.count) * shade.rgb[c];
        }
        for (std::size_t p = 0; p < palette.size(); ++p) {
            if (totals[p] > 0)
                for (std::size_t c = 0; c < 3; ++c)
                    palette[p].rgb[c] = sums[p].rgb[c] / totals[p];
        }
    }
    return palette;
}

int toChannel(double value) {
    return std::clamp(static_cast<int>(value + 0.5), 0, 255);
}

} // namespace

QImage quantize(const QImage& picture, int colours) {
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    const int height = source.height();

    bool transparent = false;
    std::vector<QRgb> opaque;
    opaque.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (qAlpha(line[x]) < opaqueFrom)
                transparent = true;
            else
                opaque.push_back(line[x] | 0xff000000u);
        }
    }
    std::sort(opaque.begin(), opaque.end());

    std::vector<Shade> shades;
    for (std::size_t i = 0; i < opaque.size();) {
        std::size_t j = i;
        while (j < opaque.size() && opaque[j] == opaque[i])
            ++j;
        shades.push_back({{qRed(opaque[i]), qGreen(opaque[i]), qBlue(opaque[i])},
                          static_cast<std::int64_t>(j - i)});
        i = j;
    }

    const int budget = colours - (transparent ? 1 : 0);
    std::vector<Mean> palette;
    if (shades.size() <= static_cast<std::size_t>(budget)) {
        for (const Shade& shade : shades)
            palette.push_back({{double(shade.rgb[0]), double(shade.rgb[1]), double(shade.rgb[2])}});
    } else if (!shades.empty()) {
        palette = choosePalette(shades, budget);
    }

    // Dark to light, so the colour table reads sensibly in any palette viewer.
    std::sort(palette.begin(), palette.end(), [](const Mean& a, const Mean& b) {
        const auto light = [](const Mean& m) { return 3 * m.rgb[0] + 6 * m.rgb[1] + m.rgb[2]; };
        return light(a) != light(b) ? light(a) < light(b) : a.rgb < b.rgb;
    });

    QList<QRgb> table;
    if (transparent)
        table.append(qRgba(0, 0, 0, 0));
    const qsizetype firstOpaque = table.size();
    for (const Mean& mean : palette)
        table.append(qRgb(toChannel(mean.rgb[0]), toChannel(mean.rgb[1]), toChannel(mean.rgb[2])));

    QImage result(width, height, QImage::Format_Indexed8);
    result.setColorTable(table);
    result.setDotsPerMeterX(source.dotsPerMeterX());
    result.setDotsPerMeterY(source.dotsPerMeterY());
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* out = result.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (qAlpha(in[x]) < opaqueFrom) {
                out[x] = 0;
                continue;
            }
            const std::array<int, 3> rgb = {qRed(in[x]), qGreen(in[x]), qBlue(in[x])};
            std::size_t nearest = 0;
            double best = std::numeric_limits<double>::max();
            for (std::size_t p = 0; p < palette.size(); ++p) {
                const double d = distance(rgb, palette[p].rgb);
                if (d < best) {
                    best = d;
                    nearest = p;
                }
            }
            out[x] = static_cast<uchar>(firstOpaque + static_cast<qsizetype>(nearest));
        }
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
