#include "platform/file_error.h"

#include "platform/system_error.h"

namespace catalog {

void throwLastError(const char* operation, const std::string& path) {
    const int error = lastSystemError();
    throw FileError(operation, path, error);
}

FileError::FileError(std::string operation, std::string path, int errorNumber, std::string detail)
    : std::runtime_error(describeSystemError(errorNumber) + (detail.empty() ? "" : ": " + detail)),
      m_operation(std::move(operation)),
      m_path(std::move(path)),
      m_errorNumber(errorNumber) {}

FileError::FileError(std::string operation, std::string path, int errorNumber, Refusal refusal,
                     std::string subject)
    : FileError(std::move(operation), std::move(path), errorNumber) {
    m_refusal = refusal;
    m_subject = std::move(subject);
}

}  // namespace catalog
