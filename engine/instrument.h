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
