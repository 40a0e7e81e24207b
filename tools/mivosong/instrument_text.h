// Readable names of the 69 instrument bytes, and what a value means.
//
// Text songs list a channel's instrument one byte per line under these names,
// and effect commands in patterns name the byte they set the same way. The
// descriptions ("sine", "low-pass + band-pass", "attack 0.36 s") become the
// comments that `mivosong dump` writes beside each value.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "song.h"

extern const std::array<const char*, INSTRUMENT_SIZE> INSTRUMENT_FIELD_NAMES;

std::optional<std::uint32_t> instrumentFieldByName(std::string_view name);

// Largest value the byte may hold: 26 for waveform bytes, 5 for
// modulation-source bytes, 255 for all others.
std::uint8_t instrumentByteLimit(std::uint32_t offset);

// What `value` means for the byte at `offset`; empty where the number says
// it all. The song's samplesPerRow turns lengths into seconds.
std::string describeInstrumentByte(std::uint32_t offset, std::uint8_t value, std::uint16_t samplesPerRow);
