// Sound output through SDL2, which reaches PipeWire, PulseAudio and ALSA
// (and the platforms beyond Linux). SDL's thread calls back for every
// buffer the device wants; the callback copies from the image.
#include "audio_output.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "song.h"

namespace {

// Frames per device buffer: about 46 ms, short enough that a stop is heard
// at once, long enough that the callback runs rarely.
constexpr Uint16 DEVICE_BUFFER_FRAMES = 2048;
constexpr Uint8 OUTPUT_CHANNELS = 2;

void SDLCALL playImage(void* userdata, Uint8* stream, int len) {
    fillFromImage(*static_cast<ImagePlayback*>(userdata), stream, static_cast<std::uint32_t>(len));
}

}  // namespace

bool startAudioOutput(AudioOutput& output, const std::uint8_t* image, std::uint32_t size,
                      const std::atomic<std::uint32_t>& completeBytes, std::string& reason) {
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        reason = SDL_GetError();
        SDL_Quit();
        return false;
    }
    beginImagePlayback(output.playback, image, size, completeBytes);

    SDL_AudioSpec wanted{};
    wanted.freq = SAMPLE_RATE;
    wanted.format = AUDIO_S16LSB;
    wanted.channels = OUTPUT_CHANNELS;
    wanted.samples = DEVICE_BUFFER_FRAMES;
    wanted.callback = playImage;
    wanted.userdata = &output.playback;
    // No changes allowed: SDL converts to whatever the device needs.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0) {
        reason = SDL_GetError();
        SDL_Quit();
        return false;
    }
    output.device = device;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void stopAudioOutput(AudioOutput& output) {
    if (output.device == 0) return;
    // Closing waits for the device's thread to end, so the callback is
    // over and done with the image once this returns.
    SDL_CloseAudioDevice(output.device);
    output.device = 0;
    SDL_Quit();
}
