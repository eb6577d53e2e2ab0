#include "platform/core/file_names.h"

#include <QChar>
#include <unistd.h>

namespace core {

namespace {

constexpr char16_t firstKeptByte = 0xDC80;
constexpr char16_t lastKeptByte = 0xDCFF;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `at`, or 0. Overlong forms, surrogates and code
// points past U+10FFFF are not valid.
qsizetype validSequenceAt(QByteArrayView bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    qsizetype length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        secondLow = lead == 0xE0 ? 0xA0 : 0x80;
        secondHigh = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        secondLow = lead == 0xF0 ? 0x90 : 0x80;
        secondHigh = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(1) < secondLow || byte(1) > secondHigh)
        return 0;
    for (qsizetype i = 2; i < length; ++i)
        if (!isContinuation(byte(i)))
            return 0;
    return length;
}

bool isKeptByte(QStringView text, qsizetype i) {
    const char16_t unit = text[i].unicode();
    const bool afterHighSurrogate = i > 0 && QChar::isHighSurrogate(text[i - 1].unicode());
    return unit >= firstKeptByte && unit <= lastKeptByte && !afterHighSurrogate;
}

} // namespace

QString fileNameFromBytes(QByteArrayView bytes) {
    QString name;
    name.reserve(bytes.size());
    qsizetype at = 0;
    while (at < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            name += QLatin1Char(static_cast<char>(byte));
            ++at;
        } else if (const qsizetype length = validSequenceAt(bytes, at)) {
            name += QString::fromUtf8(bytes.sliced(at, length));
            at += length;
        } else {
            name += QChar(char16_t(0xDC00 | byte));
            ++at;
        }
    }
    return name;
}

QByteArray bytesOfFileName(QStringView name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isKeptByte(name, i))
            continue;
        bytes += name.sliced(runStart, i - runStart).toUtf8();
        bytes += static_cast<char>(name[i].unicode() & 0xFF);
        runStart = i + 1;
    }
    bytes += name.sliced(runStart).toUtf8();
    return bytes;
}

QString displayable(QStringView text) {
    QString shown = text.toString();
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (isKeptByte(text, i))
            shown[i] = QChar::ReplacementCharacter;
    return shown;
}

QString runningProgramDirectory() {
    // The link's target as the system holds it; a path may be as long as the system allows.
    QByteArray target(4096, Qt::Uninitialized);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
        if (length < 0)
            return {};
        if (length < target.size()) {
            target.truncate(length);
            break;
        }
        target.resize(target.size() * 2);
    }
    const qsizetype slash = target.lastIndexOf('/');
    return slash <= 0 ? QStringLiteral("/") : fileNameFromBytes(target.first(slash));
}

} // namespace core
