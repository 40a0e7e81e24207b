// How far mivoplay's rendering stays ahead of playback: plays the
// compiled-in song exactly as mivoplay does, then prints the smallest lead
// of the rendered bytes over the play position while rendering went on,
// and the number of underruns. bench/play_lead.sh runs it headless.
#include <cstdio>
#include <new>

#include "play_song.h"
#include "song.h"
#include "song_asset.h"

namespace {

constexpr double BYTES_PER_SECOND = 44100.0 * 4;

}  // namespace

int main() {
    try {
        const PlayResult result = playSong(compiledInSongHeader(), SONG_ASSET);
        if (result.playback.leadMeasured) {
            std::printf("smallest lead: %.3f s\n", result.playback.smallestLeadBytes / BYTES_PER_SECOND);
        } else {
            std::printf("smallest lead: not measured (rendering ended before playback asked for data)\n");
        }
        std::printf("underruns: %u\n", result.playback.underruns);
        return result.exitStatus;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "mivoplay_lead: out of memory\n");
        return 1;
    }
}
