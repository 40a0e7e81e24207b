// Small songs built inside the tests: a header and a zeroed block with
// helpers to place instruments, order entries, notes and commands.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "instrument.h"
#include "song.h"
#include "voice_fixture.h"

struct TestSong {
    SongHeader header{};
    std::vector<std::uint8_t> data;

    TestSong(std::uint8_t channels, std::uint8_t orders, std::uint8_t rowsPerPattern, std::uint16_t samplesPerRow,
             std::uint8_t patternsPerChannel = 6) {
        header.channelCount = channels;
        header.orderLength = orders;
        header.patternsPerChannel = patternsPerChannel;
        header.rowsPerPattern = rowsPerPattern;
        header.samplesPerRow = samplesPerRow;
        header.startOrder = 0;
        header.endOrder = orders;
        header.firstChannel = 0;
        header.channelEnd = channels;
        header.songFrames = std::uint32_t{orders} * rowsPerPattern * samplesPerRow;
        deriveSongSizes(header);
        data.assign(header.songDataSize, 0);
        header.songData = data.data();
    }

    std::uint8_t* instrument(std::uint32_t channel) { return channelBlock(header, channel); }

    void order(std::uint32_t channel, std::uint32_t position, std::uint8_t pattern) {
        instrument(channel)[INSTRUMENT_SIZE + position] = pattern;
    }

    std::uint8_t& cell(std::uint32_t channel, std::uint8_t pattern, std::uint32_t column, std::uint32_t row) {
        return instrument(channel)[INSTRUMENT_SIZE + header.orderLength + (pattern - 1u) * header.patternSize +
                                   column * header.rowsPerPattern + row];
    }

    void note(std::uint32_t channel, std::uint8_t pattern, std::uint32_t row, std::uint32_t column,
              std::uint8_t value, std::uint8_t velocityLength = 0) {
        cell(channel, pattern, column, row) = value;
        cell(channel, pattern, 4 + column, row) = velocityLength;
    }

    void command(std::uint32_t channel, std::uint8_t pattern, std::uint32_t row, std::uint8_t command,
                 std::uint8_t value = 0) {
        cell(channel, pattern, 8, row) = command;
        cell(channel, pattern, 9, row) = value;
    }

    // Frames of the channel buffers this song needs.
    std::size_t bufferElements() const { return 2 * std::size_t{channelBufferFrames(header)}; }
};

// A plain sine voice with neutral channel effects: no filter output, no
// drive, oscillator 2 off, gain 1, no pan movement, no reverb or echo. With
// these settings the channel's left and right output equal the voice's sum.
inline void setPlainSine(std::uint8_t* instrument) {
    const InstrumentBytes neutral = neutralInstrument(WAVE_SINE);
    std::copy_n(neutral.begin(), INSTRUMENT_SIZE, instrument);
    instrument[ATTACK_LENGTH] = 10;
    instrument[DECAY_LENGTH] = 10;
    instrument[SUSTAIN_LENGTH] = 20;
    instrument[RELEASE_LENGTH] = 10;
    instrument[CHANNEL_GAIN] = 128;
    instrument[PAN_DEPTH] = 128;
}
