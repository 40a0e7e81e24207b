// Instrument parameter block: the 69 bytes at the head of every channel
// block that hold the channel's whole sound, and their decoding.
//
// Three stages read the block: the voice renderer (from the player's 72-byte
// working copy), the row processor at a note's start and the channel effects
// (both from the block in the song's working copy). Effect commands rewrite
// single bytes while the song plays.
#pragma once

#include <cstdint>

// Byte offsets within the block, with the range of the byte's value.
enum InstrumentByte : std::uint32_t {
    OSC1_WAVE = 0,            // waveform of oscillator 1, 0..26
    OSC1_LEVEL = 1,           // b / 255
    OSC1_PITCH_DEPTH = 2,     // pitchDepth(b), semitones per unit of the source in byte 28
    OSC2_WAVE = 3,            // waveform of oscillator 2, 0..26
    OSC2_LEVEL = 4,           // b / 255
    OSC2_COARSE = 5,          // transpose, b - 128 semitones
    OSC2_FINE = 6,            // fine tune, (b - 50) hundredths of a semitone
    OSC2_PITCH_DEPTH = 7,     // pitchDepth(b), per unit of the source in byte 29
    ATTACK_LENGTH = 8,        // (2b)^2 samples
    SUSTAIN_LENGTH = 9,       // (2b)^2 samples
    RELEASE_LENGTH = 10,      // (2b)^2 samples
    ARPEGGIO = 11,            // 0xXY: offsets 0, X, Y semitones
    ARPEGGIO_SPEED = 12,      // step = 4 rows >> (b mod 32)
    LFO1_WAVE = 13,           // waveform of LFO 1, 0..26
    CUTOFF_DEPTH = 14,        // (b - 128) / 24 octaves per unit of the source in byte 16
    LFO1_RATE = 15,           // 2^b / 256 cycles per row
    CUTOFF_SOURCE = 16,       // modulation source, 0..5
    FILTER_MODE = 17,         // bits: 0 high-pass, 1 low-pass, 2 band-pass, 3 drive before, 4 drive after
    CUTOFF_KEY = 18,          // cutoff b semitones above the note
    RESONANCE = 19,           // damping = 1 - b / 255
    DRIVE = 20,               // b x 0.4
    CHANNEL_GAIN = 21,        // (b / 128)^2; 128 = 1.0
    PAN_DEPTH = 22,           // (b - 128) / 128; 128 = no movement
    PAN_RATE = 23,            // 2^b / 256 cycles per row
    ECHO_GAIN = 24,           // b / 255; 0 = off
    ECHO_DISTANCE = 25,       // b half rows
    DECAY_LENGTH = 26,        // (2b)^2 samples
    SUSTAIN_LEVEL = 27,       // b / 255
    OSC1_PITCH_SOURCE = 28,   // modulation source, 0..5
    OSC2_PITCH_SOURCE = 29,   // modulation source, 0..5
    REVERB_WET = 30,          // b / 3825; 0 = off
    REVERB_SIZE = 31,         // (b x samplesPerRow) x 0.01
    LFO2_WAVE = 32,           // waveform of LFO 2, 0..26
    LFO2_RATE = 33,           // 2^b / 256 cycles per row
    COMBINE_MODE = 34,        // 0 add, 1 multiply, 2 waveshape, 3 phase modulation, 4 fold, 5.. off
    LFO1_LIMIT = 35,          // LFO 1 runs 1/b cycles, then holds; 0 = throughout
    OSC1_SHAPE_OFFSET = 36,   // (b / 128)^2 x 10 - 10
    OSC2_SHAPE_OFFSET = 37,   // (b / 128)^2 x 10 - 10
    OSC1_SHAPE_SOURCE = 38,   // modulation source, 0..5
    OSC1_SHAPE_DEPTH = 39,    // b / 6.4 - 20
    OSC1_AMP_SOURCE = 40,     // modulation source, 0..5
    OSC1_AMP_DEPTH = 41,      // b / 128 - 1
    OSC2_SHAPE_SOURCE = 42,   // modulation source, 0..5
    OSC2_SHAPE_DEPTH = 43,    // b / 6.4 - 20
    DAMPING_SOURCE = 44,      // modulation source, 0..5
    DAMPING_DEPTH = 45,       // (b - 128) / 128
    STRUM = 46,               // note column c starts (b x c x samplesPerRow) / 510 frames late
    PLUCK_BLEND = 47,         // b / 255; 0 = no plucked-string stage
    PLUCK_FLIP_CHANCE = 48,   // b / 255
    MARK_POSITION = 65,       // bytes 65..68: u32 little-endian frame of the last mark command
};

