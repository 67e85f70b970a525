#include "collect/failure_text.h"

#include <cstddef>
#include <iterator>
#include <new>
#include <ostream>
#include <sstream>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/file_error.h"
#include "platform/system_error.h"
#include "platform/wtf8.h"

namespace catalog {

namespace {

bool within(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

// The byte at `i`, or 0 past the text's end, which no character's test takes.
unsigned char byteAt(std::string_view text, std::size_t i) {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
}

// The length of the character at the start of `text` when it reorders or hides the text around
// it, else 0: the C1 controls (U+0085 may end a line, U+009B start an escape sequence), the
// Arabic letter mark, the left-to-right and right-to-left marks, and the bidirectional
// embeddings, overrides and isolates. Their first bytes never continue a sequence, so a terminal
// decodes them as such wherever they stand, even after a broken sequence.
std::size_t hidingCharacterLength(std::string_view text) {
    const auto at = [text](std::size_t i) { return byteAt(text, i); };
    if ((at(0) == 0xC2 && within(at(1), 0x80, 0x9F)) || (at(0) == 0xD8 && at(1) == 0x9C)) {
        return 2;
    }
    const bool marks = at(1) == 0x80 && (within(at(2), 0x8E, 0x8F) || within(at(2), 0xAA, 0xAE));
    const bool isolates = at(1) == 0x81 && within(at(2), 0xA6, 0xA9);
    return at(0) == 0xE2 && (marks || isolates) ? 3 : 0;
}

void appendHex(std::string& shown, char c) {
    static constexpr char kHex[] = "0123456789abcdef";
    const auto byte = static_cast<unsigned char>(c);
    shown.append("\\x").push_back(kHex[byte >> 4]);
    shown.push_back(kHex[byte & 0xf]);
}

void appendByte(std::string& shown, char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
        shown.push_back(c);
    } else if (const std::size_t named = std::string_view("\n\t\r").find(c);
               named != std::string_view::npos) {
        shown.append("\\").push_back("ntr"[named]);
    } else {
        appendHex(shown, c);
    }
}

// What the program refused, said around its subject with what to do about it, in the order of
// Refusal; the output is the listing, as nothing else is written to a file.
constexpr std::pair<std::string_view, std::string_view> kRefusalWords[] = {
    {},
    {"the folder '",
     "' does not let this user make new files in it, which writing the listing needs (it is made "
     "anew, never written into the earlier file); save the listing in another folder, or get "
     "write permission on this one"},
    {"the folder '",
     "' is sticky, so only the listing's owner may replace it there; save the listing in another "
     "folder, or ask its owner to remove it"},
    {"", " is read-only: clear its read-only flag, or save to another name"},
    {"the file is open in another program or read-only; close it (or make it writable) and "
     "collect again",
     ""},
    {"a listing never overwrites a block device", ""},
};
static_assert(std::size(kRefusalWords) == static_cast<std::size_t>(Refusal::BlockDevice) + 1);

}  // namespace

std::string failureDescription(const FileError& failure) {
    if (failure.refusal() == Refusal::None) {
        return failure.description();
    }
    const auto& [before, after] = kRefusalWords[static_cast<std::size_t>(failure.refusal())];
    return failure.description() + ": " + std::string(before) + failure.subject() +
           std::string(after);
}

// path() keeps the name's bytes as they are; only the message spells them out.
std::string printable(const std::string& path) {
    const std::string_view text = path;
    std::string shown;
    shown.reserve(path.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::string_view rest = text.substr(i);
        if (const std::size_t hiding = hidingCharacterLength(rest); hiding > 0) {
            for (const char part : rest.substr(0, hiding)) {
                appendHex(shown, part);
            }
            i += hiding;
        } else if (const std::size_t length = decodeUtf8(rest, Surrogates::kRefused).length;
                   length > 1) {
            shown.append(rest.substr(0, length));
            i += length;
        } else if (length == 0 && within(static_cast<unsigned char>(rest[0]), 0x80, 0x9F)) {
            // A lone byte of the C1 range: a terminal that reads 8-bit controls takes 0x9B for
            // the start of an escape sequence, 0x85 for a line end.
            appendHex(shown, text[i++]);
        } else {
            appendByte(shown, text[i++]);
        }
    }
    return shown;
}

std::string failureText(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
        std::ostringstream text;
        writeOutOfMemory(text);
        return text.str();
    }
    // A description may name another path, the folder of the file among others.
    if (const auto* file = dynamic_cast<const FileError*>(&failure)) {
        return "cannot " + file->operation() + " '" + printable(file->path()) +
               "': " + printable(failureDescription(*file)) + " (error " +
               std::to_string(file->errorNumber()) + ")";
    }
    if (const auto* system = dynamic_cast<const std::system_error*>(&failure)) {
        return system->what() + (" (error " + std::to_string(system->code().value()) + ")");
    }
    return failure.what();
}

void writeOutOfMemory(std::ostream& out) {
    out << "out of memory: " << outOfMemoryDescription() << " (error "
        << errorNumberOf(Condition::OutOfMemory) << ")";
}

}  // namespace catalog
