#pragma once

#include <stdexcept>
#include <string>

namespace catalog {

// What the program refused on its own, beside the system's error: the platform tells what it
// found, and the layers above word it for the user, as only they know what was being written.
enum class Refusal {
    None,
    NoNewFiles,    // the folder (the subject) lets this user make no new file in it
    StickyFolder,  // the folder (the subject) is sticky, and the file in it another user's
    ReadOnly,      // the file (the subject, its own name) is marked read-only
    HeldOpen,      // the file stayed open in another program, or read-only, after a wait
    BlockDevice,   // a block device was named as the output
};

// A file-system operation that failed, with everything a user needs to act on it: what was
// attempted, on which path, and the system's error number and its description. what() is the
// description alone; the line a user is shown is composed where the failure is reported.
class FileError : public std::runtime_error {
public:
    // `detail`, when given, says what the program itself found; it follows the system's words in
    // the description.
    FileError(std::string operation, std::string path, int errorNumber, std::string detail = {});
    // A refusal, which the description leaves to the layers above, with the path it is about.
    FileError(std::string operation, std::string path, int errorNumber, Refusal refusal,
              std::string subject = {});

    const std::string& operation() const { return m_operation; }
    const std::string& path() const { return m_path; }
    int errorNumber() const { return m_errorNumber; }
    std::string description() const { return what(); }
    Refusal refusal() const { return m_refusal; }
    const std::string& subject() const { return m_subject; }

private:
    std::string m_operation;
    std::string m_path;
    int m_errorNumber;
    Refusal m_refusal = Refusal::None;
    std::string m_subject;
};

// Throws the FileError for the system call that just failed. The error number is read first:
// building the error's texts may call the allocator, which is free to change it. So the
// arguments are ones that exist already, never strings made for the call.
[[noreturn]] void throwLastError(const char* operation, const std::string& path);

}  // namespace catalog
