#include <csignal>

#include "platform/write_limits.h"

namespace catalog {

void reportOversizedWritesAsErrors() {
    std::signal(SIGXFSZ, SIG_IGN);
}

void reportBrokenPipesAsErrors() {
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace catalog
