// Waveform generators: the 27 waveforms and the phase-shaping curve.
//
// The additive waveforms sum sine partials from their harmonic tables, which
// are transcribed once here and never edited by hand. Everything is computed
// directly in double precision with the C library's math, no wavetables.
#include "waveform.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr HarmonicPair HARMONICS_8[] = {{1, 2550}, {3, 4440}, {5, 1480}, {7, 890}, {9, 630}, {0, 0}};
constexpr HarmonicPair HARMONICS_9[] = {{1, 6955}, {2, 1926}, {3, 597}, {4, 516}, {0, 0}};
constexpr HarmonicPair HARMONICS_10[] = {{1, 4696}, {2, 3695}, {3, 1278}, {4, 326}, {0, 0}};
constexpr HarmonicPair HARMONICS_11[] = {{1, 3198}, {2, 3785}, {3, 2186}, {4, 827}, {0, 0}};
constexpr HarmonicPair HARMONICS_12[] = {
    {1, 7178}, {2, 1988}, {3, 617}, {4, 174}, {5, 29}, {6, 9}, {7, 1}, {0, 0}
};
constexpr HarmonicPair HARMONICS_13[] = {
    {1, 1528}, {2, 1597}, {3, 1278}, {4, 1595}, {5, 1612}, {6, 1635}, {8, 749}, {0, 0}
};
constexpr HarmonicPair HARMONICS_14[] = {{1, 5644}, {3, 4352}, {0, 0}};
constexpr HarmonicPair HARMONICS_15[] = {
    {1, 4048}, {2, 4247}, {3, 355}, {4, 704}, {5, 148}, {6, 228}, {7, 42}, {8, 73}, {10, 19}, {12, 47},
    {14, 35}, {16, 26}, {18, 12}, {22, 14}, {0, 0}
};
constexpr HarmonicPair HARMONICS_16[] = {{1, 5066}, {3, 4337}, {5, 468}, {7, 65}, {21, 59}, {0, 0}};
constexpr HarmonicPair HARMONICS_17[] = {
    {1, 2097}, {2, 789}, {3, 4335}, {4, 74}, {5, 1794}, {6, 99}, {7, 114}, {8, 24}, {9, 227}, {10, 10},
    {11, 73}, {12, 16}, {13, 44}, {14, 20}, {15, 20}, {16, 7}, {17, 20}, {18, 16}, {19, 66}, {20, 40},
    {21, 25}, {22, 11}, {23, 7}, {24, 7}, {25, 12}, {26, 9}, {27, 4}, {28, 4}, {29, 3}, {30, 4}, {31, 7},
    {32, 2}, {33, 2}, {34, 2}, {35, 2}, {36, 2}, {37, 1}, {38, 1}, {39, 1}, {40, 2}, {42, 1}, {0, 0}
};
constexpr HarmonicPair HARMONICS_18[] = {
    {1, 3336}, {2, 1766}, {3, 1539}, {4, 1315}, {5, 1391}, {6, 648}, {0, 0}
};
constexpr HarmonicPair HARMONICS_19[] = {
    {1, 3684}, {2, 558}, {3, 727}, {4, 674}, {5, 572}, {6, 251}, {7, 374}, {8, 180}, {9, 272}, {10, 111},
    {11, 147}, {12, 383}, {13, 208}, {14, 303}, {15, 185}, {16, 191}, {17, 336}, {18, 149}, {19, 63},
    {20, 164}, {21, 81}, {22, 50}, {23, 22}, {24, 13}, {25, 41}, {26, 16}, {27, 28}, {28, 22}, {29, 5},
    {30, 28}, {31, 7}, {32, 8}, {33, 14}, {34, 8}, {35, 2}, {36, 6}, {37, 6}, {38, 9}, {39, 9}, {40, 5},
    {41, 9}, {42, 6}, {43, 3}, {44, 13}, {46, 8}, {47, 3}, {48, 3}, {51, 4}, {52, 2}, {53, 2}, {54, 3},
    {55, 3}, {57, 5}, {60, 2}, {61, 2}, {62, 2}, {63, 3}, {65, 2}, {66, 3}, {69, 3}, {71, 2}, {74, 3},
    {76, 2}, {77, 2}, {0, 0}
};
constexpr HarmonicPair HARMONICS_20[] = {{1, 8478}, {2, 1517}, {0, 0}};
constexpr HarmonicPair HARMONICS_21[] = {
    {1, 7978}, {2, 1821}, {3, 63}, {4, 15}, {5, 15}, {6, 10}, {7, 12}, {8, 12}, {9, 17}, {10, 7}, {11, 2},
    {12, 2}, {14, 3}, {15, 2}, {18, 1}, {19, 5}, {20, 2}, {21, 1}, {22, 1}, {23, 1}, {27, 1}, {28, 1},
    {30, 1}, {31, 2}, {32, 1}, {34, 1}, {0, 0}
};
constexpr HarmonicPair HARMONICS_22[] = {
    {1, 2241}, {2, 1788}, {3, 3066}, {4, 1702}, {5, 781}, {6, 269}, {7, 63}, {8, 33}, {9, 17}, {12, 20},
    {13, 17}, {0, 0}
};
constexpr HarmonicPair HARMONICS_23[] = {
    {1, 718}, {2, 4942}, {3, 542}, {4, 334}, {5, 1310}, {6, 1881}, {7, 160}, {8, 57}, {10, 49}, {0, 0}
};
constexpr HarmonicPair HARMONICS_24[] = {
    {1, 3335}, {2, 5377}, {3, 310}, {4, 128}, {5, 8}, {6, 38}, {7, 82}, {8, 122}, {9, 56}, {10, 12},
    {11, 15}, {12, 14}, {13, 7}, {14, 58}, {15, 185}, {16, 111}, {17, 32}, {18, 7}, {19, 20}, {20, 8},
    {21, 16}, {23, 8}, {24, 6}, {25, 10}, {26, 8}, {27, 8}, {28, 7}, {29, 7}, {0, 0}
};
constexpr HarmonicPair HARMONICS_25[] = {
    {1, 1121}, {2, 1125}, {3, 1125}, {4, 1127}, {6, 1122}, {8, 1117}, {10, 1107}, {12, 1091}, {16, 1058},
    {0, 0}
};
constexpr HarmonicPair HARMONICS_26[] = {
    {1, 6058}, {2, -3029}, {3, 2019}, {4, -1515}, {5, 1212}, {6, -1010}, {7, 865}, {0, 0}
};

