// Song validation: everything that must hold before a song is rendered.
//
// A song arrives as header values (from a text song's [song] section or from
// command-line options) and a SongData block. The checks here find header
// values that make no song, a block whose size does not match its header, and
// bytes that would make rendering index past its tables or its data: order
// entries above the pattern count, effect commands past the instrument,
// waveform and modulation-source numbers out of range (also when an effect
// command writes them). Each problem names where it lies, what was found and
// what is allowed; the caller turns the place into file terms.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "song.h"

// The header values a song file gives, in the order of SongHeader. The sizes
// (patternSize, channelBlockSize, songDataSize, songSamples) follow from them.
enum HeaderField : std::uint32_t {
    HEADER_CHANNELS,
    HEADER_ORDER_LENGTH,
    HEADER_PATTERNS,
    HEADER_SPARE_BYTE,
    HEADER_ROWS,
    HEADER_SAMPLES_PER_ROW,
    HEADER_START_ORDER,
    HEADER_END_ORDER,
    HEADER_FIRST_CHANNEL,
    HEADER_CHANNEL_END,
    HEADER_FRAMES,
    HEADER_FIELD_COUNT,
};

// "channels", "order-length", ...: the names used in text songs and, with
// "--" in front, as command-line options.
extern const std::array<const char*, HEADER_FIELD_COUNT> HEADER_FIELD_NAMES;

// Values as read, wider than the header's fields so that a value too large
// for its field can be reported rather than wrapped.
using HeaderValues = std::array<std::uint64_t, HEADER_FIELD_COUNT>;

HeaderValues headerValuesOf(const SongHeader& song);

// The frames that rows startOrder .. endOrder - 1 cover.
std::uint64_t framesCoveredByRows(const HeaderValues& values);

enum class ProblemPlace {
    HEADER_FIELD,  // index: a HeaderField
    SONG_BYTE,     // index: byte offset in SongData
    SONG_SIZE,     // the block as a whole
};

struct SongProblem {
    ProblemPlace place;
    std::uint32_t index;
    std::string message;  // "found 9, allowed 0..5 (a modulation source)"
};

std::vector<SongProblem> checkHeaderValues(const HeaderValues& values);

// The header of checked values, with the sizes derived and songData null.
SongHeader songHeaderFrom(const HeaderValues& values);

// Checks a block against a valid header: its size, then every instrument,
// order list and pattern, including patterns that no order entry refers to.
std::vector<SongProblem> checkSongData(const SongHeader& song, const std::uint8_t* data, std::uint64_t size);

// Where a byte of SongData lies, in the terms of the layout: "channel 3,
// pattern 2, row 5, effect command" or "channel 0, instrument cutoff-source".
std::string songByteName(const SongHeader& song, std::uint32_t offset);
