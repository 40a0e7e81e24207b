// The song block compiled into mivo and mivoplay (generated from assets/song.bin).
#pragma once

#include <cstdint>

extern const std::uint8_t SONG_ASSET[];
extern const std::uint32_t SONG_ASSET_SIZE;
