// mivosong's errors: every kind of bad input is reported with its file and
// place, the value found and what is allowed, exits with status 2 and
// writes no output.
#include <gtest/gtest.h>

#include "mivosong_fixture.h"

namespace {

using MivosongErrors = ScratchDirectory;

std::uint32_t lineAt(const std::string& text, std::size_t at) {
    return 1 + static_cast<std::uint32_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

std::uint32_t lineOf(const std::string& text, const std::string& what) {
    const std::size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    return lineAt(text, at);
}

std::string lineText(const std::string& text, std::uint32_t line) {
    std::size_t start = 0;
    for (std::uint32_t at = 1; at < line; ++at) start = text.find('\n', start) + 1;
    return text.substr(start, text.find('\n', start) - start);
}

// A text song with one edit. The error lies on the line of `placeLine` (the
// edited line when empty), at the column where `pointAt` begins (1 when empty).
struct TextCase {
    const char* name;
    const char* find;
    const char* replace;
    const char* placeLine;
    const char* pointAt;
    const char* message;
};

TEST_F(MivosongErrors, TextSongPlacesEachProblem) {
    const std::string base = songText(smallSong());
    const TextCase cases[] = {
        {"format version", "mivo-song 1", "mivo-song 2", "", "2", "unknown format version 2, allowed 1"},
        {"unknown header field", "spare-byte        0", "spare-bite        0", "", "spare-bite", "unknown header field 'spare-bite'"},
        {"header value too wide", "rows              4", "rows              256", "", "256", "rows: found 256, allowed 1..255"},
        {"zero rows", "rows              4", "rows              0", "", "0", "rows: found 0, allowed 1..255"},
        {"zero samples per row", "samples-per-row   600", "samples-per-row   0", "", "0",
         "samples-per-row: found 0, allowed 1..65535"},
        {"start at end", "start-order       0", "start-order       2", "", "2",
         "start-order: found 2, allowed 0..1 (below end-order)"},
        {"end past order length", "end-order         2", "end-order         3", "", "3",
         "end-order: found 3, allowed 1..2 (the order length)"},
        {"frames past the rows", "frames            4700", "frames            4801", "", "4801",
         "frames: found 4801, allowed 0..4800 (the frames the rows cover)"},
        {"channel end past channels", "channel-end       1", "channel-end       2", "", "2",
         "channel-end: found 2, allowed 0..1 (the channel count)"},
        {"unknown instrument field", "osc1-wave         7", "osc1-wav          7", "", "osc1-wav",
         "unknown instrument field 'osc1-wav'"},
        {"value past 255", "osc1-level        255", "osc1-level        256", "", "256", "found 256, allowed 0..255"},
        {"waveform past 26", "osc1-wave         7", "osc1-wave         27", "", "27",
         "channel 0, instrument osc1-wave: found 27, allowed 0..26"},
        {"modulation source past 5", "cutoff-source     0", "cutoff-source     6", "", "6",
         "channel 0, instrument cutoff-source: found 6, allowed 0..5"},
        {"order entry past the patterns", "order   0: 1 2", "order   0: 1 3", "", "3",
         "channel 0, order position 1: found 3, allowed 0..2 (0 = no pattern)"},
        {"order position label", "order   0: 1 2", "order   1: 1 2", "", "1:", "expected the order position '0:'"},
        {"too few order entries", "order   0: 1 2", "order   0: 1", "[channel 0]", "",
         "[channel 0] has 1 order entries, the order length is 2"},
        {"malformed note", "    0  A4   00", "    0  H4   00", "", "H4", "malformed note 'H4'"},
        {"note past 255", "    0  A4   00", "    0  C#14 00", "", "C#14", "note C#14 is note value 256, allowed A#-8..C14 (1..255)"},
        {"malformed velocity/length", "    0  A4   00", "    0  A4   0G", "", "0G", "malformed velocity/length '0G'"},
        {"unknown effect", "osc1-level         180", "osc1-lvl           180", "", "osc1-lvl", "unknown effect 'osc1-lvl'"},
        {"effect writes a bad waveform", "osc1-level         180", "lfo2-wave           27", "", "27",
         "channel 0, pattern 1, row 3, effect value: found 27, allowed 0..26 for lfo2-wave"},
        {"row out of order", "    3  ---", "    2  ---", "", "2", "found row 2, allowed 3..3 (rows in rising order)"},
        {"row with a missing word", "    0  A4   00", "    0  A4", "", "0", "a row has 11 columns"},
        {"unknown section", "[channel 0 pattern 2]", "[channel 0 patern 2]", "", "[channel", "unknown section"},
        {"channel that does not exist", "[channel 0 pattern 2]", "[channel 1 pattern 2]", "", "[channel",
         "found channel 1, allowed 0..0"},
        {"duplicate section", "[channel 0 pattern 2]", "[channel 0 pattern 1]", "", "[channel",
         "section [channel 0 pattern 1] appears twice (first on line"},
        {"duplicate field", "osc1-level        255", "osc1-wave         255", "", "osc1-wave",
         "osc1-wave given twice in [channel 0] (first on line"},
        {"missing field", "osc1-level        255", "# gone", "[channel 0]", "", "[channel 0] lacks the field osc1-level"},
        {"missing header field", "spare-byte        0", "", "[song]", "", "[song] lacks the field spare-byte"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = base;
        const std::size_t at = text.find(c.find);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, std::string(c.find).size(), c.replace);
        const std::uint32_t line = *c.placeLine ? lineOf(text, c.placeLine) : lineAt(text, at);
        const std::size_t column = *c.pointAt ? lineText(text, line).find(c.pointAt) + 1 : 1;
        const std::string song = write("song.txt", text);

        const ToolRun run = runTool({"check", song});
        EXPECT_EQ(run.status, EXIT_BAD_INPUT);
        EXPECT_EQ(run.out, "");
        const std::string place = song + ":" + std::to_string(line) + ":" + std::to_string(column) + ": ";
        EXPECT_EQ(run.err.rfind(place, 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

TEST_F(MivosongErrors, TextSongMissingSection) {
    std::string text = songText(smallSong());
    text.erase(text.find("\n[channel 0 pattern 2]"));
    const std::string song = write("song.txt", text);
    const ToolRun run = runTool({"check", song});
    EXPECT_EQ(run.status, EXIT_BAD_INPUT);
    const std::string lastLine = std::to_string(std::count(text.begin(), text.end(), '\n') + 1);
    EXPECT_EQ(run.err, song + ":" + lastLine + ":1: missing section [channel 0 pattern 2]\n");
}

// The small song as a raw block, with the header options that describe it.
const std::vector<std::string> SMALL_SONG_OPTIONS = {
    "--channels", "2", "--order-length", "2", "--patterns", "2", "--rows", "4", "--samples-per-row", "600",
    "--end-order", "2", "--channel-end", "2",
};

struct BlockCase {
    const char* name;
    std::vector<std::pair<std::uint32_t, std::uint8_t>> edits;  // bytes to change in the two-channel block
    const char* message;                                         // after "FILE: "
};

TEST_F(MivosongErrors, BlockPlacesEachBadByte) {
    const TestSong valid = smallSong(2);
    const std::uint32_t second = valid.header.channelBlockSize;
    const std::uint32_t patterns = INSTRUMENT_SIZE + 2;
    const std::uint32_t commands = patterns + COMMAND_COLUMN * 4;
    const BlockCase cases[] = {
        {"waveform", {{LFO1_WAVE, 27}}, "byte 13 (channel 0, instrument lfo1-wave): found 27, allowed 0..26"},
        {"modulation source", {{second + DAMPING_SOURCE, 6}},
         "byte 195 (channel 1, instrument damping-source): found 6, allowed 0..5"},
        {"order entry", {{second + INSTRUMENT_SIZE + 1, 3}},
         "byte 221 (channel 1, order position 1): found 3, allowed 0..2 (0 = no pattern)"},
        {"effect command", {{commands + 40 + 2, 70}},
         "byte 145 (channel 0, pattern 2, row 2, effect command): found 70, allowed 0..69 (instrument byte + 1)"},
        {"effect that sets a source past 5", {{commands + 3, CUTOFF_SOURCE + 1}, {commands + 4 + 3, 6}},
         "byte 110 (channel 0, pattern 1, row 3, effect value): found 6, allowed 0..5 for cutoff-source"},
    };
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> data = valid.data;
        for (const auto& [offset, value] : c.edits) data[offset] = value;
        const std::string song = write("song.bin", data);
        std::vector<std::string> args = {"check", song};
        args.insert(args.end(), SMALL_SONG_OPTIONS.begin(), SMALL_SONG_OPTIONS.end());
        const ToolRun run = runTool(args);
        EXPECT_EQ(run.status, EXIT_BAD_INPUT);
        EXPECT_EQ(run.err, song + ": " + c.message + "\n");
    }
}

struct HeaderCase {
    const char* name;
    std::vector<std::string> options;
    const char* message;  // after "FILE: header value "
};

TEST_F(MivosongErrors, BlockHeaderValuesThatMakeNoSong) {
    const std::string song = write("song.bin", std::vector<std::uint8_t>(30795, 0));
    const HeaderCase cases[] = {
        {"zero rows", {"--rows", "0"}, "rows (option --rows): found 0, allowed 1..255"},
        {"rows past 8 bits", {"--rows=256"}, "rows (option --rows): found 256, allowed 1..255"},
        {"zero samples per row", {"--samples-per-row", "0"}, "samples-per-row (option --samples-per-row): found 0, allowed 1..65535"},
        {"start at end", {"--start-order", "64"}, "start-order (option --start-order): found 64, allowed 0..63 (below end-order)"},
        {"end past order length", {"--end-order", "65"}, "end-order (option --end-order): found 65, allowed 1..64 (the order length)"},
        {"default end past a shorter order list", {"--order-length", "10"},
         "end-order (compiled-in default): found 64, allowed 1..10 (the order length)"},
        {"frames past the rows", {"--frames", "10584065"},
         "frames (option --frames): found 10584065, allowed 0..10584064 (the frames the rows cover)"},
        {"frames past 32 bits", {"--frames", "4294967296"}, "frames (option --frames): found 4294967296, allowed 0..4294967295"},
        {"sizes past 32 bits",
         {"--order-length", "255", "--end-order", "255", "--rows", "255", "--samples-per-row", "65535"},
         "samples-per-row (option --samples-per-row): the rows cover 4261413375 frames, allowed at most 268435451 (32-bit buffer and file sizes)"},
        {"channel end past channels", {"--channel-end", "16"}, "channel-end (option --channel-end): found 16, allowed 0..15 (the channel count)"},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"check", song};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolRun run = runTool(args);
        EXPECT_EQ(run.status, EXIT_BAD_INPUT);
        EXPECT_EQ(run.err, song + ": header value " + c.message + "\n");
    }
}

TEST_F(MivosongErrors, BlockSizeMustMatchTheHeader) {
    const std::string song = write("song.bin", std::vector<std::uint8_t>(30794, 0));
    const ToolRun run = runTool({"check", song});
    EXPECT_EQ(run.status, EXIT_BAD_INPUT);
    EXPECT_EQ(run.err, song + ": size of the song block: found 30794 bytes, the header describes 30795 "
                              "(15 x 2053-byte channel blocks)\n");

    const std::string text = write("notes.txt", "# my song\n[song]\n");
    EXPECT_NE(runTool({"check", text}).err.find("a text song must begin with the line \"mivo-song 1\""), std::string::npos);
}

TEST_F(MivosongErrors, ManyProblemsAreSummedUp) {
    std::vector<std::uint8_t> data(30795, 0);
    for (std::uint32_t channel = 0; channel < 15; ++channel) data[channel * 2053 + OSC1_WAVE] = data[channel * 2053 + OSC2_WAVE] = 99;
    const std::string song = write("song.bin", data);
    const ToolRun run = runTool({"check", song});
    EXPECT_EQ(run.status, EXIT_BAD_INPUT);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 21);
    EXPECT_NE(run.err.find(song + ": and 10 more problems\n"), std::string::npos);
}

TEST_F(MivosongErrors, FilesThatCannotBeReadOrWritten) {
    const std::string song = write("song.txt", songText(smallSong()));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"check", path("absent.bin")}, "cannot read " + path("absent.bin") + ": No such file or directory\n"},
        {{"check", dir.string()}, "cannot read " + dir.string() + ": Is a directory\n"},
        {{"dump", song, "-o", path("no/such/dir.txt")},
         "mivosong: cannot write " + path("no/such/dir.txt") + ": No such file or directory\n"},
        {{"build", song, "-o", path("no/such/dir.bin")},
         "mivosong: cannot write " + path("no/such/dir.bin") + ": No such file or directory\n"},
        {{"render", song, "-o", path("no/such/dir.wav")},
         "mivosong: cannot write " + path("no/such/dir.wav") + ": No such file or directory\n"},
        {{"render", song, "-o", path("out.wav"), "--stems", song},
         "mivosong: cannot create " + song + ": Not a directory\n"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args[0] + " " + args.back());
        const ToolRun run = runTool(args);
        EXPECT_EQ(run.status, EXIT_BAD_INPUT);
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(listing(), std::vector<std::string>{"song.txt"});
    }
}

