#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "platform/file_error.h"

namespace catalog {

// The most a writer writes between two questions whether to stop: large enough that the
// questions and the system's calls cost nothing next to the bytes, small enough that a stop
// is seen within a small part of a second.
inline constexpr std::size_t kOutputPartBytes = std::size_t{4} << 20;

// Asked for the next pieces of an output, until it gives none: an output made as it is written,
// rather than held whole. The pieces stay valid until it is asked again.
using PieceSource = std::function<std::span<const std::string_view>()>;

// A source that gives `pieces` once.
inline PieceSource piecesOnce(std::span<const std::string_view> pieces) {
    return [pieces, given = false]() mutable {
        return std::exchange(given, true) ? std::span<const std::string_view>() : pieces;
    };
}

// Writes the pieces of `pieces`, one after the other, to `filename`. A regular file, or a name
// where there is none yet, is replaced: the text goes to a temporary file beside it, which is
// flushed to disk and then moved over it, so that a failed or interrupted write (any signal that
// ends the process but SIGKILL; Ctrl+C or a closed console on Windows) leaves the earlier file
// whole and no temporary file. The temporary files that writers killed by SIGKILL left beside
// it, and that no writer holds, are removed first. On POSIX the replacement keeps the access
// ACL, or without one the permissions, the user's extended attributes, and, where the process
// may, the owner; never an execute, set-user-ID, set-group-ID or sticky bit, as the output is
// text. Until it is complete the temporary file replacing a file is readable by its owner alone.
// A new file gets the permissions any new file gets there. Symbolic links stay links, dangling ones
// included; a character device, a FIFO or a socket is written into as it stands, and a folder or a
// block device (Refusal::BlockDevice) is refused; a name of one of the process's own descriptors
// (/dev/stdout, /dev/fd/N, /proc/self/fd/N), or a link to one, is written into that descriptor as
// it stands, as standard output is. On Windows a file held open by another program (a sharing
// violation) is retried for about a second, and then fails as Refusal::HeldOpen. A folder that
// lets the process make no new file in it (Refusal::NoNewFiles), or (POSIX) a sticky folder that
// lets it replace only its own files (Refusal::StickyFolder), fails with the folder as subject.
// Throws FileError("write", filename, ...), running out of memory included.
//
// `stopped`, when given, is asked before each part of at most kOutputPartBytes, and before the
// flush and each move attempt that replace a file; once it says true the write ends with
// WriteStopped, the temporary file removed and the earlier file whole. Only a move already begun
// goes through. A device or a pipe keeps what it was given until then. Writing into a FIFO waits
// for a reader, and for room while the reader is slow, asking every few hundredths of a second
// meanwhile. (On Windows a pipe is written without asking while it waits.)
void writeOutputFile(const std::string& filename, const PieceSource& pieces,
                     const std::function<bool()>& stopped = {});
inline void writeOutputFile(const std::string& filename, std::span<const std::string_view> pieces,
                            const std::function<bool()>& stopped = {}) {
    writeOutputFile(filename, piecesOnce(pieces), stopped);
}

// On Windows, throws the FileError a write of `filename` would end in when the file's read-only
// flag is set (Refusal::ReadOnly), which the user set to keep it: told before a run reads any
// page, and before the window asks whether to replace it. Nothing on POSIX, where a read-only
// file in a writable folder is replaced, as other tools replace files by renaming.
void refuseReadOnlyOutput(const std::string& filename);

// A write given up because its caller asked.
class WriteStopped : public std::runtime_error {
public:
    WriteStopped() : std::runtime_error("the write was stopped") {}
};

// Writes `pieces` to standard output, byte for byte (binary on Windows: CR LF stays CR LF), but
// to a Windows console, which is given their UTF-8 as characters (see win32::writeConsoleText).
// Throws FileError("write", "standard output", ...).
void writeStandardOutput(const PieceSource& pieces);
inline void writeStandardOutput(std::span<const std::string_view> pieces) {
    writeStandardOutput(piecesOnce(pieces));
}

// The same for standard error, where the program's messages go. Throws
// FileError("write", "standard error", ...).
void writeStandardError(std::span<const std::string_view> pieces);

}  // namespace catalog
