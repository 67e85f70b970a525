#include "collect/text_files.h"

#include <algorithm>

#include "collect/stop_flag.h"
#include "platform/input_file.h"
#include "platform/output_file.h"

namespace catalog {

namespace {

constexpr std::size_t kMinimumCapacity = std::size_t{64} * 1024;
// Large enough that a page takes one read.
constexpr std::size_t kMostPerRead = std::size_t{64} << 20;

}  // namespace

void FileReader::reserve(std::size_t capacity) {
    if (capacity <= m_capacity) {
        return;
    }
    m_buffer.reset(new char[capacity]);
    m_capacity = capacity;
}

std::string_view FileReader::read(const std::string& path) {
    InputFile file(path);
    return readAll(file);
}

std::string_view FileReader::readAll(InputFile& file) {
    // The size is a hint: files in /proc report 0, and a file may grow while it is read.
    const auto expected = static_cast<std::size_t>(file.sizeHint());
    reserve(std::max(expected + 1, kMinimumCapacity));
    std::size_t length = 0;
    for (;;) {
        if (length == m_capacity) {
            std::unique_ptr<char[]> larger(new char[m_capacity * 2]);
            std::copy_n(m_buffer.get(), length, larger.get());
            m_buffer = std::move(larger);
            m_capacity *= 2;
        }
        const std::size_t got =
            file.read(m_buffer.get() + length, std::min(m_capacity - length, kMostPerRead));
        length += got;
        // A short read that lands exactly on the size the system gave is the end of a regular
        // file; it saves the extra read that would only return 0.
        if (got == 0 || (expected > 0 && length == expected)) {
            break;
        }
    }
    return {m_buffer.get(), length};
}

std::string getfile(const std::string& filename) {
    FileReader reader;
    return std::string(reader.read(filename));
}

void WriteTextFile(const std::string& filename, std::string_view strdata) {
    WriteTextFile(filename, std::span<const std::string_view>(&strdata, 1));
}

void WriteTextFile(const std::string& filename, std::span<const std::string_view> pieces,
                   const StopFlag* stop) {
    if (stop == nullptr) {
        writeOutputFile(filename, pieces);
        return;
    }
    try {
        writeOutputFile(filename, pieces, [stop] { return stop->requested(); });
    } catch (const WriteStopped&) {
        throw RunStopped();
    }
}

}  // namespace catalog
