#include "collect/byte_pair_search.h"

#include <array>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace catalog {
namespace {

std::vector<std::size_t> pairsByBytes(const std::string& text, std::size_t from) {
    std::vector<std::size_t> pairs;
    for (std::size_t at = from; at + 1 < text.size(); ++at) {
        if (text[at] == '\'' && std::string_view(",RTM").find(text[at + 1]) != std::string::npos) {
            pairs.push_back(at);
        }
    }
    return pairs;
}

// Texts of bytes that share low bits with the seconds, or differ from them only in the top
// bit, so that a lookup by the low bits alone, a signed comparison or a step past the end
// shows at once. Three places at a time also make every call stop with its places full.
TEST(BytePairSearch, FindsWhatAByteByByteSearchFinds) {
    constexpr BytePairSearch search('\'', ",RTM");
    const std::string alphabet("',RTM<\xAC\x82\xD4\xCD\x0C\xA7x\x01\0", 15);
    std::mt19937 random(7);
    for (std::size_t size = 0; size < 300; ++size) {
        std::string text(size, 'x');
        for (char& byte : text) {
            byte = alphabet[random() % alphabet.size()];
        }
        for (std::size_t start = 0; start <= size; ++start) {
            std::vector<std::size_t> pairs;
            std::array<std::size_t, 3> found{};
            for (std::size_t from = start; from < size;) {
                const std::size_t count = search.find(text, from, found);
                pairs.insert(pairs.end(), found.begin(), found.begin() + count);
            }
            ASSERT_EQ(pairs, pairsByBytes(text, start)) << size << " from " << start;
        }
    }
}

}  // namespace
}  // namespace catalog