constexpr HarmonicTable HARMONIC_TABLES[ADDITIVE_WAVEFORM_COUNT] = {
    HARMONICS_8,  HARMONICS_9,  HARMONICS_10, HARMONICS_11, HARMONICS_12, HARMONICS_13, HARMONICS_14,
    HARMONICS_15, HARMONICS_16, HARMONICS_17, HARMONICS_18, HARMONICS_19, HARMONICS_20, HARMONICS_21,
    HARMONICS_22, HARMONICS_23, HARMONICS_24, HARMONICS_25, HARMONICS_26,
};

// Position within the cycle. fmod keeps the sign of the phase, so a negative
// phase gives a negative position and the shapes below leave their range:
// intended, it is how these waveforms behave.
double cyclePosition(double phase) {
    return std::fmod(phase, 1.0);
}

double triangleAt(double position) {
    const double y = 4.0 * position;
    return y < 2.0 ? y - 1.0 : 3.0 - y;
}

double additiveSum(HarmonicTable table, double phase) {
    double sum = 0.0;
    for (const HarmonicPair* pair = table; pair->harmonic != 0; ++pair) {
        sum += std::sin(((pair->harmonic * phase) * 2.0) * PI) * pair->amplitude;
    }
    return sum * HARMONIC_SCALE;  // a multiplication: dividing by 10000 can differ in the last bit
}

double waveSilence(double, double*) {
    return 0.0;
}

