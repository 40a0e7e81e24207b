// Channel row processor: renders one row of one channel.
//
// processRow applies the row's effect command to the channel's instrument in
// the song's working copy, starts the notes of the four note columns (with
// strum) and renders each of them to its very end, row by row, letting the
// commands of later rows reach the sounding note through the player's working
// copy `params`; then it runs the channel effects over the row's own frames.
#pragma once

#include <cstdint>

#include "song.h"

inline constexpr std::uint32_t PARAMS_WORKING_SIZE = 72;  // the instrument's 69 bytes and 3 never read
inline constexpr std::int32_t STRUM_DIVISOR = 510;

// The render cursor of one channel, owned by the front end.
struct ChannelPlayer {
    const SongHeader* song;
    std::uint8_t channel;
    std::uint16_t row;                        // current song row index
    std::uint32_t rowStart;                   // frame of the current row's first frame
    std::uint8_t params[PARAMS_WORKING_SIZE]; // working copy handed to the voices
    std::uint32_t savedRowStart;
    std::uint16_t savedRow;
};

// A player at the song's first row, frame 0, with an all-zero working copy.
ChannelPlayer makeChannelPlayer(const SongHeader& song, std::uint8_t channel);

// Where an effect command writes: the channel's instrument in the song's
// working copy, or the player's params.
enum class EffectTarget { Block, Params };

void applyEffectCommand(ChannelPlayer& player, EffectTarget target);

// Renders row player.row at frame player.rowStart into the channel buffer
// `samples` (interleaved stereo doubles, channelBufferFrames(song) frames).
// player.row and player.rowStart are as on entry when it returns.
void processRow(ChannelPlayer& player, double* samples, std::uint16_t& lastActiveRow);
