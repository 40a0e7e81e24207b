// Song files: reading, recognising the format, checking, and placing problems.
#include "song_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "song_text.h"

namespace {

// More problems than this are summed up in one last line.
constexpr std::size_t REPORTED_PROBLEMS = 20;

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

std::string readWholeFile(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) throw SongFileError({"cannot read " + path + ": " + std::strerror(errno)});
    std::string contents;
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) contents.append(chunk, got);
    if (std::ferror(file.get())) throw SongFileError({"cannot read " + path + ": " + std::strerror(errno)});
    return contents;
}

std::string textPlace(const std::string& path, TextPlace place) {
    return path + ":" + std::to_string(place.line) + ":" + std::to_string(place.column);
}

std::vector<std::string> limited(std::vector<std::string> messages, const std::string& path) {
    if (messages.size() > REPORTED_PROBLEMS) {
        const std::size_t more = messages.size() - REPORTED_PROBLEMS;
        messages.resize(REPORTED_PROBLEMS);
        messages.push_back(path + ": and " + std::to_string(more) + " more problems");
    }
    return messages;
}

std::string blockHeaderPlace(const std::string& path, std::uint32_t field, const HeaderOptions& options) {
    const std::string name = HEADER_FIELD_NAMES[field];
    return path + ": header value " + name + (options[field] ? " (option --" + name + ")" : " (compiled-in default)");
}

std::string blockBytePlace(const std::string& path, const SongHeader& song, std::uint32_t offset) {
    return path + ": byte " + std::to_string(offset) + " (" + songByteName(song, offset) + ")";
}

bool anyHeaderOption(const HeaderOptions& options) {
    for (const auto& option : options) {
        if (option) return true;
    }
    return false;
}

SongFile loadTextSong(const std::string& path, const std::string& contents, const HeaderOptions& options) {
    if (anyHeaderOption(options)) {
        throw SongFileError({path + ": header options describe a raw song block; this text song has its own [song] section"});
    }
    TextSong text;
    try {
        text = parseSongText(contents);
    } catch (const SongTextError& error) {
        throw SongFileError({textPlace(path, error.place) + ": " + error.what()});
    }
    SongFile song{path, true, songHeaderFrom(text.header), std::move(text.data)};
    std::vector<std::string> messages;
    for (const SongProblem& problem : checkSongData(song.header, song.data.data(), song.data.size())) {
        messages.push_back(textPlace(path, text.dataPlaces[problem.index]) + ": " +
                           songByteName(song.header, problem.index) + ": " + problem.message);
    }
    if (!messages.empty()) throw SongFileError(limited(messages, path));
    return song;
}

SongFile loadBlock(const std::string& path, std::string contents, const HeaderOptions& options) {
    const HeaderValues values = headerValuesForBlock(options);
    std::vector<std::string> messages;
    for (const SongProblem& problem : checkHeaderValues(values)) {
        messages.push_back(blockHeaderPlace(path, problem.index, options) + ": " + problem.message);
    }
    if (!messages.empty()) throw SongFileError(messages);

    SongFile song{path, false, songHeaderFrom(values), std::vector<std::uint8_t>(contents.begin(), contents.end())};
    for (const SongProblem& problem : checkSongData(song.header, song.data.data(), song.data.size())) {
        if (problem.place == ProblemPlace::SONG_SIZE) {
            const bool looksLikeText = !contents.empty() && (contents[0] == '#' || contents[0] == '[');
            messages.push_back(path + ": size of the song block: " + problem.message +
                               (looksLikeText ? "; a text song must begin with the line \"mivo-song 1\"" : ""));
        } else {
            messages.push_back(blockBytePlace(path, song.header, problem.index) + ": " + problem.message);
        }
    }
    if (!messages.empty()) throw SongFileError(limited(messages, path));
    return song;
}

}  // namespace

SongFileError::SongFileError(const std::vector<std::string>& lines)
    : std::runtime_error(joinLines(lines)), messages(lines) {}

HeaderValues headerValuesForBlock(const HeaderOptions& options) {
    HeaderValues values = headerValuesOf(compiledInSongHeader());
    if (!anyHeaderOption(options)) return values;
    for (std::uint32_t field = 0; field < HEADER_FIELD_COUNT; ++field) {
        if (options[field]) values[field] = *options[field];
    }
    if (!options[HEADER_FRAMES]) values[HEADER_FRAMES] = framesCoveredByRows(values);
    return values;
}

SongFile loadSongFile(const std::string& path, const HeaderOptions& options) {
    std::string contents = readWholeFile(path);
    if (isSongText(contents)) return loadTextSong(path, contents, options);
    return loadBlock(path, std::move(contents), options);
}
