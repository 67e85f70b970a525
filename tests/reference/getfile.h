// Reference routines for the tests, the fuzzer and the benchmarks: a file's whole text.
#pragma once

#include <string>

namespace catalog {

// The whole text of the file at `filename`, every byte as stored. An empty file gives the empty
// text. Throws FileError.
std::string getfile(const std::string& filename);

}  // namespace catalog