TEST_F(MivosongErrors, BadInputWritesNoOutput) {
    std::string text = songText(smallSong());
    text.replace(text.find("osc1-wave         7"), 19, "osc1-wave         99");
    const std::string song = write("song.txt", text);
    write("kept.txt", "an earlier file");
    const std::vector<std::string> commands[] = {
        {"dump", song, "-o", path("kept.txt")},
        {"build", song, "-o", path("out.bin")},
        {"render", song, "-o", path("out.wav"), "--stems", path("stems")},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(runTool(args).status, EXIT_BAD_INPUT);
        EXPECT_EQ(listing(), (std::vector<std::string>{"kept.txt", "song.txt"}));
        EXPECT_EQ(read("kept.txt"), "an earlier file");
    }
}

TEST_F(MivosongErrors, CommandLine) {
    const std::string song = write("song.txt", songText(smallSong()));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "usage: mivosong COMMAND"},
        {{"play", song}, "mivosong: unknown command 'play' (see mivosong --help)"},
        {{"check", song, "--foo"}, "mivosong: unknown option --foo for check (see mivosong check --help)"},
        {{"check", song, "-o", "x"}, "mivosong: unknown option -o for check"},
        {{"build", song, "-o", "x", "--rows", "4"}, "mivosong: unknown option --rows for build"},
        {{"dump", song, "--stems", "x"}, "mivosong: unknown option --stems for dump"},
        {{"check"}, "mivosong: check needs a song file"},
        {{"build", song}, "mivosong: build needs -o BLOCK"},
        {{"dump", song, "-o"}, "mivosong: -o needs a value"},
        {{"check", song, song}, "mivosong: unexpected argument"},
        {{"check", song, "--rows", "4x"}, "mivosong: --rows: '4x' is not a whole number"},
        {{"check", song, "--rows", "-4"}, "mivosong: --rows: '-4' is not a whole number"},
        {{"check", song, "--rows", "4", "--rows=5"}, "mivosong: --rows given twice"},
        {{"check", song, "--rows", "4"}, "header options describe a raw song block; this text song has its own [song] section"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(message);
        const ToolRun run = runTool(args);
        EXPECT_EQ(run.status, EXIT_BAD_INPUT);
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(MivosongErrors, HelpGoesToStandardOutput) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"check", "--help"}, {"dump", "-h"}, {"build", "--help"}, {"render", "--help"}}) {
        const ToolRun run = runTool(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("usage: mivosong ", 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
    }
}

}  // namespace
