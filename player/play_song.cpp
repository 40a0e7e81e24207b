// One run of mivoplay from set-up to release.
#include "play_song.h"

#include <cstdio>
#include <string>

#include "key_input.h"
#include "stream_song.h"

namespace {

// Everything one run holds, released in the order playback, image, mix,
// song copy, however the run ends: the image outlives the sound device.
struct PlayerRun {
    SongHeader song;
    mivoplay::RenderContext context;
    AudioOutput output;

    explicit PlayerRun(const SongHeader& header) : song(header) { song.songData = nullptr; }
    PlayerRun(const PlayerRun&) = delete;
    PlayerRun& operator=(const PlayerRun&) = delete;
    ~PlayerRun() {
        stopAudioOutput(output);
        mivoplay::freeRenderContext(context);
        releaseSongData(song);
    }
};

// Keys pressed from the start wait, unechoed, for the end of rendering.
struct KeyCapture {
    KeyCapture() { captureKeys(); }
    KeyCapture(const KeyCapture&) = delete;
    KeyCapture& operator=(const KeyCapture&) = delete;
    ~KeyCapture() { releaseKeys(); }
};

}  // namespace

PlayResult playSong(SongHeader song, const std::uint8_t* embeddedSong) {
    KeyCapture keys;
    PlayerRun run(song);
    copySongData(run.song, embeddedSong);
    mivoplay::initRenderContext(run.context, run.song);

    PlayResult result;
    mivoplay::streamSong(run.context, [&](const mivoplay::RenderContext& context) {
        std::string reason;
        if (!startAudioOutput(run.output, static_cast<const std::uint8_t*>(context.image.data),
                              context.image.capacity, context.publishedBytes, reason)) {
            std::fprintf(stderr, "mivoplay: no audio output: %s\n", reason.c_str());
            result.exitStatus = 1;
        }
    });
    waitForKey();
    stopAudioOutput(run.output);
    result.playback = run.output.playback.stats;
    return result;
}
