// Voice fixture: a neutral instrument and a voice set up as the row
// processor sets it up, shared by the voice tests and the voice benchmark.
#pragma once

#include <array>
#include <cstdint>

#include "voice.h"
#include "waveform.h"

using InstrumentBytes = std::array<std::uint8_t, 72>;

// A full-level oscillator 1 whose envelope holds 1.0 for 260100 samples
// (attack and decay 0, sustain level 255), then releases over 100 samples;
// oscillator 2 off, every modulation depth 0, no filter output, no drive.
inline InstrumentBytes neutralInstrument(Waveform wave) {
    InstrumentBytes p{};
    p[OSC1_WAVE] = wave;
    p[OSC1_LEVEL] = 255;
    p[OSC1_PITCH_DEPTH] = 128;
    p[OSC2_PITCH_DEPTH] = 128;
    p[OSC2_COARSE] = 128;
    p[OSC2_FINE] = 50;
    p[SUSTAIN_LENGTH] = 255;
    p[RELEASE_LENGTH] = 5;
    p[SUSTAIN_LEVEL] = 255;
    p[CUTOFF_DEPTH] = 128;
    p[CUTOFF_KEY] = 24;
    p[COMBINE_MODE] = 5;
    for (const std::uint32_t neutral : {OSC1_SHAPE_OFFSET, OSC2_SHAPE_OFFSET, OSC1_SHAPE_DEPTH, OSC1_AMP_DEPTH,
                                        OSC2_SHAPE_DEPTH, DAMPING_DEPTH}) {
        p[neutral] = 128;
    }
    return p;
}

inline void setEnvelope(InstrumentBytes& p, std::uint8_t attack, std::uint8_t decay, std::uint8_t sustain,
                        std::uint8_t release) {
    p[ATTACK_LENGTH] = attack;
    p[DECAY_LENGTH] = decay;
    p[SUSTAIN_LENGTH] = sustain;
    p[RELEASE_LENGTH] = release;
}

// A voice at velocity gain 1 without a pluck buffer.
inline VoiceState startVoice(const InstrumentBytes& p, std::uint8_t note, std::uint16_t lengthRows = 0) {
    VoiceState voice{};
    voice.note = note;
    voice.gain = 1.0;
    voice.lengthRows = lengthRows;
    voice.arpWord = p[ARPEGGIO];
    voice.releaseLevel = static_cast<float>(p[SUSTAIN_LEVEL]) / 255.0f;
    return voice;
}
