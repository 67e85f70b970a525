#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace catalog {

// One regular file of a folder, as the folder lists it.
struct FolderEntry {
    const char* name;     // UTF-8 (WTF-8 on Windows, where a name may hold a lone surrogate)
    std::uint64_t order;  // an order to read in that the file system serves fastest (the inode
                          // on POSIX; 0 where there is none), no more
};

// A folder opened for reading its names and its files, so that its path is looked up once,
// not once a file.
class Folder {
public:
    // Opens the folder at `path` (ending in a separator). A folder that does not exist gives a
    // Folder that is not open and lists nothing; any other failure (no permission, no handle
    // left, not a folder) throws FileError("open folder", path, ...).
    static Folder open(const std::string& path);

    Folder();
    Folder(Folder&&) noexcept;
    Folder& operator=(Folder&&) noexcept;
    ~Folder();

    bool isOpen() const;
    const std::string& path() const { return m_path; }

    // Hands each regular file to `take`, in the order the folder gives them, until `take`
    // returns false. Symbolic links (and on Windows junctions) count as the files they point
    // to; hidden and system files count; folders, pipes, sockets, devices and links that lead
    // nowhere (dangling or looping) do not. A failure to read the folder, or to follow a link
    // for any other reason, throws FileError naming the folder or the entry in it.
    // `subfolder` (may be empty) hears the name of each subfolder (links to folders too) on the
    // way, so that a run that tells of them lists the folder once.
    void forEachRegularFile(const std::function<bool(const FolderEntry&)>& take,
                            const std::function<void(const char* name)>& subfolder = {}) const;

    // What the folder holds besides the files forEachRegularFile hands over, for telling a user
    // why it gave none: subfolders (links to folders too), and anything else at all (pipes,
    // sockets, devices, links that lead nowhere or cannot be followed). Throws FileError when
    // the folder cannot be read.
    struct OtherEntries {
        std::size_t subfolders = 0;
        std::size_t rest = 0;
    };
    OtherEntries countOtherEntries() const;

    // The system's own state, defined by each system's implementation.
    struct Native;
    const Native& native() const { return *m_native; }

private:
    std::string m_path;
    std::unique_ptr<Native> m_native;
};

// Throws FileError(operation, path, ...) unless a folder exists at `path`: the system's error
// when nothing can be found there, errorNumberOf(Condition::NotAFolder) when something else is.
void requireFolder(const std::string& path, const char* operation);

// Makes the folder at `path` unless one is there already, for a user who asked to open it to
// put files in. Throws FileError("make folder", path, ...).
void makeFolder(const std::string& path);

}  // namespace catalog
