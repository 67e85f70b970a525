#include "collect/failure_text.h"

#include <new>
#include <ostream>
#include <sstream>
#include <system_error>

#include "platform/file_error.h"
#include "platform/system_error.h"

namespace catalog {

// path() keeps the name's bytes as they are; only the message spells them out.
std::string printable(const std::string& path) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            shown.push_back(c);
        } else if (c == '\n') {
            shown.append("\\n");
        } else if (c == '\t') {
            shown.append("\\t");
        } else if (c == '\r') {
            shown.append("\\r");
        } else {
            shown.append("\\x").push_back(kHex[byte >> 4]);
            shown.push_back(kHex[byte & 0xf]);
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
               "': " + printable(file->description()) + " (error " +
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
