#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace catalog::testing {

// A fresh folder for one test, removed with everything in it when the test ends.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string operator/(std::string_view name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

void writeFile(const std::filesystem::path& path, std::string_view bytes);
// A file no test waits long enough to read through: a terabyte of holes after `head`, which
// takes no room on disk. A run over it ends within a test's time only if it is stopped.
void writeEndlessFile(const std::filesystem::path& path, std::string_view head = {});
std::string readFile(const std::filesystem::path& path);
// The names in `folder`, in UTF-8 and sorted: what a failed write must leave as it found it.
std::vector<std::string> entriesOf(const std::filesystem::path& folder);

// The listing's header line, the whole listing of a run that found no record.
inline const std::string kHeader = "id   price   thumbnail   name\r\n";

// `prefix` followed by `number` in decimal, as names and references in generated folders are
// made: `"R" + std::to_string(i)` says the same, but GCC 12 at -O3 warns of an overlapping copy.
std::string numbered(std::string_view prefix, long long number);

// A product record as catalog pages hold it, with the keys in their usual order.
std::string productRecord(std::string_view reference, std::string_view name, std::string_view price,
                          std::string_view thumbnail);

}  // namespace catalog::testing
