// Voice: one sounding note of one channel.
//
// processRow sets a VoiceState up at the note's trigger row; renderVoice then
// renders it over one span of frames per call, adding its mono samples into
// the left elements of the channel buffer, until it reports `finished`.
// renderVoiceSample is the signal path of one sample (oscillators, pluck,
// combination, drive, filter).
#pragma once

#include <bit>
#include <cstdint>

#include "instrument.h"

inline constexpr std::uint32_t PLUCK_BUFFER_SAMPLES = 4410;  // 0.1 s of one plucked cycle

// Pitch: note n runs at SEMITONE_RATIO^n x NOTE_RATE_BASE cycles per sample,
// about 110 x 2^((n - 120) / 12) Hz; 120 is about 110 Hz, 144 about 440 Hz.
inline constexpr double SEMITONE_RATIO = 1.0594630943592953;
inline constexpr double NOTE_RATE_BASE = 2.4358701814058922e-06;  // a hair below 110 / (1024 x 44100)
static_assert(std::bit_cast<std::uint64_t>(NOTE_RATE_BASE) == 0x3EC46EFDCB4A6B7AULL);

// Oscillator 2 plays coarse + pitch + fine - OSC2_PITCH_OFFSET: coarse 128
// and fine 0.5 (byte value 50) give unison.
inline constexpr float OSC2_PITCH_OFFSET = 128.5f;

inline constexpr double CUTOFF_LIMIT = 0.8;         // highest filter frequency before scaling
inline constexpr double CUTOFF_SCALE = 1.49;
inline constexpr double VOICE_OUTPUT_SCALE = 0.5;

// Indices into VoiceState::modSources.
enum ModSource : std::uint8_t {
    MOD_ONE = 0,
    MOD_ENVELOPE_MINUS_ONE = 1,
    MOD_LFO1 = 2,
    MOD_ENVELOPE = 3,
    MOD_LFO2 = 4,
    MOD_VELOCITY = 5,
};
inline constexpr std::uint32_t MOD_SOURCE_COUNT = 6;

// Memory of one oscillator's or LFO's generator. Generators receive a pointer
// to `value`, the first member.
struct GeneratorState {
    double value;            // generator memory (the random walk keeps its level here)
    double* buffer;          // only osc1's: the pluck buffer, PLUCK_BUFFER_SAMPLES doubles
    std::uint16_t count;     // samples recorded in buffer
};

struct VoiceState {
    std::uint8_t note;
    double gain;                   // velocity gain, 0..1
    std::uint16_t lengthRows;      // 0 = length from the envelope alone
    std::uint16_t arpWord;         // low nibble = current semitone offset
    std::int32_t position;         // samples rendered so far
    std::int32_t arpCountdown;     // samples until the next arpeggio step
    std::int32_t envelopeShift;    // how far note-off moved the stage ends back
    float releaseLevel;            // level at which the release starts
    std::uint8_t finished;         // set in the call that renders the last sample
    double modSources[MOD_SOURCE_COUNT];
    GeneratorState osc1;
    double osc1Phase;
    GeneratorState osc2;
    double osc2Phase;
    GeneratorState lfo1;
    GeneratorState lfo2;
    double filterLow;
    double filterBand;
};

// The engine row length: the song's samplesPerRow, which the voice needs for
// note lengths, the arpeggio step and the LFO rates. processRow sets it before
// it renders; renderVoice reads it. Every caller sets the same value, from
// any thread.
void setEngineRowLength(std::int32_t samplesPerRow);
std::int32_t engineRowLength();

// Renders up to frameCount frames of the voice into out[0], out[2], ... from
// the working copy `params` (72 bytes). lfoTime is the LFO 2 time of the
// first frame. Sets voice.finished in the call that reaches the note's end.
void renderVoice(double* out, const std::uint8_t* params, VoiceState& voice, std::int32_t frameCount,
                 std::int32_t lfoTime);

// One sample of the signal path: oscillator 1 (pitch, shape and amplitude
// modulated), the pluck stage, oscillator 2 and the combination, the envelope
// e (the squared level) and velocity gain, drive and the filter. Advances the
// phases, generator memories, pluck ring and filter states of `voice`, whose
// modSources must already hold this sample's values. inc1 and inc2 are the
// unmodulated phase increments in cycles per sample; cutoffBase is the
// filter frequency of the note before modulation.
double renderVoiceSample(VoiceState& voice, const VoiceParams& params, double inc1, double inc2, double e,
                         double cutoffBase);

// Gives the voice its pluck buffer of PLUCK_BUFFER_SAMPLES doubles, not
// initialised (the first cycle is recorded before anything reads it).
// Throws std::bad_alloc when the memory is not there.
void allocatePluckBuffer(VoiceState& voice);

// Releases the buffers the voice's generators hold (lfo2, lfo1, osc2, osc1)
// and forgets them, so that a second call releases nothing.
void releaseVoiceBuffers(VoiceState& voice);
