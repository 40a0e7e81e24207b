// Sound output: the play position and what the device gets from the image.
#include "audio_output.h"

#include <algorithm>
#include <cstring>

#include "wav.h"

void beginImagePlayback(ImagePlayback& playback, const std::uint8_t* image, std::uint32_t size,
                        const std::atomic<std::uint32_t>& completeBytes) {
    playback.bytes = image;
    playback.end = size;
    playback.completeBytes = &completeBytes;
    playback.position = std::min(WAV_HEADER_SIZE, size);
    playback.stats = PlaybackStats{};
}

void fillFromImage(ImagePlayback& playback, std::uint8_t* out, std::uint32_t size) {
    const std::uint32_t complete = std::min(playback.completeBytes->load(std::memory_order_acquire), playback.end);
    const std::uint32_t available = complete > playback.position ? complete - playback.position : 0;
    const std::uint32_t played = std::min(size, available);
    std::memcpy(out, playback.bytes + playback.position, played);
    std::memset(out + played, 0, size - played);
    playback.position += played;

    const bool rendering = complete < playback.end;
    if (!rendering) return;
    if (played < size) ++playback.stats.underruns;
    const std::uint32_t lead = available - played;
    if (!playback.stats.leadMeasured || lead < playback.stats.smallestLeadBytes) {
        playback.stats.smallestLeadBytes = lead;
        playback.stats.leadMeasured = true;
    }
}
