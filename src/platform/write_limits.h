#pragma once

namespace catalog {

// Makes a write past the file size limit (ulimit -f) fail with EFBIG instead of killing the
// process with SIGXFSZ: killed, the program could neither report the failure nor remove the
// half-written temporary file beside the output. Call once at start-up.
void reportOversizedWritesAsErrors();

// Makes a write into a pipe or socket whose reader has gone fail with EPIPE instead of killing
// the process with SIGPIPE. For the window, which must outlive an output sent into a named pipe;
// the batch command keeps the signal, so that it ends quietly in a pipeline such as `| head`.
void reportBrokenPipesAsErrors();

}  // namespace catalog
