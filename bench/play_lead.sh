#!/usr/bin/env bash
# mivoplay in real time: plays the whole compiled-in song headless several
# times (SDL's disk driver, paced like a sound card, writing to /dev/null),
# sends the key only after the whole song has played, and prints each run's
# smallest lead of rendering over playback, its underruns and its peak
# memory, then the medians.
# Usage: bench/play_lead.sh [RUNS] [MIVOPLAY_LEAD]   (defaults: 3, build/bench/mivoplay_lead)
set -euo pipefail
source "$(dirname "$0")/median.sh"
runs=${1:-3}
bench=$(realpath "${2:-build/bench/mivoplay_lead}")
song_seconds=241
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for ((i = 1; i <= runs; i++)); do
    (sleep $((song_seconds + 2)); echo) |
        SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null \
            /usr/bin/time -f '%M' -o "$scratch/time.$i" "$bench" >"$scratch/out.$i" 2>/dev/null
    lead=$(sed -n 's/^smallest lead: \([0-9.]*\) s$/\1/p' "$scratch/out.$i")
    underruns=$(sed -n 's/^underruns: //p' "$scratch/out.$i")
    peak=$(cat "$scratch/time.$i")
    echo "run $i: smallest lead ${lead} s, underruns ${underruns}, peak ${peak} KiB" >&2
    echo "${lead} ${underruns} ${peak}" >>"$scratch/all"
done

echo "runs:                  $runs"
echo "median smallest lead:  $(median 1 "$scratch/all") s"
echo "median underruns:      $(median 2 "$scratch/all")"
echo "median peak rss:       $(($(median 3 "$scratch/all") / 1024)) MiB"
