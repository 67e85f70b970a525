#include "support/test_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include <gtest/gtest.h>

#ifdef _WIN32
// clang-format off
#include <windows.h>  // before <winioctl.h>, which takes its types
#include <winioctl.h>
// clang-format on
#endif

namespace catalog::testing {

// A random name, made anew while it is taken: tests that run at once, in one process or in
// several, each get a folder of their own.
TempDir::TempDir() {
    static constexpr int kAttempts = 100;
    const std::filesystem::path parent = std::filesystem::temp_directory_path();
    std::random_device random;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string name =
            "catalog-test-" + std::to_string(random()) + std::to_string(random());
        if (std::filesystem::create_directory(parent / name)) {
            m_path = parent / name;
            return;
        }
    }
    throw std::filesystem::filesystem_error("no unused name for a folder", parent,
                                            std::make_error_code(std::errc::file_exists));
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

void writeEndlessFile(const std::filesystem::path& path, std::string_view head) {
    writeFile(path, head);
    constexpr std::uintmax_t kSize = std::uintmax_t{1} << 40;
#ifdef _WIN32
    // NTFS gives the room for a file's length unless the file is marked sparse first; the C
    // runtime's resize cannot make a file this long at all.
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD returned = 0;
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(kSize);
    const BOOL resized = ::SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end);
    ::CloseHandle(file);
    ASSERT_TRUE(resized) << path;
#else
    std::filesystem::resize_file(path, kSize);
#endif
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> entriesOf(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string productRecord(std::string_view reference, std::string_view name, std::string_view price,
                          std::string_view thumbnail) {
    std::string record = "{ 'REFERENCE' => '";
    record.append(reference).append("', 'NAME' => '").append(name);
    record.append("', 'PRICE' => ").append(price);
    record.append(", 'MIN_QUANTITY_ORDERABLE' => 1, 'WEIGHT' => 0.5, 'THUMBNAIL' => '");
    record.append(thumbnail).append("',  }, ");
    return record;
}

std::string numbered(std::string_view prefix, long long number) {
    std::string text(prefix);
    text.append(std::to_string(number));
    return text;
}

}  // namespace catalog::testing
