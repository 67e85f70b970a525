#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace catalog {

class StopFlag;

// Writes `pieces`, one after the other, to `filename`, replacing a regular file in one step, so
// that a failed or interrupted write leaves the earlier file whole; see writeOutputFile for
// devices, pipes and links. Throws FileError, running out of memory included. Once `stop` is
// requested the write ends with RunStopped, the earlier file whole, unless its replacement has
// begun.
void WriteTextFile(const std::string& filename, std::span<const std::string_view> pieces,
                   const StopFlag* stop = nullptr);

}  // namespace catalog
