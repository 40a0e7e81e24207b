// Small songs for the player's tests.
#include "test_song.h"

#include "instrument.h"

namespace {

// A loud sine with a short envelope; oscillator 2, filter, echo and reverb off.
void writeSineInstrument(std::uint8_t* block) {
    block[OSC1_WAVE] = 7;  // sine
    block[OSC1_LEVEL] = 255;
    block[ATTACK_LENGTH] = 3;
    block[DECAY_LENGTH] = 3;
    block[SUSTAIN_LENGTH] = 12;
    block[RELEASE_LENGTH] = 6;
    block[CHANNEL_GAIN] = 200;  // (200 / 128)^2, loud enough to drive the compressor
    block[PAN_DEPTH] = 128;
    block[SUSTAIN_LEVEL] = 255;
    block[FILTER_MODE] = 0;
    block[OSC1_SHAPE_OFFSET] = 128;
    block[OSC2_SHAPE_OFFSET] = 128;
    block[OSC1_SHAPE_DEPTH] = 128;
    block[OSC2_SHAPE_DEPTH] = 128;
    block[OSC1_AMP_DEPTH] = 128;
    block[DAMPING_DEPTH] = 128;
    block[COMBINE_MODE] = 5;  // oscillator 2 off
}

// Pattern 1: a note in column 0 every other row, at full velocity for two
// rows, one pitch per channel.
void writePattern(const SongHeader& song, std::uint32_t channel) {
    std::uint8_t* pattern = channelBlock(song, channel) + INSTRUMENT_SIZE + song.orderLength;
    for (std::uint32_t row = 0; row < song.rowsPerPattern; row += 2) {
        pattern[row] = static_cast<std::uint8_t>(132 + 7 * channel + row);
        pattern[VELOCITY_LENGTH_COLUMN * song.rowsPerPattern + row] = 0x02;
    }
}

}  // namespace

TestSong makeTestSong(const TestSongShape& shape) {
    TestSong song{};
    SongHeader& header = song.header;
    header.channelCount = shape.channelCount;
    header.orderLength = shape.orderLength;
    header.patternsPerChannel = 1;
    header.rowsPerPattern = shape.rowsPerPattern;
    header.samplesPerRow = shape.samplesPerRow;
    header.startOrder = shape.startOrder;
    header.endOrder = shape.endOrder;
    header.firstChannel = 0;
    header.channelEnd = shape.channelCount;
    header.songFrames = shape.songFrames;
    deriveSongSizes(header);

    song.data.assign(header.songDataSize, 0);
    header.songData = song.data.data();
    for (std::uint32_t channel = 0; channel < header.channelCount; ++channel) {
        std::uint8_t* block = channelBlock(header, channel);
        writeSineInstrument(block);
        for (std::uint32_t order = 0; order < header.orderLength; ++order) block[INSTRUMENT_SIZE + order] = 1;
        writePattern(header, channel);
    }
    return song;
}

TestSongShape fadingTestSong() {
    // The fade runs from interleaved sample 120 x 400 + 88,200 (frame
    // 68,100, row 681) to 128 x 400 + 88,200 (frame 69,700, row 697).
    TestSongShape shape;
    shape.rowsPerPattern = 4;
    shape.samplesPerRow = 100;
    shape.orderLength = 175;
    shape.endOrder = 175;
    shape.songFrames = 175 * 4 * 100 - 36;
    return shape;
}
