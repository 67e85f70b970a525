#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "collect/field_extraction.h"
#include "collect/listing.h"
#include "collect/record_reader.h"

namespace catalog {
namespace {

// The record examples of a README: every line that holds the reference's opening text. The
// READMEs show the markers themselves with their blanks drawn as '·', so only whole records
// hold it.
std::vector<std::string> recordExamples(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.is_open()) << "cannot open " << path;
    std::vector<std::string> examples;
    for (std::string line; std::getline(file, line);) {
        if (line.find(kReferenceRule.opener) != std::string::npos) {
            examples.push_back(line);
        }
    }
    return examples;
}

std::vector<std::string_view> fieldsOf(std::string_view row) {
    if (row.ends_with(kLineEnd)) {
        row.remove_suffix(kLineEnd.size());
    }
    std::vector<std::string_view> fields;
    for (std::size_t tab; (tab = row.find('\t')) != std::string_view::npos;) {
        fields.push_back(row.substr(0, tab));
        row.remove_prefix(tab + 1);
    }
    fields.push_back(row);
    return fields;
}

class ReadmeRecords : public ::testing::TestWithParam<const char*> {};

// A reader who copies a README's record into a page gets a row with all four fields found.
TEST_P(ReadmeRecords, EveryRecordExampleGivesFourFoundFields) {
    const std::string path = std::string(CATALOG_SOURCE_DIR) + "/" + GetParam();
    const std::vector<std::string> examples = recordExamples(path);
    ASSERT_FALSE(examples.empty()) << path << " shows no record";
    RecordReader reader;
    for (const std::string& example : examples) {
        std::string row;
        (void)reader.appendRow(example, row, nullptr);
        ASSERT_FALSE(row.empty()) << "no row from: " << example;
        const std::vector<std::string_view> fields = fieldsOf(row);
        EXPECT_EQ(fields.size(), kFieldCount) << example;
        for (std::string_view field : fields) {
            EXPECT_NE(field, kMatchFailed) << example;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Readmes, ReadmeRecords,
                         ::testing::Values("README.md", "packaging/README-linux.txt",
                                           "packaging/README-windows.txt"));

}  // namespace
}  // namespace catalog
