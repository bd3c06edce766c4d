#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks a recording of the game's sound (16-bit stereo at 44.1 kHz) against the moments marked while it was
played: which song sounds where (by correlation with renders of the two songs), silence, and beeps.
   analyze.py out.raw marks.txt 1.wav 2.wav"""
import sys
import wave

import numpy as np

RATE = 44100
STEP = 2  # compare at 22.05 kHz: enough to tell the songs apart, and quicker


def mono(pcm):
    return pcm.reshape(-1, 2).astype(np.float64).mean(axis=1) / 32768.0


def read_wav(path):
    with wave.open(path, "rb") as w:
        return mono(np.frombuffer(w.readframes(w.getnframes()), dtype="<i2"))


def best_match(segment, reference):
    """The highest normalised correlation of the segment with any stretch of the reference, and where."""
    seg = segment[::STEP]
    ref = reference[::STEP]
    n = len(ref) + len(seg)
    size = 1 << (n - 1).bit_length()
    corr = np.fft.irfft(np.fft.rfft(ref, size) * np.conj(np.fft.rfft(seg, size)), size)[: len(ref) - len(seg) + 1]
    energy = np.concatenate(([0.0], np.cumsum(ref * ref)))
    window = np.sqrt(np.maximum(energy[len(seg):] - energy[: len(ref) - len(seg) + 1], 1e-12))
    score = corr / (window * np.linalg.norm(seg) + 1e-12)
    at = int(np.argmax(score))
    return float(score[at]), at * STEP / RATE


def db(x):
    return 20 * np.log10(max(x, 1e-10))


def main():
    raw, marks_path, game_wav, menu_wav = sys.argv[1:5]
    sound = mono(np.fromfile(raw, dtype="<i2"))
    marks = {}
    for line in open(marks_path):
        name, size = line.split()
        marks[name] = int(size) // 4 / RATE
    songs = {"1.xm": read_wav(game_wav), "2.xm": read_wav(menu_wav)}

    def part(start, seconds):
        a = int(start * RATE)
        return sound[a: a + int(seconds * RATE)]

    failures = []

    def check(ok, text):
        print(("ok   " if ok else "FAIL ") + text)
        if not ok:
            failures.append(text)

    def song_at(name, start, seconds, want, lag_near=None):
        seg = part(start, seconds)
        rms = float(np.sqrt(np.mean(seg * seg)))
        scores = {song: best_match(seg, ref[: int((start + 30) * RATE)]) for song, ref in songs.items()}
        other = "1.xm" if want == "2.xm" else "2.xm"
        score, lag = scores[want]
        text = (f"{name}: {db(rms):.1f} dBFS, matches {want} {score:.2f} at {lag:.2f} s of the song "
                f"({other} {scores[other][0]:.2f})")
        ok = rms > 10 ** (-45 / 20) and score > 0.9 and score > scores[other][0] + 0.3
        if lag_near is not None:
            ok = ok and abs(lag - lag_near) < 0.5
            text += f", expected near {lag_near:.2f} s"
        check(ok, text)

    song_at("menu after the splash", marks["menu"], 3.0, "2.xm")

    quiet = part(marks["quiet"], marks["keys"] - marks["quiet"])
    check(np.max(np.abs(quiet)) < 10 ** (-60 / 20),
          f"music off, no input: peak {db(float(np.max(np.abs(quiet)))):.1f} dBFS")

    keys = part(marks["keys"], marks["keys_end"] - marks["keys"])
    loud = np.abs(keys) > 0.02
    hits = np.flatnonzero(loud)
    bursts = 0 if len(hits) == 0 else 1 + int(np.sum(np.diff(hits) > 0.1 * RATE))
    heard = float(np.sum(loud)) / RATE
    check(bursts == 3 and heard < 0.1,
          f"three menu moves with music off: {bursts} beeps, {heard * 1000:.0f} ms above -34 dBFS, "
          f"peak {db(float(np.max(np.abs(keys)))):.1f} dBFS")

    song_at("music switched on again", marks["music_on"] + 0.5, 3.0, "2.xm", lag_near=0.5)
    song_at("a new game, after the level jingle", marks["new_game"] + 2.5, 3.0, "1.xm", lag_near=2.5)

    # Losing stops the song at once; the sad phrase is shorter than the game-over display, so a moment of
    # silence comes before the menu song starts again from its beginning.
    after = part(marks["new_game"] + 10, marks["end"] - marks["new_game"] - 10)
    quiet = np.abs(after) < 10 ** (-60 / 20)
    longest = run = 0
    for q in quiet:
        run = run + 1 if q else 0
        longest = max(longest, run)
    check(longest > 0.15 * RATE, f"the lost game: {longest / RATE * 1000:.0f} ms of silence between its song and the menu's")
    seg_start = marks["end"] - 3.5
    seg = part(seg_start, 3.0)
    score, lag = best_match(seg, songs["2.xm"][: 30 * RATE])
    check(score > 0.9 and lag < 12.0,
          f"after the lost game the menu song again: matches 2.xm {score:.2f} at {lag:.2f} s of the song")

    whole = np.max(np.abs(sound))
    check(whole < 1.0, f"nothing clips: peak of the whole recording {db(float(whole)):.1f} dBFS")
    if failures:
        sys.exit(1)


if __name__ == "__main__":
    main()
