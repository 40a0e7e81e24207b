// Test helper for mivoplay's program-level tests.
//
//   mivoplay_helper image compiled|fading FILE
//       renders the song's image with the streaming code, in this one
//       thread and without a sound device, and writes it to FILE: the bytes
//       that mivoplay is expected to play.
//   mivoplay_helper play fading
//       the whole player, as mivoplay runs it, on the small fading song.
#include <cstdio>
#include <cstring>
#include <new>

#include "output_file.h"
#include "play_song.h"
#include "song_asset.h"
#include "stream_song.h"
#include "player_songs.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: mivoplay_helper image compiled|fading FILE\n"
                         "       mivoplay_helper play fading\n");
    return 2;
}

int writeImage(const SongHeader& header, const std::uint8_t* songData, const char* path) {
    SongHeader song = header;
    copySongData(song, songData);
    mivoplay::RenderContext context;
    mivoplay::initRenderContext(context, song);
    mivoplay::streamSong(context, [](const mivoplay::RenderContext&) {});
    writeFileReplacing(path, context.image.data, context.image.capacity);
    mivoplay::freeRenderContext(context);
    releaseSongData(song);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const TestSong fading = makePlayerSong(fadingSongShape());
    try {
        if (argc == 4 && std::strcmp(argv[1], "image") == 0 && std::strcmp(argv[2], "compiled") == 0) {
            return writeImage(compiledInSongHeader(), SONG_ASSET, argv[3]);
        }
        if (argc == 4 && std::strcmp(argv[1], "image") == 0 && std::strcmp(argv[2], "fading") == 0) {
            return writeImage(fading.header, fading.data.data(), argv[3]);
        }
        if (argc == 3 && std::strcmp(argv[1], "play") == 0 && std::strcmp(argv[2], "fading") == 0) {
            return playSong(fading.header, fading.data.data()).exitStatus;
        }
        return usage();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "mivoplay_helper: out of memory\n");
        return 1;
    } catch (const OutputFileError& error) {
        std::fprintf(stderr, "mivoplay_helper: %s\n", error.what());
        return 1;
    }
}
