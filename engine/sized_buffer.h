// SizedBuffer: an owned, zero-filled heap buffer with its size in bytes.
//
// The mix, the WAV image and every channel buffer are SizedBuffers. Only the
// WAV image uses `length`, as its write position.
#pragma once

#include <cstdint>

struct SizedBuffer {
    void* data = nullptr;
    std::uint32_t capacity = 0;  // bytes allocated
    std::uint32_t length = 0;    // bytes written so far
};

// Releases what the buffer holds, then allocates `capacity` zero bytes and
// sets `length` to 0. Throws std::bad_alloc when the memory is not there.
void allocateBuffer(SizedBuffer& buffer, std::uint32_t capacity);

void releaseBuffer(SizedBuffer& buffer);

inline double* bufferSamples(const SizedBuffer& buffer) {
    return static_cast<double*>(buffer.data);
}

inline std::uint8_t* bufferBytes(const SizedBuffer& buffer) {
    return static_cast<std::uint8_t*>(buffer.data);
}
