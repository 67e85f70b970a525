#include "collect/file_error.h"

#include <cstring>

namespace catalog {

namespace {

std::string describe(int errorNumber) {
    return std::strerror(errorNumber);
}

// The message goes to terminals and logs, where a control byte in a file name, a line break
// above all, could forge a line or move the cursor; such bytes are spelled out. path() keeps
// the name's bytes as they are.
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

std::string composeMessage(const std::string& operation, const std::string& path, int errorNumber) {
    return "cannot " + operation + " '" + printable(path) + "': " + describe(errorNumber) +
           " (error " + std::to_string(errorNumber) + ")";
}

}  // namespace

FileError::FileError(std::string operation, std::string path, int errorNumber)
    : std::runtime_error(composeMessage(operation, path, errorNumber)),
      m_operation(std::move(operation)),
      m_path(std::move(path)),
      m_errorNumber(errorNumber),
      m_description(describe(errorNumber)) {}

}  // namespace catalog
