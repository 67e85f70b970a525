#pragma once

#include <string>
#include <utility>
#include <vector>

#include "window/row_table.h"

namespace catalog::window::testing {

// A run's rows as the run makes them: each record's row, from the file of the same index.
RunRows runOf(const std::vector<std::pair<std::string, std::string>>& files);

}  // namespace catalog::window::testing
