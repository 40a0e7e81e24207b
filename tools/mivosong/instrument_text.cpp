// Instrument byte names and the meaning of their values.
#include "instrument_text.h"

#include <cmath>
#include <cstdio>

#include "instrument.h"
#include "voice.h"
#include "waveform.h"

const std::array<const char*, INSTRUMENT_SIZE> INSTRUMENT_FIELD_NAMES = {
    "osc1-wave",         "osc1-level",        "osc1-pitch-depth",  "osc2-wave",        "osc2-level",
    "osc2-coarse",       "osc2-fine",         "osc2-pitch-depth",  "attack",           "sustain",
    "release",           "arpeggio",          "arpeggio-speed",    "lfo1-wave",        "cutoff-depth",
    "lfo1-rate",         "cutoff-source",     "filter-mode",       "cutoff-key",       "resonance",
    "drive",             "channel-gain",      "pan-depth",         "pan-rate",         "echo-gain",
    "echo-distance",     "decay",             "sustain-level",     "osc1-pitch-source", "osc2-pitch-source",
    "reverb-wet",        "reverb-size",       "lfo2-wave",         "lfo2-rate",        "combine-mode",
    "lfo1-limit",        "osc1-shape-offset", "osc2-shape-offset", "osc1-shape-source", "osc1-shape-depth",
    "osc1-amp-source",   "osc1-amp-depth",    "osc2-shape-source", "osc2-shape-depth", "damping-source",
    "damping-depth",     "strum",             "pluck-blend",       "pluck-flip-chance", "unused-49",
    "unused-50",         "unused-51",         "unused-52",         "unused-53",        "unused-54",
    "unused-55",         "unused-56",         "unused-57",         "unused-58",        "unused-59",
    "unused-60",         "unused-61",         "unused-62",         "unused-63",        "unused-64",
    "mark-byte-0",       "mark-byte-1",       "mark-byte-2",       "mark-byte-3",
};

