#pragma once

#include <stdexcept>
#include <string>

namespace catalog {

// A file-system operation that failed, with everything a user needs to act on it:
// what was attempted, on which path, and the system's error number and its description.
class FileError : public std::runtime_error {
public:
    FileError(std::string operation, std::string path, int errorNumber);

    const std::string& operation() const { return m_operation; }
    const std::string& path() const { return m_path; }
    int errorNumber() const { return m_errorNumber; }
    const std::string& description() const { return m_description; }

private:
    std::string m_operation;
    std::string m_path;
    int m_errorNumber;
    std::string m_description;
};

}  // namespace catalog
