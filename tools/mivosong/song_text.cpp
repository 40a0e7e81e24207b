// Text songs: formatting a song block as text and parsing it back.
#include "song_text.h"

#include <cstdio>
#include <string>

#include "instrument_text.h"

namespace {

// ---- Note names -------------------------------------------------------------

constexpr const char* PITCH_NAMES[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
constexpr int SEMITONES_PER_OCTAVE = 12;
// Note value of C-1: note 144 is A4, 57 semitones above C-1.
constexpr int NOTE_OF_C_MINUS_1 = 144 - 57 - SEMITONES_PER_OCTAVE;
constexpr std::uint8_t LOWEST_NOTE = 1;
constexpr std::uint8_t HIGHEST_NOTE = 255;

int floorDivide(int value, int divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

// ---- Cells of a pattern row ---------------------------------------------------

constexpr std::string_view NO_NOTE = "---";
constexpr std::string_view NO_COMMAND = "---";
constexpr std::string_view MARK_NAME = "mark";
constexpr std::string_view EMPTY_VELOCITY_LENGTH = "..";
constexpr std::uint32_t ROW_TOKENS = 1 + 2 * NOTE_COLUMNS + 2;
constexpr std::uint32_t ORDER_ENTRIES_PER_LINE = 16;
constexpr std::uint32_t ORDER_GROUP = 4;

constexpr std::uint64_t BYTE_MAX = 255;
constexpr std::size_t LONGEST_NUMBER = 19;  // digits that fit in 64 bits

std::string hexByte(std::uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

std::optional<std::uint8_t> parseHexByte(std::string_view text) {
    if (text.size() != 2) return std::nullopt;
    int value = 0;
    for (char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else return std::nullopt;
        value = value * 16 + digit;
    }
    return static_cast<std::uint8_t>(value);
}

std::optional<std::uint64_t> parseDecimal(std::string_view text) {
    if (text.empty() || text.size() > LONGEST_NUMBER) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// ---- Formatting ---------------------------------------------------------------

void appendLine(std::string& out, const std::string& text, const std::string& comment) {
    out += text;
    if (!comment.empty()) {
        if (text.size() < 28) out.append(28 - text.size(), ' ');
        out += "  # " + comment;
    }
    out += '\n';
}

std::string padded(std::string_view text, std::size_t width) {
    std::string result(text);
    if (result.size() < width) result.append(width - result.size(), ' ');
    return result;
}

std::string headerComment(HeaderField field, const SongHeader& song) {
    char text[80];
    switch (field) {
    case HEADER_PATTERNS:
        return "patterns per channel";
    case HEADER_SPARE_BYTE:
        return "carries no meaning";
    case HEADER_ROWS:
        return "rows per pattern";
    case HEADER_SAMPLES_PER_ROW:
        std::snprintf(text, sizeof text, "frames per row, %.1f ms", song.samplesPerRow * 1000.0 / SAMPLE_RATE);
        return text;
    case HEADER_START_ORDER:
        return "first order position rendered";
    case HEADER_END_ORDER:
        return "rendering stops before this position";
    case HEADER_FIRST_CHANNEL:
        return "channels first-channel .. channel-end - 1 are rendered";
    case HEADER_FRAMES:
        std::snprintf(text, sizeof text, "%.3f s of output", static_cast<double>(song.songFrames) / SAMPLE_RATE);
        return text;
    default:
        return "";
    }
}

void formatHeader(const SongHeader& song, std::string& out) {
    const HeaderValues values = headerValuesOf(song);
    out += "[song]\n";
    for (std::uint32_t field = 0; field < HEADER_FIELD_COUNT; ++field) {
        const auto name = static_cast<HeaderField>(field);
        appendLine(out, padded(HEADER_FIELD_NAMES[field], 18) + std::to_string(values[field]), headerComment(name, song));
    }
}

void formatInstrument(const SongHeader& song, const std::uint8_t* block, std::string& out) {
    for (std::uint32_t offset = 0; offset < INSTRUMENT_SIZE; ++offset) {
        appendLine(out, padded(INSTRUMENT_FIELD_NAMES[offset], 18) + std::to_string(block[offset]),
                   describeInstrumentByte(offset, block[offset], song.samplesPerRow));
    }
}

void formatOrderList(const SongHeader& song, const std::uint8_t* block, std::string& out) {
    for (std::uint32_t position = 0; position < song.orderLength; ++position) {
        if (position % ORDER_ENTRIES_PER_LINE == 0) {
            if (position > 0) out += '\n';
            char start[16];
            std::snprintf(start, sizeof start, "order %3u:", position);
            out += start;
        } else if (position % ORDER_GROUP == 0) {
            out += ' ';
        }
        out += ' ' + std::to_string(block[INSTRUMENT_SIZE + position]);
    }
    if (song.orderLength > 0) out += '\n';
}

std::string commandName(std::uint8_t command) {
    if (command == 0) return std::string(NO_COMMAND);
    if (command == MARK_COMMAND) return std::string(MARK_NAME);
    return INSTRUMENT_FIELD_NAMES[command - 1];
}

void formatPattern(const SongHeader& song, const std::uint8_t* pattern, std::string& out) {
    out += "# row  note vl   note vl   note vl   note vl   effect             value\n";
    const std::uint32_t rows = song.rowsPerPattern;
    for (std::uint32_t row = 0; row < rows; ++row) {
        char number[8];
        std::snprintf(number, sizeof number, "%5u", row);
        std::string line = number;
        line += "  ";
        for (std::uint32_t column = 0; column < NOTE_COLUMNS; ++column) {
            const std::uint8_t note = pattern[column * rows + row];
            const std::uint8_t velocityLength = pattern[(VELOCITY_LENGTH_COLUMN + column) * rows + row];
            line += padded(note == 0 ? NO_NOTE : noteName(note), 5);
            line += note == 0 && velocityLength == 0 ? std::string(EMPTY_VELOCITY_LENGTH) : hexByte(velocityLength);
            line += "   ";
        }
        char value[8];
        std::snprintf(value, sizeof value, "%5u", pattern[COMMAND_VALUE_COLUMN * rows + row]);
        line += padded(commandName(pattern[COMMAND_COLUMN * rows + row]), 17) + value;
        out += line + '\n';
    }
}

// ---- Parsing ------------------------------------------------------------------

struct Token {
    std::string_view text;
    std::uint32_t column;
};

// The words of a line up to a comment: a '#' that begins a word starts one
// (a '#' inside a word belongs to a note name such as C#4).
std::vector<Token> wordsOf(std::string_view line) {
    std::vector<Token> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
        if (at >= line.size() || line[at] == '#') break;
        const std::size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r') ++at;
        words.push_back({line.substr(start, at - start), static_cast<std::uint32_t>(start + 1)});
    }
    return words;
}

enum class SectionKind { NONE, SONG, CHANNEL, PATTERN };

struct Section {
    SectionKind kind = SectionKind::NONE;
    std::uint32_t channel = 0;
    std::uint32_t pattern = 0;  // 1-based
    std::uint32_t line = 0;     // of its heading
};

std::string sectionTitle(const Section& section) {
    switch (section.kind) {
    case SectionKind::SONG:
        return "[song]";
    case SectionKind::CHANNEL:
        return "[channel " + std::to_string(section.channel) + "]";
    default:
        return "[channel " + std::to_string(section.channel) + " pattern " + std::to_string(section.pattern) + "]";
    }
}

class TextParser {
public:
    explicit TextParser(std::string_view text) : text_(text) {}

    TextSong parse() {
        std::size_t at = 0;
        while (at <= text_.size()) {
            const std::size_t end = std::min(text_.find('\n', at), text_.size());
            ++line_;
            parseLine(wordsOf(text_.substr(at, end - at)));
            at = end + 1;
        }
        finishSection();
        requireAllSections();
        return std::move(song_);
    }

private:
    [[noreturn]] void fail(std::uint32_t column, const std::string& message) const {
        throw SongTextError({line_, column}, message);
    }

    [[noreturn]] void fail(const Token& token, const std::string& message) const { fail(token.column, message); }

    void parseLine(const std::vector<Token>& words) {
        if (line_ == 1) return parseMagic(words);
        if (words.empty()) return;
        if (words[0].text.front() == '[') return openSection(words);
        switch (section_.kind) {
        case SectionKind::NONE:
            fail(words[0], "expected the section [song] before '" + std::string(words[0].text) + "'");
        case SectionKind::SONG:
            return parseHeaderField(words);
        case SectionKind::CHANNEL:
            return parseChannelLine(words);
        case SectionKind::PATTERN:
            return parseRow(words);
        }
    }

    void parseMagic(const std::vector<Token>& words) {
        if (words.size() != 2 || words[0].text != SONG_TEXT_MAGIC) {
            fail(1, "a text song begins with the line \"mivo-song " + std::to_string(SONG_TEXT_VERSION) + "\"");
        }
        if (words[1].text != std::to_string(SONG_TEXT_VERSION)) {
            fail(words[1], "unknown format version " + std::string(words[1].text) + ", allowed " +
                               std::to_string(SONG_TEXT_VERSION));
        }
    }

    // ---- Sections ----

    Section sectionOfHeading(const std::vector<Token>& words) const {
        const std::string_view last = words.back().text;
        if (last.back() != ']') fail(words.back().column + static_cast<std::uint32_t>(last.size()), "expected ']'");
        std::vector<std::string_view> parts;
        for (const Token& word : words) parts.push_back(word.text);
        parts.front().remove_prefix(1);
        parts.back().remove_suffix(1);
        std::erase_if(parts, [](std::string_view part) { return part.empty(); });

        Section section;
        section.line = line_;
        if (parts.size() == 1 && parts[0] == "song") {
            section.kind = SectionKind::SONG;
            return section;
        }
        if ((parts.size() == 2 || parts.size() == 4) && parts[0] == "channel") {
            section.kind = parts.size() == 2 ? SectionKind::CHANNEL : SectionKind::PATTERN;
            section.channel = sectionNumber(parts[1], words[0], 0, header(HEADER_CHANNELS), "channel");
            if (section.kind == SectionKind::CHANNEL) return section;
            if (parts[2] == "pattern") {
                section.pattern = sectionNumber(parts[3], words[0], 1, header(HEADER_PATTERNS), "pattern");
                return section;
            }
        }
        fail(words[0], "unknown section, expected [song], [channel N] or [channel N pattern P]");
    }

    // A channel or pattern number: one of the `count` numbers from `lowest`.
    std::uint32_t sectionNumber(std::string_view text, const Token& heading, std::uint64_t lowest, std::uint64_t count,
                                const char* what) const {
        if (songLine_ == 0) fail(heading, "the section [song] must come first");
        const auto number = parseDecimal(text);
        if (!number) fail(heading, std::string("malformed ") + what + " number '" + std::string(text) + "'");
        if (*number < lowest || *number >= lowest + count) {
            fail(heading, "found " + std::string(what) + " " + std::string(text) + ", allowed " +
                              (count == 0 ? std::string("none") : std::to_string(lowest) + ".." + std::to_string(lowest + count - 1)));
        }
        return static_cast<std::uint32_t>(*number);
    }

    // The line on which the section was opened before, or 0; records this one.
    std::uint32_t recordSection() {
        std::uint32_t& seenOn = section_.kind == SectionKind::SONG      ? songLine_
                                : section_.kind == SectionKind::CHANNEL ? channelLines_[section_.channel]
                                                                        : patternLines_[patternIndex(section_)];
        const std::uint32_t before = seenOn;
        if (before == 0) seenOn = line_;
        return before;
    }

    void openSection(const std::vector<Token>& words) {
        finishSection();
        section_ = sectionOfHeading(words);
        const std::uint32_t before = recordSection();
        if (before != 0) {
            fail(words[0], "section " + sectionTitle(section_) + " appears twice (first on line " + std::to_string(before) + ")");
        }
        fieldLines_.assign(section_.kind == SectionKind::SONG ? HEADER_FIELD_COUNT : INSTRUMENT_SIZE, 0);
        orderCount_ = 0;
        nextRow_ = 0;
    }

    void finishSection() {
        if (section_.kind == SectionKind::SONG) finishHeader();
        if (section_.kind == SectionKind::CHANNEL) finishChannel();
    }

    std::size_t patternIndex(const Section& section) const {
        return section.channel * header(HEADER_PATTERNS) + section.pattern - 1;
    }

    void requireAllSections() const {
        if (songLine_ == 0) fail(1, "missing section [song]");
        for (std::uint32_t channel = 0; channel < channelLines_.size(); ++channel) {
            if (channelLines_[channel] == 0) fail(1, "missing section [channel " + std::to_string(channel) + "]");
        }
        for (std::size_t index = 0; index < patternLines_.size(); ++index) {
            if (patternLines_[index] != 0) continue;
            const auto patterns = header(HEADER_PATTERNS);
            fail(1, "missing section [channel " + std::to_string(index / patterns) + " pattern " +
                        std::to_string(index % patterns + 1) + "]");
        }
    }

    // A field given once; names the missing field at the section's heading.
    void requireFields(const std::array<const char*, HEADER_FIELD_COUNT>* headerNames) const {
        for (std::uint32_t field = 0; field < fieldLines_.size(); ++field) {
            if (fieldLines_[field] != 0) continue;
            const char* name = headerNames ? (*headerNames)[field] : INSTRUMENT_FIELD_NAMES[field];
            throw SongTextError({section_.line, 1}, sectionTitle(section_) + " lacks the field " + name);
        }
    }

    void noteField(std::uint32_t field, const Token& name) {
        if (fieldLines_[field] != 0) {
            fail(name, std::string(name.text) + " given twice in " + sectionTitle(section_) + " (first on line " +
                           std::to_string(fieldLines_[field]) + ")");
        }
        fieldLines_[field] = line_;
    }

    // ---- [song] ----

    std::uint64_t header(HeaderField field) const { return song_.header[field]; }

    void parseHeaderField(const std::vector<Token>& words) {
        std::uint32_t field = 0;
        while (field < HEADER_FIELD_COUNT && words[0].text != HEADER_FIELD_NAMES[field]) ++field;
        if (field == HEADER_FIELD_COUNT) fail(words[0], "unknown header field '" + std::string(words[0].text) + "'");
        if (words.size() != 2) fail(words[0], "expected one value after " + std::string(words[0].text));
        noteField(field, words[0]);
        const auto value = parseDecimal(words[1].text);
        if (!value) fail(words[1], "malformed number '" + std::string(words[1].text) + "'");
        song_.header[field] = *value;
        song_.headerPlaces[field] = {line_, words[1].column};
    }

    void finishHeader() {
        requireFields(&HEADER_FIELD_NAMES);
        const std::vector<SongProblem> problems = checkHeaderValues(song_.header);
        if (!problems.empty()) {
            const SongProblem& first = problems.front();
            throw SongTextError(song_.headerPlaces[first.index],
                                std::string(HEADER_FIELD_NAMES[first.index]) + ": " + first.message);
        }
        layout_ = songHeaderFrom(song_.header);
        song_.data.assign(layout_.songDataSize, 0);
        song_.dataPlaces.assign(layout_.songDataSize, TextPlace{});
        channelLines_.assign(layout_.channelCount, 0);
        patternLines_.assign(std::size_t{layout_.channelCount} * layout_.patternsPerChannel, 0);
    }

    // ---- [channel N] ----

    void store(std::uint32_t offsetInBlock, std::uint8_t value, const Token& token) {
        const std::uint32_t offset = section_.channel * layout_.channelBlockSize + offsetInBlock;
        song_.data[offset] = value;
        song_.dataPlaces[offset] = {line_, token.column};
    }

    std::uint8_t byteValue(const Token& token) const {
        const auto value = parseDecimal(token.text);
        if (!value) fail(token, "malformed number '" + std::string(token.text) + "'");
        if (*value > BYTE_MAX) fail(token, "found " + std::to_string(*value) + ", allowed 0..255");
        return static_cast<std::uint8_t>(*value);
    }

    void parseChannelLine(const std::vector<Token>& words) {
        if (words[0].text == "order") return parseOrderLine(words);
        const auto field = instrumentFieldByName(words[0].text);
        if (!field) fail(words[0], "unknown instrument field '" + std::string(words[0].text) + "'");
        if (words.size() != 2) fail(words[0], "expected one value after " + std::string(words[0].text));
        noteField(*field, words[0]);
        store(*field, byteValue(words[1]), words[1]);
    }

    void parseOrderLine(const std::vector<Token>& words) {
        const std::string expected = std::to_string(orderCount_) + ":";
        if (words.size() < 2 || words[1].text != expected) {
            fail(words.size() < 2 ? words[0] : words[1], "expected the order position '" + expected + "' after 'order'");
        }
        for (std::size_t word = 2; word < words.size(); ++word) {
            if (orderCount_ == layout_.orderLength) {
                fail(words[word], "more order entries than the order length " + std::to_string(layout_.orderLength));
            }
            store(INSTRUMENT_SIZE + orderCount_, byteValue(words[word]), words[word]);
            ++orderCount_;
        }
    }

    void finishChannel() {
        requireFields(nullptr);
        if (orderCount_ != layout_.orderLength) {
            throw SongTextError({section_.line, 1}, sectionTitle(section_) + " has " + std::to_string(orderCount_) +
                                                        " order entries, the order length is " +
                                                        std::to_string(layout_.orderLength));
        }
    }

    // ---- [channel N pattern P] ----

    std::uint8_t noteValue(const Token& token) const {
        if (token.text == NO_NOTE) return 0;
        const auto value = noteValueOfName(token.text);
        if (!value) fail(token, "malformed note '" + std::string(token.text) + "', expected a name such as C4, F#3 or A#-1, or ---");
        if (*value < LOWEST_NOTE || *value > HIGHEST_NOTE) {
            fail(token, "note " + std::string(token.text) + " is note value " + std::to_string(*value) + ", allowed " +
                            noteName(LOWEST_NOTE) + ".." + noteName(HIGHEST_NOTE) + " (1..255)");
        }
        return static_cast<std::uint8_t>(*value);
    }

    std::uint8_t velocityLength(const Token& token) const {
        if (token.text == EMPTY_VELOCITY_LENGTH) return 0;
        const auto value = parseHexByte(token.text);
        if (!value) fail(token, "malformed velocity/length '" + std::string(token.text) + "', expected two hex digits or ..");
        return *value;
    }

    std::uint8_t command(const Token& token) const {
        if (token.text == NO_COMMAND) return 0;
        if (token.text == MARK_NAME) return MARK_COMMAND;
        const auto field = instrumentFieldByName(token.text);
        if (!field) fail(token, "unknown effect '" + std::string(token.text) + "', expected ---, mark or an instrument field");
        return static_cast<std::uint8_t>(*field + 1);
    }

    void parseRow(const std::vector<Token>& words) {
        if (words.size() != ROW_TOKENS) {
            fail(words[0], "a row has " + std::to_string(ROW_TOKENS) +
                               " columns (row, 4 x note and velocity/length, effect, value), found " +
                               std::to_string(words.size()));
        }
        const auto row = parseDecimal(words[0].text);
        if (!row) fail(words[0], "malformed row number '" + std::string(words[0].text) + "'");
        if (*row < nextRow_ || *row >= layout_.rowsPerPattern) {
            fail(words[0], "found row " + std::string(words[0].text) + ", allowed " +
                               (nextRow_ >= layout_.rowsPerPattern ? std::string("none: the pattern is full")
                                                                   : std::to_string(nextRow_) + ".." + std::to_string(layout_.rowsPerPattern - 1u) + " (rows in rising order)"));
        }
        nextRow_ = static_cast<std::uint32_t>(*row) + 1;
        const std::uint32_t rows = layout_.rowsPerPattern;
        const std::uint32_t pattern = INSTRUMENT_SIZE + layout_.orderLength + (section_.pattern - 1) * layout_.patternSize +
                                      static_cast<std::uint32_t>(*row);
        for (std::uint32_t column = 0; column < NOTE_COLUMNS; ++column) {
            store(pattern + column * rows, noteValue(words[1 + 2 * column]), words[1 + 2 * column]);
            store(pattern + (VELOCITY_LENGTH_COLUMN + column) * rows, velocityLength(words[2 + 2 * column]),
                  words[2 + 2 * column]);
        }
        store(pattern + COMMAND_COLUMN * rows, command(words[ROW_TOKENS - 2]), words[ROW_TOKENS - 2]);
        store(pattern + COMMAND_VALUE_COLUMN * rows, byteValue(words[ROW_TOKENS - 1]), words[ROW_TOKENS - 1]);
    }

    std::string_view text_;
    std::uint32_t line_ = 0;
    TextSong song_;
    SongHeader layout_{};
    Section section_;
    std::uint32_t songLine_ = 0;
    std::vector<std::uint32_t> channelLines_;  // line of each channel's section, 0 = not yet
    std::vector<std::uint32_t> patternLines_;
    std::vector<std::uint32_t> fieldLines_;    // line of each field of the open section
    std::uint32_t orderCount_ = 0;
    std::uint32_t nextRow_ = 0;
};

}  // namespace

bool isSongText(std::string_view contents) {
    return contents.substr(0, SONG_TEXT_MAGIC.size()) == SONG_TEXT_MAGIC;
}

std::string noteName(std::uint8_t note) {
    const int fromC = note - NOTE_OF_C_MINUS_1;
    const int octave = floorDivide(fromC, SEMITONES_PER_OCTAVE);
    return std::string(PITCH_NAMES[fromC - octave * SEMITONES_PER_OCTAVE]) + std::to_string(octave - 1);
}

std::optional<int> noteValueOfName(std::string_view name) {
    constexpr int LETTER_SEMITONES[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G from C
    if (name.empty() || name[0] < 'A' || name[0] > 'G') return std::nullopt;
    int semitone = LETTER_SEMITONES[name[0] - 'A'];
    name.remove_prefix(1);
    if (!name.empty() && name[0] == '#') {
        // E# and B# would be second names of F and C.
        if (semitone == 4 || semitone == 11) return std::nullopt;
        ++semitone;
        name.remove_prefix(1);
    }
    const bool negative = !name.empty() && name[0] == '-';
    if (negative) name.remove_prefix(1);
    if (name.empty() || name.size() > 2 || (name.size() == 2 && name[0] == '0')) return std::nullopt;
    const auto octave = parseDecimal(name);
    if (!octave || (negative && *octave == 0)) return std::nullopt;
    const int signedOctave = negative ? -static_cast<int>(*octave) : static_cast<int>(*octave);
    return NOTE_OF_C_MINUS_1 + (signedOctave + 1) * SEMITONES_PER_OCTAVE + semitone;
}

TextSong parseSongText(std::string_view text) {
    return TextParser(text).parse();
}

std::string formatSongText(const SongHeader& song, const std::uint8_t* data) {
    std::string out;
    out += std::string(SONG_TEXT_MAGIC) + " " + std::to_string(SONG_TEXT_VERSION) + "\n";
    out += "# A song for mivo (see docs/song-format.md); text from a '#' that begins a word is a comment.\n";
    out += "# Notes: C4 is middle C, A4 = 440 Hz (note value 144); vl = velocity step (0 loudest .. F silent)\n";
    out += "# and length index (0 = envelope, 1..F = 1 2 3 4 6 8 10 12 16 20 24 28 32 40 48 rows), in hex.\n\n";
    formatHeader(song, out);
    for (std::uint32_t channel = 0; channel < song.channelCount; ++channel) {
        const std::uint8_t* block = data + channel * song.channelBlockSize;
        out += "\n[channel " + std::to_string(channel) + "]\n";
        formatInstrument(song, block, out);
        formatOrderList(song, block, out);
        for (std::uint32_t pattern = 1; pattern <= song.patternsPerChannel; ++pattern) {
            out += "\n[channel " + std::to_string(channel) + " pattern " + std::to_string(pattern) + "]\n";
            formatPattern(song, block + INSTRUMENT_SIZE + song.orderLength + (pattern - 1) * song.patternSize, out);
        }
    }
    return out;
}
