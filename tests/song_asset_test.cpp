// Facts about the compiled-in song that its arrangement must keep: header,
// order lists, note range, instrument ranges and where effect commands stand.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "instrument.h"
#include "song.h"
#include "song_asset.h"

namespace {

struct Song {
    SongHeader header = compiledInSongHeader();
    Song() { header.songData = const_cast<std::uint8_t*>(SONG_ASSET); }
    const std::uint8_t* instrument(std::uint32_t channel) const { return channelBlock(header, channel); }
    std::uint8_t order(std::uint32_t channel, std::uint32_t position) const {
        return instrument(channel)[INSTRUMENT_SIZE + position];
    }
    std::uint8_t cell(std::uint32_t channel, std::uint8_t pattern, std::uint32_t column, std::uint32_t row) const {
        return instrument(channel)[INSTRUMENT_SIZE + header.orderLength + (pattern - 1u) * header.patternSize +
                                   column * header.rowsPerPattern + row];
    }
};

const char* const ORDER_LISTS[15] = {
    "1112511311121112000411121213121212130000111211121112111212131213",
    "1112111300001112000000000000000000000000111200000000000000000000",
    "0011112311231123111111111123112311231111112311231123111111231123",
    "0004111211121112003333111112111211123333111211121112001111121112",
    "0000111211121112000000001112111211120003444444444444000044444444",
    "0000121300000000000000000000000000000000121450000000000000000000",
    "0000000312120000000000000000000000000000000000000000000000000000",
    "0000000012121212565613131314131313145656121212121212131313141314",
    "0000000000001234500000000000000000006000000012341234500000000000",
    "0000000000000000001100000000111100000011000000000000000011111111",
    "0000000000000000000512131214121312140000000000000000121312141214",
    "0000000000000000000014121413141214130000000000000000141214131413",
    "0000000000000000000000000000000011110000000011111111000000001111",
    "0000000000000000000000000000000000001213121300001213000000004546",
    "0000000000000000000014121413141312130000000000000005141224232423",
};

TEST(SongAsset, HeaderAndSize) {
    const Song song;
    EXPECT_EQ(SONG_ASSET_SIZE, 30795u);
    EXPECT_EQ(song.header.songDataSize, 30795u);
    EXPECT_EQ(song.header.channelCount, 15);
    EXPECT_EQ(song.header.orderLength, 64);
    EXPECT_EQ(song.header.patternsPerChannel, 6);
    EXPECT_EQ(song.header.rowsPerPattern, 32);
    EXPECT_EQ(song.header.samplesPerRow, 5168);
    EXPECT_EQ(song.header.startOrder, 0);
    EXPECT_EQ(song.header.endOrder, 64);
    EXPECT_EQ(song.header.firstChannel, 0);
    EXPECT_EQ(song.header.channelEnd, 15);
    EXPECT_EQ(song.header.songFrames, 10584000u);
}

TEST(SongAsset, OrderListsAndWhichPatternsHoldNotes) {
    const Song song;
    for (std::uint32_t channel = 0; channel < 15; ++channel) {
        std::set<int> referenced;
        for (std::uint32_t position = 0; position < 64; ++position) {
            const int expected = ORDER_LISTS[channel][position] - '0';
            EXPECT_EQ(song.order(channel, position), expected) << "channel " << channel << " position " << position;
            if (expected != 0) referenced.insert(expected);
        }
        for (std::uint8_t pattern = 1; pattern <= 6; ++pattern) {
            bool notes = false;
            bool anyByte = false;
            for (std::uint32_t row = 0; row < 32; ++row) {
                for (std::uint32_t column = 0; column < PATTERN_COLUMNS; ++column) {
                    anyByte = anyByte || song.cell(channel, pattern, column, row) != 0;
                }
                for (std::uint32_t column = 0; column < NOTE_COLUMNS; ++column) {
                    notes = notes || song.cell(channel, pattern, column, row) != 0;
                }
            }
            if (referenced.count(pattern)) {
                EXPECT_TRUE(notes) << "channel " << channel << " pattern " << int{pattern} << " is played but silent";
            } else {
                EXPECT_FALSE(anyByte) << "channel " << channel << " pattern " << int{pattern} << " is unused but not empty";
            }
        }
    }
}

TEST(SongAsset, NotesLieBetween104And150) {
    const Song song;
    for (std::uint32_t channel = 0; channel < 15; ++channel) {
        for (std::uint8_t pattern = 1; pattern <= 6; ++pattern) {
            for (std::uint32_t row = 0; row < 32; ++row) {
                for (std::uint32_t column = 0; column < NOTE_COLUMNS; ++column) {
                    const int note = song.cell(channel, pattern, column, row);
                    if (note == 0) continue;
                    EXPECT_GE(note, 104) << channel << "/" << int{pattern} << "/" << row;
                    EXPECT_LE(note, 150) << channel << "/" << int{pattern} << "/" << row;
                }
            }
        }
    }
}

// The values each instrument byte may take in this song.
struct ByteRange {
    int low;
    int high;
};

const std::map<std::uint32_t, ByteRange> INSTRUMENT_RANGES = {
    {OSC1_WAVE, {2, 20}},        {OSC1_LEVEL, {81, 255}},       {OSC1_PITCH_DEPTH, {126, 239}},
    {OSC2_WAVE, {0, 22}},        {OSC2_LEVEL, {0, 224}},        {OSC2_COARSE, {116, 140}},
    {OSC2_FINE, {45, 62}},       {OSC2_PITCH_DEPTH, {121, 239}}, {ATTACK_LENGTH, {1, 158}},
    {SUSTAIN_LENGTH, {1, 255}},  {RELEASE_LENGTH, {24, 135}},   {ARPEGGIO_SPEED, {0, 1}},
    {LFO1_WAVE, {0, 7}},         {CUTOFF_DEPTH, {97, 255}},     {LFO1_RATE, {0, 11}},
    {CUTOFF_SOURCE, {0, 5}},     {FILTER_MODE, {10, 68}},       {CUTOFF_KEY, {5, 64}},
    {RESONANCE, {0, 181}},       {DRIVE, {0, 255}},             {CHANNEL_GAIN, {12, 91}},
    {PAN_DEPTH, {128, 203}},     {PAN_RATE, {0, 16}},           {ECHO_GAIN, {0, 157}},
    {ECHO_DISTANCE, {1, 8}},     {DECAY_LENGTH, {1, 255}},      {SUSTAIN_LEVEL, {147, 255}},
    {OSC1_PITCH_SOURCE, {0, 5}}, {OSC2_PITCH_SOURCE, {0, 2}},   {REVERB_WET, {0, 176}},
    {REVERB_SIZE, {0, 16}},      {LFO2_WAVE, {0, 21}},          {LFO2_RATE, {0, 10}},
    {LFO1_LIMIT, {0, 0}},        {OSC1_SHAPE_OFFSET, {64, 128}}, {OSC2_SHAPE_OFFSET, {4, 136}},
    {OSC1_SHAPE_SOURCE, {0, 5}}, {OSC1_SHAPE_DEPTH, {50, 219}}, {OSC1_AMP_SOURCE, {0, 4}},
    {OSC1_AMP_DEPTH, {117, 192}}, {OSC2_SHAPE_SOURCE, {0, 3}},  {OSC2_SHAPE_DEPTH, {81, 167}},
    {DAMPING_SOURCE, {0, 4}},    {DAMPING_DEPTH, {101, 255}},   {STRUM, {0, 0}},
    {PLUCK_BLEND, {0, 248}},     {PLUCK_FLIP_CHANCE, {0, 59}},
};
const std::set<int> ARPEGGIO_VALUES = {0, 193, 204};
const std::set<int> COMBINE_MODES = {0, 3};
const std::set<int> WAVEFORMS_USED = {0, 2, 3, 4, 5, 6, 7, 8, 9, 11, 16, 20, 21, 22};

TEST(SongAsset, InstrumentBytesStayInTheirRanges) {
    const Song song;
    for (std::uint32_t channel = 0; channel < 15; ++channel) {
        const std::uint8_t* instrument = song.instrument(channel);
        for (const auto& [offset, range] : INSTRUMENT_RANGES) {
            EXPECT_GE(instrument[offset], range.low) << "channel " << channel << " byte " << offset;
            EXPECT_LE(instrument[offset], range.high) << "channel " << channel << " byte " << offset;
        }
        EXPECT_TRUE(ARPEGGIO_VALUES.count(instrument[ARPEGGIO])) << "channel " << channel;
        EXPECT_TRUE(COMBINE_MODES.count(instrument[COMBINE_MODE])) << "channel " << channel;
        for (const std::uint32_t wave : {OSC1_WAVE, OSC2_WAVE, LFO1_WAVE, LFO2_WAVE}) {
            EXPECT_TRUE(WAVEFORMS_USED.count(instrument[wave])) << "channel " << channel << " byte " << wave;
        }
        for (std::uint32_t offset = 49; offset < INSTRUMENT_SIZE; ++offset) {
            EXPECT_EQ(instrument[offset], 0) << "channel " << channel << " byte " << offset;
        }
    }
}

// Every effect command of the song, as "channel:command:value".
std::multiset<std::string> commandsOf(const Song& song, std::uint32_t channel) {
    std::multiset<std::string> commands;
    for (std::uint8_t pattern = 1; pattern <= 6; ++pattern) {
        for (std::uint32_t row = 0; row < 32; ++row) {
            const int command = song.cell(channel, pattern, COMMAND_COLUMN, row);
            if (command == 0) continue;
            const int value = command == MARK_COMMAND ? 0 : song.cell(channel, pattern, COMMAND_VALUE_COLUMN, row);
            commands.insert(std::to_string(command) + ":" + std::to_string(value));
        }
    }
    return commands;
}

TEST(SongAsset, EffectCommandsStandOnlyWhereTheArrangementPutsThem) {
    const Song song;
    // The instrument byte each channel's commands may set (command = byte + 1).
    const std::map<std::uint32_t, std::set<int>> allowed = {
        {0, {REVERB_WET + 1}},  {6, {MARK_COMMAND}},  {7, {OSC1_SHAPE_DEPTH + 1}}, {10, {ATTACK_LENGTH + 1}},
        {12, {DRIVE + 1, OSC1_SHAPE_OFFSET + 1}},      {14, {CHANNEL_GAIN + 1}},
    };
    for (std::uint32_t channel = 0; channel < 15; ++channel) {
        const auto permitted = allowed.count(channel) ? allowed.at(channel) : std::set<int>{};
        for (const std::string& entry : commandsOf(song, channel)) {
            const int command = std::stoi(entry);
            EXPECT_TRUE(permitted.count(command)) << "channel " << channel << " command " << entry;
        }
    }
    for (const std::string& entry : commandsOf(song, 0)) {
        EXPECT_TRUE(entry == "31:114" || entry == "31:55") << entry;
    }
    EXPECT_EQ(commandsOf(song, 6), std::multiset<std::string>{"66:0"});
    EXPECT_EQ(song.cell(6, 3, COMMAND_COLUMN, 0), MARK_COMMAND);
    EXPECT_EQ(commandsOf(song, 12).count("21:0"), 22u);
    for (const std::string& entry : commandsOf(song, 12)) {
        EXPECT_TRUE(entry.rfind("37:", 0) == 0 || entry == "21:0") << entry;
    }
}

TEST(SongAsset, Channel7SweepsItsShapeDepth) {
    const Song song;
    std::vector<int> sweep;
    for (const std::uint8_t pattern : {5, 6}) {
        for (std::uint32_t row = 0; row < 32; ++row) {
            if (song.cell(7, pattern, COMMAND_COLUMN, row) != 0) {
                sweep.push_back(song.cell(7, pattern, COMMAND_VALUE_COLUMN, row));
            }
        }
    }
    ASSERT_FALSE(sweep.empty());
    EXPECT_EQ(sweep.front(), 128);
    EXPECT_EQ(sweep.back(), 64);
    const auto lowest = std::min_element(sweep.begin(), sweep.end());
    EXPECT_EQ(*lowest, 51);
    for (auto it = sweep.begin() + 1; it != sweep.end(); ++it) {
        const int step = *it - *(it - 1);
        EXPECT_LE(std::abs(step), 8) << "steps of about 6";
        EXPECT_EQ(step < 0, it <= lowest) << "down to the lowest value, then up";
    }
    // Rows 2 and 6 of pattern 5: note 111 alone, full velocity, shape depth 128 then 121.
    struct Row {
        std::uint32_t row;
        int value;
    };
    for (const Row r : {Row{2, 128}, Row{6, 121}}) {
        EXPECT_EQ(song.cell(7, 5, 0, r.row), 111);
        EXPECT_EQ(song.cell(7, 5, VELOCITY_LENGTH_COLUMN, r.row), 0);
        for (std::uint32_t column = 1; column < NOTE_COLUMNS; ++column) EXPECT_EQ(song.cell(7, 5, column, r.row), 0);
        EXPECT_EQ(song.cell(7, 5, COMMAND_COLUMN, r.row), 40);
        EXPECT_EQ(song.cell(7, 5, COMMAND_VALUE_COLUMN, r.row), r.value);
    }
}

}  // namespace
