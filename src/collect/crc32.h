#pragma once

#include <cstdint>
#include <string_view>

namespace catalog {

// The CRC-32 a zip file gives each entry (the polynomial of ISO 3309, reflected), continued
// from `crc`, the value of the bytes before `bytes` (0 for none).
std::uint32_t crc32(std::uint32_t crc, std::string_view bytes);

}  // namespace catalog
