#include "collect/field_extraction.h"

#include <cstring>

namespace catalog {

void eraseAll(std::string& value, std::string_view marker, std::size_t from) {
    // Compacts in place: each piece moves down, never past bytes still to be searched, so every
    // search sees the original bytes.
    const std::string_view text(value);
    std::size_t write = from;
    std::size_t read = from;
    for (std::size_t hit = text.find(marker, read);
         hit != std::string_view::npos && !marker.empty(); hit = text.find(marker, read)) {
        std::memmove(value.data() + write, text.data() + read, hit - read);
        write += hit - read;
        read = hit + marker.size();
    }
    std::memmove(value.data() + write, text.data() + read, text.size() - read);
    value.resize(write + text.size() - read);
}

}  // namespace catalog