// markPosition, bytes 65..68, a little-endian u32.
std::uint32_t readMarkPosition(const std::uint8_t* block);
void writeMarkPosition(std::uint8_t* block, std::uint32_t position);

// Envelope stages, in the order they run.
enum EnvelopeStage : std::uint32_t {
    STAGE_ATTACK = 0,
    STAGE_DECAY = 1,
    STAGE_SUSTAIN = 2,
    STAGE_RELEASE = 3,
};
inline constexpr std::uint32_t ENVELOPE_STAGE_COUNT = 4;

// The voice bytes in engine units, decoded once per renderVoice call. Levels,
// depths and offsets are single precision on purpose: that is how the sound
// is defined; the voice widens them to double where it uses them.
//
// Waveform numbers are always valid (unknown ones read as WAVE_SILENCE) and
// every modulation source is a valid index: a routing from an unknown source
// is read from MOD_ONE with depth 0, which is the same as a source of 0.
struct VoiceParams {
    std::uint8_t osc1Wave;
    float osc1Level;                     // 0..1
    float osc1PitchDepth;                // semitones per unit of osc1PitchSource
    std::uint8_t osc2Wave;
    float osc2Level;                     // 0..1
    std::uint8_t osc2Coarse;             // transpose + 128 semitones
    float osc2Fine;                      // 0..2.55; 0.5 is in tune
    float osc2PitchDepth;                // semitones per unit of osc2PitchSource
    std::int32_t stageLength[ENVELOPE_STAGE_COUNT];  // samples, 0..260100, indexed by EnvelopeStage
    float sustainLevel;                  // 0..1
    std::int32_t arpStep;                // samples per arpeggio step; 0 = never steps
    std::uint8_t lfo1Wave;
    double lfo1Rate;                     // cycles per sample; negative runs backwards
    double lfo1Limit;                    // LFO 1 runs while lfo1Limit x position < 1
    std::uint8_t lfo2Wave;
    double lfo2Rate;                     // cycles per sample
    std::uint8_t osc1PitchSource;        // ModSource indices, 0..5
    std::uint8_t osc2PitchSource;
    std::uint8_t osc1ShapeSource;
    std::uint8_t osc1AmpSource;
    std::uint8_t osc2ShapeSource;
    std::uint8_t cutoffSource;
    std::uint8_t dampingSource;
    float osc1ShapeOffset;               // phaseShape exponent, -10..29.69; 0 = plain phase
    float osc1ShapeDepth;                // -20..19.84
    float osc1AmpDepth;                  // -1..0.99
    float osc2ShapeOffset;
    float osc2ShapeDepth;
    float cutoffDepth;                   // octaves per unit of cutoffSource
    std::uint8_t cutoffKey;              // semitones of the cutoff above the note
    std::uint8_t filterMode;             // FilterModeBit flags
    float damping;                       // 0..1; 0 = undamped
    float dampingDepth;                  // -1..0.99
    float drive;                         // 0..102
    std::uint8_t combineMode;            // CombineMode; 5..255 = oscillator 2 off
    float pluckBlend;                    // 0 = no plucked-string stage
    float pluckFlipChance;               // 0..1
};

// Bits of filterMode.
enum FilterModeBit : std::uint8_t {
    FILTER_HIGH_PASS = 1,
    FILTER_LOW_PASS = 2,
    FILTER_BAND_PASS = 4,
    FILTER_DRIVE_BEFORE = 8,
    FILTER_DRIVE_AFTER = 16,
};

// How oscillator 2 joins oscillator 1; any higher value leaves it out.
enum CombineMode : std::uint8_t {
    COMBINE_ADD = 0,
    COMBINE_MULTIPLY = 1,
    COMBINE_WAVESHAPE = 2,
    COMBINE_PHASE_MODULATION = 3,
    COMBINE_FOLD = 4,
};

// Decodes the voice bytes of the working copy `params` for a song of
// samplesPerRow frames per row.
VoiceParams decodeVoiceParams(const std::uint8_t* params, std::int32_t samplesPerRow);

// Pitch-modulation depth of bytes 2 and 7 in semitones per unit of the
// source: whole semitones below 64 and above 192, 1/64 steps in between.
float pitchDepth(std::uint8_t b);

// LFO rate of bytes 15 and 33 in cycles per sample: 2^b / 256 cycles per
// row, b taken modulo 32 (31 runs backwards).
double lfoRate(std::uint8_t b, std::int32_t samplesPerRow);
