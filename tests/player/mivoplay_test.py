#!/usr/bin/env python3
"""Program-level tests of mivoplay, run headless through SDL's test drivers.

  capture  plays through SDL's disk driver, which writes what the player's
           callback produces to a file in real time, and checks that file
           against the image that the helper renders with the same
           streaming code in a process of its own (one thread, so that the
           C library's unseeded rand gives the same numbers).
  silent   plays through another driver (dummy, or one that does not
           exist) and checks the exit status and the stderr line.
  terminal runs the player on a terminal (a pseudo-terminal) and checks
           that it waits for the key without line editing and echo, and
           that the terminal's settings come back after a key, SIGINT and
           SIGTERM.
"""
import argparse
import os
import pty
import shlex
import signal
import subprocess
import sys
import tempfile
import termios
import time

BYTES_PER_SECOND = 44100 * 4
HEADER_SIZE = 44
LEAD_IN_BYTES = BYTES_PER_SECOND
RENDER_TIMEOUT = 900  # seconds; the compiled-in song renders in real time at worst
STOP_TIMEOUT = 2.0    # seconds from the key to the program's end

failures = []


def check(what, ok):
    if not ok:
        failures.append(what)
        print("FAIL: " + what)


def waiting_for_key(pid):
    """True while the program's main thread is blocked reading standard input."""
    try:
        with open(f"/proc/{pid}/syscall") as f:
            fields = f.read().split()
    except OSError:
        return False
    return len(fields) > 1 and fields[0] == "0" and fields[1] == "0x0"


def first_nonzero(data):
    stripped = data.lstrip(b"\0")
    return len(data) - len(stripped) if stripped else None


def compare_capture(capture, image, play_whole):
    data = image[HEADER_SIZE:]
    song_start = first_nonzero(data)
    heard_start = first_nonzero(capture)
    check("the image's song is not silent", song_start is not None)
    check("something was heard", heard_start is not None)
    if song_start is None or heard_start is None:
        return
    check(f"the image's data begins with one second of zeros (first sound at byte {song_start})",
          song_start >= LEAD_IN_BYTES)
    # SDL may play some silence before the first callback; the heard audio
    # is the image's data from that point on.
    offset = heard_start - song_start
    check(f"the capture begins with the image's lead-in (start-up silence {offset} bytes)",
          offset >= 0 and offset % 4 == 0)
    if offset < 0:
        return
    heard = capture[offset:]
    overlap = min(len(heard), len(data))
    if heard[:overlap] != data[:overlap]:
        first = next(i for i in range(overlap) if heard[i] != data[i])
        check(f"the capture equals the image's data (first difference at data byte {first}, "
              f"{first / BYTES_PER_SECOND:.3f} s)", False)
    check("silence after the image's end", heard[overlap:].count(0) == len(heard) - overlap)
    if play_whole:
        check(f"the whole image was heard ({overlap} of {len(data)} bytes)", overlap == len(data))
    else:
        check(f"more than the lead-in was heard ({overlap} bytes)", overlap > LEAD_IN_BYTES)


def wait_for_rendering(player):
    deadline = time.monotonic() + RENDER_TIMEOUT
    while not waiting_for_key(player.pid):
        if player.poll() is not None or time.monotonic() > deadline:
            return False
        time.sleep(0.05)
    return True


