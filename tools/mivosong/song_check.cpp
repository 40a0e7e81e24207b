// Song validation: header values, block size, instruments, order lists and patterns.
#include "song_check.h"

#include <limits>

#include "instrument_text.h"

const std::array<const char*, HEADER_FIELD_COUNT> HEADER_FIELD_NAMES = {
    "channels", "order-length", "patterns",      "spare-byte",  "rows",   "samples-per-row",
    "start-order", "end-order", "first-channel", "channel-end", "frames",
};

namespace {

constexpr std::uint64_t U8_MAX = std::numeric_limits<std::uint8_t>::max();
constexpr std::uint64_t U16_MAX = std::numeric_limits<std::uint16_t>::max();
constexpr std::uint64_t U32_MAX = std::numeric_limits<std::uint32_t>::max();

// Bytes per frame of a ChannelBuffer (stereo doubles), the largest buffer a
// render needs per frame, and room for the header of a stem file: together
// they bound the frames a song may have with 32-bit sizes.
constexpr std::uint64_t CHANNEL_BUFFER_FRAME_BYTES = 16;
constexpr std::uint64_t FILE_HEADER_ROOM = 64;

std::uint64_t fieldLimit(HeaderField field) {
    if (field == HEADER_SAMPLES_PER_ROW) return U16_MAX;
    if (field == HEADER_FRAMES) return U32_MAX;
    return U8_MAX;
}

std::string range(std::uint64_t low, std::uint64_t high) {
    return std::to_string(low) + ".." + std::to_string(high);
}

std::string foundAllowed(std::uint64_t found, const std::string& allowed) {
    return "found " + std::to_string(found) + ", allowed " + allowed;
}

SongProblem headerProblem(HeaderField field, std::uint64_t found, const std::string& allowed) {
    return {ProblemPlace::HEADER_FIELD, field, foundAllowed(found, allowed)};
}

// Ranges of the single values; nothing else is checked while one is off.
std::vector<SongProblem> checkFieldWidths(const HeaderValues& values) {
    std::vector<SongProblem> problems;
    for (std::uint32_t field = 0; field < HEADER_FIELD_COUNT; ++field) {
        const auto name = static_cast<HeaderField>(field);
        const std::uint64_t low = name == HEADER_ROWS || name == HEADER_SAMPLES_PER_ROW ? 1 : 0;
        if (values[field] < low || values[field] > fieldLimit(name)) {
            problems.push_back(headerProblem(name, values[field], range(low, fieldLimit(name))));
        }
    }
    return problems;
}

// Where a pattern byte lies: the offset within the pattern area of its block.
struct PatternPlace {
    std::uint32_t pattern;  // 1-based
    std::uint32_t column;
    std::uint32_t row;
};

PatternPlace patternPlace(const SongHeader& song, std::uint32_t offsetInPatterns) {
    const std::uint32_t withinPattern = offsetInPatterns % song.patternSize;
    return {offsetInPatterns / song.patternSize + 1, withinPattern / song.rowsPerPattern,
            withinPattern % song.rowsPerPattern};
}

std::string columnName(std::uint32_t column) {
    if (column < NOTE_COLUMNS) return "note " + std::to_string(column + 1);
    if (column < COMMAND_COLUMN) return "velocity/length " + std::to_string(column - NOTE_COLUMNS + 1);
    return column == COMMAND_COLUMN ? "effect command" : "effect value";
}

void checkInstrument(const std::uint8_t* block, std::uint32_t blockOffset, std::vector<SongProblem>& problems) {
    for (std::uint32_t offset = 0; offset < INSTRUMENT_SIZE; ++offset) {
        const std::uint8_t limit = instrumentByteLimit(offset);
        if (block[offset] > limit) {
            problems.push_back({ProblemPlace::SONG_BYTE, blockOffset + offset, foundAllowed(block[offset], range(0, limit))});
        }
    }
}

void checkOrderList(const SongHeader& song, const std::uint8_t* block, std::uint32_t blockOffset,
                    std::vector<SongProblem>& problems) {
    for (std::uint32_t position = 0; position < song.orderLength; ++position) {
        const std::uint8_t entry = block[INSTRUMENT_SIZE + position];
        if (entry > song.patternsPerChannel) {
            problems.push_back({ProblemPlace::SONG_BYTE, blockOffset + INSTRUMENT_SIZE + position,
                                foundAllowed(entry, range(0, song.patternsPerChannel) + " (0 = no pattern)")});
        }
    }
}

// An effect command must address a byte of the instrument, and what it
// writes there must be a value that byte may hold.
void checkEffect(const std::uint8_t* commandByte, const std::uint8_t* valueByte, std::uint32_t commandOffset,
                 std::uint32_t valueOffset, std::vector<SongProblem>& problems) {
    const std::uint8_t command = *commandByte;
    if (command > HIGHEST_EFFECT_COMMAND) {
        problems.push_back({ProblemPlace::SONG_BYTE, commandOffset,
                            foundAllowed(command, range(0, HIGHEST_EFFECT_COMMAND) + " (instrument byte + 1)")});
        return;
    }
    if (command == 0 || command == MARK_COMMAND) return;
    const std::uint32_t target = command - 1u;
    const std::uint8_t limit = instrumentByteLimit(target);
    if (*valueByte > limit) {
        problems.push_back({ProblemPlace::SONG_BYTE, valueOffset,
                            foundAllowed(*valueByte, range(0, limit) + " for " + INSTRUMENT_FIELD_NAMES[target])});
    }
}

void checkPatterns(const SongHeader& song, const std::uint8_t* block, std::uint32_t blockOffset,
                   std::vector<SongProblem>& problems) {
    const std::uint32_t patternsStart = INSTRUMENT_SIZE + song.orderLength;
    for (std::uint32_t pattern = 0; pattern < song.patternsPerChannel; ++pattern) {
        const std::uint32_t commands = patternsStart + pattern * song.patternSize + COMMAND_COLUMN * song.rowsPerPattern;
        const std::uint32_t values = commands + song.rowsPerPattern;
        for (std::uint32_t row = 0; row < song.rowsPerPattern; ++row) {
            checkEffect(block + commands + row, block + values + row, blockOffset + commands + row,
                        blockOffset + values + row, problems);
        }
    }
}

}  // namespace

