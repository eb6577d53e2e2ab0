#include "gif_writer.h"

#include <QtGlobal>
#include <vector>

namespace artwork {

namespace {

constexpr int largestCode = 4095; // GIF codes have at most 12 bits

void appendWord(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xff));
    out.append(static_cast<char>((value >> 8) & 0xff));
}

// Packs codes of varying width, least significant bit first, as the format wants.
class CodeStream {
public:
    void write(int code, int width) {
        pending |= static_cast<quint32>(code) << pendingBits;
        pendingBits += width;
        while (pendingBits >= 8) {
            bytes.append(static_cast<char>(pending & 0xff));
            pending >>= 8;
            pendingBits -= 8;
        }
    }
    QByteArray finish() {
        if (pendingBits > 0)
            bytes.append(static_cast<char>(pending & 0xff));
        return bytes;
    }

private:
    QByteArray bytes;
    quint32 pending = 0;
    int pendingBits = 0;
};

QByteArray compress(const std::vector<uchar>& indices, int minimumCodeSize) {
    const int clearCode = 1 << minimumCodeSize;
    const int endCode = clearCode + 1;

    // The dictionary: the code for (string code, next index), or -1 when not yet assigned.
    std::vector<qint16> table(static_cast<std::size_t>(largestCode + 1) * 256);
    int nextCode = 0;
    int codeSize = 0;
    const auto reset = [&] {
        std::fill(table.begin(), table.end(), qint16(-1));
        nextCode = endCode + 1;
        codeSize = minimumCodeSize + 1;
    };

    CodeStream stream;
    reset();
    stream.write(clearCode, codeSize);
    int current = indices.empty() ? -1 : indices.front();
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const uchar index = indices[i];
        qint16& entry = table[static_cast<std::size_t>(current) * 256 + index];
        if (entry >= 0) {
            current = entry;
            continue;
        }
        stream.write(current, codeSize);
        entry = static_cast<qint16>(nextCode++);
        // The code just added may be the next one written, so it has to fit.
        if (nextCode - 1 == (1 << codeSize) && codeSize < 12)
            ++codeSize;
        if (nextCode > largestCode) {
            // Full: start over rather than keep coding with a dictionary that no longer fits
            // the picture.
            stream.write(clearCode, codeSize);
            reset();
        }
        current = index;
    }
    if (current >= 0)
        stream.write(current, codeSize);
    stream.write(endCode, codeSize);
    return stream.finish();
}

} // namespace

QByteArray encodeGif(const QImage& indexed) {
    Q_ASSERT(indexed.format() == QImage::Format_Indexed8);
    const QList<QRgb> colours = indexed.colorTable();
    Q_ASSERT(!colours.isEmpty() && colours.size() <= 256);

    // The colour table holds 2^n entries, n from 1 to 8; LZW codes start one bit wider, and
    // never below 3 bits.
    int tableBits = 1;
    while ((1 << tableBits) < colours.size())
        ++tableBits;
    const int minimumCodeSize = qMax(2, tableBits);

    int transparent = -1;
    for (qsizetype i = 0; i < colours.size() && transparent < 0; ++i)
        if (qAlpha(colours[i]) == 0)
            transparent = static_cast<int>(i);

    QByteArray out("GIF89a");
    appendWord(out, indexed.width());
    appendWord(out, indexed.height());
    out.append(static_cast<char>(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));
    out.append('\0'); // background colour
    out.append('\0'); // square pixels
    for (int i = 0; i < (1 << tableBits); ++i) {
        const QRgb colour = i < colours.size() ? colours[i] : qRgb(0, 0, 0);
        out.append(static_cast<char>(qRed(colour)));
        out.append(static_cast<char>(qGreen(colour)));
        out.append(static_cast<char>(qBlue(colour)));
    }

    if (transparent >= 0) {
        out.append("\x21\xf9\x04", 3); // graphic control extension, 4 bytes
        out.append('\x01');            // transparent colour present, no disposal
        appendWord(out, 0);            // no delay
        out.append(static_cast<char>(transparent));
        out.append('\0');
    }

    out.append('\x2c'); // image descriptor
    appendWord(out, 0);
    appendWord(out, 0);
    appendWord(out, indexed.width());
    appendWord(out, indexed.height());
    out.append('\0'); // no local colour table, not interlaced

    std::vector<uchar> indices;
    indices.reserve(static_cast<std::size_t>(indexed.width()) *
                    static_cast<std::size_t>(indexed.height()));
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar* line = indexed.constScanLine(y);
        indices.insert(indices.end(), line, line + indexed.width());
    }
    const QByteArray data = compress(indices, minimumCodeSize);

    out.append(static_cast<char>(minimumCodeSize));
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const qsizetype length = qMin<qsizetype>(255, data.size() - at);
        out.append(static_cast<char>(length));
        out.append(data.constData() + at, length);
    }
    out.append('\0'); // end of the image data
    out.append('\x3b');
    return out;
}

} // namespace artwork
