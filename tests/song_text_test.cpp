// Text songs: note names, the exact round trip block -> text -> block over
// random valid songs, and the freedoms a hand-written text has.
#include "song_text.h"

#include <gtest/gtest.h>

#include <random>

#include "instrument_text.h"
#include "song_check.h"
#include "song_fixture.h"

namespace {

TEST(NoteNames, ReferencePitches) {
    const std::pair<std::uint8_t, const char*> cases[] = {
        {1, "A#-8"}, {2, "B-8"}, {3, "C-7"}, {74, "B-2"}, {75, "C-1"}, {87, "C0"},   {120, "A2"},
        {135, "C4"}, {141, "F#4"}, {144, "A4"}, {145, "A#4"}, {156, "A5"}, {254, "B13"}, {255, "C14"},
    };
    for (const auto& [note, name] : cases) {
        EXPECT_EQ(noteName(note), name) << int{note};
        EXPECT_EQ(noteValueOfName(name), note) << name;
    }
}

TEST(NoteNames, EveryNoteHasOneNameThatReadsBack) {
    for (int note = 1; note <= 255; ++note) {
        EXPECT_EQ(noteValueOfName(noteName(static_cast<std::uint8_t>(note))), note);
    }
}

TEST(NoteNames, MalformedAndOutOfRange) {
    for (const char* name : {"", "H4", "a4", "C", "C#", "E#4", "B#3", "Cb4", "C-0", "C04", "C100", "C4x", "#4", "C--1"}) {
        EXPECT_EQ(noteValueOfName(name), std::nullopt) << name;
    }
    // Well-formed names beyond the notes: the parser reports them with the range.
    EXPECT_EQ(noteValueOfName("A-8"), 0);
    EXPECT_EQ(noteValueOfName("C#14"), 256);
}

// ---- Round trip ---------------------------------------------------------------

std::uint64_t pick(std::mt19937& random, std::uint64_t low, std::uint64_t high) {
    return std::uniform_int_distribution<std::uint64_t>(low, high)(random);
}

// A header that makes a song, sometimes at the edges of the field ranges.
HeaderValues randomHeader(std::mt19937& random) {
    HeaderValues values{};
    values[HEADER_CHANNELS] = pick(random, 0, 3);
    values[HEADER_ORDER_LENGTH] = pick(random, 1, 12);
    values[HEADER_PATTERNS] = pick(random, 0, 4);
    values[HEADER_SPARE_BYTE] = pick(random, 0, 255);
    values[HEADER_ROWS] = pick(random, 0, 9) == 0 ? 255 : pick(random, 1, 24);
    values[HEADER_SAMPLES_PER_ROW] = pick(random, 1, 65535);
    values[HEADER_START_ORDER] = pick(random, 0, values[HEADER_ORDER_LENGTH] - 1);
    values[HEADER_END_ORDER] = pick(random, values[HEADER_START_ORDER] + 1, values[HEADER_ORDER_LENGTH]);
    values[HEADER_FIRST_CHANNEL] = pick(random, 0, 255);
    values[HEADER_CHANNEL_END] = pick(random, 0, values[HEADER_CHANNELS]);
    values[HEADER_FRAMES] = pick(random, 0, framesCoveredByRows(values));
    return values;
}

// Random bytes, bent into range where the song needs them in range.
std::vector<std::uint8_t> randomValidData(std::mt19937& random, const SongHeader& song) {
    std::vector<std::uint8_t> data(song.songDataSize);
    for (auto& byte : data) byte = static_cast<std::uint8_t>(pick(random, 0, 255));
    for (std::uint32_t channel = 0; channel < song.channelCount; ++channel) {
        std::uint8_t* block = data.data() + channel * song.channelBlockSize;
        for (std::uint32_t offset = 0; offset < INSTRUMENT_SIZE; ++offset) block[offset] %= instrumentByteLimit(offset) + 1;
        for (std::uint32_t position = 0; position < song.orderLength; ++position) {
            block[INSTRUMENT_SIZE + position] %= song.patternsPerChannel + 1;
        }
        for (std::uint32_t pattern = 0; pattern < song.patternsPerChannel; ++pattern) {
            std::uint8_t* cells = block + INSTRUMENT_SIZE + song.orderLength + pattern * song.patternSize;
            for (std::uint32_t row = 0; row < song.rowsPerPattern; ++row) {
                std::uint8_t& command = cells[COMMAND_COLUMN * song.rowsPerPattern + row];
                std::uint8_t& value = cells[COMMAND_VALUE_COLUMN * song.rowsPerPattern + row];
                command %= HIGHEST_EFFECT_COMMAND + 1;
                if (command != 0 && command != MARK_COMMAND) value %= instrumentByteLimit(command - 1u) + 1;
            }
        }
    }
    return data;
}

void expectRoundTrip(const SongHeader& song, const std::vector<std::uint8_t>& data) {
    ASSERT_TRUE(checkSongData(song, data.data(), data.size()).empty());
    const std::string text = formatSongText(song, data.data());
    const TextSong parsed = parseSongText(text);
    EXPECT_EQ(parsed.header, headerValuesOf(song));
    EXPECT_EQ(parsed.data, data);
    EXPECT_EQ(formatSongText(songHeaderFrom(parsed.header), parsed.data.data()), text);
}

TEST(SongTextRoundTrip, RandomValidSongs) {
    std::mt19937 random(20261211);
    for (int song = 0; song < 200; ++song) {
        const SongHeader header = songHeaderFrom(randomHeader(random));
        SCOPED_TRACE("song " + std::to_string(song));
        expectRoundTrip(header, randomValidData(random, header));
    }
}

TEST(SongTextRoundTrip, CompiledInLayoutWithRandomBytes) {
    std::mt19937 random(7);
    const SongHeader header = compiledInSongHeader();
    expectRoundTrip(header, randomValidData(random, header));
}

// ---- Hand-written text ----------------------------------------------------------

std::string instrumentLines(const std::string& overrides) {
    std::string text;
    for (const char* name : INSTRUMENT_FIELD_NAMES) {
        if (overrides.find(std::string(name) + " ") == std::string::npos) text += std::string(name) + " 0\n";
    }
    return text + overrides;
}

TEST(SongTextParse, HandWrittenFreedoms) {
    const std::string text =
        "mivo-song 1\n"
        "# fields in any order, sections after [song] too; blank lines, tabs, comments\n"
        "[song]  # the header\n"
        "frames 800\nchannels 1\norder-length 3\npatterns 1\nspare-byte 0\nrows 4\n"
        "samples-per-row 100\nstart-order 0\nend-order 2\nfirst-channel 0\nchannel-end 1\n"
        "[ channel 0 pattern 1 ]\n"
        "\t2  C#4 3a  --- ..  --- 07  A#-8 00  mark 9   # rows 0, 1 and 3 left out\n"
        "[channel 0]\n" +
        instrumentLines("osc1-wave 7\nlfo2-wave 26\ndamping-source 5\n") +
        "order 0: 1\norder 1: 0 1\n";
    const TextSong song = parseSongText(text);
    const SongHeader header = songHeaderFrom(song.header);
    ASSERT_EQ(song.data.size(), 69u + 3 + 40);
    EXPECT_EQ(song.data[OSC1_WAVE], 7);
    EXPECT_EQ(song.data[LFO2_WAVE], 26);
    EXPECT_EQ(song.data[DAMPING_SOURCE], 5);
    EXPECT_EQ((std::vector<std::uint8_t>(song.data.begin() + 69, song.data.begin() + 72)), (std::vector<std::uint8_t>{1, 0, 1}));

    const std::uint8_t* pattern = song.data.data() + 72;
    const std::pair<std::uint32_t, std::uint8_t> row2[] = {
        {0, 136}, {1, 0}, {2, 0}, {3, 1}, {4, 0x3A}, {5, 0}, {6, 0x07}, {7, 0}, {8, MARK_COMMAND}, {9, 9},
    };
    for (const auto& [column, value] : row2) EXPECT_EQ(pattern[column * 4 + 2], value) << "column " << column;
    for (std::uint32_t column = 0; column < PATTERN_COLUMNS; ++column) {
        EXPECT_EQ(pattern[column * 4 + 0] | pattern[column * 4 + 1] | pattern[column * 4 + 3], 0) << "column " << column;
    }
    EXPECT_EQ(header.songDataSize, song.data.size());
    // Where each byte came from, for error messages: the note on line 16.
    EXPECT_EQ(song.dataPlaces[72 + 2].line, 16u);
    EXPECT_EQ(song.dataPlaces[72 + 2].column, 5u);
}

}  // namespace
