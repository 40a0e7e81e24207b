// Row processor: effect commands, note columns with strum, notes rendered
// to their ends across rows, lastActiveRow, and the safe reading of bad data.
#include "row_processor.h"

#include <gtest/gtest.h>

#include <vector>

#include "song_fixture.h"
#include "voice.h"

namespace {

struct ChannelRender {
    std::vector<double> samples;
    std::uint16_t lastActiveRow = 0;
    double left(std::uint32_t frame) const { return samples[2 * std::size_t{frame}]; }
    double right(std::uint32_t frame) const { return samples[2 * std::size_t{frame} + 1]; }
};

// Processes the first `rows` rows of a channel as the front ends do.
ChannelRender renderRows(TestSong& song, std::uint8_t channel, std::uint32_t rows) {
    ChannelRender render;
    render.samples.assign(song.bufferElements(), 0.0);
    ChannelPlayer player = makeChannelPlayer(song.header, channel);
    for (std::uint32_t i = 0; i < rows; ++i) {
        processRow(player, render.samples.data(), render.lastActiveRow);
        player.rowStart += song.header.samplesPerRow;
        ++player.row;
    }
    return render;
}

std::uint32_t firstSoundingFrame(const ChannelRender& render) {
    std::uint32_t frame = 0;
    while (render.left(frame) == 0.0) ++frame;
    return frame;
}

// One channel, two orders of four rows of 1000 frames, a plain sine.
TestSong shortSong() {
    TestSong song(1, 2, 4, 1000);
    setPlainSine(song.instrument(0));
    song.order(0, 0, 1);
    return song;
}

TEST(RowProcessor, EmptyOrderEntryKeepsEarlierVoiceAndEffectsRinging) {
    TestSong song = shortSong();
    song.instrument(0)[SUSTAIN_LENGTH] = 45;  // 8,100 samples: rings through order 1
    song.instrument(0)[ECHO_GAIN] = 100;
    song.instrument(0)[ECHO_DISTANCE] = 2;
    song.note(0, 1, 3, 0, 120);
    const ChannelRender render = renderRows(song, 0, 8);
    for (const std::uint32_t frame : {4500u, 6500u, 7900u}) {
        EXPECT_NE(render.left(frame), 0.0) << frame;
        EXPECT_NE(render.right(frame), 0.0) << frame;  // only the channel effects write the right side
    }
}

TEST(RowProcessor, LaterCommandReachesTheSoundingNoteThroughParamsOnly) {
    TestSong reference = shortSong();
    reference.instrument(0)[SUSTAIN_LENGTH] = 45;
    reference.note(0, 1, 0, 0, 120);
    TestSong song = reference;
    song.header.songData = song.data.data();
    song.command(0, 1, 3, OSC1_LEVEL + 1, 128);  // oscillator 1 level from row 3 on

    const ChannelRender plain = renderRows(reference, 0, 8);
    ChannelRender render;
    render.samples.assign(song.bufferElements(), 0.0);
    ChannelPlayer player = makeChannelPlayer(song.header, 0);
    for (std::uint32_t row = 0; row < 8; ++row) {
        processRow(player, render.samples.data(), render.lastActiveRow);
        // The block takes the command only when row 3 itself is processed.
        EXPECT_EQ(song.instrument(0)[OSC1_LEVEL], row < 3 ? 255 : 128) << row;
        player.rowStart += 1000;
        ++player.row;
    }
    for (std::uint32_t frame = 0; frame < 3000; ++frame) ASSERT_EQ(render.left(frame), plain.left(frame)) << frame;
    const double level = 128.0f / 255.0f;
    for (std::uint32_t frame = 3000; frame < 8000; frame += 7) {
        ASSERT_NEAR(render.left(frame), plain.left(frame) * level, 1e-12) << frame;
    }
}

TEST(RowProcessor, MarkCommandMovesTheTimeOriginOfLfo2) {
    // LFO 2 sways oscillator 1's level at 1/8 cycle per row. Two equal notes
    // three rows apart sound alike only when a mark restarts LFO 2's time.
    for (const bool marked : {true, false}) {
        TestSong song = shortSong();
        std::uint8_t* instrument = song.instrument(0);
        instrument[LFO2_WAVE] = 7;
        instrument[LFO2_RATE] = 5;
        instrument[OSC1_AMP_SOURCE] = MOD_LFO2;
        instrument[OSC1_AMP_DEPTH] = 192;
        song.note(0, 1, 0, 0, 130);
        song.note(0, 1, 3, 0, 130);
        if (marked) song.command(0, 1, 3, MARK_COMMAND);
        const ChannelRender render = renderRows(song, 0, 8);
        EXPECT_EQ(readMarkPosition(instrument), marked ? 3000u : 0u);
        bool alike = true;
        for (std::uint32_t frame = 0; frame < 2800; ++frame) alike = alike && render.left(frame) == render.left(frame + 3000);
        EXPECT_EQ(alike, marked);
    }
}

TEST(RowProcessor, MarkInALaterRowReachesParamsButNotTheBlock) {
    TestSong song = shortSong();
    song.command(0, 1, 2, MARK_COMMAND);
    ChannelPlayer player = makeChannelPlayer(song.header, 0);
    player.row = 2;
    player.rowStart = 2000;
    applyEffectCommand(player, EffectTarget::Params);
    EXPECT_EQ(readMarkPosition(player.params), 2000u);
    EXPECT_EQ(readMarkPosition(song.instrument(0)), 0u);
}

TEST(RowProcessor, StrumDelaysNoteColumns) {
    struct Case {
        std::uint8_t strum;
        std::uint32_t column;
        std::uint32_t startFrame;
    };
    const Case cases[] = {
        {100, 0, 0},     {100, 1, 1013}, {100, 2, 2026}, {100, 3, 3040},
        {255, 1, 2584},  // half a row
        {255, 2, 5168},  // exactly a row: starts at the next row boundary
        {255, 3, 5168},  // past a row: also the next boundary, its clock not yet advanced
    };
    for (const Case& c : cases) {
        TestSong song(1, 1, 4, 5168);
        setPlainSine(song.instrument(0));
        song.instrument(0)[ATTACK_LENGTH] = 0;  // full level from the note's first sample
        song.instrument(0)[STRUM] = c.strum;
        song.order(0, 0, 1);
        song.note(0, 1, 0, c.column, 132);
        const ChannelRender render = renderRows(song, 0, 4);
        EXPECT_EQ(firstSoundingFrame(render), c.startFrame) << int{c.strum} << "/" << c.column;

        // The same note rendered in one call from its start frame.
        VoiceState voice{};
        voice.note = 132;
        voice.gain = 1.0;
        voice.releaseLevel = 1.0f;
        std::vector<double> direct(render.samples.size(), 0.0);
        std::uint8_t params[PARAMS_WORKING_SIZE] = {};
        std::copy_n(song.instrument(0), INSTRUMENT_SIZE, params);
        setEngineRowLength(5168);
        renderVoice(direct.data() + 2 * c.startFrame, params, voice, 4 * 5168 - static_cast<std::int32_t>(c.startFrame),
                    static_cast<std::int32_t>(c.startFrame));
        for (std::uint32_t frame = 0; frame < 4 * 5168; ++frame) {
            ASSERT_EQ(render.left(frame), direct[2 * frame]) << int{c.strum} << "/" << c.column << " " << frame;
        }
    }
}

TEST(RowProcessor, LastActiveRowFollowsTheNotes) {
    struct Case {
        const char* what;
        std::uint8_t sustain;
        std::uint8_t velocityLength;
        std::uint32_t noteRow;
        std::uint16_t expected;
    };
    const Case cases[] = {
        {"note ending in its own row", 1, 0x00, 2, 3},
        {"silent velocity step 15", 1, 0xF0, 2, 3},
        {"note cut at the song's end", 255, 0x00, 6, 8},
    };
    for (const Case& c : cases) {
        TestSong song = shortSong();
        std::uint8_t* instrument = song.instrument(0);
        instrument[ATTACK_LENGTH] = instrument[DECAY_LENGTH] = instrument[RELEASE_LENGTH] = 1;
        instrument[SUSTAIN_LENGTH] = c.sustain;
        song.order(0, 1, 1);
        song.note(0, 1, c.noteRow % 4, 0, 120, c.velocityLength);
        const ChannelRender render = renderRows(song, 0, c.noteRow + 1);
        EXPECT_EQ(render.lastActiveRow, c.expected) << c.what;
    }
}

TEST(RowProcessor, BadCommandsAndOrderEntriesAreIgnored) {
    // The channel is the song's last, so that a read or write past its block
    // would leave the song data.
    TestSong song(2, 2, 4, 1000, 2);
    setPlainSine(song.instrument(1));
    song.order(1, 0, 1);
    song.order(1, 1, 200);  // far past the two patterns
    song.note(1, 1, 0, 0, 120);
    song.command(1, 1, 0, 70, 99);   // would write the first order entry
    song.command(1, 1, 1, 255, 99);
    const std::vector<std::uint8_t> before = song.data;
    const ChannelRender render = renderRows(song, 1, 8);
    EXPECT_EQ(song.data, before);
    EXPECT_EQ(render.lastActiveRow, 3);  // the note of order 0 alone: nothing plays in order 1
    for (std::uint32_t frame = 4000; frame < 8000; ++frame) ASSERT_EQ(render.left(frame), 0.0) << frame;
}

}  // namespace
