// One run of mivoplay: streams a song into its image while the sound card
// plays it, waits for a key once the last row is rendered, stops playback
// and releases everything in the order image, mix, song copy.
#pragma once

#include <cstdint>

#include "audio_output.h"
#include "song.h"

struct PlayResult {
    // 0 when the song played; 1 when playback could not start (the
    // reason is on stderr), although rendering and the key wait went on.
    int exitStatus = 0;
    PlaybackStats playback;
};

// Plays `song` with a working copy of the song data at `embeddedSong`.
// Throws std::bad_alloc when memory runs out; playback is stopped and
// everything is released on the way.
PlayResult playSong(SongHeader song, const std::uint8_t* embeddedSong);
