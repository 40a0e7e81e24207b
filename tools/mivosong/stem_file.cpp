// Stem files: the float WAV header and the stem's name.
#include "stem_file.h"

#include <cstdio>
#include <cstring>

#include "song.h"
#include "wav.h"

namespace {

constexpr std::uint16_t IEEE_FLOAT_FORMAT = 3;
constexpr std::uint16_t STEM_CHANNELS = 2;
constexpr std::uint16_t BITS_PER_SAMPLE = 64;
constexpr std::uint32_t FORMAT_CHUNK_SIZE = 18;  // the 16 PCM bytes and an empty extension size
constexpr std::uint32_t FACT_CHUNK_SIZE = 4;
constexpr std::uint32_t RIFF_SIZE_EXTRA = STEM_HEADER_SIZE - 8;  // all after the RIFF size field

}  // namespace

void writeStemHeader(std::uint8_t* header, std::uint32_t frames) {
    const std::uint32_t dataSize = frames * STEM_FRAME_BYTES;
    std::uint8_t* at = header;
    auto tag = [&at](const char* name) {
        std::memcpy(at, name, 4);
        at += 4;
    };
    auto u16 = [&at](std::uint16_t value) {
        storeLittleEndian16(at, value);
        at += 2;
    };
    auto u32 = [&at](std::uint32_t value) {
        storeLittleEndian32(at, value);
        at += 4;
    };
    tag("RIFF");
    u32(dataSize + RIFF_SIZE_EXTRA);
    tag("WAVE");
    tag("fmt ");
    u32(FORMAT_CHUNK_SIZE);
    u16(IEEE_FLOAT_FORMAT);
    u16(STEM_CHANNELS);
    u32(SAMPLE_RATE);
    u32(SAMPLE_RATE * STEM_FRAME_BYTES);
    u16(STEM_FRAME_BYTES);
    u16(BITS_PER_SAMPLE);
    u16(0);
    tag("fact");
    u32(FACT_CHUNK_SIZE);
    u32(frames);
    tag("data");
    u32(dataSize);
}

std::string stemPath(const std::string& directory, std::uint32_t channel) {
    char name[32];
    std::snprintf(name, sizeof name, "channel-%02u.wav", channel);
    return directory + (directory.empty() || directory.back() == '/' ? "" : "/") + name;
}
