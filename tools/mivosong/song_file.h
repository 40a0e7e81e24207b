// Song files: reading a raw block or a text song, checked, into memory.
//
// A text song carries its own header. A raw SongData block takes its header
// from command-line options, with the compiled-in song's header as default;
// once any option is given, the frames default to those the rows cover.
// Problems come back as messages that name the file and the place: line
// and column in a text song; channel, byte offset and field in a block.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "song.h"
#include "song_check.h"

// Header values given on the command line, by field; spare-byte has no option.
using HeaderOptions = std::array<std::optional<std::uint64_t>, HEADER_FIELD_COUNT>;

struct SongFile {
    std::string path;
    bool isText = false;
    SongHeader header{};             // valid; songData stays null
    std::vector<std::uint8_t> data;  // SongData, header.songDataSize bytes, valid
};

// Everything wrong with a song file, one message per line, each beginning
// with the file's name.
class SongFileError : public std::runtime_error {
public:
    explicit SongFileError(const std::vector<std::string>& messages);
    std::vector<std::string> messages;
};

// Reads and checks a song. Throws SongFileError when the file cannot be read
// (with the system's reason) or holds no valid song.
SongFile loadSongFile(const std::string& path, const HeaderOptions& options);

// The header of a raw block under the given options.
HeaderValues headerValuesForBlock(const HeaderOptions& options);
