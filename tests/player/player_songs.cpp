// Small songs for the player's tests.
#include "player_songs.h"

TestSong makePlayerSong(const PlayerSongShape& shape) {
    TestSong song(shape.channelCount, shape.orderLength, shape.rowsPerPattern, shape.samplesPerRow, 1);
    song.header.startOrder = shape.startOrder;
    song.header.endOrder = shape.endOrder;
    song.header.songFrames = shape.songFrames;
    deriveSongSizes(song.header);

    for (std::uint32_t channel = 0; channel < shape.channelCount; ++channel) {
        setPlainSine(song.instrument(channel));
        song.instrument(channel)[CHANNEL_GAIN] = 200;  // (200 / 128)^2: loud enough to drive the compressor
        for (std::uint32_t position = 0; position < shape.orderLength; ++position) song.order(channel, position, 1);
        // A note every other row, at full velocity for two rows, one pitch per channel.
        for (std::uint32_t row = 0; row < shape.rowsPerPattern; row += 2) {
            song.note(channel, 1, row, 0, static_cast<std::uint8_t>(132 + 7 * channel + row), 0x02);
        }
    }
    return song;
}

PlayerSongShape fadingSongShape() {
    // The fade runs from interleaved sample 120 x 400 + 88,200 (frame
    // 68,100, row 681) to 128 x 400 + 88,200 (frame 69,700, row 697).
    PlayerSongShape shape;
    shape.orderLength = 175;
    shape.endOrder = 175;
    shape.songFrames = 175 * 4 * 100 - 36;
    return shape;
}
