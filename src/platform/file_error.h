#pragma once

#include <stdexcept>
#include <string>

namespace catalog {

// A file-system operation that failed, with everything a user needs to act on it: what was
// attempted, on which path, and the system's error number and its description. what() is the
// description alone; the line a user is shown is composed where the failure is reported.
class FileError : public std::runtime_error {
public:
    // `detail`, when given, says why the program itself refused; it follows the system's words
    // in the description.
    FileError(std::string operation, std::string path, int errorNumber, std::string detail = {});

    const std::string& operation() const { return m_operation; }
    const std::string& path() const { return m_path; }
    int errorNumber() const { return m_errorNumber; }
    std::string description() const { return what(); }

private:
    std::string m_operation;
    std::string m_path;
    int m_errorNumber;
};

// Throws the FileError for the system call that just failed. The error number is read first:
// building the error's texts may call the allocator, which is free to change it. So the
// arguments are ones that exist already, never strings made for the call.
[[noreturn]] void throwLastError(const char* operation, const std::string& path);

}  // namespace catalog
