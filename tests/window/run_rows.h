#pragma once

#include <string>
#include <utility>
#include <vector>

#include "window/row_table.h"

namespace catalog::window::testing {

// A run's rows as the run makes them: the row of each record of each file, in order; a file
// without the record marker gives a row too, its price not found.
RunRows runOf(const std::vector<std::pair<std::string, std::string>>& files);

}  // namespace catalog::window::testing
