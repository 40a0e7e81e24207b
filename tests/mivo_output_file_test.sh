#!/usr/bin/env bash
# mivo's output file: complete or not there. Runs the real program in
# scratch directories; works as root too (no reliance on permissions).
set -u
mivo=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
check() { if ! eval "$2"; then echo "FAIL: $1"; failures=$((failures + 1)); fi; }

# A directory that has gone away under the program: nothing can be created.
mkdir "$scratch/gone"
(cd "$scratch/gone" && rmdir "$scratch/gone" && exec "$mivo") >"$scratch/out" 2>"$scratch/err"
status=$?
check "vanished directory: non-zero exit" '[ $status -ne 0 ]'
check "vanished directory: one line naming the file" \
    '[ "$(wc -l <"$scratch/err")" -eq 1 ] && grep -q "^mivo: cannot write mivo_out.wav: No such file or directory$" "$scratch/err"'
check "vanished directory: nothing on stdout" '[ ! -s "$scratch/out" ]'

# A write that fails halfway (file size limit): the old file survives untouched.
mkdir "$scratch/full"
echo "an earlier render" >"$scratch/full/mivo_out.wav"
(cd "$scratch/full" && ulimit -f 1024 && exec "$mivo") >"$scratch/out" 2>"$scratch/err"
status=$?
check "failed write: non-zero exit" '[ $status -ne 0 ]'
check "failed write: reason on stderr" 'grep -q "^mivo: cannot write mivo_out.wav: File too large$" "$scratch/err"'
check "failed write: earlier file unchanged" '[ "$(cat "$scratch/full/mivo_out.wav")" = "an earlier render" ]'
check "failed write: no partial file left" '[ "$(ls -A "$scratch/full")" = "mivo_out.wav" ]'

# A normal run: the whole file, nothing printed.
mkdir "$scratch/ok"
(cd "$scratch/ok" && exec "$mivo") >"$scratch/out" 2>"$scratch/err"
status=$?
check "normal run: exit 0" '[ $status -eq 0 ]'
check "normal run: silent" '[ ! -s "$scratch/out" ] && [ ! -s "$scratch/err" ]'
check "normal run: 42,336,044 bytes" '[ "$(stat -c %s "$scratch/ok/mivo_out.wav")" -eq 42336044 ]'
check "normal run: only the output file" '[ "$(ls -A "$scratch/ok")" = "mivo_out.wav" ]'
check "normal run: soxi agrees on the format" \
    '[ "$(soxi -r "$scratch/ok/mivo_out.wav")/$(soxi -c "$scratch/ok/mivo_out.wav")/$(soxi -b "$scratch/ok/mivo_out.wav")/$(soxi -s "$scratch/ok/mivo_out.wav")" = "44100/2/16/10584000" ]'

echo "$failures failed"
[ $failures -eq 0 ]
