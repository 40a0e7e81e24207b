// mivoplay: plays the compiled-in song while rendering it, and stops on a
// key press once rendering is done. No arguments, nothing printed on success.
#include <cstdio>
#include <new>

#include "play_song.h"
#include "song.h"
#include "song_asset.h"

int main() {
    try {
        return playSong(compiledInSongHeader(), SONG_ASSET).exitStatus;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "mivoplay: out of memory\n");
        return 1;
    }
}
