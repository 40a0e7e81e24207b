#!/usr/bin/env python3
"""Measures a rendered song and draws its pictures.

Usage: tools/measure_song.py [WAV] [--pictures DIR]

Prints the integrated loudness (EBU R128, through ffmpeg's ebur128 filter),
the share of samples at full scale, the RMS level of every order position
(one pattern, 32 rows of 5,168 frames), the correlation of left and right,
and the DC offset. With --pictures it also writes song-frequencies.png (a
spectrogram) and song-waveform.png into DIR. Needs ffmpeg (scripts/install-deps measure).
"""
import argparse
import array
import math
import re
import subprocess
import sys
import wave

FULL_SCALE = 32767
ORDER_FRAMES = 32 * 5168
FADE_FIRST_ORDER = 60          # the master bus fades the last four order positions out
AUDIBLE_DBFS = -45.0


def read_samples(path):
    with wave.open(path, 'rb') as wav:
        if wav.getsampwidth() != 2 or wav.getnchannels() != 2:
            sys.exit(f'{path}: expected 16-bit stereo')
        samples = array.array('h')
        samples.frombytes(wav.readframes(wav.getnframes()))
    if sys.byteorder == 'big':
        samples.byteswap()
    return samples


def dbfs(sum_of_squares, count):
    if count == 0 or sum_of_squares == 0:
        return -math.inf
    return 20 * math.log10(math.sqrt(sum_of_squares / count) / FULL_SCALE)


def integrated_loudness(path):
    result = subprocess.run(['ffmpeg', '-nostats', '-hide_banner', '-i', path, '-af', 'ebur128', '-f', 'null', '-'],
                            capture_output=True, text=True, check=True)
    summary = result.stderr[result.stderr.rfind('Summary:'):]
    return float(re.search(r'I:\s+(-?[\d.]+|-inf) LUFS', summary).group(1))


def draw_pictures(path, directory):
    subprocess.run(['ffmpeg', '-y', '-v', 'error', '-i', path, '-lavfi',
                    'showspectrumpic=s=720x240:legend=1:scale=log:fscale=log', f'{directory}/song-frequencies.png'],
                   check=True)
    subprocess.run(['ffmpeg', '-y', '-v', 'error', '-i', path, '-lavfi',
                    'showwavespic=s=1200x200:split_channels=1:colors=#3b7dd8|#d8843b', '-frames:v', '1',
                    f'{directory}/song-waveform.png'], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('wav', nargs='?', default='mivo_out.wav')
    parser.add_argument('--pictures', metavar='DIR')
    args = parser.parse_args()

    samples = read_samples(args.wav)
    left, right = samples[0::2], samples[1::2]
    frames = len(left)

    at_full_scale = sum(1 for s in samples if s == FULL_SCALE or s == -FULL_SCALE)
    sum_left = sum(left)
    sum_right = sum(right)
    squares_left = sum(s * s for s in left)
    squares_right = sum(s * s for s in right)
    cross = sum(a * b for a, b in zip(left, right))
    correlation = cross / math.sqrt(squares_left * squares_right) if squares_left and squares_right else 0.0
    dc = max(abs(sum_left), abs(sum_right)) / frames / FULL_SCALE

    print(f'file:                {args.wav} ({frames} frames, {frames / 44100:.1f} s)')
    print(f'integrated loudness: {integrated_loudness(args.wav):.1f} LUFS')
    print(f'at full scale:       {at_full_scale} samples, {100 * at_full_scale / len(samples):.4f} %')
    print(f'correlation L/R:     {correlation:.3f}')
    print(f'DC offset:           {100 * dc:.4f} % of full scale')

    quiet = []
    print('RMS per order position (dBFS):')
    for order in range(0, (frames + ORDER_FRAMES - 1) // ORDER_FRAMES):
        span = samples[2 * order * ORDER_FRAMES: 2 * (order + 1) * ORDER_FRAMES]
        level = dbfs(sum(s * s for s in span), len(span))
        faded = order >= FADE_FIRST_ORDER
        if level <= AUDIBLE_DBFS and not faded:
            quiet.append(order)
        print(f'  {order:2d}: {level:6.1f}{"  (fade)" if faded else ""}')
    print(f'inaudible before the fade: {quiet if quiet else "none"}')

    if args.pictures:
        draw_pictures(args.wav, args.pictures)
        print(f'pictures:            {args.pictures}/song-frequencies.png, {args.pictures}/song-waveform.png')


if __name__ == '__main__':
    main()
