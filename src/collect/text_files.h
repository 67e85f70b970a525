#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace catalog {

class StopFlag;

// Writes `strdata` to `filename`, replacing a regular file in one step, so that a failed or
// interrupted write leaves the earlier file whole; see writeOutputFile for devices, pipes and
// links. Throws FileError, running out of memory included.
void WriteTextFile(const std::string& filename, std::string_view strdata);
// The same with the text in pieces, written one after the other. Once `stop` is requested the
// write ends with RunStopped, the earlier file whole, unless its replacement has begun.
void WriteTextFile(const std::string& filename, std::span<const std::string_view> pieces,
                   const StopFlag* stop = nullptr);

}  // namespace catalog
