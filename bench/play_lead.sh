#!/usr/bin/env bash
# mivoplay in real time: plays the whole compiled-in song headless (SDL's
# disk driver, paced like a sound card, writing to /dev/null) several times,
# sending the key only after the whole song has played, and prints each
# run's smallest lead of rendering over playback, its underruns and its peak
# memory, then the medians.
#   usage: bench/play_lead.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-3}
song_seconds=241
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

leads=() underruns=() peaks=()
for run in $(seq "$runs"); do
    (sleep $((song_seconds + 2)); echo) |
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null \
            /usr/bin/time -v "$build/bench/mivoplay_lead" >"$scratch/out" 2>"$scratch/err"
    lead=$(sed -n 's/^smallest lead: \([0-9.]*\) s$/\1/p' "$scratch/out")
    under=$(sed -n 's/^underruns: //p' "$scratch/out")
    peak=$(sed -n 's/^\tMaximum resident set size (kbytes): //p' "$scratch/err")
    echo "run $run: smallest lead ${lead:-?} s, underruns ${under:-?}, peak memory $((peak / 1024)) MiB"
    leads+=("${lead:-0}") underruns+=("${under:-0}") peaks+=("$peak")
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "median: smallest lead $(median "${leads[@]}") s, underruns $(median "${underruns[@]}"), peak memory $(($(median "${peaks[@]}") / 1024)) MiB"
