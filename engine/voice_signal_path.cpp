// Voice signal path: one sample of a voice.
//
// Oscillator 1 is read through phaseShape with pitch, shape and amplitude
// modulation; the optional pluck stage records its first cycle and then plays
// that ring back, smoothing and writing it back on every pass; oscillator 2
// joins in one of five ways; then come the squared envelope and velocity
// gain, an optional tanh drive, a state-variable filter and a second drive.
#include <cmath>

#include "voice.h"
#include "waveform.h"

namespace {

double pitchFactor(float depth, double source) {
    return std::pow(SEMITONE_RATIO, depth * source);
}

// Records the note's first cycle (shaped phase below 1), then replaces the
// oscillator by the ring of recorded samples: each read is averaged with its
// predecessor, may flip sign at random, and is written back.
double pluck(GeneratorState& osc, const VoiceParams& params, double shapedPhase, double y) {
    if (shapedPhase < 1.0) {
        // A cycle longer than the buffer (a note below 10 Hz) keeps its first 0.1 s.
        if (osc.count < PLUCK_BUFFER_SAMPLES) {
            osc.buffer[osc.count] = y;
            ++osc.count;
        }
        return y;
    }
    if (osc.count == 0) {
        return 0.0;  // nothing was recorded: a first sample already past the first cycle
    }
    // fmod(...) < 1, so idx < count: a product x * n with x < 1 never rounds up to n.
    const auto idx = static_cast<std::uint32_t>(std::fmod(shapedPhase, 1.0) * osc.count);
    const std::uint32_t prev = idx == 0 ? osc.count - 1u : idx - 1;
    // The comparison is in single precision, as the chance is defined.
    const double sign = params.pluckFlipChance * static_cast<float>(RANDOM_MAX) > static_cast<float>(drawRandom())
                            ? -1.0
                            : 1.0;
    const float weightSum = params.pluckBlend + 1.0f;  // summed in single precision on purpose
    const double smoothed = (params.pluckBlend * osc.buffer[prev] + osc.buffer[idx]) / weightSum * sign;
    osc.buffer[idx] = smoothed;
    return smoothed;
}

double oscillator2(VoiceState& voice, const VoiceParams& params, double phase, double shapeExponent) {
    return WaveformTable[params.osc2Wave](phaseShape(phase, shapeExponent), &voice.osc2.value) * params.osc2Level;
}

double combine(VoiceState& voice, const VoiceParams& params, double y) {
    if (params.combineMode > COMBINE_FOLD) {
        return y;
    }
    const double* mod = voice.modSources;
    const double shape = params.osc2ShapeDepth * mod[params.osc2ShapeSource] + params.osc2ShapeOffset;
    switch (params.combineMode) {
    case COMBINE_ADD:
        return y + oscillator2(voice, params, voice.osc2Phase, shape);
    case COMBINE_MULTIPLY:
        return y * oscillator2(voice, params, voice.osc2Phase, shape);
    case COMBINE_WAVESHAPE:
        return oscillator2(voice, params, 0.5 * y + 1.0, shape);
    case COMBINE_PHASE_MODULATION:
        return oscillator2(voice, params, y + voice.osc2Phase, shape);
    default: {
        const double c = oscillator2(voice, params, voice.osc2Phase, shape);
        return y * y > c * c ? 2.0 * c - y : y;  // fold: mirror about c where |y| > |c|
    }
    }
}

double drive(const VoiceParams& params, double y) {
    return std::tanh(params.drive * y);
}

// A state-variable filter; its states update every sample, also when no
// output bit is set and the input passes unchanged.
double filter(VoiceState& voice, const VoiceParams& params, double y, double cutoffBase) {
    const double* mod = voice.modSources;
    double fc = cutoffBase;
    if (params.cutoffDepth != 0.0f) {
        fc = std::pow(2.0, params.cutoffDepth * mod[params.cutoffSource]) * fc;
    }
    const double f = std::fmin(CUTOFF_LIMIT, fc) * CUTOFF_SCALE;

    voice.filterLow = voice.filterLow + f * voice.filterBand;
    const double d = std::fmin(1.0, params.dampingDepth * mod[params.dampingSource] + params.damping);
    const double high = d * (y - voice.filterBand) - voice.filterLow;
    voice.filterBand = voice.filterBand + f * high;

    const std::uint8_t outputs = params.filterMode & (FILTER_HIGH_PASS | FILTER_LOW_PASS | FILTER_BAND_PASS);
    if (outputs == 0) {
        return y;
    }
    return static_cast<double>(outputs & FILTER_HIGH_PASS) * high +
           ((outputs & FILTER_LOW_PASS) != 0 ? voice.filterLow : 0.0) +
           ((outputs & FILTER_BAND_PASS) != 0 ? voice.filterBand : 0.0);
}

}  // namespace

double renderVoiceSample(VoiceState& voice, const VoiceParams& params, double inc1, double inc2, double e,
                         double cutoffBase) {
    const double* mod = voice.modSources;

    voice.osc1Phase = voice.osc1Phase + inc1 * pitchFactor(params.osc1PitchDepth, mod[params.osc1PitchSource]);
    const double shaped1 =
        phaseShape(voice.osc1Phase, params.osc1ShapeDepth * mod[params.osc1ShapeSource] + params.osc1ShapeOffset);
    // Called also while the pluck ring replaces it, so that noise and the
    // random walk keep advancing.
    double y = WaveformTable[params.osc1Wave](shaped1, &voice.osc1.value);
    // An effect command can switch the pluck on during a note that started
    // without a buffer: the stage is then left out.
    if (params.pluckBlend != 0.0f && voice.osc1.buffer != nullptr) {
        y = pluck(voice.osc1, params, shaped1, y);
    }
    y = y * (params.osc1AmpDepth * mod[params.osc1AmpSource] + params.osc1Level);

    voice.osc2Phase = voice.osc2Phase + inc2 * pitchFactor(params.osc2PitchDepth, mod[params.osc2PitchSource]);
    y = combine(voice, params, y);

    y = y * (e * voice.gain * VOICE_OUTPUT_SCALE);
    if ((params.filterMode & FILTER_DRIVE_BEFORE) != 0) {
        y = drive(params, y);
    }
    y = filter(voice, params, y, cutoffBase);
    if ((params.filterMode & FILTER_DRIVE_AFTER) != 0) {
        y = drive(params, y);
    }
    return y;
}
