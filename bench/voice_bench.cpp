// Voice benchmark: the cost of one voice sample, in nanoseconds, for three
// kinds of instrument, rendered row by row as the row processor does.
#include <benchmark/benchmark.h>

#include <vector>

#include "voice.h"
#include "voice_fixture.h"
#include "waveform.h"

namespace {

constexpr std::int32_t ROW = 5168;

using Params = InstrumentBytes;

// A long note: a short attack, then 5.9 s of sustain below full level.
Params plainInstrument(Waveform wave) {
    Params p = neutralInstrument(wave);
    setEnvelope(p, 10, 0, 255, 50);
    p[SUSTAIN_LEVEL] = 200;
    return p;
}

Params sine() {
    return plainInstrument(WAVE_SINE);
}

// 64 partials, a low-pass filter whose cutoff follows LFO 2, drive before it.
Params additiveDriven() {
    Params p = plainInstrument(WAVE_ADDITIVE_19);
    p[FILTER_MODE] = FILTER_LOW_PASS | FILTER_DRIVE_BEFORE;
    p[DRIVE] = 60;
    p[RESONANCE] = 120;
    p[LFO2_WAVE] = WAVE_SINE;
    p[LFO2_RATE] = 6;
    p[CUTOFF_SOURCE] = MOD_LFO2;
    p[CUTOFF_DEPTH] = 180;
    return p;
}

Params pluckedString() {
    Params p = plainInstrument(WAVE_SAW);
    p[PLUCK_BLEND] = 200;
    p[PLUCK_FLIP_CHANCE] = 20;
    p[FILTER_MODE] = FILTER_LOW_PASS;
    return p;
}

VoiceState startNote(const Params& p) {
    VoiceState voice = startVoice(p, 128);
    if (p[PLUCK_BLEND] != 0) {
        allocatePluckBuffer(voice);
    }
    return voice;
}

void renderRows(benchmark::State& state, Params (*instrument)()) {
    setEngineRowLength(ROW);
    const Params p = instrument();
    std::vector<double> out(2 * ROW, 0.0);
    VoiceState voice = startNote(p);
    std::int32_t lfoTime = 0;
    for (auto _ : state) {
        renderVoice(out.data(), p.data(), voice, ROW, lfoTime);
        benchmark::DoNotOptimize(out.data());
        lfoTime += ROW;
        if (voice.finished != 0) {
            releaseVoiceBuffers(voice);
            voice = startNote(p);
        }
    }
    releaseVoiceBuffers(voice);
    // Seconds of CPU time per voice sample, shown with its SI prefix (ns).
    state.counters["per_sample"] = benchmark::Counter(static_cast<double>(state.iterations()) * ROW,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void voiceSine(benchmark::State& state) {
    renderRows(state, sine);
}

void voiceAdditiveFilterDrive(benchmark::State& state) {
    renderRows(state, additiveDriven);
}

void voicePluckedString(benchmark::State& state) {
    renderRows(state, pluckedString);
}

}  // namespace

BENCHMARK(voiceSine)->Unit(benchmark::kMicrosecond);
BENCHMARK(voiceAdditiveFilterDrive)->Unit(benchmark::kMicrosecond);
BENCHMARK(voicePluckedString)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
