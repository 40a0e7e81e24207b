// Voice: note lengths and note-off, the call contract, pitch and arpeggio,
// the LFOs, and the signal path (combination modes, filter, drive, pluck).
#include "voice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "song.h"
#include "voice_fixture.h"
#include "waveform.h"

namespace {

constexpr std::int32_t ROW = 100;   // samples per row: short rows keep the notes short
constexpr double SENTINEL = 7.25;   // fills the right elements, which a voice never writes

using Params = InstrumentBytes;

Params sineInstrument() {
    return neutralInstrument(WAVE_SINE);
}

struct Calls {
    std::int32_t first;  // frames of the first call (less than a row for a strummed note)
    std::int32_t later;
};
constexpr Calls WHOLE_ROWS{ROW, ROW};

// Renders a note call by call as the row processor does, with LFO 2 time
// following the frames, until the voice finishes or `limit` frames are
// covered. Returns the left elements.
std::vector<double> render(const Params& p, VoiceState& voice, std::int32_t limit, Calls calls = WHOLE_ROWS,
                           std::int32_t lfoTime = 0) {
    std::vector<double> buffer(2 * static_cast<std::size_t>(limit), 0.0);
    for (std::size_t k = 1; k < buffer.size(); k += 2) {
        buffer[k] = SENTINEL;
    }
    std::int32_t frames = calls.first;
    for (std::int32_t start = 0; start < limit && voice.finished == 0; start += frames, frames = calls.later) {
        frames = std::min(frames, limit - start);
        renderVoice(&buffer[2 * static_cast<std::size_t>(start)], p.data(), voice, frames, lfoTime + start);
    }
    std::vector<double> left(static_cast<std::size_t>(limit));
    for (std::size_t k = 0; k < left.size(); ++k) {
        left[k] = buffer[2 * k];
        if (buffer[2 * k + 1] != SENTINEL) {
            ADD_FAILURE() << "right element of frame " << k << " written";
            break;
        }
    }
    return left;
}

// Renders one frame per call and records a modulation source after each.
std::vector<double> traceSource(const Params& p, VoiceState& voice, ModSource source, std::int32_t limit) {
    std::vector<double> trace;
    for (std::int32_t k = 0; k < limit && voice.finished == 0; ++k) {
        double frame[2] = {0.0, 0.0};
        renderVoice(frame, p.data(), voice, 1, k);
        trace.push_back(voice.modSources[source]);
    }
    return trace;
}

double peak(const std::vector<double>& samples, std::size_t from, std::size_t to) {
    double highest = 0.0;
    for (std::size_t k = from; k < to; ++k) {
        highest = std::max(highest, std::fabs(samples[k]));
    }
    return highest;
}

class VoiceTest : public ::testing::Test {
protected:
    void SetUp() override { setEngineRowLength(ROW); }
};

// ---------------------------------------------------------------- control

TEST_F(VoiceTest, NoteLastsUntilTheEndOfItsRelease) {
    struct Case {
        std::uint8_t attack, decay, sustain, release;  // stage bytes: 5 is 100 samples, 10 is 400
        std::uint16_t lengthRows;
        std::int32_t frames;
    };
    const Case cases[] = {
        {5, 5, 5, 5, 0, 400},    // attack + decay + sustain + release
        {5, 5, 5, 5, 1, 200},    // a note length cuts the sustain short
        {5, 5, 5, 5, 3, 400},    // a length reaching the sustain's end acts as none
        {5, 5, 5, 5, 9, 400},
        {10, 0, 0, 5, 1, 200},   // note-off inside the attack: the full release still follows
        {5, 5, 5, 0, 0, 300},    // no release: the note-off sample is not rendered
        {0, 0, 0, 5, 0, 100},
        {0, 0, 0, 0, 0, 0},      // no length at all: the first call finishes and renders nothing
    };
    for (const Case& c : cases) {
        Params p = sineInstrument();
        setEnvelope(p, c.attack, c.decay, c.sustain, c.release);
        VoiceState voice = startVoice(p, 144, c.lengthRows);
        const auto left = render(p, voice, 1000);
        EXPECT_EQ(voice.finished, 1) << c.frames;
        EXPECT_EQ(voice.position, c.frames);
        if (c.frames > 0) {
            EXPECT_NE(left[static_cast<std::size_t>(c.frames) - 1], 0.0) << c.frames;
        }
        EXPECT_EQ(peak(left, static_cast<std::size_t>(c.frames), left.size()), 0.0) << "frames after the end";
    }
}

TEST_F(VoiceTest, FinishedInTheCallThatRendersTheLastSample) {
    struct Case {
        std::int32_t frameCount;
        std::uint8_t finished;
        std::int32_t position;
    };
    const Case cases[] = {{399, 0, 399}, {400, 1, 400}, {401, 1, 400}};
    for (const Case& c : cases) {
        Params p = sineInstrument();
        setEnvelope(p, 5, 5, 5, 5);
        VoiceState voice = startVoice(p, 144);
        std::vector<double> out(2 * 401, 0.0);
        renderVoice(out.data(), p.data(), voice, c.frameCount, 0);
        EXPECT_EQ(voice.finished, c.finished) << c.frameCount;
        EXPECT_EQ(voice.position, c.position) << c.frameCount;
    }
}

TEST_F(VoiceTest, EarlyNoteOffReleasesFromThePartlyRisenLevel) {
    Params p = sineInstrument();
    setEnvelope(p, 50, 0, 50, 10);  // attack 10000, sustain 10000, release 400 samples
    VoiceState voice = startVoice(p, 144, 10);  // note-off at 1000, a tenth into the attack
    const auto envelope = traceSource(p, voice, MOD_ENVELOPE, 2000);

    ASSERT_EQ(envelope.size(), 1400u);
    EXPECT_EQ(voice.releaseLevel, 0.1f);
    EXPECT_NEAR(envelope[999], 0.0999 * 0.0999, 1e-15);
    EXPECT_NEAR(envelope[1000], 0.1 * 0.1, 1e-15);  // the note-off sample keeps its level
    const double release = 0.1f;
    EXPECT_NEAR(envelope[1001], std::pow(release * 399 / 400, 2), 1e-15);
    EXPECT_NEAR(envelope[1399], std::pow(release / 400, 2), 1e-15);
}

TEST_F(VoiceTest, StagesShortenedAfterNoteOffEndTheNoteWhereTheReleaseEnds) {
    struct Case {
        std::uint8_t attackAfterNoteOff;
        std::int32_t lastPosition;
    };
    const Case cases[] = {
        {20, 500},  // unchanged: note-off at 100 plus a release of 400
        {19, 344},  // 156 samples less attack: the release stage now ends at 344
        {0, 200},   // the release stage ended long ago: nothing more is rendered
    };
    for (const Case& c : cases) {
        Params p = sineInstrument();
        setEnvelope(p, 20, 0, 20, 10);  // 1600, 0, 1600, 400 samples
        VoiceState voice = startVoice(p, 144, 1);
        std::vector<double> out(2 * 1000, 0.0);
        renderVoice(out.data(), p.data(), voice, ROW, 0);
        renderVoice(&out[2 * ROW], p.data(), voice, ROW, ROW);  // note-off at 100
        p[ATTACK_LENGTH] = c.attackAfterNoteOff;
        for (std::int32_t start = 2 * ROW; voice.finished == 0; start += ROW) {
            renderVoice(&out[2 * static_cast<std::size_t>(start)], p.data(), voice, ROW, start);
        }
        EXPECT_EQ(voice.position, c.lastPosition) << int{c.attackAfterNoteOff};
        for (std::size_t k = 2 * static_cast<std::size_t>(c.lastPosition); k < out.size(); ++k) {
            ASSERT_EQ(out[k], 0.0) << int{c.attackAfterNoteOff} << " frame " << k / 2;
        }
    }
}

// Everything a later call needs must be kept in the VoiceState: the
// arpeggio, the envelope shift, LFO 1's held value, LFO 2's time, the phases
// and the filter.
TEST_F(VoiceTest, CallSplitsDoNotChangeTheSound) {
    Params p = sineInstrument();
    setEnvelope(p, 10, 10, 20, 10);
    p[SUSTAIN_LEVEL] = 180;
    p[ARPEGGIO] = 0xC1;
    p[ARPEGGIO_SPEED] = 2;
    p[LFO1_WAVE] = WAVE_SAW;
    p[LFO1_RATE] = 8;
    p[LFO1_LIMIT] = 1;
    p[OSC1_SHAPE_SOURCE] = MOD_LFO1;
    p[OSC1_SHAPE_DEPTH] = 200;
    p[LFO2_WAVE] = WAVE_SINE;
    p[LFO2_RATE] = 9;
    p[CUTOFF_SOURCE] = MOD_LFO2;
    p[CUTOFF_DEPTH] = 200;
    p[OSC1_PITCH_SOURCE] = MOD_ENVELOPE;
    p[OSC1_PITCH_DEPTH] = 140;
    p[OSC2_WAVE] = WAVE_SAW;
    p[OSC2_LEVEL] = 100;
    p[OSC2_COARSE] = 140;
    p[COMBINE_MODE] = COMBINE_ADD;
    p[FILTER_MODE] = FILTER_LOW_PASS | FILTER_DRIVE_BEFORE;
    p[DRIVE] = 10;
    p[RESONANCE] = 100;

    std::vector<std::vector<double>> renders;
    for (const Calls calls : {Calls{1, 1}, Calls{37, 37}, Calls{13, ROW}, WHOLE_ROWS}) {
        VoiceState voice = startVoice(p, 130, 5);  // note-off at 500, inside the decay
        renders.push_back(render(p, voice, 1000, calls, 1234));
        EXPECT_EQ(voice.position, 900);
    }
    for (std::size_t r = 1; r < renders.size(); ++r) {
        EXPECT_EQ(renders[r], renders[0]) << "split " << r;
    }
}

TEST_F(VoiceTest, NoteValuesSoundAtTheirFrequency) {
    struct Case {
        std::uint8_t note;
        double hertz;
    };
    const Case cases[] = {{120, 110.0}, {132, 220.0}, {144, 440.0}};
    for (const Case& c : cases) {
        const Params p = sineInstrument();
        VoiceState voice = startVoice(p, c.note);
        const auto left = render(p, voice, SAMPLE_RATE);
        // Rising zero crossings, placed between samples by linear interpolation.
        std::vector<double> crossings;
        for (std::size_t k = 1; k < left.size(); ++k) {
            if (left[k - 1] < 0.0 && left[k] >= 0.0) {
                crossings.push_back(static_cast<double>(k - 1) + left[k - 1] / (left[k - 1] - left[k]));
            }
        }
        ASSERT_GT(crossings.size(), 2u);
        const double cycles = static_cast<double>(crossings.size() - 1);
        const double measured = cycles / (crossings.back() - crossings.front()) * SAMPLE_RATE;
        EXPECT_NEAR(measured, c.hertz, c.hertz * 0.001) << int{c.note};
    }
}

// Oscillator 2's coarse + pitch + fine - 128.5 is summed in single precision;
// the expected sums below differ from the double ones (143.9499999880...).
TEST_F(VoiceTest, Oscillator2PitchIsSummedInSinglePrecision) {
    struct Case {
        std::uint8_t coarse;
        std::uint8_t fine;
        std::uint8_t note;
        double semitones;
    };
    const Case cases[] = {
        {128, 45, 144, 143.95001220703125},
        {140, 62, 130, 142.1199951171875},
        {116, 50, 120, 108.0},
    };
    for (const Case& c : cases) {
        Params p = sineInstrument();
        p[OSC2_COARSE] = c.coarse;
        p[OSC2_FINE] = c.fine;
        VoiceState voice = startVoice(p, c.note);
        render(p, voice, 1);
        EXPECT_EQ(voice.osc2Phase, std::pow(SEMITONE_RATIO, c.semitones) * NOTE_RATE_BASE) << int{c.coarse};
    }
}

// A saw's output is its phase fraction - 0.5 here, so the difference of two
// samples is the phase increment of the later one.
std::vector<long> semitoneOffsets(const std::vector<double>& saw) {
    std::vector<long> offsets;
    double previous = -0.5;
    double firstIncrement = 0.0;
    for (const double sample : saw) {
        const double increment = sample - previous;
        previous = sample;
        if (offsets.empty()) {
            firstIncrement = increment;
        }
        offsets.push_back(std::lround(12.0 * std::log2(increment / firstIncrement)));
    }
    return offsets;
}

TEST_F(VoiceTest, ArpeggioStepsAtExactSamplePositions) {
    struct Case {
        std::uint8_t arpeggio;
        std::uint8_t speed;
        Calls calls;
        std::int32_t step;  // samples per step, 0 = never steps
    };
    const Case cases[] = {
        {0xC1, 2, WHOLE_ROWS, 100},   // 0, +12, +1 every row
        {0xC1, 2, {37, ROW}, 100},    // a strummed start: steps count from the note's start
        {0xC1, 1, WHOLE_ROWS, 200},
        {0xC1, 15, WHOLE_ROWS, 0},    // arpStep 0: offset 0 throughout
        {0x00, 2, WHOLE_ROWS, 100},
    };
    for (const Case& c : cases) {
        Params p = sineInstrument();
        p[OSC1_WAVE] = WAVE_SAW;
        p[ARPEGGIO] = c.arpeggio;
        p[ARPEGGIO_SPEED] = c.speed;
        VoiceState voice = startVoice(p, 60);
        const auto offsets = semitoneOffsets(render(p, voice, 700, c.calls));
        const long pattern[3] = {0, c.arpeggio >> 4, c.arpeggio & 0xF};
        for (std::size_t k = 0; k < offsets.size(); ++k) {
            const long expected = c.step == 0 ? 0 : pattern[(k / static_cast<std::size_t>(c.step)) % 3];
            ASSERT_EQ(offsets[k], expected) << "arpeggio " << int{c.arpeggio} << " speed " << int{c.speed}
                                            << " sample " << k;
        }
    }
}

TEST_F(VoiceTest, OneShotLfo1HoldsAfterItsCycleAcrossCalls) {
    Params p = sineInstrument();
    p[LFO1_WAVE] = WAVE_SAW;
    p[LFO1_RATE] = 8;  // one cycle per row
    p[LFO1_LIMIT] = 1;
    const double rate = lfoRate(8, ROW);
    constexpr std::int32_t LAST_RUNNING = 100;  // rate is a hair below 1/100, so sample 100 still runs
    ASSERT_LT(LAST_RUNNING * rate, 1.0);
    ASSERT_GE((LAST_RUNNING + 1) * rate, 1.0);

    VoiceState voice = startVoice(p, 144);
    std::vector<double> out(2 * 37, 0.0);
    for (std::int32_t start = 0; start < 400; start += 37) {
        renderVoice(out.data(), p.data(), voice, 37, start);
        const std::int32_t last = start + 36;
        double unused = 0.0;
        const double expected = WaveformTable[WAVE_SAW](std::min(last, LAST_RUNNING) * rate, &unused);
        EXPECT_EQ(voice.modSources[MOD_LFO1], expected) << "after sample " << last;
    }
}

TEST_F(VoiceTest, Lfo2FollowsSongTimeAcrossNotes) {
    Params p = sineInstrument();
    p[LFO2_WAVE] = WAVE_SINE;
    p[LFO2_RATE] = 8;
    VoiceState first = startVoice(p, 144);
    std::vector<double> out(2 * ROW, 0.0);
    renderVoice(out.data(), p.data(), first, ROW, 1000);
    renderVoice(out.data(), p.data(), first, ROW, 1000 + ROW);

    VoiceState second = startVoice(p, 150);  // starts where the first note's last sample was
    renderVoice(out.data(), p.data(), second, 1, 1000 + 2 * ROW - 1);
    EXPECT_EQ(second.modSources[MOD_LFO2], first.modSources[MOD_LFO2]);
    EXPECT_NE(second.modSources[MOD_LFO2], 0.0);
}

// Effect commands can write any byte while a song plays: a source byte past
// the six sources must read as 0 and must not reach past the source table.
TEST_F(VoiceTest, UnknownModulationSourcesReadZero) {
    struct Case {
        std::uint32_t sourceByte;
        std::uint32_t depthByte;
    };
    const Case cases[] = {
        {OSC1_PITCH_SOURCE, OSC1_PITCH_DEPTH}, {OSC2_PITCH_SOURCE, OSC2_PITCH_DEPTH},
        {OSC1_SHAPE_SOURCE, OSC1_SHAPE_DEPTH}, {OSC1_AMP_SOURCE, OSC1_AMP_DEPTH},
        {OSC2_SHAPE_SOURCE, OSC2_SHAPE_DEPTH}, {CUTOFF_SOURCE, CUTOFF_DEPTH},
        {DAMPING_SOURCE, DAMPING_DEPTH},
    };
    Params base = sineInstrument();
    setEnvelope(base, 10, 10, 10, 10);
    base[SUSTAIN_LEVEL] = 150;
    base[OSC2_WAVE] = WAVE_TRIANGLE;
    base[OSC2_LEVEL] = 120;
    base[COMBINE_MODE] = COMBINE_ADD;
    base[FILTER_MODE] = FILTER_LOW_PASS;
    base[RESONANCE] = 120;
    base[LFO1_WAVE] = WAVE_SINE;
    base[LFO1_RATE] = 9;
    for (const Case& c : cases) {
        Params silentRouting = base;
        silentRouting[c.sourceByte] = MOD_ONE;
        silentRouting[c.depthByte] = 128;  // depth 0
        VoiceState reference = startVoice(silentRouting, 140);
        const auto expected = render(silentRouting, reference, 1700);
        for (const std::uint8_t unknown : {std::uint8_t{MOD_SOURCE_COUNT}, std::uint8_t{255}}) {
            Params p = base;
            p[c.sourceByte] = unknown;
            p[c.depthByte] = 200;
            VoiceState voice = startVoice(p, 140);
            EXPECT_EQ(render(p, voice, 1700), expected) << "byte " << c.sourceByte << " = " << int{unknown};
        }
    }
}

// ------------------------------------------------------------ signal path

TEST_F(VoiceTest, WaveshapeWithSilentOscillator1IsConstant) {
    Params p = sineInstrument();
    p[OSC1_LEVEL] = 0;
    p[OSC2_WAVE] = WAVE_SAW;
    p[OSC2_LEVEL] = 255;
    p[COMBINE_MODE] = COMBINE_WAVESHAPE;
    VoiceState voice = startVoice(p, 144);
    for (const double sample : render(p, voice, 500)) {
        ASSERT_EQ(sample, -0.5);  // oscillator 2 read at phase 1: saw -1, times 0.5
    }
}

TEST_F(VoiceTest, FoldMirrorsOnlyWhereOscillator1IsLarger) {
    struct Case {
        std::uint8_t osc1Level;
        std::uint8_t osc1AmpDepth;  // 64: -0.5 from MOD_ONE, a negative oscillator 1
        Waveform osc2Wave;
        std::uint8_t osc2Level;
        double expected;            // before the output scale of 0.5
    };
    const Case cases[] = {
        {250, 128, WAVE_SQUARE, 150, 50.0 / 255},     // |y| > |c|: 2c - y
        {100, 128, WAVE_SQUARE, 200, 100.0 / 255},    // |y| < |c|: passes
        {150, 128, WAVE_SQUARE, 150, 150.0 / 255},    // equal magnitudes pass
        {100, 128, WAVE_SILENCE, 0, -100.0 / 255},    // mirrored about 0
        {0, 64, WAVE_SQUARE, 100, 200.0 / 255 + 0.5}, // y = -0.5, |y| > |c|
        {0, 64, WAVE_SQUARE, 200, -0.5},              // y = -0.5, |y| < |c|
    };
    for (const Case& c : cases) {
        Params p = sineInstrument();
        p[OSC1_WAVE] = WAVE_SQUARE;  // +1 for the first half-cycle of 390,000 samples at note 1
        p[OSC1_LEVEL] = c.osc1Level;
        p[OSC1_AMP_DEPTH] = c.osc1AmpDepth;
        p[OSC2_WAVE] = c.osc2Wave;
        p[OSC2_LEVEL] = c.osc2Level;
        p[COMBINE_MODE] = COMBINE_FOLD;
        VoiceState voice = startVoice(p, 1);
        for (const double sample : render(p, voice, 200)) {
            ASSERT_NEAR(sample, 0.5 * c.expected, 1e-7) << int{c.osc1Level} << " / " << int{c.osc2Level};
        }
    }
}

TEST_F(VoiceTest, CombineModeAboveFoldIsOscillator1AloneWhileOscillator2Advances) {
    Params off = sineInstrument();
    off[OSC2_WAVE] = WAVE_SINE;
    off[OSC2_LEVEL] = 255;
    off[OSC2_COARSE] = 140;
    off[COMBINE_MODE] = 7;
    Params silent = off;
    silent[OSC2_LEVEL] = 0;
    silent[COMBINE_MODE] = COMBINE_ADD;
    VoiceState offVoice = startVoice(off, 144);
    VoiceState silentVoice = startVoice(silent, 144);
    EXPECT_EQ(render(off, offVoice, 500), render(silent, silentVoice, 500));
    EXPECT_GT(offVoice.osc2Phase, 0.0);
    EXPECT_EQ(offVoice.osc2Phase, silentVoice.osc2Phase);
}

std::vector<double> renderFiltered(Params p, std::uint8_t filterMode, std::uint8_t note, std::int32_t frames) {
    p[FILTER_MODE] = filterMode;
    VoiceState voice = startVoice(p, note);
    return render(p, voice, frames);
}

TEST_F(VoiceTest, FilterOutputsOnAConstantInput) {
    Params p = sineInstrument();
    p[OSC1_LEVEL] = 0;
    p[OSC2_WAVE] = WAVE_SAW;
    p[OSC2_LEVEL] = 255;
    p[COMBINE_MODE] = COMBINE_WAVESHAPE;  // a constant -0.5 into the filter
    p[CUTOFF_KEY] = 20;                   // resonance byte 0: damping 1
    struct Case {
        std::uint8_t filterMode;
        double settled;
    };
    const Case cases[] = {
        {FILTER_HIGH_PASS, 0.0},
        {FILTER_LOW_PASS, -0.5},
        {FILTER_BAND_PASS, 0.0},
        {FILTER_LOW_PASS | FILTER_BAND_PASS, -0.5},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(renderFiltered(p, c.filterMode, 160, 3000).back(), c.settled, 1e-9) << int{c.filterMode};
    }
}

TEST_F(VoiceTest, SummedFilterOutputsAddSampleBySample) {
    Params p = sineInstrument();
    p[OSC1_WAVE] = WAVE_SAW;
    p[RESONANCE] = 100;
    const auto low = renderFiltered(p, FILTER_LOW_PASS, 100, 2000);
    const auto band = renderFiltered(p, FILTER_BAND_PASS, 100, 2000);
    const auto both = renderFiltered(p, FILTER_LOW_PASS | FILTER_BAND_PASS, 100, 2000);
    for (std::size_t k = 0; k < both.size(); ++k) {
        ASSERT_EQ(both[k], low[k] + band[k]) << k;
    }
}

TEST_F(VoiceTest, DriveAroundABypassedFilter) {
    Params p = sineInstrument();
    p[DRIVE] = 77;
    const double drive = 30.80000114440918;  // 77 x 0.4 in single precision
    const auto plain = renderFiltered(p, 0, 144, 500);
    const auto before = renderFiltered(p, FILTER_DRIVE_BEFORE, 144, 500);
    const auto after = renderFiltered(p, FILTER_DRIVE_AFTER, 144, 500);
    const auto twice = renderFiltered(p, FILTER_DRIVE_BEFORE | FILTER_DRIVE_AFTER, 144, 500);
    for (std::size_t k = 0; k < plain.size(); ++k) {
        ASSERT_EQ(before[k], std::tanh(drive * plain[k])) << k;
        ASSERT_EQ(after[k], before[k]) << k;
        ASSERT_EQ(twice[k], std::tanh(drive * before[k])) << k;
    }
}

TEST_F(VoiceTest, DriveOfZeroSilences) {
    Params p = sineInstrument();
    p[DRIVE] = 0;
    const std::uint8_t modes[] = {FILTER_DRIVE_BEFORE, FILTER_DRIVE_AFTER, FILTER_DRIVE_BEFORE | FILTER_LOW_PASS,
                                  FILTER_DRIVE_AFTER | FILTER_LOW_PASS};
    for (const std::uint8_t mode : modes) {
        for (const double sample : renderFiltered(p, mode, 144, 300)) {
            ASSERT_EQ(sample, 0.0) << int{mode};
        }
    }
}

// ------------------------------------------------------------------ pluck

Params pluckedSquare() {
    Params p = sineInstrument();
    p[OSC1_WAVE] = WAVE_SQUARE;
    p[PLUCK_BLEND] = 255;
    return p;
}

TEST_F(VoiceTest, PluckBufferIsKeptForTheNoteAndReleasedOnce) {
    Params p = pluckedSquare();
    setEnvelope(p, 0, 0, 10, 5);
    VoiceState voice = startVoice(p, 144);
    allocatePluckBuffer(voice);
    const double* buffer = voice.osc1.buffer;
    render(p, voice, 1000);
    EXPECT_EQ(voice.finished, 1);
    EXPECT_EQ(voice.osc1.buffer, buffer);
    EXPECT_EQ(voice.osc1.count, 100);  // the samples below phase 1 at note 144, 100.2 per cycle
    releaseVoiceBuffers(voice);
    EXPECT_EQ(voice.osc1.buffer, nullptr);
    releaseVoiceBuffers(voice);  // nothing left to release
}

double meanStep(const std::vector<double>& samples, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t k = from + 1; k < to; ++k) {
        sum += std::fabs(samples[k] - samples[k - 1]);
    }
    return sum / static_cast<double>(to - from - 1);
}

