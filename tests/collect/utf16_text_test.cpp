#include "collect/utf16_text.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace catalog {
namespace {

using enum PageEncoding;
using namespace std::string_literals;

// The bytes of UTF-16 code units, in the order `encoding` keeps them.
std::string bytesOf(std::initializer_list<std::uint16_t> units, PageEncoding encoding) {
    std::string bytes;
    for (const std::uint16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += encoding == Utf16BigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}
std::string le(std::initializer_list<std::uint16_t> units) {
    return bytesOf(units, Utf16LittleEndian);
}

// The UTF-8 of `bytes` (the text after the mark) fed to one decoder `block` bytes at a time,
// each call within the room it asks for; `beforeBlock` gets the text's size, the block's offset
// and the decoder before each block.
std::string decodeInBlocks(PageEncoding encoding, std::string_view bytes, std::size_t block,
                           const std::function<void(std::uint64_t, std::uint64_t,
                                                    const Utf16Decoder&)>& beforeBlock = {}) {
    Utf16Decoder decoder(encoding);
    std::string text;
    std::vector<char> room(Utf16Decoder::maxDecoded(block));
    for (std::size_t at = 0; at < bytes.size(); at += block) {
        if (beforeBlock) {
            beforeBlock(text.size(), at, decoder);
        }
        const std::string_view part = bytes.substr(at, block);
        const std::size_t written = decoder.decode(part, room.data());
        EXPECT_LE(written, Utf16Decoder::maxDecoded(part.size()));
        text.append(room.data(), written);
    }
    const std::size_t written = decoder.finish(room.data());
    EXPECT_LE(written, Utf16Decoder::kMostFinishBytes);
    return text.append(room.data(), written);
}

TEST(PageEncoding, IsTheUtf16MarkTheHeadStartsWith) {
    const std::pair<PageEncoding, std::vector<std::string>> cases[] = {
        {Utf16LittleEndian, {"\xFF\xFE<\0"s, "\xFF\xFE"s, "\xFF\xFE\0"s, "\xFF\xFE\0\x01"s}},
        {Utf16BigEndian, {"\xFE\xFF\0<"s, "\xFE\xFF"s}},
        // The UTF-32 mark, a UTF-8 one, too short for a mark, none.
        {Bytes, {"\xFF\xFE\0\0"s, "\xEF\xBB\xBF<"s, "\xFF"s, ""s, "<htm"s, "\xFE\xFE\0<"s}}};
    for (const auto& [encoding, heads] : cases) {
        for (const std::string& head : heads) {
            EXPECT_EQ(encodingOf(head), encoding) << ::testing::PrintToString(head);
        }
    }
}

// Every case is fed whole and in blocks of every size, so that each unit and pair is also cut
// at each of its bytes.
TEST(Utf16Decoder, GivesTheUtf8OfTheTextHoweverItIsCut) {
    const std::string kReplacement = "\xEF\xBF\xBD";
    const struct {
        PageEncoding encoding;
        std::string bytes;
        std::string text;
    } cases[] = {
        {Utf16LittleEndian, le({'P', 'a', 'g', 'e', 0, ' ', 'o', 'n', 'e', '\r', '\n'}),
         "Page\0 one\r\n"s},
        {Utf16LittleEndian, le({'a', 'b', 'c', 0xE9, 'd', 'e', 'f', 'g', 'h', 0x7FF}),
         "abc\xC3\xA9"
         "defgh\xDF\xBF"},
        {Utf16LittleEndian, le({0x20AC, 0x800, 0xFFFF, 'x'}),
         "\xE2\x82\xAC\xE0\xA0\x80\xEF\xBF\xBFx"},
        {Utf16LittleEndian, le({0xD83D, 0xDE00, 0xDBFF, 0xDFFF}),
         "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"},
        {Utf16LittleEndian, le({0xD83D, 'a', 'b', 'c', 'd', 'e'}), kReplacement + "abcde"},
        {Utf16LittleEndian, le({0xD83D, 0xD83D, 0xDE00}), kReplacement + "\xF0\x9F\x98\x80"},
        {Utf16LittleEndian, le({'a', 0xDE00, 'b'}), "a" + kReplacement + "b"},
        {Utf16LittleEndian, le({'a', 0xD83D}), "a" + kReplacement},
        {Utf16LittleEndian, le({'a'}) + "b", "a" + kReplacement},
        {Utf16LittleEndian, le({0xD83D}) + "b", kReplacement + kReplacement},
        {Utf16BigEndian,
         bytesOf({'B', 'E', 0xE9, 0xD83D, 0xDE00, 'e', 'n', 'd', '!'}, Utf16BigEndian),
         "BE\xC3\xA9\xF0\x9F\x98\x80"
         "end!"},
        {Utf16LittleEndian, "", ""}};
    for (const auto& [encoding, bytes, text] : cases) {
        for (std::size_t block = 1; block <= bytes.size() + 1; ++block) {
            EXPECT_EQ(decodeInBlocks(encoding, bytes, block), text)
                << ::testing::PrintToString(bytes) << " in blocks of " << block;
        }
    }
}

}  // namespace
}  // namespace catalog
