#include "platform/file_error.h"

#include <new>
#include <ostream>
#include <sstream>
#include <system_error>

#include "platform/system_error.h"

namespace catalog {

namespace {

std::string describe(int errorNumber, const std::string& detail = {}) {
    std::string description = describeSystemError(errorNumber);
    if (!detail.empty()) {
        description.append(": ").append(detail);
    }
    return description;
}

std::string composeMessage(const std::string& operation, const std::string& path, int errorNumber,
                           const std::string& description) {
    return "cannot " + operation + " '" + printable(path) + "': " + description + " (error " +
           std::to_string(errorNumber) + ")";
}

}  // namespace

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

void throwLastError(const char* operation, const std::string& path) {
    const int error = lastSystemError();
    throw FileError(operation, path, error);
}

std::string failureText(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
        std::ostringstream text;
        writeOutOfMemory(text);
        return text.str();
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

FileError::FileError(std::string operation, std::string path, int errorNumber, std::string detail)
    : std::runtime_error(
          composeMessage(operation, path, errorNumber, describe(errorNumber, detail))),
      m_operation(std::move(operation)),
      m_path(std::move(path)),
      m_errorNumber(errorNumber),
      m_description(describe(errorNumber, detail)) {}

}  // namespace catalog
