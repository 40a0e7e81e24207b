// Master bus: look-ahead compressor, make-up gain, fade-out and 16-bit output.
#include "master_bus.h"

#include <cmath>

#include "wav.h"

namespace {

std::int16_t toPcm(double x) {
    x = x * 32767.0;
    if (x < -32767.0) return -PCM_LIMIT;
    if (x > 32767.0) return PCM_LIMIT;
    return static_cast<std::int16_t>(x);  // truncation toward zero is the behaviour
}

}  // namespace

void runMasterBus(const double* mix, const MasterBusSpan& span, SizedBuffer& image) {
    double envelope = 0.0;
    const double fadeStep = 1.0 / static_cast<double>(span.fadeEnd - span.fadeStart);
    std::uint8_t* out = bufferBytes(image) + image.length;

    for (std::int32_t k = span.first; k < span.end; ++k) {
        double x = mix[k];

        // The follower looks 88 samples ahead; near the span's end it holds.
        const double detected = k + LOOKAHEAD_SAMPLES < span.end ? std::fabs(mix[k + LOOKAHEAD_SAMPLES]) : envelope;
        const double coeff = detected > envelope ? ATTACK_COEFF : RELEASE_COEFF;
        envelope = (detected - envelope) * coeff + envelope;

        if (envelope > COMP_THRESHOLD) {
            x = x * (((envelope - COMP_THRESHOLD) * COMP_SLOPE + COMP_THRESHOLD) / envelope);
        }
        x = x * MAKEUP_GAIN;

        if (k > span.fadeStart) {
            if (k >= span.fadeEnd) {
                x = 0.0;
            } else {
                x = x * (1.0 - static_cast<double>(k - span.fadeStart) * fadeStep);
            }
        }

        storeLittleEndian16(out, static_cast<std::uint16_t>(toPcm(x)));
        out += WAV_BYTES_PER_SAMPLE;
    }
    image.length += static_cast<std::uint32_t>(span.end - span.first) * WAV_BYTES_PER_SAMPLE;
}
