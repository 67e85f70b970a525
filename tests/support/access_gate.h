#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <sys/types.h>
#include <thread>

namespace catalog::testing {

// Holds other processes' opens or reads of files until the test has done what it wants with
// them: a file rewritten between two reads of a program, a signal sent while it opens its
// temporary file. The kernel makes the access wait for the gate's answer (fanotify's permission
// events), so nothing depends on how fast either side runs. Watching takes the privilege to
// administer the system (CAP_SYS_ADMIN), which `make test` as root has; without it the gate
// watches nothing and says so.
class AccessGate {
public:
    enum class Access { Open, Read };
    // Told of each access: the path of the file and the process that makes it, which waits
    // until this returns.
    using Hold = std::function<void(const std::string& file, pid_t process)>;

    // Watches `place`: one file, or the files directly in a folder.
    AccessGate(const std::filesystem::path& place, Access access, Hold hold);
    ~AccessGate();
    AccessGate(const AccessGate&) = delete;
    AccessGate& operator=(const AccessGate&) = delete;

    bool watching() const { return m_fanotify >= 0; }

private:
    void answer(int fd);
    void serve();

    int m_fanotify = -1;
    int m_stop[2] = {-1, -1};
    Hold m_hold;
    std::jthread m_thread;
};

}  // namespace catalog::testing
