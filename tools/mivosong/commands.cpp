// mivosong's commands: argument parsing, help, and the four commands.
#include "commands.h"

#include <bit>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <system_error>

#include "output_file.h"
#include "render_driver.h"
#include "render_progress.h"
#include "song_file.h"
#include "song_text.h"
#include "stem_file.h"

namespace {

constexpr const char* DEFAULT_RENDER_OUTPUT = "mivo_out.wav";

enum class Command { CHECK, DUMP, BUILD, RENDER };

struct CommandInfo {
    Command command;
    const char* name;
    bool takesOutput;
    bool takesStems;
    const char* help;
};

constexpr const char* HEADER_OPTIONS_HELP =
    "Header options, for a raw song block (a text song carries its own header):\n"
    "  --channels N         channels in the block\n"
    "  --order-length N     entries in each order list\n"
    "  --patterns N         patterns per channel\n"
    "  --rows N             rows per pattern\n"
    "  --samples-per-row N  frames per row\n"
    "  --start-order N      first order position rendered\n"
    "  --end-order N        order position where rendering stops (exclusive)\n"
    "  --first-channel N    first channel rendered\n"
    "  --channel-end N      channels below this are rendered\n"
    "  --frames N           frames of output\n"
    "Without any of them the compiled-in song's header applies; with any of them\n"
    "the others keep the compiled-in values and --frames defaults to the frames\n"
    "the rows cover.\n";

const CommandInfo COMMANDS[] = {
    {Command::CHECK, "check", false, false,
     "usage: mivosong check SONG [header options]\n"
     "Checks a song (a text song or a raw block) and prints nothing but its problems.\n"
     "Exit status 0 when the song is valid, 2 when it is not.\n"},
    {Command::DUMP, "dump", true, false,
     "usage: mivosong dump SONG [-o TEXT] [header options]\n"
     "Writes a song as a text song, to TEXT or to standard output.\n"
     "  -o, --output TEXT    the text file to write\n"},
    {Command::BUILD, "build", true, false,
     "usage: mivosong build TEXT -o BLOCK\n"
     "Turns a text song into the raw song block (SongData).\n"
     "  -o, --output BLOCK   the block file to write (required)\n"},
    {Command::RENDER, "render", true, true,
     "usage: mivosong render SONG [-o OUT.wav] [--stems DIR] [header options]\n"
     "Renders a song exactly as mivo does: 16-bit stereo WAV at 44,100 Hz.\n"
     "  -o, --output OUT.wav  the WAV file to write (default mivo_out.wav)\n"
     "  --stems DIR           also write DIR/channel-NN.wav for every rendered channel:\n"
     "                        its own stereo output, unmastered, 64-bit float\n"
     "A progress bar is shown while standard error is a terminal.\n"},
};

constexpr const char* GENERAL_HELP =
    "usage: mivosong COMMAND SONG [options]\n"
    "Checks, converts and renders mivo songs, given as text songs or raw song blocks.\n"
    "\n"
    "Commands:\n"
    "  check SONG [header options]                      report the song's problems\n"
    "  dump SONG [-o TEXT] [header options]             write the song as text\n"
    "  build TEXT -o BLOCK                              write the raw song block\n"
    "  render SONG [-o OUT.wav] [--stems DIR] [header options]\n"
    "                                                   render to WAV (and stems)\n"
    "\n"
    "mivosong COMMAND --help describes a command. Exit status: 0 done, 2 bad input\n"
    "or a file that cannot be read or written, 1 out of memory or threads.\n";

// Thrown for a command line that cannot be followed.
struct UsageError {
    std::string message;
};

struct CommandLine {
    const CommandInfo* info = nullptr;
    bool help = false;
    std::optional<std::string> song;
    std::optional<std::string> output;
    std::optional<std::string> stems;
    HeaderOptions header;
};

const CommandInfo* findCommand(const std::string& name) {
    for (const CommandInfo& info : COMMANDS) {
        if (name == info.name) return &info;
    }
    return nullptr;
}

std::optional<std::uint32_t> headerOptionField(const std::string& name) {
    for (std::uint32_t field = 0; field < HEADER_FIELD_COUNT; ++field) {
        if (field != HEADER_SPARE_BYTE && name == std::string("--") + HEADER_FIELD_NAMES[field]) return field;
    }
    return std::nullopt;
}

std::uint64_t optionNumber(const std::string& option, const std::string& value) {
    std::size_t used = 0;
    std::uint64_t number = 0;
    try {
        number = std::stoull(value, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (value.empty() || value[0] < '0' || value[0] > '9' || used != value.size()) {
        throw UsageError{option + ": '" + value + "' is not a whole number"};
    }
    return number;
}

template <typename T>
void setOnce(std::optional<T>& slot, const std::string& option, T value) {
    if (slot) throw UsageError{option + " given twice"};
    slot = std::move(value);
}

bool isOutputOption(const std::string& option) {
    return option == "-o" || option == "--output";
}

bool knowsOption(const CommandInfo& info, const std::string& option) {
    if (isOutputOption(option)) return info.takesOutput;
    if (option == "--stems") return info.takesStems;
    return headerOptionField(option) && info.command != Command::BUILD;
}

void parseOption(CommandLine& line, const std::string& option, const std::string& value) {
    if (isOutputOption(option)) return setOnce(line.output, option, value);
    if (option == "--stems") return setOnce(line.stems, option, value);
    const std::uint32_t field = *headerOptionField(option);
    setOnce(line.header[field], option, optionNumber(option, value));
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    line.info = findCommand(args[0]);
    if (!line.info) throw UsageError{"unknown command '" + args[0] + "'"};
    for (std::size_t at = 1; at < args.size(); ++at) {
        const std::string& arg = args[at];
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
            const std::string option = arg.substr(0, equals);
            if (!knowsOption(*line.info, option)) throw UsageError{"unknown option " + option + " for " + line.info->name};
            if (equals != std::string::npos) parseOption(line, option, arg.substr(equals + 1));
            else if (at + 1 < args.size()) parseOption(line, option, args[++at]);
            else throw UsageError{option + " needs a value"};
        } else if (!line.song) {
            line.song = arg;
        } else {
            throw UsageError{"unexpected argument '" + arg + "'"};
        }
    }
    if (line.help) return line;
    if (!line.song) throw UsageError{std::string(line.info->name) + " needs a song file"};
    if (line.info->command == Command::BUILD && !line.output) throw UsageError{"build needs -o BLOCK"};
    return line;
}

int dumpCommand(const CommandLine& line, std::ostream& out) {
    const SongFile song = loadSongFile(*line.song, line.header);
    const std::string text = formatSongText(song.header, song.data.data());
    if (line.output) writeFileReplacing(*line.output, text.data(), text.size());
    else out << text << std::flush;
    return 0;
}

int buildCommand(const CommandLine& line) {
    const SongFile song = loadSongFile(*line.song, line.header);
    writeFileReplacing(*line.output, song.data.data(), song.data.size());
    return 0;
}

std::uint32_t renderedChannels(const SongHeader& song) {
    return song.channelEnd > song.firstChannel ? song.channelEnd - song.firstChannel : 0u;
}

// One writer per rendered channel, opened before the render so that a
// directory that cannot take them is found before the work is done.
std::vector<std::unique_ptr<ReplacingFileWriter>> openStems(const std::string& directory, const SongHeader& song) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) throw OutputFileError("cannot create " + directory + ": " + error.message());
    std::vector<std::unique_ptr<ReplacingFileWriter>> stems;
    for (std::uint32_t channel = song.firstChannel; channel < song.channelEnd; ++channel) {
        stems.push_back(std::make_unique<ReplacingFileWriter>(stemPath(directory, channel)));
    }
    return stems;
}

