// WAV container: a WavImage is one byte buffer holding a canonical 44-byte
// RIFF/WAVE header and 16-bit signed stereo PCM at 44,100 Hz behind it.
#pragma once

#include <cstdint>

#include "sized_buffer.h"

inline constexpr std::uint32_t WAV_HEADER_SIZE = 44;
inline constexpr std::uint32_t WAV_BYTES_PER_SAMPLE = 2;

// Copies the header template to image.data + image.length with its two size
// fields set for `dataSize` bytes of samples, and advances image.length by
// WAV_HEADER_SIZE. The caller provides the room.
void writeWavHeader(SizedBuffer& image, std::uint32_t dataSize);

// Stores a little-endian integer of 2 or 4 bytes.
void storeLittleEndian16(std::uint8_t* at, std::uint16_t value);
void storeLittleEndian32(std::uint8_t* at, std::uint32_t value);
