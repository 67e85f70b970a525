#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace catalog {

class Folder;
class HeldFileWait;

// A regular file open for reading its bytes as stored. Anything else (a folder, a device, a
// pipe, which may stream without end) is refused when opened.
class InputFile {
public:
    // The file `name` in `folder`; `folder.path()` and `name` make the path that errors name.
    // Opening never waits, not even for a FIFO that took a listed file's place; only a file that
    // another program holds open without sharing it (Windows) is tried again as `held` allows,
    // if given. Throws FileError("open" or "read", path, ...), for a file still held one that
    // isHeldByAnotherProgram tells. Both must outlive the InputFile.
    InputFile(const Folder& folder, const char* name, HeldFileWait* held = nullptr);
    // The file at `path`, relative to the working directory or absolute; it must outlive the
    // InputFile.
    explicit InputFile(const std::string& path);
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // The size the system gave when the file was opened: a hint only, as files in /proc say 0
    // and a file may grow or shrink while it is read.
    std::uint64_t sizeHint() const { return m_opened.size; }

    // Reads up to `most` bytes into `into`; 0 at the end of the file. Throws FileError("read").
    std::size_t read(char* into, std::size_t most);
    // Reads up to `most` bytes at `offset` from the file's start, whatever was read before; fewer,
    // down to 0, only where the file ends. Plain reads that follow may go on from where it
    // ended (they do on Windows). Throws FileError("read").
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t most);

    // Whether the file was written, truncated or replaced in place since it was opened: its
    // size, modification time, change time or identity differ from what they were then. Bytes
    // read in several calls are one version of the file only when this says false after the
    // last of them. Throws FileError("read").
    bool changedSinceOpened() const;

    // What tells one version of a file from another, as far as the system keeps it.
    struct State {
        std::uint64_t size = 0;
        std::uint64_t identity = 0;  // the inode, or the file index on Windows
        std::int64_t modified = 0;   // nanoseconds on POSIX, 100 ns on Windows
        std::int64_t changed = 0;    // the status change time, same unit
        bool operator==(const State&) const = default;
    };

private:
    void checkRegular();
    State currentState() const;
    std::string path() const;

    std::string_view m_folderPath;  // the path is joined only when an error names it
    const char* m_name;
    std::intptr_t m_handle;  // a descriptor on POSIX, a HANDLE on Windows
    State m_opened;          // when the file was opened
};

}  // namespace catalog
