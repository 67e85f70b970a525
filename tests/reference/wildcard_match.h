// Reference routines for the tests, the fuzzer and the benchmarks: the pattern language of the
// field rules, matched in a text held whole.
#pragma once

#include <optional>
#include <string_view>

namespace catalog {

// The one wildcard of the pattern language: any run of bytes, line breaks included, as long as
// possible. Every other byte of a pattern stands for itself.
constexpr std::string_view kWildcard = "[\\s\\S]*";

// The text of the last match of `pattern` in `text` when every match is collected left to
// right, each search resuming where the previous match ended; nullopt when there is none.
//
// Runs in time linear in the text: with greedy wildcards a match ends at the last occurrence of
// the final literal, so one backward pass places the literals after the first and one forward
// search places the first.
std::optional<std::string_view> lastMatch(std::string_view pattern, std::string_view text);

}  // namespace catalog
