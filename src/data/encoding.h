#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <string>
#include <string_view>

class QIODevice;

namespace data {

// How the bytes of a text source are read. Auto is UTF-8 when the whole source is valid UTF-8,
// otherwise Windows-1252, the usual choice for old Portuguese text files.
enum class Encoding { Utf8, Latin1, Cp1252, Auto };

// "utf-8", "latin1" (also "iso-8859-1"), "cp1252" (also "windows-1252"), "auto"; any letter case.
std::optional<Encoding> encodingNamed(QStringView name);

// Auto resolved for one source: reads it to its end and back to its start, so the device must
// be able to seek.
Encoding resolveEncoding(Encoding asked, QIODevice& source);

// One line in UTF-8, or why it cannot be read in the encoding (Auto must be resolved first). A
// line already in UTF-8 is not copied: its text is the bytes given to decodeLine.
struct DecodedLine {
    std::string utf8; // the line converted from a single-byte encoding
    std::string_view unchanged;
    bool converted = false;
    QString error;

    std::string_view text() const { return converted ? std::string_view(utf8) : unchanged; }
};
DecodedLine decodeLine(std::string_view bytes, Encoding encoding);

} // namespace data
