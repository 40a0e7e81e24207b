#!/usr/bin/env bash
# The mivosong program itself: help and exit statuses, the compiled-in song's
# round trip through text, and a render that is silent off a terminal and
# shows its progress bar on one.
set -u
mivosong=$1
song_block=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
check() { if ! eval "$2"; then echo "FAIL: $1"; failures=$((failures + 1)); fi; }

"$mivosong" --help >"$scratch/out" 2>"$scratch/err"
check "--help: exit 0, usage on stdout" '[ $? -eq 0 ] && grep -q "^usage: mivosong COMMAND" "$scratch/out" && [ ! -s "$scratch/err" ]'
"$mivosong" >"$scratch/out" 2>"$scratch/err"
check "no arguments: exit 2, usage on stderr" '[ $? -eq 2 ] && grep -q "^usage:" "$scratch/err" && [ ! -s "$scratch/out" ]'
"$mivosong" check "$scratch/absent" 2>"$scratch/err"
check "unreadable song: exit 2 with the reason" '[ $? -eq 2 ] && grep -q "No such file or directory" "$scratch/err"'

# The compiled-in song: valid, and identical after text and back.
"$mivosong" check "$song_block" >"$scratch/out" 2>&1
check "compiled-in song: valid and silent" '[ $? -eq 0 ] && [ ! -s "$scratch/out" ]'
"$mivosong" dump "$song_block" >"$scratch/song.txt" && "$mivosong" build "$scratch/song.txt" -o "$scratch/song.bin"
check "compiled-in song: dump then build gives the same bytes" 'cmp -s "$song_block" "$scratch/song.bin"'

# A tiny song: one channel, one order position of one row.
head -c 80 /dev/zero >"$scratch/tiny.bin"
tiny_header="--channels 1 --order-length 1 --patterns 1 --rows 1 --samples-per-row 4410 --end-order 1 --channel-end 1"
"$mivosong" render "$scratch/tiny.bin" $tiny_header -o "$scratch/tiny.wav" --stems "$scratch/stems" >"$scratch/out" 2>&1
check "render off a terminal: exit 0, nothing printed" '[ $? -eq 0 ] && [ ! -s "$scratch/out" ]'
check "render: soxi reads the WAV" '[ "$(soxi -r "$scratch/tiny.wav")/$(soxi -c "$scratch/tiny.wav")/$(soxi -b "$scratch/tiny.wav")/$(soxi -s "$scratch/tiny.wav")" = "44100/2/16/4410" ]'
check "render: soxi reads the stem" '[ "$(soxi -e "$scratch/stems/channel-00.wav")/$(soxi -b "$scratch/stems/channel-00.wav")/$(soxi -s "$scratch/stems/channel-00.wav")" = "Floating Point PCM/64/4410" ]'

# On a terminal (a pseudo-terminal from script) the progress bar appears and ends its line.
script -qec "\"$mivosong\" render \"$scratch/tiny.bin\" $tiny_header -o \"$scratch/tty.wav\"" /dev/null >"$scratch/tty" 2>&1
check "render on a terminal: progress bar with all rows" 'grep -q "100%  1/1 rows" "$scratch/tty"'
check "render on a terminal: the same WAV" 'cmp -s "$scratch/tiny.wav" "$scratch/tty.wav"'

echo "$failures failed"
[ $failures -eq 0 ]
