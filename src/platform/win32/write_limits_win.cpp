#include "platform/write_limits.h"

namespace catalog {

// Windows has neither SIGXFSZ nor SIGPIPE: a write past a quota or into a pipe whose reader has
// gone already fails with an error, which the writer reports.
void reportOversizedWritesAsErrors() {}

void reportBrokenPipesAsErrors() {}

}  // namespace catalog
