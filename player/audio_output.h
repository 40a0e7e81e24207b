// Sound output of mivoplay: plays a WAV image while it is still being filled.
//
// The renderer publishes how many bytes at the image's start are complete
// (an atomic store with release order) and never writes them again. The
// sound layer reads that count (acquire) on its own thread, plays only
// complete bytes, plays silence when it finds nothing complete beyond its
// position, and never moves its position past the count: a late renderer
// delays the song instead of letting it skip.
//
// startAudioOutput and stopAudioOutput are the platform's part
// (sdl_audio_output.cpp); fillFromImage is what the device asks for.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

struct PlaybackStats {
    // Requests of the device that found too few complete bytes while
    // rendering was still going on; they got silence for the rest.
    std::uint32_t underruns = 0;
    // The fewest complete bytes left ahead of the play position after a
    // request while rendering was still going on; valid if leadMeasured.
    std::uint32_t smallestLeadBytes = 0;
    bool leadMeasured = false;
};

// The image being played and the sound layer's place in it. Only the
// sound layer's thread touches it while playback runs.
struct ImagePlayback {
    const std::uint8_t* bytes = nullptr;  // the image, header first
    std::uint32_t end = 0;                // bytes of the image, header included
    const std::atomic<std::uint32_t>* completeBytes = nullptr;
    std::uint32_t position = 0;           // next byte to play
    PlaybackStats stats;
};

// Points `playback` at the start of the image's samples, behind its header.
void beginImagePlayback(ImagePlayback& playback, const std::uint8_t* image, std::uint32_t size,
                        const std::atomic<std::uint32_t>& completeBytes);

// Fills `out` with the next `size` bytes to play: complete image bytes from
// the play position on, zeros for the rest (behind the image's end too).
void fillFromImage(ImagePlayback& playback, std::uint8_t* out, std::uint32_t size);

// One open sound device playing one image. It must stay where it is while
// it plays: the device's thread holds its address.
struct AudioOutput {
    ImagePlayback playback;
    std::uint32_t device = 0;  // the platform's handle; 0 while nothing plays

    AudioOutput() = default;
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;
};

// Opens the default sound device for 44,100 Hz 16-bit stereo and starts
// playing the image's samples, including those not yet complete, as they
// become complete. Returns at once. On failure nothing plays, the result
// is false and `reason` says what the platform reported.
bool startAudioOutput(AudioOutput& output, const std::uint8_t* image, std::uint32_t size,
                      const std::atomic<std::uint32_t>& completeBytes, std::string& reason);

// Stops playback, if any. When it returns the device no longer touches the
// image, which may then be released.
void stopAudioOutput(AudioOutput& output);
