// Channel row processor. The synthesis behind a row is not wired in yet:
// a row applies its effect command and renders nothing.
#include "row_processor.h"

ChannelPlayer makeChannelPlayer(const SongHeader& song, std::uint8_t channel) {
    ChannelPlayer player{};
    player.song = &song;
    player.channel = channel;
    player.row = static_cast<std::uint16_t>(firstSongRow(song));
    return player;
}

void applyEffectCommand(ChannelPlayer&, EffectTarget) {}

void processRow(ChannelPlayer&, double*, std::uint16_t&) {}
