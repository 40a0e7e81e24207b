// Instrument parameter block: decoding of its bytes.
//
// The scalings marked single precision below are computed wholly in float,
// their decimal constants included, and only then widened: the sound is
// defined by those roundings.
#include "instrument.h"

#include "voice.h"
#include "waveform.h"

namespace {

// Stage lengths grow with the square of the byte: (2b)^2 samples.
std::int32_t stageSamples(std::uint8_t b) {
    const std::int32_t doubled = 2 * b;
    return doubled * doubled;
}

float unitLevel(std::uint8_t b) {
    return static_cast<float>(b) / 255.0f;
}

// Bytes 36 and 37: (b / 128)^2 x 10 - 10, the square taken first.
float shapeOffset(std::uint8_t b) {
    const float ratio = static_cast<float>(b) / 128.0f;
    return ratio * ratio * 10.0f - 10.0f;
}

// Bytes 39 and 43.
float shapeDepth(std::uint8_t b) {
    return static_cast<float>(b) / 6.4f - 20.0f;
}

// Bytes 45 and 14 centre on 128.
float centredDepth(std::uint8_t b, float divisor) {
    return static_cast<float>(b - 128) / divisor;
}

// Song bytes can be rewritten by effect commands while a song plays, so a
// waveform byte past the table is possible: it sounds as silence.
Waveform knownWaveform(std::uint8_t b) {
    return b < WAVEFORM_COUNT ? b : Waveform{WAVE_SILENCE};
}

// A modulation source byte past the source table reads as a source of 0.
// depth x 0 equals depth 0 applied to MOD_ONE in every use, so the routing
// is resolved here once and the per-sample path indexes without a check.
void resolveRouting(std::uint8_t b, float depth, std::uint8_t& source, float& resolvedDepth) {
    if (b < MOD_SOURCE_COUNT) {
        source = b;
        resolvedDepth = depth;
    } else {
        source = MOD_ONE;
        resolvedDepth = 0.0f;
    }
}

}  // namespace

std::uint32_t readMarkPosition(const std::uint8_t* block) {
    return std::uint32_t{block[MARK_POSITION]} | std::uint32_t{block[MARK_POSITION + 1]} << 8 |
           std::uint32_t{block[MARK_POSITION + 2]} << 16 | std::uint32_t{block[MARK_POSITION + 3]} << 24;
}

void writeMarkPosition(std::uint8_t* block, std::uint32_t position) {
    for (std::uint32_t i = 0; i < 4; ++i) block[MARK_POSITION + i] = static_cast<std::uint8_t>(position >> (8 * i));
}

float pitchDepth(std::uint8_t b) {
    if (b < 64) {
        return static_cast<float>(b - 64);
    }
    if (b <= 192) {
        return static_cast<float>(b - 128) / 64.0f;
    }
    return static_cast<float>(b - 192);
}

double lfoRate(std::uint8_t b, std::int32_t samplesPerRow) {
    // Shifted as unsigned and read back as signed: b = 31 gives -2^31 and a
    // negative rate, as the byte is defined.
    const auto q = static_cast<std::int32_t>(std::uint32_t{1} << (b % 32));
    return static_cast<float>(q) / static_cast<float>(samplesPerRow * 512) * 2.0f;
}

VoiceParams decodeVoiceParams(const std::uint8_t* params, std::int32_t samplesPerRow) {
    VoiceParams v{};
    v.osc1Wave = knownWaveform(params[OSC1_WAVE]);
    v.osc1Level = unitLevel(params[OSC1_LEVEL]);
    v.osc2Wave = knownWaveform(params[OSC2_WAVE]);
    v.osc2Level = unitLevel(params[OSC2_LEVEL]);
    v.osc2Coarse = params[OSC2_COARSE];
    v.osc2Fine = static_cast<float>(params[OSC2_FINE]) * 0.01f;
    v.stageLength[STAGE_ATTACK] = stageSamples(params[ATTACK_LENGTH]);
    v.stageLength[STAGE_DECAY] = stageSamples(params[DECAY_LENGTH]);
    v.stageLength[STAGE_SUSTAIN] = stageSamples(params[SUSTAIN_LENGTH]);
    v.stageLength[STAGE_RELEASE] = stageSamples(params[RELEASE_LENGTH]);
    v.sustainLevel = unitLevel(params[SUSTAIN_LEVEL]);
    v.arpStep = (4 * samplesPerRow) >> (params[ARPEGGIO_SPEED] % 32);
    v.lfo1Wave = knownWaveform(params[LFO1_WAVE]);
    v.lfo1Rate = lfoRate(params[LFO1_RATE], samplesPerRow);
    v.lfo1Limit = params[LFO1_LIMIT] * v.lfo1Rate;  // in double, from the already widened rate
    v.lfo2Wave = knownWaveform(params[LFO2_WAVE]);
    v.lfo2Rate = lfoRate(params[LFO2_RATE], samplesPerRow);
    resolveRouting(params[OSC1_PITCH_SOURCE], pitchDepth(params[OSC1_PITCH_DEPTH]), v.osc1PitchSource,
                   v.osc1PitchDepth);
    resolveRouting(params[OSC2_PITCH_SOURCE], pitchDepth(params[OSC2_PITCH_DEPTH]), v.osc2PitchSource,
                   v.osc2PitchDepth);
    resolveRouting(params[OSC1_SHAPE_SOURCE], shapeDepth(params[OSC1_SHAPE_DEPTH]), v.osc1ShapeSource,
                   v.osc1ShapeDepth);
    resolveRouting(params[OSC1_AMP_SOURCE], static_cast<float>(params[OSC1_AMP_DEPTH]) / 128.0f - 1.0f,
                   v.osc1AmpSource, v.osc1AmpDepth);
    resolveRouting(params[OSC2_SHAPE_SOURCE], shapeDepth(params[OSC2_SHAPE_DEPTH]), v.osc2ShapeSource,
                   v.osc2ShapeDepth);
    resolveRouting(params[CUTOFF_SOURCE], centredDepth(params[CUTOFF_DEPTH], 24.0f), v.cutoffSource,
                   v.cutoffDepth);
    resolveRouting(params[DAMPING_SOURCE], centredDepth(params[DAMPING_DEPTH], 128.0f), v.dampingSource,
                   v.dampingDepth);
    v.osc1ShapeOffset = shapeOffset(params[OSC1_SHAPE_OFFSET]);
    v.osc2ShapeOffset = shapeOffset(params[OSC2_SHAPE_OFFSET]);
    v.cutoffKey = params[CUTOFF_KEY];
    v.filterMode = params[FILTER_MODE];
    v.damping = 1.0f - static_cast<float>(params[RESONANCE]) / 255.0f;
    v.drive = static_cast<float>(params[DRIVE]) * 0.4f;
    v.combineMode = params[COMBINE_MODE];
    v.pluckBlend = unitLevel(params[PLUCK_BLEND]);
    v.pluckFlipChance = unitLevel(params[PLUCK_FLIP_CHANCE]);
    return v;
}
