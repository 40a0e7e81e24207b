// Stem files: one channel's own stereo output, unmastered and lossless.
//
// A stem is a WAV file of interleaved stereo 64-bit IEEE floats (format code
// 3) at 44,100 Hz: the channel's buffer as the row processor left it, frame
// for frame. The header carries the "fact" chunk that non-PCM WAV files have.
#pragma once

#include <cstdint>
#include <string>

inline constexpr std::uint32_t STEM_HEADER_SIZE = 58;
inline constexpr std::uint32_t STEM_FRAME_BYTES = 16;  // two doubles

void writeStemHeader(std::uint8_t* header, std::uint32_t frames);

// "DIR/channel-03.wav"
std::string stemPath(const std::string& directory, std::uint32_t channel);
