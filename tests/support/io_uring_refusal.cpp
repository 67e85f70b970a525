#include "support/io_uring_refusal.h"

#include "platform/file_batch.h"

namespace catalog::testing {

std::string whyFilesAreNotReadTogether() {
#ifdef CATALOG_USE_IO_URING
    if (!FileBatch(1, 1).active()) {
        return "io_uring is refused here (an old kernel, a seccomp filter, the sysctl)";
    }
    return {};
#else
    return "this build reads every file on its own: it has no io_uring";
#endif
}

}  // namespace catalog::testing
