// WAV container: the header template and its size fields.
#include "wav.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(WavHeader, MivoHeaderByteForByte) {
    SizedBuffer image;
    allocateBuffer(image, WAV_HEADER_SIZE + 8);
    writeWavHeader(image, 42336000);
    EXPECT_EQ(image.length, WAV_HEADER_SIZE);
    const std::uint8_t expected[WAV_HEADER_SIZE] = {
        'R', 'I', 'F', 'F', 0x24, 0xFF, 0x85, 0x02,  // 42,336,036
        'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
        16, 0, 0, 0, 1, 0, 2, 0,                      // format size, PCM, stereo
        0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0,        // 44,100 Hz, 176,400 bytes/s
        4, 0, 16, 0, 'd', 'a', 't', 'a',              // 4 bytes/frame, 16 bits
        0x00, 0xFF, 0x85, 0x02,                       // 42,336,000
    };
    EXPECT_EQ(std::memcmp(image.data, expected, WAV_HEADER_SIZE), 0);
    releaseBuffer(image);
}

TEST(WavHeader, SizeFieldsOfBothPrograms) {
    struct Case {
        std::uint32_t dataSize;
        std::uint32_t riffSize;
    };
    const Case cases[] = {{42336000, 42336036}, {42512400, 42512436}, {0, 36}};
    for (const Case& c : cases) {
        SizedBuffer image;
        allocateBuffer(image, WAV_HEADER_SIZE);
        writeWavHeader(image, c.dataSize);
        const std::uint8_t* bytes = bufferBytes(image);
        std::uint32_t riff = 0;
        std::uint32_t data = 0;
        for (int i = 3; i >= 0; --i) {
            riff = riff << 8 | bytes[4 + i];
            data = data << 8 | bytes[40 + i];
        }
        EXPECT_EQ(riff, c.riffSize);
        EXPECT_EQ(data, c.dataSize);
        releaseBuffer(image);
    }
}

}  // namespace
