// Numbers as the window and the batch command write them for a user, in the same words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace catalog {

// Digits in groups of three, so that a million records reads at a glance: "1,000,000".
std::string grouped(std::size_t count);
// `count` of `noun`, grouped, and plural unless one: "1 record", "1,234 files". The window and
// the batch command tell what a run found in the same words.
std::string counted(std::size_t count, const char* noun);
// A number of bytes in a unit that reads at a glance, one decimal at most: "999 bytes",
// "1.2 GB", "60 GB" (units of 1,000, as disks are sold). The window and the batch command show
// a slow page's progress in the same words.
std::string readableBytes(std::uint64_t bytes);

}  // namespace catalog
