#include "support/test_files.h"

#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include <gtest/gtest.h>

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
    std::filesystem::resize_file(path, std::uintmax_t{1} << 40);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

}  // namespace catalog::testing
