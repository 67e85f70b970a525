#pragma once

#include <iosfwd>
#include <string>

#include "app/cli/command_line.h"

namespace catalog {

// Runs one collection for the batch command and reports on `errors`: a summary line on
// success, the failure on error, and with `showProgress` the files read during a long run.
// Returns the exit status, 0 or 1.
int runBatch(const CommandLine& line, const std::string& program, std::ostream& errors,
             bool showProgress);

}  // namespace catalog