// Plucked noise: the first cycle is recorded noise; after it only the ring
// sounds, smoothed on every pass, so it never grows and loses its edges.
TEST_F(VoiceTest, PluckedStringSmoothsItsRecordedCycle) {
    Params p = pluckedSquare();
    p[OSC1_WAVE] = WAVE_NOISE;
    VoiceState voice = startVoice(p, 144);
    allocatePluckBuffer(voice);
    const auto plucked = render(p, voice, 4000);
    releaseVoiceBuffers(voice);

    EXPECT_LE(peak(plucked, 3800, 4000), peak(plucked, 0, 100));
    EXPECT_LT(meanStep(plucked, 3800, 4000), 0.25 * meanStep(plucked, 0, 100));
}

TEST_F(VoiceTest, PluckRecordingStopsAtTheBufferCapacity) {
    const Params p = pluckedSquare();
    VoiceState voice = startVoice(p, 1);  // a first cycle of 390,000 samples
    allocatePluckBuffer(voice);
    render(p, voice, 6000);
    EXPECT_EQ(voice.osc1.count, PLUCK_BUFFER_SAMPLES);
    releaseVoiceBuffers(voice);
}

TEST_F(VoiceTest, PluckWithAnEmptyRingIsSilent) {
    const Params p = pluckedSquare();
    VoiceState voice = startVoice(p, 255);  // six cycles per sample: the first sample is past the first cycle
    allocatePluckBuffer(voice);
    for (const double sample : render(p, voice, 300)) {
        ASSERT_EQ(sample, 0.0);
    }
    EXPECT_EQ(voice.osc1.count, 0);
    releaseVoiceBuffers(voice);
}

TEST_F(VoiceTest, PluckSwitchedOnDuringANoteWithoutBufferIsLeftOut) {
    const Params p = pluckedSquare();
    Params unplucked = p;
    unplucked[PLUCK_BLEND] = 0;
    VoiceState voice = startVoice(p, 144);  // no buffer: byte 47 was 0 when the note started
    VoiceState plain = startVoice(unplucked, 144);
    EXPECT_EQ(render(p, voice, 500), render(unplucked, plain, 500));
}

}  // namespace
