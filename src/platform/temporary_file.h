#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_error.h"
#include "platform/interrupt_cleanup.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "platform/temporary_names.h"

namespace catalog {

// What both systems' writers of an output share: the questions whether to stop, the failures of
// their calls, and the life of the temporary file through which they replace a file.

using StopQuery = std::function<bool()>;

inline void stopIfAsked(const StopQuery& stopped) {
    if (stopped && stopped()) {
        throw WriteStopped();
    }
}

inline void failIf(bool failed, const std::string& filename) {
    if (failed) {
        throwLastError("write", filename);
    }
}

// A temporary file beside the output, so that the final rename stays within one file system and
// is atomic; those a killed writer left are removed first. It is removed on every way out, a
// signal that ends the process included, unless committed; from its making until then it is held
// (a lock on POSIX, a handle sharing only deletion on Windows), so that no cleaner takes it for
// one a killed writer left. `System` gives the system's Path, Handle and calls: create(path) makes
// and holds a new file at `path`, or gives an empty handle with lastSystemError() telling why
// (nameTaken(error) when another name may do); remove, removeStale, utf8, process.
template <typename System>
class TemporaryFile {
public:
    using Path = typename System::Path;
    using View = std::basic_string_view<typename Path::value_type>;

    // A folder refusing new files is named, as `shownFolder`: the output itself may well be
    // writable, and the system's bare "Permission denied" would leave the user looking at it.
    TemporaryFile(System system, const Path& target, const std::string& filename,
                  const std::string& shownFolder) {
        const Path folder =
            target.substr(0, target.rfind(typename Path::value_type(kPathSeparator)) + 1);
        const View base = baseOf(View(target).substr(folder.size()));
        System::removeStale(folder, base);
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; !m_handle; ++attempt) {
            m_path = folder + temporaryName(base, System::process(), counter++);
            m_removedOnInterrupt.emplace(System::utf8(m_path));
            m_handle = system.create(m_path);
            const int error = lastSystemError();
            if (!m_handle && kindOfError(error) == ErrorKind::NoPermission) {
                throw FileError("write", filename, error, Refusal::NoNewFiles, shownFolder);
            }
            if (!m_handle && (!System::nameTaken(error) || attempt > 100)) {
                throw FileError("write", filename, error);
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!m_committed) {
            m_handle.reset();
            System::remove(m_path);
        }
    }

    auto handle() const { return m_handle.get(); }
    const Path& path() const { return m_path; }
    auto close() { return m_handle.close(); }
    void commit() {
        m_committed = true;
        m_removedOnInterrupt.reset();
    }

private:
    // The output's name as its temporary files carry it: cut so that the whole stays within a
    // name's length limit, and never between the two halves of a surrogate pair (Windows).
    static View baseOf(View name) {
        const bool cutsPair =
            name.size() > kTemporaryBaseLength &&
            static_cast<std::uint32_t>(name[kTemporaryBaseLength - 1]) - 0xD800 < 0x400;
        return name.substr(0, cutsPair ? kTemporaryBaseLength - 1 : kTemporaryBaseLength);
    }

    Path m_path;
    std::optional<RemovedOnInterrupt> m_removedOnInterrupt;
    typename System::Handle m_handle;
    bool m_committed = false;
};

}  // namespace catalog