namespace {

constexpr const char* BASIC_WAVEFORM_NAMES[WAVE_ADDITIVE_8] = {
    "silence", "random sign", "noise", "random-walk triangle", "square", "saw", "triangle", "sine",
};

constexpr const char* MOD_SOURCE_NAMES[MOD_SOURCE_COUNT] = {
    "one (a fixed offset)", "envelope - 1", "LFO 1", "envelope", "LFO 2", "velocity",
};

constexpr const char* COMBINE_MODE_NAMES[] = {"add", "multiply", "waveshape", "phase modulation", "fold"};
constexpr std::uint8_t COMBINE_MODE_COUNT = COMBINE_FOLD + 1;

constexpr const char* FILTER_OUTPUT_NAMES[] = {"high-pass", "low-pass", "band-pass"};

constexpr std::uint8_t NEUTRAL_BYTE = 128;  // the "none" or "plain" value of centred bytes
constexpr int RATE_SHIFT_MODULUS = 32;
constexpr int ONE_CYCLE_PER_ROW_SHIFT = 8;  // rate bytes: 2^b / 256 cycles per row

bool isWaveformByte(std::uint32_t offset) {
    return offset == OSC1_WAVE || offset == OSC2_WAVE || offset == LFO1_WAVE || offset == LFO2_WAVE;
}

bool isModSourceByte(std::uint32_t offset) {
    switch (offset) {
    case CUTOFF_SOURCE:
    case OSC1_PITCH_SOURCE:
    case OSC2_PITCH_SOURCE:
    case OSC1_SHAPE_SOURCE:
    case OSC1_AMP_SOURCE:
    case OSC2_SHAPE_SOURCE:
    case DAMPING_SOURCE:
        return true;
    default:
        return false;
    }
}

std::string printed(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string waveformName(std::uint8_t value) {
    if (value < WAVE_ADDITIVE_8) return BASIC_WAVEFORM_NAMES[value];
    return "additive " + std::to_string(value);
}

std::string stageLength(const char* stage, std::uint8_t value, std::uint16_t samplesPerRow) {
    if (value == 0) return std::string(stage) + " skipped";
    const double samples = 4.0 * value * value;
    return std::string(stage) + printed(" %.3g s", samples / SAMPLE_RATE) + printed(" (%.3g rows)", samples / samplesPerRow);
}

std::string pitchDepthText(std::uint8_t value) {
    return printed("%+g semitones per unit of the source", pitchDepth(value));
}

std::string rateText(std::uint8_t value) {
    const int shift = value % RATE_SHIFT_MODULUS;
    if (shift == RATE_SHIFT_MODULUS - 1) return "runs backwards (the rate's sign bit)";
    if (shift < ONE_CYCLE_PER_ROW_SHIFT) return printed("1 cycle per %g rows", std::ldexp(1.0, ONE_CYCLE_PER_ROW_SHIFT - shift));
    return printed("%g cycles per row", std::ldexp(1.0, shift - ONE_CYCLE_PER_ROW_SHIFT));
}

std::string filterModeText(std::uint8_t value) {
    std::string outputs;
    for (int bit = 0; bit < 3; ++bit) {
        if ((value >> bit & 1) == 0) continue;
        if (!outputs.empty()) outputs += " + ";
        outputs += FILTER_OUTPUT_NAMES[bit];
    }
    if (outputs.empty()) outputs = "no filter output";
    if (value & 8) outputs += ", drive before";
    if (value & 16) outputs += ", drive after";
    return outputs;
}

std::string arpeggioText(std::uint8_t value) {
    if (value == 0) return "off";
    return "0, " + std::to_string(value >> 4) + ", " + std::to_string(value & 15) + " semitones";
}

std::string arpeggioSpeedText(std::uint8_t value) {
    return printed("a step every %g rows", std::ldexp(4.0, -(value % RATE_SHIFT_MODULUS)));
}

std::string shapeOffsetText(std::uint8_t value) {
    if (value == NEUTRAL_BYTE) return "plain phase";
    const float ratio = value / 128.0f;
    return printed("shape exponent %+.3g", ratio * ratio * 10.0f - 10.0f);
}

std::string centredDepth(std::uint8_t value, double scale) {
    if (value == NEUTRAL_BYTE) return "no modulation";
    return printed("depth %+.3g", (value - 128.0) / scale);
}

std::string strumText(std::uint8_t value) {
    if (value == 0) return "no strum";
    return printed("each column %.3g rows after the previous", value / 510.0);
}

}  // namespace

std::optional<std::uint32_t> instrumentFieldByName(std::string_view name) {
    for (std::uint32_t offset = 0; offset < INSTRUMENT_SIZE; ++offset) {
        if (name == INSTRUMENT_FIELD_NAMES[offset]) return offset;
    }
    return std::nullopt;
}

std::uint8_t instrumentByteLimit(std::uint32_t offset) {
    if (isWaveformByte(offset)) return WAVEFORM_COUNT - 1;
    if (isModSourceByte(offset)) return MOD_SOURCE_COUNT - 1;
    return 255;
}

std::string describeInstrumentByte(std::uint32_t offset, std::uint8_t value, std::uint16_t samplesPerRow) {
    if (isWaveformByte(offset)) return value < WAVEFORM_COUNT ? waveformName(value) : "";
    if (isModSourceByte(offset)) return value < MOD_SOURCE_COUNT ? MOD_SOURCE_NAMES[value] : "";
    switch (offset) {
    case OSC1_LEVEL:
    case OSC2_LEVEL:
    case SUSTAIN_LEVEL:
        return printed("level %.3f", value / 255.0);
    case OSC1_PITCH_DEPTH:
    case OSC2_PITCH_DEPTH:
        return pitchDepthText(value);
    case OSC2_COARSE:
        return printed("%+g semitones", value - 128.0);
    case OSC2_FINE:
        return printed("%+g cents", value - 50.0);
    case ATTACK_LENGTH:
        return stageLength("attack", value, samplesPerRow);
    case DECAY_LENGTH:
        return stageLength("decay", value, samplesPerRow);
    case SUSTAIN_LENGTH:
        return stageLength("sustain", value, samplesPerRow);
    case RELEASE_LENGTH:
        return stageLength("release", value, samplesPerRow);
    case ARPEGGIO:
        return arpeggioText(value);
    case ARPEGGIO_SPEED:
        return arpeggioSpeedText(value);
    case CUTOFF_DEPTH:
        return printed("%+.3g octaves per unit of the source", (value - 128.0) / 24.0);
    case LFO1_RATE:
    case LFO2_RATE:
    case PAN_RATE:
        return rateText(value);
    case FILTER_MODE:
        return filterModeText(value);
    case CUTOFF_KEY:
        return "cutoff " + std::to_string(value) + " semitones above the note";
    case RESONANCE:
        return value == 0 ? "most damped" : printed("damping %.3f", 1.0 - value / 255.0);
    case DRIVE:
        return printed("drive gain %.4g", value * 0.4);
    case CHANNEL_GAIN:
        return printed("gain %.3f", (value / 128.0) * (value / 128.0));
    case PAN_DEPTH:
        return value == NEUTRAL_BYTE ? "no auto-pan" : printed("auto-pan depth %+.3f", (value - 128.0) / 128.0);
    case ECHO_GAIN:
        return value == 0 ? "echo off" : printed("echo gain %.3f", value / 255.0);
    case ECHO_DISTANCE:
        return printed("%g rows", value / 2.0);
    case REVERB_WET:
        return value == 0 ? "reverb off" : printed("reverb level %.4f", value / 3825.0);
    case REVERB_SIZE:
        return printed("tap time scale %.4g", value * samplesPerRow * 0.01);
    case COMBINE_MODE:
        return value < COMBINE_MODE_COUNT ? COMBINE_MODE_NAMES[value] : "oscillator 2 off";
    case LFO1_LIMIT:
        return value == 0 ? "runs throughout" : "runs 1/" + std::to_string(value) + " cycle, then holds";
    case OSC1_SHAPE_OFFSET:
    case OSC2_SHAPE_OFFSET:
        return shapeOffsetText(value);
    case OSC1_SHAPE_DEPTH:
    case OSC2_SHAPE_DEPTH:
        return centredDepth(value, 6.4);
    case OSC1_AMP_DEPTH:
    case DAMPING_DEPTH:
        return centredDepth(value, 128.0);
    case STRUM:
        return strumText(value);
    case PLUCK_BLEND:
        return value == 0 ? "no plucked string" : printed("pluck smoothing %.3f", value / 255.0);
    case PLUCK_FLIP_CHANCE:
        return printed("sign flip chance %.3f", value / 255.0);
    case MARK_POSITION:
        return "bytes 65..68: the last mark's frame, little-endian";
    default:
        return offset > PLUCK_FLIP_CHANCE && offset < MARK_POSITION ? "not read" : "";
    }
}
