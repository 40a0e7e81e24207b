// Waveform generators: the 27 waveforms that the oscillators and LFOs read,
// and phaseShape, the phase distortion applied to an oscillator's phase.
//
// A waveform number is a byte of the instrument block and selects a generator
// of WaveformTable. Every generator takes the unwrapped phase in cycles (it
// may be negative and grows over a note) and a pointer to the caller's
// generator memory; only the random-walk triangle reads or writes it. Noise
// and the random walk draw from the C library's rand(), which nothing seeds.
#pragma once

#include <cstdint>

using Waveform = std::uint8_t;

// Waveform numbers; they are part of the song format.
enum : Waveform {
    WAVE_SILENCE = 0,
    WAVE_RANDOM_SIGN = 1,
    WAVE_NOISE = 2,
    WAVE_WALK_TRIANGLE = 3,
    WAVE_SQUARE = 4,
    WAVE_SAW = 5,
    WAVE_TRIANGLE = 6,
    WAVE_SINE = 7,
    WAVE_ADDITIVE_8 = 8,
    WAVE_ADDITIVE_9,
    WAVE_ADDITIVE_10,
    WAVE_ADDITIVE_11,
    WAVE_ADDITIVE_12,
    WAVE_ADDITIVE_13,
    WAVE_ADDITIVE_14,
    WAVE_ADDITIVE_15,
    WAVE_ADDITIVE_16,
    WAVE_ADDITIVE_17,
    WAVE_ADDITIVE_18,
    WAVE_ADDITIVE_19,
    WAVE_ADDITIVE_20,
    WAVE_ADDITIVE_21,
    WAVE_ADDITIVE_22,
    WAVE_ADDITIVE_23,
    WAVE_ADDITIVE_24,
    WAVE_ADDITIVE_25,
    WAVE_ADDITIVE_26,
};
inline constexpr std::uint32_t WAVEFORM_COUNT = 27;
inline constexpr std::uint32_t ADDITIVE_WAVEFORM_COUNT = WAVEFORM_COUNT - WAVE_ADDITIVE_8;

inline constexpr double PI = 3.141592653589793;
inline constexpr int RANDOM_MAX = 32767;                 // rand() returns 0..RANDOM_MAX
inline constexpr double RANDOM_SCALE = 2.0 / RANDOM_MAX;  // maps rand()'s range onto 0..2
inline constexpr double HARMONIC_SCALE = 0.0001;         // amplitudes are in units of 1/10000
inline constexpr double WALK_STEP_DIVISOR = 9.0;         // walk steps spread over [-1/9, +1/9]

// phase: cycles, unwrapped. state: the caller's generator memory.
using WaveformFn = double (*)(double phase, double* state);

// Indexed by waveform number, 0..WAVEFORM_COUNT - 1, without a range check:
// decodeVoiceParams turns unknown numbers into WAVE_SILENCE before any lookup.
extern const WaveformFn WaveformTable[WAVEFORM_COUNT];

// One sine partial: its frequency as a multiple of the fundamental and its
// weight in units of 1/10000 (negative inverts it). Harmonic 0 ends a table.
struct HarmonicPair {
    std::int16_t harmonic;
    std::int16_t amplitude;
};

// The partials of one additive waveform, in rising order, ending with (0, 0).
using HarmonicTable = const HarmonicPair*;

// The table summed by additive waveform `wave`, WAVE_ADDITIVE_8..WAVE_ADDITIVE_26.
HarmonicTable harmonicTable(Waveform wave);

// One value from the C library's rand(), brought to 0..RANDOM_MAX with equal
// likelihood whatever the library's RAND_MAX (glibc's is 2^31 - 1). Safe to
// call from several threads; the engine never seeds it.
int drawRandom();

// The value drawn by each random waveform mapped to its output; r is 0..RANDOM_MAX.
double randomSign(int r);                    // waveform 1: bit 1 of r chooses the sign
double noiseValue(int r);                    // waveform 2: -1.0 .. +1.0, never 0
double walkTriangle(double phase, double* level, int r);  // waveform 3: moves *level by one step

// Phase distortion: keeps whole-number phases in place and changes only the
// speed within each cycle; an exponent of 0 leaves the phase unchanged.
double phaseShape(double phase, double exponent);
