#include "support/test_files.h"

#include <fstream>
#include <iterator>
#include <stdlib.h>

#include <gtest/gtest.h>

namespace catalog::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "catalog-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::filesystem::filesystem_error("mkdtemp", pattern,
                                                std::error_code(errno, std::generic_category()));
    }
    m_path = pattern;
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
