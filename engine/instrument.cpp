// Instrument parameter block: decoding of its bytes.
#include "instrument.h"

std::uint32_t readMarkPosition(const std::uint8_t* block) {
    return std::uint32_t{block[MARK_POSITION]} | std::uint32_t{block[MARK_POSITION + 1]} << 8 |
           std::uint32_t{block[MARK_POSITION + 2]} << 16 | std::uint32_t{block[MARK_POSITION + 3]} << 24;
}
