#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "collect/field_extraction.h"
#include "collect/listing.h"
#include "collect/record_reader.h"
#include "reference/streamed_rows.h"

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

class ReadmeRecords : public ::testing::TestWithParam<const char*> {};

// A reader who copies a README's records into a page gets a row for each, with all four fields
// found.
TEST_P(ReadmeRecords, EveryRecordExampleGivesRowsWithFourFoundFields) {
    const std::string path = std::string(CATALOG_SOURCE_DIR) + "/" + GetParam();
    const std::vector<std::string> examples = recordExamples(path);
    ASSERT_FALSE(examples.empty()) << path << " shows no record";
    RecordReader reader;
    for (const std::string& example : examples) {
        StringSink sink;
        (void)reader.appendRows(example, sink, nullptr);
        ASSERT_FALSE(sink.misses.empty()) << "no row from: " << example;
        for (const FieldMisses& misses : sink.misses) {
            EXPECT_FALSE(anyMissing(misses)) << example;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Readmes, ReadmeRecords,
                         ::testing::Values("README.md", "packaging/README-linux.txt",
                                           "packaging/README-windows.txt"));

}  // namespace
}  // namespace catalog
