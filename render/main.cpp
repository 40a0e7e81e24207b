// mivo: renders the compiled-in song to "mivo_out.wav" in the current
// directory. No arguments, nothing printed on success.
#include <cstdio>
#include <new>
#include <system_error>

#include "output_file.h"
#include "render_driver.h"
#include "song.h"
#include "song_asset.h"

namespace {

constexpr const char* OUTPUT_FILE_NAME = "mivo_out.wav";

// Owns what one run allocates and releases it in the order image, mix, song copy.
struct MivoRun {
    SongHeader song = compiledInSongHeader();
    RenderContext context;

    ~MivoRun() {
        freeRenderContext(context);
        releaseSongData(song);
    }
};

int fail(const char* what) {
    std::fprintf(stderr, "mivo: %s\n", what);
    return 1;
}

}  // namespace

int main() {
    try {
        // The output file is opened first: a directory that cannot take it
        // fails the run before minutes of rendering, not after.
        ReplacingFileWriter output(OUTPUT_FILE_NAME);
        MivoRun run;
        copySongData(run.song, SONG_ASSET);
        initRenderContext(run.context, run.song);
        renderSong(run.context);
        writeOutputFile(run.context, output);
        return 0;
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    } catch (const OutputFileError& error) {
        return fail(error.what());
    } catch (const std::system_error& error) {
        std::fprintf(stderr, "mivo: cannot run the render threads: %s\n", error.what());
        return 1;
    }
}