HeaderValues headerValuesOf(const SongHeader& song) {
    return {song.channelCount, song.orderLength,  song.patternsPerChannel, song.spareByte,
            song.rowsPerPattern, song.samplesPerRow, song.startOrder,       song.endOrder,
            song.firstChannel, song.channelEnd,   song.songFrames};
}

std::uint64_t framesCoveredByRows(const HeaderValues& values) {
    const std::uint64_t orders = values[HEADER_END_ORDER] > values[HEADER_START_ORDER]
                                     ? values[HEADER_END_ORDER] - values[HEADER_START_ORDER]
                                     : 0;
    return orders * values[HEADER_ROWS] * values[HEADER_SAMPLES_PER_ROW];
}

std::vector<SongProblem> checkHeaderValues(const HeaderValues& values) {
    std::vector<SongProblem> problems = checkFieldWidths(values);
    if (!problems.empty()) return problems;

    const std::uint64_t endOrder = values[HEADER_END_ORDER];
    if (values[HEADER_START_ORDER] >= endOrder) {
        problems.push_back(headerProblem(HEADER_START_ORDER, values[HEADER_START_ORDER],
                                         endOrder == 0 ? "none: end-order is 0"
                                                       : range(0, endOrder - 1) + " (below end-order)"));
    }
    if (endOrder > values[HEADER_ORDER_LENGTH]) {
        problems.push_back(headerProblem(HEADER_END_ORDER, endOrder, range(1, values[HEADER_ORDER_LENGTH]) + " (the order length)"));
    }
    if (values[HEADER_CHANNEL_END] > values[HEADER_CHANNELS]) {
        problems.push_back(headerProblem(HEADER_CHANNEL_END, values[HEADER_CHANNEL_END],
                                         range(0, values[HEADER_CHANNELS]) + " (the channel count)"));
    }
    if (!problems.empty()) return problems;

    // Every buffer and file size is a 32-bit byte count; the channel buffer,
    // which holds every frame the rows reach, is the largest.
    const std::uint64_t covered = framesCoveredByRows(values);
    const std::uint64_t frameLimit = (U32_MAX - FILE_HEADER_ROOM) / CHANNEL_BUFFER_FRAME_BYTES;
    if (covered > frameLimit) {
        problems.push_back({ProblemPlace::HEADER_FIELD, HEADER_SAMPLES_PER_ROW,
                            "the rows cover " + std::to_string(covered) + " frames, allowed at most " +
                                std::to_string(frameLimit) + " (32-bit buffer and file sizes)"});
    }
    if (values[HEADER_FRAMES] > covered) {
        problems.push_back(headerProblem(HEADER_FRAMES, values[HEADER_FRAMES],
                                         range(0, covered) + " (the frames the rows cover)"));
    }
    return problems;
}

