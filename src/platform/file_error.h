#pragma once

#include <exception>
#include <iosfwd>
#include <stdexcept>
#include <string>

namespace catalog {

// A file-system operation that failed, with everything a user needs to act on it:
// what was attempted, on which path, and the system's error number and its description.
class FileError : public std::runtime_error {
public:
    // `detail`, when given, says why the program itself refused; it follows the system's words
    // in the description.
    FileError(std::string operation, std::string path, int errorNumber, std::string detail = {});

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

// Throws the FileError for the system call that just failed. The error number is read first:
// building the error's texts may call the allocator, which is free to change it. So the
// arguments are ones that exist already, never strings made for the call.
[[noreturn]] void throwLastError(const char* operation, const std::string& path);

// `path` fit for a terminal or a log: control bytes, which could forge a line or move the
// cursor, are spelled out as \n, \t, \r or \xHH.
std::string printable(const std::string& path);

// The one line a user is shown for any failure; running out of memory reads as such, and a
// system error carries its number, as a FileError does.
std::string failureText(const std::exception& failure);

// The same line for running out of memory, written without taking any, for a last resort.
void writeOutOfMemory(std::ostream& out);

}  // namespace catalog
