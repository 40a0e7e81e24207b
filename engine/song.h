// Song layout and timing.
//
// A song is one block of bytes, SongData, described by a small record of
// constants, SongHeader. SongData holds one ChannelBlock per channel, back to
// back: the channel's 69-byte instrument, its order list (one pattern number
// per order position, 0 = nothing plays) and its patterns. A pattern stores
// PATTERN_COLUMNS columns of rowsPerPattern bytes each, column after column.
// Rendering walks a song row index that counts rows from the song's start;
// this header turns such an index into the bytes of a channel's pattern.
#pragma once

#include <cstdint>

inline constexpr std::int32_t SAMPLE_RATE = 44100;

// Layout of a ChannelBlock: the instrument, then the order list, then the patterns.
inline constexpr std::uint32_t INSTRUMENT_SIZE = 69;

// Pattern columns: four notes, their four velocity/length bytes, the effect
// command and its value.
inline constexpr std::uint32_t PATTERN_COLUMNS = 10;
inline constexpr std::uint32_t NOTE_COLUMNS = 4;
inline constexpr std::uint32_t VELOCITY_LENGTH_COLUMN = 4;
inline constexpr std::uint32_t COMMAND_COLUMN = 8;
inline constexpr std::uint32_t COMMAND_VALUE_COLUMN = 9;

// Effect command 66 ("B") stores the row's frame position in instrument bytes
// 65..68; any other command c writes instrument byte c - 1.
inline constexpr std::uint8_t MARK_COMMAND = 66;
inline constexpr std::uint8_t HIGHEST_EFFECT_COMMAND = 69;

// Note lengths in rows, indexed by the low nibble of a velocity/length byte.
inline constexpr std::uint16_t LENGTH_TABLE[16] = {0, 1, 2, 3, 4, 6, 8, 10, 12, 16, 20, 24, 28, 32, 40, 48};

struct SongHeader {
    std::uint8_t channelCount;
    std::uint8_t orderLength;         // entries in each order list
    std::uint8_t patternsPerChannel;  // patterns stored in each channel block
    std::uint8_t spareByte;           // carries no meaning
    std::uint8_t rowsPerPattern;
    std::uint16_t samplesPerRow;      // frames per row
    std::uint8_t startOrder;          // first order position rendered
    std::uint8_t endOrder;            // order position where rendering stops (exclusive)
    std::uint8_t firstChannel;        // channels firstChannel <= c < channelEnd go to mivo's workers
    std::uint8_t channelEnd;
    std::uint32_t songDataSize;
    std::uint32_t channelBlockSize;
    std::uint32_t patternSize;
    std::uint32_t songFrames;         // frames of output
    std::uint32_t songSamples;        // interleaved samples of output, 2 x songFrames
    std::uint8_t* songData;           // the working copy that rendering reads and writes
};

// The header of the song compiled into mivo and mivoplay; songData is null
// until the entry points it at a working copy.
SongHeader compiledInSongHeader();

// The sizes that follow from the other header fields: patternSize,
// channelBlockSize, songDataSize and songSamples (from songFrames).
void deriveSongSizes(SongHeader& song);

// Copies songDataSize bytes of the embedded song into a new heap block and
// points song.songData at it. Effect commands write into this copy while the
// song plays; the embedded bytes stay unchanged.
void copySongData(SongHeader& song, const std::uint8_t* embedded);
void releaseSongData(SongHeader& song);

// The first row rendered and the row bound (exclusive), as song row indices.
std::uint32_t firstSongRow(const SongHeader& song);
std::uint32_t endSongRow(const SongHeader& song);

// Frames of one pattern, and frames covered by all rows rendered; the latter
// can exceed songFrames (the compiled-in song's last row reaches 64 frames
// past the output).
std::uint32_t patternFrames(const SongHeader& song);
std::uint32_t renderedFrames(const SongHeader& song);

// Frames of a ChannelBuffer: every frame the rows reach, and at least the
// song's output. The tail of the last row thus always has room.
std::uint32_t channelBufferFrames(const SongHeader& song);

// The channel's block inside the working copy; its first INSTRUMENT_SIZE
// bytes are the channel's instrument.
std::uint8_t* channelBlock(const SongHeader& song, std::uint32_t channel);

// The pattern number that the channel's order list holds for a song row.
// Entries above patternsPerChannel would address bytes past the channel's
// patterns; they read as 0, an order position where nothing plays.
std::uint8_t orderEntry(const SongHeader& song, std::uint32_t channel, std::uint32_t songRow);

// The byte of one pattern column at a song row of pattern `pattern` (1-based).
std::uint8_t patternByte(const SongHeader& song, std::uint32_t channel, std::uint8_t pattern,
                         std::uint32_t column, std::uint32_t songRow);
