// Streaming renderer of mivoplay: renders a song row by row, across all
// channels, into a WAV image that begins with one second of silence, and
// has playback started once the first rows are in it.
//
// The image is written once, front to back, and never changed afterwards.
// After every row the number of complete bytes is published through an
// atomic counter, so that the sound layer, reading on its own thread,
// touches only bytes that are finished.
//
// The types live in namespace mivoplay because mivo's offline driver has a
// RenderContext of its own, and a program (the test binary) can link both.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "sized_buffer.h"
#include "song.h"

namespace mivoplay {

inline constexpr std::uint32_t LEAD_IN_FRAMES = 44100;  // one second of silence before the song
inline constexpr std::uint32_t PLAY_START_ROW = 4;      // rows in the image when playback starts

struct RenderContext {
    const SongHeader* song = nullptr;
    SizedBuffer mix;    // interleaved stereo doubles: the sum of all channels
    SizedBuffer image;  // the WAV image being played; length is the write position
    // Bytes at the image's start that are complete and never written again.
    std::atomic<std::uint32_t> publishedBytes{0};
};

// Interleaved samples of the image's data: the lead-in and the song.
std::uint32_t streamedSamples(const SongHeader& song);

// Allocates the zeroed mix and image for `song`.
void initRenderContext(RenderContext& context, const SongHeader& song);

// Releases the image, then the mix.
void freeRenderContext(RenderContext& context);

// Called once, when the lead-in and the first PLAY_START_ROW rows (or all
// rows of a shorter song) are published; the image keeps filling afterwards.
using StartPlayback = std::function<void(const RenderContext& context)>;

// Writes the header and the lead-in, then renders, sums and masters every
// row of every channel into the image. Returns when the last row is in the
// image; all of the image is published then.
void streamSong(RenderContext& context, const StartPlayback& startPlayback);

}  // namespace mivoplay
