// The text format of songs: a plain-text file a musician can read, edit and diff.
//
// It holds the header values, every channel's instrument one byte per line
// under readable names, its order list, and every pattern as tracker rows
// (row number, four notes with their velocity/length, effect command and
// value). Formatting a valid block and parsing the text back gives the very
// same bytes. docs/song-format.md describes the format for its readers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "song.h"
#include "song_check.h"

// Every text song begins with this line; a file that does not is a raw block.
inline constexpr std::string_view SONG_TEXT_MAGIC = "mivo-song";
inline constexpr std::uint32_t SONG_TEXT_VERSION = 1;

bool isSongText(std::string_view contents);

// Note names: a letter A..G, an optional '#', and an octave (which may be
// negative). Note 144 is A4 (440 Hz), note 120 is A2 (110 Hz); note values
// 1..255 run from A#-8 to C14.
std::string noteName(std::uint8_t note);
// The note value a name stands for, which may lie outside 1..255; nothing
// when the name is malformed.
std::optional<int> noteValueOfName(std::string_view name);

// Line and column (both from 1) of a value in a text song; line 0 = nowhere.
struct TextPlace {
    std::uint32_t line = 0;
    std::uint32_t column = 0;
};

class SongTextError : public std::runtime_error {
public:
    SongTextError(TextPlace where, const std::string& message) : std::runtime_error(message), place(where) {}
    TextPlace place;
};

struct TextSong {
    HeaderValues header{};  // checked: checkHeaderValues finds nothing
    std::array<TextPlace, HEADER_FIELD_COUNT> headerPlaces{};
    std::vector<std::uint8_t> data;     // SongData, songDataSize bytes
    std::vector<TextPlace> dataPlaces;  // where each byte of data was written
};

// Reads a whole text song. Throws SongTextError at the first thing that is
// not the format: unknown names, malformed notes, values out of 0..255,
// duplicate or missing sections and fields, header values that make no song.
// The bytes themselves are checked by checkSongData.
TextSong parseSongText(std::string_view text);

std::string formatSongText(const SongHeader& song, const std::uint8_t* data);
