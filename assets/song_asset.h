// The song block compiled into mivo and mivoplay, built from assets/song.txt.
#pragma once

#include <cstdint>

extern const std::uint8_t SONG_ASSET[];
extern const std::uint32_t SONG_ASSET_SIZE;
