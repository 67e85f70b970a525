#include "collect/utf16_text.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "collect/decoded_rereader.h"

namespace catalog {
namespace {

using enum PageEncoding;
using namespace std::string_literals;
constexpr std::size_t kKiB = 1024;

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

// A page held in memory, read through a RawReadAt that counts the bytes it gives.
struct RawPage {
    std::string bytes;
    std::uint64_t bytesRead = 0;

    RawReadAt reader() {
        return [this](std::uint64_t offset, char* into, std::size_t most) -> std::size_t {
            if (offset >= bytes.size()) {
                return 0;
            }
            const std::size_t count = std::min<std::uint64_t>(most, bytes.size() - offset);
            std::memcpy(into, bytes.data() + offset, count);
            bytesRead += count;
            return count;
        };
    }
};

PageDecoder markedDecoder(PageEncoding encoding) {
    return PageDecoder(TextReading{encoding}, std::nullopt);
}

// The text of a marked page's `bytes` (after the mark) decoded as a page's reading decodes it,
// `block` bytes at a time; `beforeBlock` gets the text's size, the block's offset and the
// decoder before each block.
std::string decodePage(
    PageEncoding encoding, std::string_view bytes, std::size_t block,
    const std::function<void(std::uint64_t, std::uint64_t, const PageDecoder&)>& beforeBlock) {
    PageDecoder decoder = markedDecoder(encoding);
    DecodeScratch scratch;
    std::string text;
    std::vector<char> room(std::max(decoder.maxDecoded(block), decoder.mostFinished()));
    for (std::size_t at = 0; at < bytes.size(); at += block) {
        beforeBlock(text.size(), at, decoder);
        text.append(room.data(), decoder.decode(bytes.substr(at, block), room.data(), scratch));
    }
    return text.append(room.data(), decoder.finish(room.data(), scratch));
}

// Streams `page` in blocks of `block` raw bytes, noting each block's start in `rereader`, and
// returns the page's decoded text.
std::string streamWithNotes(DecodedRereader& rereader, const RawPage& page, std::size_t block) {
    const std::string_view text = std::string_view(page.bytes).substr(kByteOrderMarkBytes);
    return decodePage(
        encodingOf(page.bytes.substr(0, 4)), text, block,
        [&rereader](std::uint64_t decoded, std::uint64_t raw, const PageDecoder& state) {
            rereader.note(decoded, kByteOrderMarkBytes + raw, state);
        });
}

std::string readAt(DecodedRereader& rereader, std::uint64_t offset, std::size_t most) {
    std::string text(most, '?');
    text.resize(rereader.readAt(offset, text.data(), most));
    return text;
}

TEST(DecodedRereader, ReadsEveryRangeOfTheDecodedText) {
    RawPage page{"\xFF\xFE" +
                 le({'a', 0xE9, 0x20AC, 0xD83D, 0xDE00, 'b', 0xDE00, 'c', 0xD83D, 0, 'd', 0x7FF,
                     'e', 'f', 'g', 'h', 'i', 'j', 0xD83D}) +
                 "z"};
    DecodedRereader rereader(page.reader(), markedDecoder(Utf16LittleEndian), kByteOrderMarkBytes);
    // Notes cut units and pairs in two, so that some start with a byte or a surrogate waiting.
    const std::string text = streamWithNotes(rereader, page, 5);
    ASSERT_EQ(text, decodeInBlocks(Utf16LittleEndian, page.bytes.substr(2), page.bytes.size()));
    for (std::size_t offset = 0; offset <= text.size() + 1; ++offset) {
        for (std::size_t most = 0; offset + most <= text.size() + 2; ++most) {
            const std::string expected = offset <= text.size() ? text.substr(offset, most) : "";
            ASSERT_EQ(readAt(rereader, offset, most), expected) << offset << " " << most;
        }
    }
}

TEST(DecodedRereader, AReadThatFailedLeavesTheNextOneWhole) {
    RawPage page{"\xFE\xFF" + bytesOf({'o', 0xE9, 'k'}, Utf16BigEndian)};
    bool fail = true;
    const RawReadAt reader = page.reader();
    DecodedRereader rereader(
        [&](std::uint64_t offset, char* into, std::size_t most) {
            if (std::exchange(fail, false)) {
                throw std::runtime_error("unreadable");
            }
            return reader(offset, into, most);
        },
        markedDecoder(Utf16BigEndian), kByteOrderMarkBytes);
    EXPECT_THROW(readAt(rereader, 1, 3), std::runtime_error);
    EXPECT_EQ(readAt(rereader, 1, 3), "\xC3\xA9k");
}

// A few MiB of mostly ASCII text, with other characters, pairs and lone surrogates among it.
RawPage largePage(std::size_t bytes = 4 * kKiB * kKiB) {
    std::mt19937 random(11);
    RawPage page{"\xFF\xFE"};
    const std::uint16_t others[] = {0xE9, 0x20AC, 0xD83D, 0xDE00, 0xDBFF};
    page.bytes.reserve(bytes + 2);
    while (page.bytes.size() < bytes) {
        const std::uint32_t draw = random() % 64;
        const auto unit = draw < 5 ? others[draw] : static_cast<std::uint16_t>('a' + draw % 26);
        page.bytes += le({unit});
    }
    return page;
}

// A long value read again in pieces, one after the other, costs about one reading of the page.
TEST(DecodedRereader, ReadsOnFromWhereTheLastReadEnded) {
    RawPage page = largePage();
    DecodedRereader rereader(page.reader(), markedDecoder(Utf16LittleEndian), kByteOrderMarkBytes);
    const std::string text = streamWithNotes(rereader, page, kKiB * kKiB + 3);
    page.bytesRead = 0;
    std::string again, piece;
    do {
        piece = readAt(rereader, again.size(), 128 * kKiB);
        again += piece;
    } while (!piece.empty());
    EXPECT_TRUE(again == text);  // not the texts, megabytes, when they differ
    EXPECT_LT(page.bytesRead, 2 * page.bytes.size());
}

// Far more notes than are kept still leave one near each place of the page: reads anywhere,
// here from the end back, each decode a small part of it again.
TEST(DecodedRereader, ReadsAnywhereFromANoteNearby) {
    RawPage page = largePage();
    DecodedRereader rereader(page.reader(), markedDecoder(Utf16LittleEndian), kByteOrderMarkBytes);
    const std::string text = streamWithNotes(rereader, page, 4 * kKiB + 1);
    for (std::size_t offset = text.size(); offset > 0; offset -= std::min(offset, 100 * kKiB)) {
        page.bytesRead = 0;
        ASSERT_EQ(readAt(rereader, offset - 1, 10), text.substr(offset - 1, 10));
        ASSERT_LT(page.bytesRead, page.bytes.size() / 8) << offset;
    }
}

// As the reader does with a record that straddles the reuse of its buffer, once a megabyte:
// while the page streams, what lies just before the latest block is read again, each time from a
// note nearby rather than from where the last such read ended.
TEST(DecodedRereader, ReadsWhatJustStreamedByFromTheLatestNotes) {
    RawPage page = largePage(32 * kKiB * kKiB);
    DecodedRereader rereader(page.reader(), markedDecoder(Utf16LittleEndian), kByteOrderMarkBytes);
    std::vector<std::pair<std::uint64_t, std::string>> reads;
    const std::string text = decodePage(
        Utf16LittleEndian, std::string_view(page.bytes).substr(kByteOrderMarkBytes),
        DecodedRereader::kRawBlock + 1,
        [&](std::uint64_t decoded, std::uint64_t raw, const PageDecoder& state) {
            if (raw > 0 && raw % (16 * (DecodedRereader::kRawBlock + 1)) == 0) {  // a megabyte on
                reads.emplace_back(decoded - 100, readAt(rereader, decoded - 100, 10));
            }
            rereader.note(decoded, kByteOrderMarkBytes + raw, state);
        });
    for (const auto& [offset, read] : reads) {
        ASSERT_EQ(read, text.substr(offset, 10)) << offset;
    }
    ASSERT_FALSE(reads.empty());
    EXPECT_LE(page.bytesRead, reads.size() * 2 * DecodedRereader::kRawBlock);
}

}  // namespace
}  // namespace catalog
