// Small songs for the player's tests, made of real instrument bytes so that
// they sound with the real synthesis: every channel plays a loud plain sine
// (no noise waveform, so that two renders agree) in a pattern of short
// notes, and every order position plays that pattern.
#pragma once

#include <cstdint>

#include "song_fixture.h"

struct PlayerSongShape {
    std::uint8_t channelCount = 2;
    std::uint8_t rowsPerPattern = 4;
    std::uint16_t samplesPerRow = 100;
    std::uint8_t orderLength = 8;
    std::uint8_t startOrder = 0;
    std::uint8_t endOrder = 8;
    std::uint32_t songFrames = 3200;
};

TestSong makePlayerSong(const PlayerSongShape& shape);

// About 1.6 s of two channels, long enough to pass the streaming fade-out,
// and its last row reaches 36 frames past the song's end. The program
// tests play it through SDL.
PlayerSongShape fadingSongShape();
