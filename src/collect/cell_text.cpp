#include "collect/cell_text.h"

#include <algorithm>
#include <array>

#include "collect/ascii_text.h"
#include "collect/legible_text.h"
#include "collect/listing_format.h"
#include "platform/wtf8.h"

namespace catalog {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Bytes a cell's XML takes as they are: printable ASCII and DEL, but XML's own marks and the
// underscore that may begin an escape of the spreadsheet's.
constexpr std::array<bool, 256> kPlainInXml = [] {
    std::array<bool, 256> plain{};
    for (int byte = 0x20; byte <= 0x7F; ++byte) {
        plain[byte] = byte != '&' && byte != '<' && byte != '>' && byte != '_';
    }
    return plain;
}();

// `_xHHHH_`, which a spreadsheet reads as the character U+HHHH.
bool spreadsheetEscapeAt(std::string_view bytes, std::size_t at) {
    return bytes.size() - at >= 7 && bytes[at + 1] == 'x' &&
           std::all_of(bytes.begin() + at + 2, bytes.begin() + at + 6, isHexDigit) &&
           bytes[at + 6] == '_';
}

// The XML for an ASCII byte that is not plain in it.
std::string_view asciiXml(std::string_view bytes, std::size_t at) {
    switch (bytes[at]) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '\r':
            return "&#13;";
        case '_':
            return spreadsheetEscapeAt(bytes, at) ? "_x005F_" : "_";
        case '\t':
            return "\t";
        case '\n':
            return "\n";
        default:
            return kReplacement;  // a control character XML 1.0 cannot hold
    }
}

// One character that is not plain ASCII: its bytes in `bytes`, its XML and the UTF-16 code
// units it takes in the cell.
struct CellCharacter {
    std::size_t bytes = 1;
    std::size_t units = 1;
    std::string_view xml;
    std::string decoded;  // for a byte read as Windows-1252
};

CellCharacter characterAt(std::string_view bytes, std::size_t at) {
    CellCharacter character;
    if ((bytes[at] & 0x80) == 0) {
        character.xml = asciiXml(bytes, at);
        return character;
    }
    const Utf8Character utf8 = decodeUtf8(bytes.substr(at), Surrogates::kRefused);
    if (utf8.length == 0) {
        const char16_t single = windows1252Character(static_cast<unsigned char>(bytes[at]));
        character.decoded = wtf8FromUtf16(std::u16string_view(&single, 1));
        character.xml = character.decoded;
        return character;
    }
    character.bytes = utf8.length;
    character.units = utf8.point > 0xFFFF ? 2 : 1;
    const bool noCharacter = utf8.point == 0xFFFE || utf8.point == 0xFFFF;
    character.xml = noCharacter ? kReplacement : bytes.substr(at, utf8.length);
    return character;
}

bool looksLikeFormula(std::string_view bytes) {
    return !bytes.empty() &&
           std::string_view("=+-@\t\r").find(bytes.front()) != std::string_view::npos &&
           !isPlainNumber(bytes);
}

}  // namespace

bool appendCellXml(std::string& out, std::string_view bytes) {
    std::size_t units = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        if (kPlainInXml[static_cast<unsigned char>(bytes[at])]) {
            std::size_t end = at + 1;
            while (end < bytes.size() && kPlainInXml[static_cast<unsigned char>(bytes[end])]) {
                ++end;
            }
            const std::size_t taken = std::min(end - at, kMostCellUnits - units);
            out.append(bytes.substr(at, taken));
            units += taken;
            at += taken;
            if (units == kMostCellUnits) {
                return at < bytes.size();
            }
            continue;
        }
        const CellCharacter character = characterAt(bytes, at);
        if (units + character.units > kMostCellUnits) {
            return true;
        }
        out.append(character.xml);
        units += character.units;
        at += character.bytes;
    }
    return false;
}

std::size_t shownLength(std::string_view bytes, std::size_t most) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < bytes.size() && characters < most; ++characters) {
        at += (bytes[at] & 0x80) == 0 ? 1 : std::max<std::size_t>(1, utf8SequenceLength(bytes, at));
    }
    return characters;
}

CsvField csvFieldOf(std::string_view value) {
    CsvField field;
    field.quoted = value.find_first_of(",\"\r\n") != std::string_view::npos;
    field.doubledQuotes = field.quoted && value.find('"') != std::string_view::npos;
    field.guarded = looksLikeFormula(value);
    return field;
}

void appendCsvPart(std::string& out, std::string_view part, const CsvField& field) {
    const std::size_t start = out.size();
    appendLegible(out, part);
    if (!field.doubledQuotes) {
        return;
    }
    const std::string legible = out.substr(start);
    out.resize(start);
    for (const char c : legible) {
        out.append(c == '"' ? 2 : 1, c);
    }
}

std::size_t partEnd(std::string_view bytes, std::size_t start, std::size_t most) {
    const auto continues = [bytes](std::size_t at) {
        return at < bytes.size() && (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80;
    };
    const std::size_t limit = std::min(bytes.size(), start + most);
    std::size_t end = limit;
    // A sequence's first byte lies at most three before any of its others.
    for (int back = 0; back < 3 && end > start && continues(end); ++back) {
        --end;
    }
    if (continues(end)) {
        return limit;  // bytes that continue no sequence: a cut among them cuts none
    }
    if (end > start) {
        return end;
    }
    const std::size_t length = utf8SequenceLength(bytes, start);
    return length > 0 ? start + length : limit;  // the part is one character, or cuts none
}

}  // namespace catalog