def run_capture(args):
    with tempfile.TemporaryDirectory() as scratch:
        image_path = os.path.join(scratch, "expected.wav")
        capture_path = os.path.join(scratch, "capture.raw")
        subprocess.run(shlex.split(args.image_helper) + [image_path], check=True)
        with open(image_path, "rb") as f:
            image = f.read()

        env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=capture_path)
        player = subprocess.Popen(shlex.split(args.player), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, env=env)
        rendered = wait_for_rendering(player)
        check("the player renders the song and waits for the key", rendered)
        if rendered:
            if args.listen == "whole":
                # Until the whole image and half a second of silence are captured.
                wanted = len(image) - HEADER_SIZE + BYTES_PER_SECOND // 2
                while player.poll() is None and os.path.getsize(capture_path) < wanted:
                    time.sleep(0.05)
            else:
                time.sleep(float(args.listen))
        key_time = time.monotonic()
        try:
            out, err = player.communicate(input=b"k", timeout=RENDER_TIMEOUT)
        except subprocess.TimeoutExpired:
            player.kill()
            out, err = player.communicate()
        stop_seconds = time.monotonic() - key_time
        check(f"exit status 0 (got {player.returncode})", player.returncode == 0)
        check(f"the run ends soon after the key ({stop_seconds:.2f} s)", stop_seconds < STOP_TIMEOUT)
        check("nothing on stdout", out == b"")
        check("no message of mivoplay's own on stderr", b"mivoplay" not in err)
        if err:
            sys.stdout.write("stderr of the player:\n" + err.decode(errors="replace"))
        with open(capture_path, "rb") as f:
            capture = f.read()
        compare_capture(capture, image, args.listen == "whole")


def run_silent(args):
    env = dict(os.environ, SDL_AUDIODRIVER=args.driver)
    # Standard input at its end: the key is there as soon as rendering is done.
    result = subprocess.run(shlex.split(args.player), stdin=subprocess.DEVNULL, capture_output=True, env=env,
                            timeout=RENDER_TIMEOUT)
    check(f"exit status {args.status} (got {result.returncode})", result.returncode == args.status)
    check("nothing on stdout", result.stdout == b"")
    expected = args.stderr.encode() + b"\n" if args.stderr else b""
    check(f"stderr is {expected!r} (got {result.stderr!r})", result.stderr == expected)


def run_terminal(args):
    env = dict(os.environ, SDL_AUDIODRIVER="dummy")
    endings = {"key": 0, "SIGINT": -signal.SIGINT, "SIGTERM": -signal.SIGTERM}
    for ending, status in endings.items():
        master, slave = pty.openpty()
        before = termios.tcgetattr(slave)
        player = subprocess.Popen(shlex.split(args.player), stdin=slave, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, env=env)
        rendered = wait_for_rendering(player)
        check(f"{ending}: the player renders the song and waits for the key", rendered)
        local_modes = termios.tcgetattr(slave)[3]
        check(f"{ending}: no line editing and no echo while waiting",
              local_modes & (termios.ICANON | termios.ECHO) == 0)
        if ending == "key":
            os.write(master, b"x")
        else:
            player.send_signal(getattr(signal, ending))
        try:
            out, err = player.communicate(timeout=STOP_TIMEOUT)
        except subprocess.TimeoutExpired:
            player.kill()
            out, err = player.communicate()
        check(f"{ending}: exit status {status} (got {player.returncode})", player.returncode == status)
        check(f"{ending}: the terminal's settings are restored", termios.tcgetattr(slave) == before)
        check(f"{ending}: nothing printed", out == b"" and err == b"")
        os.set_blocking(master, False)
        try:
            echoed = os.read(master, 100)
        except BlockingIOError:
            echoed = b""
        check(f"{ending}: the key is not echoed (got {echoed!r})", echoed == b"")
        os.close(master)
        os.close(slave)


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="test", required=True)
    capture = sub.add_parser("capture")
    capture.add_argument("--player", required=True, help="command that runs the player")
    capture.add_argument("--image-helper", required=True, help="command that writes the expected image to a file")
    capture.add_argument("--listen", default="whole",
                         help="after rendering: 'whole' to hear the whole image, or seconds to listen")
    silent = sub.add_parser("silent")
    silent.add_argument("--player", required=True)
    silent.add_argument("--driver", required=True)
    silent.add_argument("--status", type=int, required=True)
    silent.add_argument("--stderr", default="", help="the one line expected on stderr, if any")
    terminal = sub.add_parser("terminal")
    terminal.add_argument("--player", required=True)
    args = parser.parse_args()
    {"capture": run_capture, "silent": run_silent, "terminal": run_terminal}[args.test](args)
    print(f"{len(failures)} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
