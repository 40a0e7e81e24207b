// Voice control: renders one note over a span of frames.
//
// Per call renderVoice decodes the working copy of the instrument once, works
// out where the note's release begins and how many frames are left, and then,
// sample by sample, steps the arpeggio, walks the four-stage envelope, runs
// both LFOs into the modulation sources and asks the signal path for the
// sample. Everything a later call needs stays in the VoiceState.
#include "voice.h"

#include <atomic>
#include <cmath>

#include "waveform.h"

namespace {

// Every processRow call writes the same song value, from any worker thread;
// relaxed order is enough because no other data is published through it.
std::atomic<std::int32_t> rowLength{0};

constexpr std::uint32_t ENVELOPE_LEVEL_COUNT = ENVELOPE_STAGE_COUNT + 1;
constexpr std::int32_t BEFORE_FIRST_STAGE = -1;

// Where the envelope of one call stands. Stage s ramps from levels[s] to
// levels[s + 1] and ends at stageEnd; stage ends restart from
// -envelopeShift at every call, so each call finds the same stages again.
struct EnvelopeCursor {
    float levels[ENVELOPE_LEVEL_COUNT];  // 0, 1, sustain, release start, 0
    std::int32_t stage;
    std::int32_t stageEnd;
};

EnvelopeCursor startEnvelope(const VoiceParams& params, const VoiceState& voice) {
    return {{0.0f, 1.0f, params.sustainLevel, voice.releaseLevel, 0.0f}, BEFORE_FIRST_STAGE,
            -voice.envelopeShift};
}

// Moves the cursor to the stage that holds sample i, passing over stages of
// length 0. Returns false when i lies beyond the release stage, which only
// stage lengths shortened by an effect command after note-off can bring about.
bool enterStageAt(EnvelopeCursor& cursor, const VoiceParams& params, std::int32_t i) {
    while (i >= cursor.stageEnd) {
        if (cursor.stage == STAGE_RELEASE) {
            return false;
        }
        ++cursor.stage;
        cursor.stageEnd += params.stageLength[cursor.stage];
    }
    return true;
}

double levelAt(const EnvelopeCursor& cursor, const VoiceParams& params, std::int32_t i) {
    const auto s = static_cast<std::uint32_t>(cursor.stage);
    // The fraction is a division in double; the level step is taken in
    // single precision, on purpose.
    const double remainingFraction =
        static_cast<double>(cursor.stageEnd - i) / static_cast<double>(params.stageLength[s]);
    const float step = cursor.levels[s + 1] - cursor.levels[s];
    return cursor.levels[s] + (1.0 - remainingFraction) * step;
}

// At note-off every stage end moves back by sustainEnd - noteOff, so the
// release ramps down from the level reached, whichever stage the note was in.
void startRelease(EnvelopeCursor& cursor, VoiceState& voice, double level, std::int32_t sustainEnd,
                  std::int32_t noteOff) {
    voice.envelopeShift = sustainEnd - noteOff;
    voice.releaseLevel = static_cast<float>(level);
    cursor.levels[STAGE_RELEASE] = voice.releaseLevel;
    cursor.stageEnd += noteOff - sustainEnd;
}

double noteIncrement(double pitch) {
    return std::pow(SEMITONE_RATIO, pitch) * NOTE_RATE_BASE;
}

struct Increments {
    double osc1;
    double osc2;
};

Increments pitchIncrements(const VoiceParams& params, std::uint8_t note, std::uint16_t arpWord) {
    const auto pitch = static_cast<std::uint8_t>(note + (arpWord & 0xF));  // an 8-bit sum, wraps on purpose
    // Oscillator 2's pitch is summed in single precision on purpose.
    const float osc2Pitch = static_cast<float>(params.osc2Coarse + pitch) + params.osc2Fine - OSC2_PITCH_OFFSET;
    return {noteIncrement(pitch), noteIncrement(osc2Pitch)};
}

// Turns the low 12 bits left by one nibble: offsets 0, X, Y, 0, X, Y, ...
// The top nibble is overwritten and never read.
std::uint16_t rotateArpeggio(std::uint16_t arpWord) {
    return static_cast<std::uint16_t>((arpWord << 4) | ((arpWord >> 8) & 0xF));
}

// Where the sustain stage ends and the release begins: a note length can cut
// the note short but never hold it past its sustain stage.
std::int32_t noteOffPosition(const VoiceState& voice, std::int32_t samplesPerRow, std::int32_t sustainEnd) {
    const std::int32_t lengthSamples = voice.lengthRows * samplesPerRow;
    return lengthSamples != 0 && lengthSamples < sustainEnd ? lengthSamples : sustainEnd;
}

}  // namespace

