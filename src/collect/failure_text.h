#pragma once

#include <exception>
#include <iosfwd>
#include <string>

namespace catalog {

class FileError;

// `path` fit for a terminal or a log: control bytes, which could forge a line or move the
// cursor, are spelled out as \n, \t, \r or \xHH, and the characters that reorder or hide the
// text after them (bidirectional controls, C1 controls) as \xHH for each of their bytes.
std::string printable(const std::string& path);

// The system's description of `failure`, followed by the words for what the program refused,
// which say what to do about it; what every medium shows of a FileError.
std::string failureDescription(const FileError& failure);

// The one line a user is shown for any failure: a FileError as "cannot OPERATION 'PATH':
// DESCRIPTION (error N)", control bytes spelled out in both; running out of memory reads as such,
// and any other system error carries its number too.
std::string failureText(const std::exception& failure);

// The same line for running out of memory, written without taking any, for a last resort.
void writeOutOfMemory(std::ostream& out);

}  // namespace catalog
