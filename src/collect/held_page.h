// A page that another program holds open without sharing it (Windows) fails the run once the
// wait for it is over. The system's words ("Sharing violation") leave the user guessing which
// program and what to do; the programs say it.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace catalog {

// For a run that failed on such a page: "data\02-deutsch.html is open in another program: close
// it there and " followed by `again` ("collect again"), the page named with its folder as the
// user knows it. Empty for any other failure.
std::string heldPageAdvice(const std::exception& failure, std::string_view again);

}  // namespace catalog
