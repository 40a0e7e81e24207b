#!/usr/bin/env bash
# Renders the compiled-in song with mivo several times and prints the median
# wall time, CPU time (user + system), peak memory and real-time factor.
# Usage: bench/render_song.sh [RUNS] [MIVO]   (defaults: 5, build/render/mivo)
set -euo pipefail
source "$(dirname "$0")/median.sh"
runs=${1:-5}
mivo=$(realpath "${2:-build/render/mivo}")
song_seconds=240
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for ((i = 1; i <= runs; i++)); do
    (cd "$scratch" && /usr/bin/time -f '%e %U %S %M' -o "$scratch/time.$i" "$mivo")
    read -r wall user system peak <"$scratch/time.$i"
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN {print u + s}')
    echo "run $i: wall ${wall}s cpu ${cpu}s peak ${peak} KiB" >&2
    echo "$wall $cpu $peak" >>"$scratch/all"
done

wall=$(median 1 "$scratch/all")
cpu=$(median 2 "$scratch/all")
peak=$(median 3 "$scratch/all")
echo "runs:             $runs"
echo "median wall:      ${wall} s"
echo "median cpu:       ${cpu} s"
echo "median peak rss:  $((peak / 1024)) MiB"
echo "real-time factor: $(awk -v s="$song_seconds" -v w="$wall" 'BEGIN {printf "%.2f", s / w}')x"