SongHeader songHeaderFrom(const HeaderValues& values) {
    SongHeader song{};
    song.channelCount = static_cast<std::uint8_t>(values[HEADER_CHANNELS]);
    song.orderLength = static_cast<std::uint8_t>(values[HEADER_ORDER_LENGTH]);
    song.patternsPerChannel = static_cast<std::uint8_t>(values[HEADER_PATTERNS]);
    song.spareByte = static_cast<std::uint8_t>(values[HEADER_SPARE_BYTE]);
    song.rowsPerPattern = static_cast<std::uint8_t>(values[HEADER_ROWS]);
    song.samplesPerRow = static_cast<std::uint16_t>(values[HEADER_SAMPLES_PER_ROW]);
    song.startOrder = static_cast<std::uint8_t>(values[HEADER_START_ORDER]);
    song.endOrder = static_cast<std::uint8_t>(values[HEADER_END_ORDER]);
    song.firstChannel = static_cast<std::uint8_t>(values[HEADER_FIRST_CHANNEL]);
    song.channelEnd = static_cast<std::uint8_t>(values[HEADER_CHANNEL_END]);
    song.songFrames = static_cast<std::uint32_t>(values[HEADER_FRAMES]);
    deriveSongSizes(song);
    song.songData = nullptr;
    return song;
}

std::vector<SongProblem> checkSongData(const SongHeader& song, const std::uint8_t* data, std::uint64_t size) {
    if (size != song.songDataSize) {
        return {{ProblemPlace::SONG_SIZE, 0,
                 "found " + std::to_string(size) + " bytes, the header describes " + std::to_string(song.songDataSize) +
                     " (" + std::to_string(song.channelCount) + " x " + std::to_string(song.channelBlockSize) +
                     "-byte channel blocks)"}};
    }
    std::vector<SongProblem> problems;
    for (std::uint32_t channel = 0; channel < song.channelCount; ++channel) {
        const std::uint32_t blockOffset = channel * song.channelBlockSize;
        const std::uint8_t* block = data + blockOffset;
        checkInstrument(block, blockOffset, problems);
        checkOrderList(song, block, blockOffset, problems);
        checkPatterns(song, block, blockOffset, problems);
    }
    return problems;
}

std::string songByteName(const SongHeader& song, std::uint32_t offset) {
    const std::uint32_t channel = offset / song.channelBlockSize;
    const std::uint32_t inBlock = offset % song.channelBlockSize;
    const std::string channelName = "channel " + std::to_string(channel);
    if (inBlock < INSTRUMENT_SIZE) return channelName + ", instrument " + INSTRUMENT_FIELD_NAMES[inBlock];
    const std::uint32_t patternsStart = INSTRUMENT_SIZE + song.orderLength;
    if (inBlock < patternsStart) return channelName + ", order position " + std::to_string(inBlock - INSTRUMENT_SIZE);
    const PatternPlace place = patternPlace(song, inBlock - patternsStart);
    return channelName + ", pattern " + std::to_string(place.pattern) + ", row " + std::to_string(place.row) + ", " +
           columnName(place.column);
}
