#include "collect/file_error.h"

#include <cstring>

namespace catalog {

namespace {

std::string describe(int errorNumber) {
    return std::strerror(errorNumber);
}

std::string composeMessage(const std::string& operation, const std::string& path, int errorNumber) {
    return "cannot " + operation + " '" + path + "': " + describe(errorNumber) + " (error " +
           std::to_string(errorNumber) + ")";
}

}  // namespace

FileError::FileError(std::string operation, std::string path, int errorNumber)
    : std::runtime_error(composeMessage(operation, path, errorNumber)),
      m_operation(std::move(operation)),
      m_path(std::move(path)),
      m_errorNumber(errorNumber),
      m_description(describe(errorNumber)) {}

}  // namespace catalog
