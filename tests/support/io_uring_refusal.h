#pragma once

#include <string>

namespace catalog::testing {

// Makes every later io_uring_setup of this process fail with `error`, as a container's seccomp
// filter does. It cannot be taken back, so tests call it in a child process. False where it
// could not be set up.
bool refuseIoUring(int error);

// Why files cannot be read together here (io_uring left out of the build, or refused by the
// system), for the tests of that reading to skip with; empty where they can.
std::string whyFilesAreNotReadTogether();

}  // namespace catalog::testing
