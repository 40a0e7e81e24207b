// mivosong render: the same WAV as the render driver gives, and stems that
// hold each channel's own output: as float WAV files that another reader
// (sox) understands, and that summed and mastered give the render's samples.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "master_bus.h"
#include "mivosong_fixture.h"
#include "render_driver.h"
#include "wav.h"

namespace {

using MivosongRender = ScratchDirectory;

std::uint32_t readLittleEndian(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

// What our own walk over a stem's RIFF chunks finds.
struct StemFormat {
    std::uint32_t formatCode = 0, channels = 0, sampleRate = 0, byteRate = 0, blockAlign = 0, bits = 0;
    std::uint32_t factFrames = 0;
    std::size_t dataOffset = 0;
    std::uint32_t dataSize = 0;
};

StemFormat walkRiff(const std::string& file) {
    StemFormat format;
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(readLittleEndian(file, 4, 4), file.size() - 8);
    EXPECT_EQ(file.substr(8, 4), "WAVE");
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::string id = file.substr(at, 4);
        const std::uint32_t size = readLittleEndian(file, at + 4, 4);
        const std::size_t body = at + 8;
        if (id == "fmt ") {
            format.formatCode = readLittleEndian(file, body, 2);
            format.channels = readLittleEndian(file, body + 2, 2);
            format.sampleRate = readLittleEndian(file, body + 4, 4);
            format.byteRate = readLittleEndian(file, body + 8, 4);
            format.blockAlign = readLittleEndian(file, body + 12, 2);
            format.bits = readLittleEndian(file, body + 14, 2);
        } else if (id == "fact") {
            format.factFrames = readLittleEndian(file, body, 4);
        } else if (id == "data") {
            format.dataOffset = body;
            format.dataSize = size;
        }
        at = body + size + (size & 1);
    }
    return format;
}

// One line of `sox --i` output for a file, e.g. soxInfo("-e", path).
std::string soxInfo(const char* what, const std::string& path) {
    const std::string command = std::string("sox --i ") + what + " '" + path + "' 2>&1";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char chunk[256];
    while (pipe && std::fgets(chunk, sizeof chunk, pipe.get())) output += chunk;
    if (!output.empty() && output.back() == '\n') output.pop_back();
    return output;
}

// The driver's own render of the song: what `mivo` would write for it.
std::string driverRender(TestSong song) {
    song.header.songData = song.data.data();
    RenderContext context;
    initRenderContext(context, song.header);
    renderSong(context);
    std::string image(static_cast<const char*>(context.image.data), context.image.capacity);
    freeRenderContext(context);
    return image;
}

// The stems summed into a mix and run through the master bus as the driver does.
std::string masteredStems(const std::vector<std::string>& stems, const SongHeader& song) {
    std::vector<double> mix(song.songSamples, 0.0);
    for (const std::string& stem : stems) {
        const StemFormat format = walkRiff(stem);
        std::vector<double> samples(song.songSamples);
        std::memcpy(samples.data(), stem.data() + format.dataOffset, samples.size() * sizeof(double));
        for (std::size_t k = 0; k < mix.size(); ++k) mix[k] += samples[k];
    }
    SizedBuffer image;
    allocateBuffer(image, WAV_HEADER_SIZE + 2 * song.songSamples);
    writeWavHeader(image, 2 * song.songSamples);
    const auto framesPerPattern = static_cast<std::int32_t>(patternFrames(song));
    runMasterBus(mix.data(),
                 {0, static_cast<std::int32_t>(song.songSamples), FADE_START_PATTERNS * framesPerPattern,
                  FADE_END_PATTERNS * framesPerPattern},
                 image);
    std::string bytes(static_cast<const char*>(image.data), image.capacity);
    releaseBuffer(image);
    return bytes;
}

TEST_F(MivosongRender, WavAndStemsOfASmallSong) {
    // Two channels add up exactly whichever is added first; more might not.
    for (std::uint8_t channels : {1, 2}) {
        SCOPED_TRACE(std::to_string(channels) + " channels");
        const TestSong song = smallSong(channels);
        const std::string text = write("song.txt", songText(song));
        const ToolRun run = runTool({"render", text, "-o", path("out.wav"), "--stems", path("stems")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out + run.err, "");

        const std::string wav = read("out.wav");
        const std::uint32_t frames = song.header.songFrames;
        ASSERT_EQ(wav.size(), WAV_HEADER_SIZE + 4u * frames);
        EXPECT_EQ(wav, driverRender(song));
        SizedBuffer header;
        allocateBuffer(header, WAV_HEADER_SIZE);
        writeWavHeader(header, 4 * frames);
        EXPECT_EQ(wav.substr(0, WAV_HEADER_SIZE), std::string(static_cast<const char*>(header.data), WAV_HEADER_SIZE));
        releaseBuffer(header);

        std::vector<std::string> stems;
        for (std::uint32_t channel = 0; channel < channels; ++channel) {
            const std::string name = "stems/channel-0" + std::to_string(channel) + ".wav";
            stems.push_back(read(name));
            const StemFormat format = walkRiff(stems.back());
            EXPECT_EQ(format.formatCode, 3u);
            EXPECT_EQ(format.channels, 2u);
            EXPECT_EQ(format.sampleRate, 44100u);
            EXPECT_EQ(format.byteRate, 44100u * 16);
            EXPECT_EQ(format.blockAlign, 16u);
            EXPECT_EQ(format.bits, 64u);
            EXPECT_EQ(format.factFrames, frames);
            EXPECT_EQ(format.dataSize, 16u * frames);
            EXPECT_EQ(format.dataOffset + format.dataSize, stems.back().size());

            EXPECT_EQ(soxInfo("-t", path(name)), "wav");
            EXPECT_EQ(soxInfo("-e", path(name)), "Floating Point PCM");
            EXPECT_EQ(soxInfo("-b", path(name)), "64");
            EXPECT_EQ(soxInfo("-c", path(name)), "2");
            EXPECT_EQ(soxInfo("-r", path(name)), "44100");
            EXPECT_EQ(soxInfo("-s", path(name)), std::to_string(frames));
        }
        EXPECT_EQ(masteredStems(stems, song.header), wav);
        EXPECT_NE(wav.find_first_not_of('\0', WAV_HEADER_SIZE), std::string::npos) << "the song is silent";
        std::filesystem::remove_all(path("stems"));
    }
}

TEST_F(MivosongRender, RawBlockWithHeaderOptionsRendersTheChosenChannels) {
    const TestSong song = smallSong(2);
    const std::string block = write("song.bin", song.data);
    const ToolRun run = runTool({"render", block, "-o", path("out.wav"), "--stems", path("stems"), "--channels", "2",
                                 "--order-length", "2", "--patterns", "2", "--rows", "4", "--samples-per-row", "600",
                                 "--end-order", "2", "--first-channel", "1", "--channel-end", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(listing(), (std::vector<std::string>{"out.wav", "song.bin", "stems", "stems/channel-01.wav"}));
    // --frames defaults to the frames the rows cover: 2 orders x 4 rows x 600.
    EXPECT_EQ(read("out.wav").size(), WAV_HEADER_SIZE + 4u * 4800);
}

TEST_F(MivosongRender, ProgressBarCountsEveryRow) {
    const std::string text = write("song.txt", songText(smallSong(2)));
    std::ostringstream progress;
    const ToolRun run = runTool({"render", text, "-o", path("out.wav")}, &progress);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string shown = progress.str();
    const std::string lastLine = shown.substr(shown.rfind('\r'));
    EXPECT_EQ(lastLine.rfind("\r[##############################] 100%  16/16 rows  0:00  ", 0), 0u) << lastLine;
    EXPECT_NE(lastLine.find("x real time\n"), std::string::npos) << lastLine;
}

}  // namespace
