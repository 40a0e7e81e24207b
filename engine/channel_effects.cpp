// Channel effects: gain, auto-pan, reverb and ping-pong echo of one row.
#include "channel_effects.h"

#include <cmath>

#include "instrument.h"
#include "reverb.h"

namespace {

constexpr double PI = 3.141592653589793;
constexpr float ONE_128TH = 1.0f / 128.0f;
constexpr float REVERB_WET_DIVISOR = 3825.0f;  // 15 x 255
constexpr float REVERB_SIZE_SCALE = 0.01f;     // a single-precision constant, on purpose
constexpr std::int32_t RATE_DIVISOR_PER_ROW = 512;

// The settings of one row, decoded once from the channel's block.
struct ChannelEffectSettings {
    float gain;
    float panDepth;
    float panRate;          // cycles per interleaved element
    bool echoOn;
    float echoGain;
    std::int32_t echoDistance;  // interleaved elements, even
    bool reverbOn;
    double reverbWet;
    double reverbSize;
};

ChannelEffectSettings decodeChannelEffects(const std::uint8_t* block, std::int32_t samplesPerRow) {
    ChannelEffectSettings settings{};
    const float gainRoot = block[CHANNEL_GAIN] * ONE_128TH;
    settings.gain = gainRoot * gainRoot;
    settings.panDepth = static_cast<float>(block[PAN_DEPTH] - 128) * ONE_128TH;
    // 1 << 31 wraps to -2^31 on purpose: rate byte 31 runs the pan backwards.
    const auto cycles = static_cast<std::int32_t>(std::uint32_t{1} << (block[PAN_RATE] % 32));
    settings.panRate = static_cast<float>(cycles) / static_cast<float>(samplesPerRow * RATE_DIVISOR_PER_ROW);
    settings.echoOn = block[ECHO_GAIN] != 0;
    settings.echoGain = static_cast<float>(block[ECHO_GAIN]) / 255.0f;
    settings.echoDistance = (block[ECHO_DISTANCE] * samplesPerRow) & ~std::int32_t{1};
    settings.reverbOn = block[REVERB_WET] != 0;
    settings.reverbWet = static_cast<float>(block[REVERB_WET]) / REVERB_WET_DIVISOR;
    settings.reverbSize = static_cast<float>(block[REVERB_SIZE] * samplesPerRow) * REVERB_SIZE_SCALE;
    return settings;
}

}  // namespace

void applyChannelEffects(const std::uint8_t* block, std::uint16_t row, std::uint32_t rowStart,
                         std::int32_t samplesPerRow, double* samples, std::uint16_t& lastActiveRow) {
    if (lastActiveRow == 0) return;                  // the channel has not sounded yet
    if (row > lastActiveRow + TAIL_ROWS) return;     // silent for longer than the tails last

    const ChannelEffectSettings settings = decodeChannelEffects(block, samplesPerRow);
    std::uint16_t activeRow = lastActiveRow;

    for (std::int32_t i = 0; i < samplesPerRow; ++i) {
        const auto n = static_cast<std::int32_t>(2 * (rowStart + static_cast<std::uint32_t>(i)));
        const double x = samples[n];

        double left = 0.0;
        double right = 0.0;
        if (x != 0.0) {
            const double y = x * settings.gain;
            // The pan phase is formed in single precision from the absolute position.
            const float panPhase = static_cast<float>(n) * settings.panRate;
            const double m = std::sin((2.0 * panPhase) * PI) * settings.panDepth + 1.0;
            left = y * m;
            right = y * (2.0 - m);
        }

        if (settings.reverbOn) {
            const ReverbTapContext context{samples, n, settings.reverbWet, settings.reverbSize};
            for (int tap = 0; tap < REVERB_TAPS; ++tap) {
                right += reverbTap(context, tap, REVERB_SOURCE_LEFT, REVERB_VARIANT_FEEDS_RIGHT);
                left += reverbTap(context, tap, REVERB_SOURCE_RIGHT, REVERB_VARIANT_FEEDS_LEFT);
            }
        }

        if (settings.echoOn && n >= settings.echoDistance) {
            right += settings.echoGain * samples[n - settings.echoDistance];
            left += settings.echoGain * samples[n - settings.echoDistance + 1];
        }

        if (left * left + right * right > ACTIVITY_THRESHOLD && row > activeRow) activeRow = row;

        samples[n] = left;
        samples[n + 1] = right;
    }
    lastActiveRow = activeRow;
}