void setEngineRowLength(std::int32_t samplesPerRow) {
    rowLength.store(samplesPerRow, std::memory_order_relaxed);
}

std::int32_t engineRowLength() {
    return rowLength.load(std::memory_order_relaxed);
}

void renderVoice(double* out, const std::uint8_t* params, VoiceState& voice, std::int32_t frameCount,
                 std::int32_t lfoTime) {
    const std::int32_t samplesPerRow = engineRowLength();
    const VoiceParams p = decodeVoiceParams(params, samplesPerRow);
    voice.modSources[MOD_ONE] = 1.0;
    voice.modSources[MOD_VELOCITY] = voice.gain;

    const std::int32_t sustainEnd =
        p.stageLength[STAGE_ATTACK] + p.stageLength[STAGE_DECAY] + p.stageLength[STAGE_SUSTAIN];
    const std::int32_t noteOff = noteOffPosition(voice, samplesPerRow, sustainEnd);
    const std::int32_t remaining = noteOff + p.stageLength[STAGE_RELEASE] - voice.position;
    std::int32_t frames = frameCount;
    if (remaining <= frameCount) {
        voice.finished = 1;
        frames = remaining;
    }
    if (frames < 1) {
        return;
    }

    // position >= 0 >= -envelopeShift, so the first sample always enters a stage.
    EnvelopeCursor envelope = startEnvelope(p, voice);
    // Wraps like the 32-bit song time it counts; read back as signed.
    auto lfo2Time = static_cast<std::uint32_t>(lfoTime);
    const double cutoffBase = noteIncrement(voice.note + p.cutoffKey) * PI;

    std::int32_t position = voice.position;
    std::int32_t arpCountdown = voice.arpCountdown;
    std::uint16_t arpWord = voice.arpWord;
    Increments inc{};
    for (std::int32_t k = 0; k < frames; ++k) {
        const std::int32_t i = position;
        if (k == 0 || arpCountdown == 0) {
            if (arpCountdown == 0) {
                arpWord = rotateArpeggio(arpWord);
                arpCountdown += p.arpStep;
            }
            inc = pitchIncrements(p, voice.note, arpWord);
        }

        if (!enterStageAt(envelope, p, i)) {
            voice.finished = 1;
            break;
        }
        const double level = levelAt(envelope, p, i);
        if (i == noteOff) {
            startRelease(envelope, voice, level, sustainEnd, noteOff);
        }
        const double e = level * level;
        voice.modSources[MOD_ENVELOPE] = e;
        voice.modSources[MOD_ENVELOPE_MINUS_ONE] = e - 1.0;

        if (p.lfo1Limit * i < 1.0) {
            voice.modSources[MOD_LFO1] = WaveformTable[p.lfo1Wave](i * p.lfo1Rate, &voice.lfo1.value);
        }
        voice.modSources[MOD_LFO2] =
            WaveformTable[p.lfo2Wave](static_cast<std::int32_t>(lfo2Time) * p.lfo2Rate, &voice.lfo2.value);
        ++lfo2Time;

        out[2 * k] += renderVoiceSample(voice, p, inc.osc1, inc.osc2, e, cutoffBase);
        position = i + 1;
        --arpCountdown;
    }
    voice.position = position;
    voice.arpCountdown = arpCountdown;
    voice.arpWord = arpWord;
}

void allocatePluckBuffer(VoiceState& voice) {
    voice.osc1.buffer = new double[PLUCK_BUFFER_SAMPLES];
}

void releaseVoiceBuffers(VoiceState& voice) {
    for (GeneratorState* generator : {&voice.lfo2, &voice.lfo1, &voice.osc2, &voice.osc1}) {
        delete[] generator->buffer;
        generator->buffer = nullptr;
    }
}
