// Channel row processor: effect commands, note columns with strum, notes
// rendered to their ends across rows, and the channel effects last.
#include "row_processor.h"

#include <algorithm>
#include <cstring>

#include "channel_effects.h"
#include "instrument.h"
#include "voice.h"

namespace {

constexpr double VELOCITY_SCALE = 1.0 / 225.0;
constexpr std::uint8_t VELOCITY_STEPS = 15;  // step 15 is silent

std::uint8_t* playerBlock(const ChannelPlayer& player) {
    return channelBlock(*player.song, player.channel);
}

// A fresh voice for a note, set up from the channel's block.
VoiceState startVoice(const std::uint8_t* block, std::uint8_t note, std::uint8_t velocityLength) {
    VoiceState voice{};
    voice.note = note;
    const int loudness = VELOCITY_STEPS - (velocityLength >> 4);
    voice.gain = loudness * loudness * VELOCITY_SCALE;
    voice.lengthRows = LENGTH_TABLE[velocityLength & 0x0F];
    voice.arpWord = block[ARPEGGIO];
    voice.releaseLevel = static_cast<float>(block[SUSTAIN_LEVEL]) / 255.0f;
    if (block[PLUCK_BLEND] != 0) allocatePluckBuffer(voice);
    return voice;
}

// Renders one note from the current row to its end, or to the song's end,
// row by row; the commands of the rows it sounds through reach `params`.
// Leaves player.row just past the note's last rendered row.
void renderNoteToEnd(ChannelPlayer& player, double* samples, VoiceState& voice, std::uint32_t column) {
    const SongHeader& song = *player.song;
    const std::uint8_t* block = playerBlock(player);
    const std::int32_t samplesPerRow = song.samplesPerRow;
    std::int32_t strum = block[STRUM] * static_cast<std::int32_t>(column) * samplesPerRow / STRUM_DIVISOR;

    for (;;) {
        const std::int32_t frameCount = samplesPerRow - strum;
        // With nothing to render the voice only advances its bookkeeping; the
        // row start keeps the pointer inside the buffer.
        const std::uint32_t firstFrame = player.rowStart + static_cast<std::uint32_t>(frameCount > 0 ? strum : 0);
        const auto lfoTime = static_cast<std::int32_t>(player.rowStart + static_cast<std::uint32_t>(strum) -
                                                       readMarkPosition(block));
        renderVoice(samples + 2 * static_cast<std::size_t>(firstFrame), player.params, voice, frameCount, lfoTime);

        player.rowStart += static_cast<std::uint32_t>(samplesPerRow);
        player.row = static_cast<std::uint16_t>(player.row + 1);
        if (player.row >= endSongRow(song)) return;  // cut at the song's end
        applyEffectCommand(player, EffectTarget::Params);
        strum = 0;
        if (voice.finished) return;
    }
}

void playNoteColumns(ChannelPlayer& player, double* samples, std::uint16_t& lastActiveRow, std::uint8_t pattern) {
    const SongHeader& song = *player.song;
    const std::uint8_t* block = playerBlock(player);

    for (std::uint32_t column = 0; column < NOTE_COLUMNS; ++column) {
        const std::uint8_t note = patternByte(song, player.channel, pattern, column, player.row);
        if (note == 0) continue;
        const std::uint8_t velocityLength =
            patternByte(song, player.channel, pattern, VELOCITY_LENGTH_COLUMN + column, player.row);

        VoiceState voice = startVoice(block, note, velocityLength);
        std::memcpy(player.params, block, INSTRUMENT_SIZE);
        player.savedRowStart = player.rowStart;
        player.savedRow = player.row;

        renderNoteToEnd(player, samples, voice, column);

        lastActiveRow = std::max(lastActiveRow, player.row);
        player.rowStart = player.savedRowStart;
        player.row = player.savedRow;
        releaseVoiceBuffers(voice);
    }
}

}  // namespace

ChannelPlayer makeChannelPlayer(const SongHeader& song, std::uint8_t channel) {
    ChannelPlayer player{};
    player.song = &song;
    player.channel = channel;
    player.row = static_cast<std::uint16_t>(firstSongRow(song));
    return player;
}

void applyEffectCommand(ChannelPlayer& player, EffectTarget target) {
    const SongHeader& song = *player.song;
    const std::uint8_t pattern = orderEntry(song, player.channel, player.row);
    if (pattern == 0) return;
    const std::uint8_t command = patternByte(song, player.channel, pattern, COMMAND_COLUMN, player.row);
    if (command == 0) return;

    std::uint8_t* params = target == EffectTarget::Block ? playerBlock(player) : player.params;
    if (command == MARK_COMMAND) {
        writeMarkPosition(params, player.rowStart);
    } else if (command <= HIGHEST_EFFECT_COMMAND) {
        // Commands past the instrument's bytes would write outside it: ignored.
        params[command - 1] = patternByte(song, player.channel, pattern, COMMAND_VALUE_COLUMN, player.row);
    }
}

void processRow(ChannelPlayer& player, double* samples, std::uint16_t& lastActiveRow) {
    const SongHeader& song = *player.song;
    setEngineRowLength(song.samplesPerRow);

    const std::uint8_t pattern = orderEntry(song, player.channel, player.row);
    if (pattern != 0) {
        player.savedRowStart = player.rowStart;
        player.savedRow = player.row;
        applyEffectCommand(player, EffectTarget::Block);
        playNoteColumns(player, samples, lastActiveRow, pattern);
    }

    applyChannelEffects(playerBlock(player), player.row, player.rowStart, engineRowLength(), samples, lastActiveRow);
}
