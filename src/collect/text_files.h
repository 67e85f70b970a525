#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace catalog {

class InputFile;
class StopFlag;

// Reads whole files into one buffer that is reused from file to file, so a run over many small
// files does not allocate per file. Bytes come back exactly as stored.
class FileReader {
public:
    // The file's whole content, valid until the next call. Throws FileError.
    std::string_view read(const std::string& path);

private:
    std::string_view readAll(InputFile& file);
    void reserve(std::size_t capacity);

    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
};

// The whole text of the file at `filename`. An empty file gives the empty text. Throws FileError.
std::string getfile(const std::string& filename);

// Writes `strdata` to `filename`, replacing a regular file in one step, so that a failed or
// interrupted write leaves the earlier file whole; see writeOutputFile for devices, pipes and
// links. Throws FileError, running out of memory included.
void WriteTextFile(const std::string& filename, std::string_view strdata);
// The same with the text in pieces, written one after the other. Waiting for a FIFO's reader
// ends with RunStopped once `stop` is requested.
void WriteTextFile(const std::string& filename, std::span<const std::string_view> pieces,
                   const StopFlag* stop = nullptr);

}  // namespace catalog
