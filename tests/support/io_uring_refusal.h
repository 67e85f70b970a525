#pragma once

namespace catalog::testing {

// Makes every later io_uring_setup of this process fail with `error`, as a container's seccomp
// filter does. It cannot be taken back, so tests call it in a child process. False where it
// could not be set up.
bool refuseIoUring(int error);

}  // namespace catalog::testing
