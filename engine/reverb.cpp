// Reverb taps: modulated delay reads of the channel's earlier output.
#include "reverb.h"

#include <cmath>

namespace {

constexpr std::int32_t LENGTH_MODULATION_DIVISOR = 97000;
constexpr std::int32_t LENGTH_MODULATION_VARIANT_STEP = 30;
constexpr std::int32_t LENGTH_BASE = 97;
constexpr std::int32_t GAIN_MODULATION_PHASE = 23;
constexpr std::int32_t GAIN_MODULATION_DIVISOR = 11000;
constexpr std::int32_t GAIN_MODULATION_VARIANT_STEP = 800;

}  // namespace

double reverbTap(const ReverbTapContext& context, int tap, int source, int variant) {
    const std::int32_t p = REVERB_PRIMES[tap];
    const std::int32_t n = context.index;

    const std::int32_t lengthDivisor = LENGTH_MODULATION_DIVISOR - LENGTH_MODULATION_VARIANT_STEP * p * variant;
    const double lengthWobble = std::sin(static_cast<double>(p * p) - n / static_cast<double>(lengthDivisor));
    const double length = (lengthWobble + (variant + LENGTH_BASE)) * context.timeScale * REVERB_TAP_FACTORS[tap];
    // Truncated toward zero, then made even so that the read stays on the chosen side.
    const std::int32_t k = static_cast<std::int32_t>(length) & ~std::int32_t{1};

    const std::int32_t index = n + source - k;
    if (index < 0) return 0.0;

    const std::int32_t gainDivisor = GAIN_MODULATION_VARIANT_STEP * variant + GAIN_MODULATION_DIVISOR;
    const double gainWobble =
        std::sin(static_cast<double>((GAIN_MODULATION_PHASE - variant) * p) + n / static_cast<double>(gainDivisor));
    return std::sqrt(static_cast<double>(p)) * (gainWobble * (context.samples[index] * context.wetGain));
}
