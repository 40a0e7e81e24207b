// Channel effects: the last stage of a channel's row.
//
// Turns the mono sum that the voices left in the row's left elements into
// the channel's stereo output, in place: gain, an auto-pan that follows the
// song position, the eight-tap reverb per side and a ping-pong echo. Reverb
// and echo read earlier, already processed frames, so both feed back. The
// stage keeps lastActiveRow up while the output is audible and skips a
// channel that has been silent for more than TAIL_ROWS rows.
#pragma once

#include <cstdint>

inline constexpr std::uint16_t TAIL_ROWS = 8;
inline constexpr double ACTIVITY_THRESHOLD = 1.6e-8;  // compared with L^2 + R^2 of a frame

// Processes the frames rowStart .. rowStart + samplesPerRow - 1 of `samples`
// (interleaved stereo) with the settings of the channel's instrument `block`.
void applyChannelEffects(const std::uint8_t* block, std::uint16_t row, std::uint32_t rowStart,
                         std::int32_t samplesPerRow, double* samples, std::uint16_t& lastActiveRow);