// The stem is the channel buffer's first songFrames frames as they lie in
// memory: little-endian doubles, which is what the WAV format wants.
static_assert(std::endian::native == std::endian::little, "stems are written as the doubles lie in memory");

void writeStem(ReplacingFileWriter& stem, const SongHeader& song, const double* samples) {
    std::uint8_t header[STEM_HEADER_SIZE];
    writeStemHeader(header, song.songFrames);
    stem.write(header, sizeof header);
    stem.write(samples, std::size_t{song.songFrames} * STEM_FRAME_BYTES);
}

struct RenderRun {
    RenderContext context;
    ~RenderRun() { freeRenderContext(context); }
};

int renderCommand(const CommandLine& line, std::ostream* progress) {
    SongFile song = loadSongFile(*line.song, line.header);
    ReplacingFileWriter output(line.output.value_or(DEFAULT_RENDER_OUTPUT));
    std::vector<std::unique_ptr<ReplacingFileWriter>> stems;
    if (line.stems) stems = openStems(*line.stems, song.header);

    SongHeader& header = song.header;
    header.songData = song.data.data();
    RenderRun run;
    initRenderContext(run.context, header);
    if (!stems.empty()) {
        run.context.channelRendered = [&stems, &header](std::uint8_t channel, const double* samples) {
            writeStem(*stems[channel - header.firstChannel], header, samples);
        };
    }
    {
        const std::uint32_t totalRows = renderedChannels(header) * (endSongRow(header) - firstSongRow(header));
        const RenderProgress bar(run.context, totalRows, static_cast<double>(header.songFrames) / SAMPLE_RATE, progress);
        renderSong(run.context);
    }
    output.write(run.context.image.data, run.context.image.capacity);
    for (auto& stem : stems) stem->commit();
    output.commit();
    return 0;
}

int runCommand(const CommandLine& line, std::ostream& out, std::ostream* progress) {
    switch (line.info->command) {
    case Command::CHECK:
        loadSongFile(*line.song, line.header);
        return 0;
    case Command::DUMP:
        return dumpCommand(line, out);
    case Command::BUILD:
        return buildCommand(line);
    case Command::RENDER:
        return renderCommand(line, progress);
    }
    return EXIT_SYSTEM_FAILURE;
}

}  // namespace

int runMivosong(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::ostream* progress) {
    if (args.empty()) {
        err << GENERAL_HELP;
        return EXIT_BAD_INPUT;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        out << GENERAL_HELP;
        return 0;
    }
    try {
        const CommandLine line = parseCommandLine(args);
        if (line.help) {
            out << line.info->help << (line.info->command == Command::BUILD ? "" : HEADER_OPTIONS_HELP);
            return 0;
        }
        return runCommand(line, out, progress);
    } catch (const UsageError& error) {
        err << "mivosong: " << error.message << " (see mivosong " << (findCommand(args[0]) ? args[0] + " " : "")
            << "--help)\n";
        return EXIT_BAD_INPUT;
    } catch (const SongFileError& error) {
        for (const std::string& message : error.messages) err << message << '\n';
        return EXIT_BAD_INPUT;
    } catch (const OutputFileError& error) {
        err << "mivosong: " << error.what() << '\n';
        return EXIT_BAD_INPUT;
    } catch (const std::bad_alloc&) {
        err << "mivosong: out of memory\n";
        return EXIT_SYSTEM_FAILURE;
    } catch (const std::system_error& error) {
        err << "mivosong: cannot run the render threads: " << error.what() << '\n';
        return EXIT_SYSTEM_FAILURE;
    }
}
