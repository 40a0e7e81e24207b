// Song layout and timing: the compiled-in header and the addressing of
// channel blocks, order lists and pattern bytes.
#include "song.h"

#include <cstdlib>
#include <cstring>
#include <new>

SongHeader compiledInSongHeader() {
    SongHeader song{};
    song.channelCount = 15;
    song.orderLength = 64;
    song.patternsPerChannel = 6;
    song.spareByte = 61;
    song.rowsPerPattern = 32;
    song.samplesPerRow = 5168;
    song.startOrder = 0;
    song.endOrder = 64;
    song.firstChannel = 0;
    song.channelEnd = 15;
    song.songFrames = 10584000;
    deriveSongSizes(song);
    song.songData = nullptr;
    return song;
}

void deriveSongSizes(SongHeader& song) {
    song.patternSize = PATTERN_COLUMNS * song.rowsPerPattern;
    song.channelBlockSize = INSTRUMENT_SIZE + song.orderLength + song.patternsPerChannel * song.patternSize;
    song.songDataSize = song.channelCount * song.channelBlockSize;
    song.songSamples = 2 * song.songFrames;
}

void copySongData(SongHeader& song, const std::uint8_t* embedded) {
    auto* copy = static_cast<std::uint8_t*>(std::malloc(song.songDataSize > 0 ? song.songDataSize : 1));
    if (copy == nullptr) throw std::bad_alloc();
    std::memcpy(copy, embedded, song.songDataSize);
    song.songData = copy;
}

void releaseSongData(SongHeader& song) {
    std::free(song.songData);
    song.songData = nullptr;
}

std::uint32_t firstSongRow(const SongHeader& song) {
    return std::uint32_t{song.startOrder} * song.rowsPerPattern;
}

std::uint32_t endSongRow(const SongHeader& song) {
    return std::uint32_t{song.endOrder} * song.rowsPerPattern;
}

std::uint32_t patternFrames(const SongHeader& song) {
    return std::uint32_t{song.samplesPerRow} * song.rowsPerPattern;
}

std::uint32_t renderedFrames(const SongHeader& song) {
    return (endSongRow(song) - firstSongRow(song)) * song.samplesPerRow;
}

std::uint32_t channelBufferFrames(const SongHeader& song) {
    const std::uint32_t rendered = renderedFrames(song);
    return rendered > song.songFrames ? rendered : song.songFrames;
}

std::uint8_t* channelBlock(const SongHeader& song, std::uint32_t channel) {
    return song.songData + channel * song.channelBlockSize;
}

std::uint8_t orderEntry(const SongHeader& song, std::uint32_t channel, std::uint32_t songRow) {
    const std::uint32_t position = songRow / song.rowsPerPattern;
    const std::uint8_t entry = channelBlock(song, channel)[INSTRUMENT_SIZE + position];
    return entry <= song.patternsPerChannel ? entry : 0;
}

std::uint8_t patternByte(const SongHeader& song, std::uint32_t channel, std::uint8_t pattern,
                         std::uint32_t column, std::uint32_t songRow) {
    const std::uint32_t rowInPattern = songRow % song.rowsPerPattern;
    const std::uint32_t offset = INSTRUMENT_SIZE + song.orderLength + (pattern - 1u) * song.patternSize +
                                 column * song.rowsPerPattern + rowInPattern;
    return channelBlock(song, channel)[offset];
}