double waveRandomSign(double, double*) {
    return randomSign(drawRandom());
}

double waveNoise(double, double*) {
    return noiseValue(drawRandom());
}

double waveWalkTriangle(double phase, double* state) {
    return walkTriangle(phase, state, drawRandom());
}

double waveSquare(double phase, double*) {
    return cyclePosition(phase) < 0.5 ? 1.0 : -1.0;
}

double waveSaw(double phase, double*) {
    return 2.0 * cyclePosition(phase) - 1.0;
}

double waveTriangle(double phase, double*) {
    return triangleAt(cyclePosition(phase));
}

double waveSine(double phase, double*) {
    return std::sin((2.0 * phase) * PI);
}

template <Waveform WAVE>
double waveAdditive(double phase, double*) {
    return additiveSum(HARMONIC_TABLES[WAVE - WAVE_ADDITIVE_8], phase);
}

}  // namespace

const WaveformFn WaveformTable[WAVEFORM_COUNT] = {
    waveSilence,
    waveRandomSign,
    waveNoise,
    waveWalkTriangle,
    waveSquare,
    waveSaw,
    waveTriangle,
    waveSine,
    waveAdditive<WAVE_ADDITIVE_8>,
    waveAdditive<WAVE_ADDITIVE_9>,
    waveAdditive<WAVE_ADDITIVE_10>,
    waveAdditive<WAVE_ADDITIVE_11>,
    waveAdditive<WAVE_ADDITIVE_12>,
    waveAdditive<WAVE_ADDITIVE_13>,
    waveAdditive<WAVE_ADDITIVE_14>,
    waveAdditive<WAVE_ADDITIVE_15>,
    waveAdditive<WAVE_ADDITIVE_16>,
    waveAdditive<WAVE_ADDITIVE_17>,
    waveAdditive<WAVE_ADDITIVE_18>,
    waveAdditive<WAVE_ADDITIVE_19>,
    waveAdditive<WAVE_ADDITIVE_20>,
    waveAdditive<WAVE_ADDITIVE_21>,
    waveAdditive<WAVE_ADDITIVE_22>,
    waveAdditive<WAVE_ADDITIVE_23>,
    waveAdditive<WAVE_ADDITIVE_24>,
    waveAdditive<WAVE_ADDITIVE_25>,
    waveAdditive<WAVE_ADDITIVE_26>,
};

// The top bits of rand() are taken: some libraries' low bits repeat with a short period.
constexpr unsigned RANDOM_DIVISOR = (RAND_MAX + 1u) / (RANDOM_MAX + 1u);
static_assert((RAND_MAX + 1u) % (RANDOM_MAX + 1u) == 0, "rand()'s range must split evenly into 0..RANDOM_MAX");

int drawRandom() {
    return static_cast<int>(static_cast<unsigned>(std::rand()) / RANDOM_DIVISOR);
}

HarmonicTable harmonicTable(Waveform wave) {
    return HARMONIC_TABLES[wave - WAVE_ADDITIVE_8];
}

double randomSign(int r) {
    return (r & 2) != 0 ? 1.0 : -1.0;
}

double noiseValue(int r) {
    return r * RANDOM_SCALE - 1.0;
}

double walkTriangle(double phase, double* level, int r) {
    const double step = (r * RANDOM_SCALE - 1.0) / WALK_STEP_DIVISOR;  // a true division by 9
    double walked = step + *level;
    if (walked > 1.0) {
        walked = 1.0;
    } else if (walked < -1.0) {
        walked = -1.0;
    }
    *level = walked;
    return triangleAt(cyclePosition(phase)) * walked;
}

double phaseShape(double phase, double exponent) {
    double whole;
    const double fraction = std::modf(phase, &whole);  // both parts carry the sign of the phase
    const double q = fraction * 0.25;
    const double p = std::pow(q + 0.75, exponent);
    const double c = std::cos(p * PI + PI);
    return (c + 3.0) * q + whole;
}
