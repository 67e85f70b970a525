#include "window/row_cells.h"

#include "collect/failure_text.h"
#include "collect/field_extraction.h"
#include "platform/wtf8.h"
#include "window/display_text.h"

namespace catalog::window {

namespace {

constexpr std::string_view kEllipsis = "\u2026";
constexpr std::string_view kLineBreakMark = "\u21b5";  // ↵
constexpr std::string_view kTabMark = "\u2192";        // →

// A character takes at most four bytes, in the file as in the display: this many bytes always
// hold more characters than a cell shows, so a cell never decodes a whole large value.
constexpr std::size_t kCellBytes = 4 * (kMostCellCharacters + 1);

// One line for the table: CR LF, CR, LF and Unicode's own line breaks each become one mark, a
// tab another, and other control characters their visible pictures (U+2400 on), which a table
// would draw as nothing.
// The line breaks of Unicode beyond CR and LF: next line, line and paragraph separators.
bool breaksTheLine(std::string_view character) {
    return character == "\u0085" || character == "\u2028" || character == "\u2029";
}

void appendOnOneLine(std::string& out, std::string_view character, bool afterCarriageReturn) {
    const auto byte = static_cast<unsigned char>(character.front());
    if (breaksTheLine(character)) {
        out.append(kLineBreakMark);
    } else if (character.size() > 1 || (byte >= 0x20 && byte != 0x7f)) {
        out.append(character);
    } else if (byte == '\n' && afterCarriageReturn) {
        // The CR before it made the mark already.
    } else if (byte == '\n' || byte == '\r') {
        out.append(kLineBreakMark);
    } else if (byte == '\t') {
        out.append(kTabMark);
    } else {
        const char16_t picture = byte == 0x7f ? 0x2421 : char16_t(0x2400 + byte);
        out.append(wtf8FromUtf16(std::u16string_view(&picture, 1)));
    }
}

}  // namespace

Cell cellFor(std::string_view value) {
    Cell cell;
    cell.notFound = value == kMatchFailed;
    std::size_t shown = 0;
    bool afterCarriageReturn = false;
    forEachCharacter(value.substr(0, kCellBytes), [&](std::string_view character) {
        if (shown == kMostCellCharacters) {
            cell.text.append(kEllipsis);
            return false;
        }
        appendOnOneLine(cell.text, character, afterCarriageReturn);
        afterCarriageReturn = character == "\r";
        ++shown;
        return true;
    });
    return cell;
}

// A character that would reorder the status around it (a right-to-left override in a folder's
// name) is spelled out as the batch command spells it; every other one is kept.
std::string oneLine(std::string_view text) {
    std::string line;
    bool afterCarriageReturn = false;
    forEachCharacter(text, [&](std::string_view character) {
        if (character.size() > 1 && !breaksTheLine(character)) {
            line.append(printable(std::string(character)));
        } else {
            appendOnOneLine(line, character, afterCarriageReturn);
        }
        afterCarriageReturn = character == "\r";
        return true;
    });
    return line;
}

std::string tooltipFor(std::string_view value) {
    std::string tooltip;
    bool cut = false;
    forEachCharacter(value.substr(0, kMostTooltipBytes + 4), [&](std::string_view character) {
        if (tooltip.size() + character.size() > kMostTooltipBytes) {
            cut = true;
            return false;
        }
        tooltip.append(character);
        return true;
    });
    if (cut || value.size() > kMostTooltipBytes + 4) {
        tooltip.append(kEllipsis);
    }
    return tooltip;
}

}  // namespace catalog::window
