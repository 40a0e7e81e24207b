// WAV container: the constant header template and little-endian stores.
#include "wav.h"

#include <cstring>

namespace {

// "RIFF" <riff size> "WAVE" "fmt " 16, PCM, 2 channels, 44,100 Hz,
// 176,400 bytes/s, 4 bytes per frame, 16 bits, "data" <data size>.
constexpr std::uint8_t WAV_HEADER_TEMPLATE[WAV_HEADER_SIZE] = {
    'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
    16,  0,   0,   0,   1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0,
    4,   0,   16,  0,   'd', 'a', 't', 'a', 0, 0, 0, 0,
};

constexpr std::uint32_t RIFF_SIZE_OFFSET = 4;
constexpr std::uint32_t DATA_SIZE_OFFSET = 40;
constexpr std::uint32_t RIFF_SIZE_EXTRA = 36;  // the header bytes that the RIFF size counts

}  // namespace

void storeLittleEndian16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void storeLittleEndian32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void writeWavHeader(SizedBuffer& image, std::uint32_t dataSize) {
    std::uint8_t* header = bufferBytes(image) + image.length;
    std::memcpy(header, WAV_HEADER_TEMPLATE, WAV_HEADER_SIZE);
    storeLittleEndian32(header + RIFF_SIZE_OFFSET, dataSize + RIFF_SIZE_EXTRA);
    storeLittleEndian32(header + DATA_SIZE_OFFSET, dataSize);
    image.length += WAV_HEADER_SIZE;
}
