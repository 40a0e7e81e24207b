// Running mivosong's commands in-process on files in a scratch directory.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "song_fixture.h"
#include "song_text.h"

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

inline ToolRun runTool(const std::vector<std::string>& args, std::ostream* progress = nullptr) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runMivosong(args, out, err, progress);
    return {status, out.str(), err.str()};
}

// A fresh directory per test, removed afterwards.
class ScratchDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "mivosong-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    std::string write(const std::string& name, const std::string& contents) const {
        std::ofstream(path(name), std::ios::binary) << contents;
        return path(name);
    }

    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        return write(name, std::string(bytes.begin(), bytes.end()));
    }

    std::string read(const std::string& name) const {
        std::ifstream file(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }

    // Names in the directory, to see that a failed command left nothing behind.
    std::vector<std::string> listing() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
            names.push_back(entry.path().lexically_relative(dir).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path dir;
};

// One channel of plain sine notes over two order positions of a four-row
// pattern, with a command and a mark: small enough to render in moments.
inline TestSong smallSong(std::uint8_t channels = 1) {
    TestSong song(channels, 2, 4, 600, 2);
    song.header.songFrames -= 100;  // the last row is cut, as in the compiled-in song
    deriveSongSizes(song.header);
    for (std::uint8_t channel = 0; channel < channels; ++channel) {
        setPlainSine(song.instrument(channel));
        song.order(channel, 0, 1);
        song.order(channel, 1, 2);
        song.note(channel, 1, 0, 0, static_cast<std::uint8_t>(144 + 7 * channel));
        song.note(channel, 1, 2, 1, 135, 0x31);
        song.command(channel, 1, 3, OSC1_LEVEL + 1, 180);
        song.note(channel, 2, 1, 0, 120, 0x02);
        song.command(channel, 2, 1, MARK_COMMAND);
    }
    return song;
}

inline std::string songText(const TestSong& song) {
    return formatSongText(song.header, song.data.data());
}
