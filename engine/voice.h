// Voice: one sounding note of one channel.
//
// processRow sets a VoiceState up at the note's trigger row; renderVoice then
// renders it over one span of frames per call, adding its mono samples into
// the left elements of the channel buffer, until it reports `finished`.
// renderVoiceSample is the signal path of one sample (oscillators, pluck,
// combination, drive, filter).
#pragma once

#include <cstdint>

inline constexpr std::uint32_t PLUCK_BUFFER_SAMPLES = 4410;  // 0.1 s of one plucked cycle

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

// Releases the buffers the voice's generators hold (lfo2, lfo1, osc2, osc1).
void releaseVoiceBuffers(VoiceState& voice);
