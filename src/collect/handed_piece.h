// How an output made as it is written hands its text to the writer (see PieceSource).
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace catalog {

// What such an output makes between two hand-outs: few calls to the system, little to hold.
inline constexpr std::size_t kMadePieceBytes = std::size_t{1} << 20;

// The view of the text handed out last, which must stay valid until the writer asks again.
class HandedPiece {
public:
    // `text` as the next pieces to write; none when it is empty, which ends the output.
    std::span<const std::string_view> of(const std::string& text) {
        if (text.empty()) {
            return {};
        }
        m_view = text;
        return {&m_view, 1};
    }

private:
    std::string_view m_view;
};

}  // namespace catalog
