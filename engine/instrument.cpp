// Instrument parameter block: decoding of its bytes.
#include "instrument.h"

std::uint32_t readMarkPosition(const std::uint8_t* block) {
    return std::uint32_t{block[MARK_POSITION]} | std::uint32_t{block[MARK_POSITION + 1]} << 8 |
           std::uint32_t{block[MARK_POSITION + 2]} << 16 | std::uint32_t{block[MARK_POSITION + 3]} << 24;
}

void writeMarkPosition(std::uint8_t* block, std::uint32_t position) {
    for (std::uint32_t i = 0; i < 4; ++i) block[MARK_POSITION + i] = static_cast<std::uint8_t>(position >> (8 * i));
}
