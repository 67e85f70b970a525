#pragma once

namespace catalog {

// Makes a write past the file size limit (ulimit -f) fail with EFBIG instead of killing the
// process with SIGXFSZ: killed, the program could neither report the failure nor remove the
// half-written temporary file beside the listing. Call once at start-up.
void reportOversizedWritesAsErrors();

}  // namespace catalog
