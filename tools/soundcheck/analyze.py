#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks a recording of the game's sound (16-bit stereo at 44.1 kHz) against the moments marked while it was
played: which song sounds where (by correlation with renders of the two songs), silence, and which effect sounds
when (by matching the effects themselves in what is left once the song is taken out). Prints the levels of the mix.
   analyze.py out.raw marks.txt 1.wav 2.wav effects/"""
import os
import sys
import wave

import numpy as np

RATE = 44100
STEP = 2  # compare songs at 22.05 kHz: enough to tell them apart, and quicker
EFFECTS = ["Beep", "Level", "Die", "Ham1", "Ham2", "Big", "Small"]


def mono(pcm):
    return pcm.reshape(-1, 2).astype(np.float64).mean(axis=1) / 32768.0


def read_wav(path):
    with wave.open(path, "rb") as w:
        frames = w.readframes(w.getnframes())
        if w.getsampwidth() == 2:
            return mono(np.frombuffer(frames, dtype="<i2")), w.getframerate()
        return (np.frombuffer(frames, dtype=np.uint8).astype(np.float64) - 128.0) / 128.0, w.getframerate()


def read_effect(path):
    """An effect as the mixer plays it: its own level, brought to the output rate."""
    pcm, rate = read_wav(path)
    t = np.arange(int(len(pcm) * RATE / rate)) * rate / RATE
    return np.interp(t, np.arange(len(pcm)), pcm)


def correlate(segment, reference):
    """Normalised correlation of the segment with every stretch of the reference of its length."""
    if len(reference) < len(segment):
        return np.zeros(0)
    n = len(reference) + len(segment)
    size = 1 << (n - 1).bit_length()
    corr = np.fft.irfft(np.fft.rfft(reference, size) * np.conj(np.fft.rfft(segment, size)), size)
    corr = corr[: len(reference) - len(segment) + 1]
    energy = np.concatenate(([0.0], np.cumsum(reference * reference)))
    window = np.sqrt(np.maximum(energy[len(segment):] - energy[: len(reference) - len(segment) + 1], 1e-12))
    return corr / (window * np.linalg.norm(segment) + 1e-12)


def coarse(x):
    """Averages of STEP samples: a rough low-pass, so the coarse search is not thrown by aliasing."""
    n = len(x) // STEP * STEP
    return x[:n].reshape(-1, STEP).mean(axis=1)


class Song:
    """A song's render, with what every search through it needs worked out once."""
    LONGEST = 5 * RATE  # the longest stretch searched for

    def __init__(self, pcm):
        self.pcm = pcm
        self.rough = coarse(pcm)
        self.size = 1 << (len(self.rough) + self.LONGEST // STEP - 1).bit_length()
        self.spectrum = np.fft.rfft(self.rough, self.size)
        self.energy = np.concatenate(([0.0], np.cumsum(self.rough * self.rough)))

    def find(self, segment, within=None):
        """Where in the song (in samples, starting before `within` seconds) the segment matches best, and how well."""
        seg = coarse(segment[: self.LONGEST])
        n = len(self.rough) - len(seg) + 1
        corr = np.fft.irfft(self.spectrum * np.conj(np.fft.rfft(seg, self.size)), self.size)[:n]
        window = np.sqrt(np.maximum(self.energy[len(seg):] - self.energy[:n], 1e-12))
        score = corr / (window * np.linalg.norm(seg) + 1e-12)
        if within is not None:
            score = score[: max(1, int(within * RATE) // STEP)]
        at = int(np.argmax(score)) * STEP
        # To the sample, at the full rate.
        lo = max(0, at - 2 * STEP)
        near = correlate(segment, self.pcm[lo: at + len(segment) + 2 * STEP])
        if not len(near):
            return float(np.max(score)), at
        return float(np.max(near)), lo + int(np.argmax(near))


def best_match(segment, song, within=None):
    """The highest normalised correlation of the segment with any stretch of the song, and where in seconds."""
    score, at = song.find(segment, within)
    return score, at / RATE


def db(x):
    return 20 * np.log10(max(x, 1e-10))


def rms(x):
    return float(np.sqrt(np.mean(x * x))) if len(x) else 0.0


def busiest(x):
    """RMS of the loudest tenth of a second: how loud a short sound strikes the ear."""
    window = RATE // 10
    if len(x) <= window:
        return rms(x)
    energy = np.concatenate(([0.0], np.cumsum(x * x)))
    return float(np.sqrt(np.max(energy[window:] - energy[:-window]) / window))


class Recording:
    def __init__(self, sound, songs):
        self.sound = sound
        self.songs = songs
        self.song_levels = {name: [] for name in songs}  # (RMS, peak) of each stretch where a song was found

    def part(self, start, seconds):
        a = max(0, int(start * RATE))
        return self.sound[a: a + int(seconds * RATE)]

    def without_songs(self, start, seconds, window=2.0):
        """The stretch with whichever song sounds in it taken out, window by window (a song may stop or start
        inside), leaving only the effects. The game's song is the render, sample for sample, at its own level."""
        seg = self.part(start, seconds).copy()
        step = int(window * RATE)
        follows = {}  # where each song found in the last window goes on, in samples of its render
        for a in range(0, len(seg), step):
            piece = seg[a: a + step]
            if len(piece) < RATE // 4 or rms(piece) < 1e-4:
                follows = {}
                continue
            matched = {}
            for name, ref in self.songs.items():
                # A song goes on from where it was: look there first, and through the whole song only if not.
                score, best = 0.0, 0
                if name in follows:
                    lo = max(0, follows[name] - RATE // 10)
                    near = correlate(piece, ref.pcm[lo: follows[name] + len(piece) + RATE // 10])
                    if len(near):
                        best = lo + int(np.argmax(near))
                        score = float(np.max(near))
                if score < 0.5:
                    score, best = ref.find(piece)
                if score < 0.5:
                    continue
                matched[name] = best + len(piece)
                song = ref.pcm[best: best + len(piece)]
                gain = float(np.dot(piece, song) / max(np.dot(song, song), 1e-12))
                if len(piece) == step:
                    self.song_levels[name].append((gain * rms(song), gain * float(np.max(np.abs(song)))))
                seg[a: a + step] = piece - gain * song
                break
            follows = matched
        return seg


def find_effects(residual, effects, offset, threshold=0.6):
    """Every effect heard in what is left of the sound: (time, name, match, level of its busiest tenth)."""
    found = []
    for name, tmpl in effects.items():
        padded = np.concatenate((residual, np.zeros(len(tmpl))))
        # In blocks of a few seconds: one long transform of minutes of sound is slow and big.
        block = 4 * RATE
        score = np.concatenate([correlate(tmpl, padded[a: a + block + len(tmpl)])
                                for a in range(0, len(residual), block)])[: len(residual)]
        candidates = np.flatnonzero(score >= threshold)
        taken = np.zeros(len(score), dtype=bool)
        for at in candidates[np.argsort(score[candidates])[::-1]]:
            if taken[at]:
                continue
            taken[max(0, at - len(tmpl) // 2): at + len(tmpl) // 2] = True
            piece = residual[at: at + len(tmpl)]
            t = tmpl[: len(piece)]
            gain = float(np.dot(piece, t) / max(np.dot(t, t), 1e-12))
            found.append((offset + at / RATE, name, float(score[at]), gain * busiest(tmpl)))
    found.sort()
    # Ham1 and Ham2 share their first moments; a sound matched by two effects is the one that matches better.
    kept = []
    for event in found:
        clash = [k for k in kept if abs(k[0] - event[0]) < 0.05 and k[1] != event[1]]
        if clash and clash[0][2] >= event[2]:
            continue
        kept = [k for k in kept if k not in clash] + [event]
    return kept


def main():
    raw, marks_path, game_wav, menu_wav, effects_dir = sys.argv[1:6]
    stereo = np.fromfile(raw, dtype="<i2")
    sound = mono(stereo)
    marks = {}
    for line in open(marks_path):
        name, size = line.split()
        marks.setdefault(name, []).append(int(size) // 4 / RATE)
    mark = {name: times[0] for name, times in marks.items()}
    songs = {"1.xm": Song(read_wav(game_wav)[0]), "2.xm": Song(read_wav(menu_wav)[0])}
    effects = {name: read_effect(os.path.join(effects_dir, name + ".wav")) for name in EFFECTS}
    rec = Recording(sound, songs)
    part = rec.part

    failures = []

    def check(ok, text):
        print(("ok   " if ok else "FAIL ") + text)
        if not ok:
            failures.append(text)

    def song_at(name, start, seconds, want, lag_near=None):
        seg = part(start, seconds)
        # From its start: within its first 30 s, before the render's second pass repeats it.
        within = 30 if lag_near is not None else start + 30
        scores = {song: best_match(seg, ref, within) for song, ref in songs.items()}
        other = "1.xm" if want == "2.xm" else "2.xm"
        score, lag = scores[want]
        text = (f"{name}: {db(rms(seg)):.1f} dBFS, matches {want} {score:.2f} at {lag:.2f} s of the song "
                f"({other} {scores[other][0]:.2f})")
        ok = rms(seg) > 10 ** (-45 / 20) and score > 0.9 and score > scores[other][0] + 0.3
        if lag_near is not None:
            ok = ok and abs(lag - lag_near) < 0.5
            text += f", expected near {lag_near:.2f} s"
        check(ok, text)

    def heard(start, end):
        return find_effects(rec.without_songs(start, end - start), effects, start)

    def names(events):
        return ", ".join(f"{n} at {t:.2f} s" for t, n, _, _ in events) or "nothing"

    song_at("menu after the splash", mark["menu"], 3.0, "2.xm")
    rec.without_songs(mark["menu"], 4.0)  # the menu song's level

    quiet = part(mark["quiet"], mark["keys"] - mark["quiet"])
    check(np.max(np.abs(quiet)) < 10 ** (-60 / 20), f"music off, no input: peak {db(float(np.max(np.abs(quiet)))):.1f} dBFS")

    keys = part(mark["keys"], mark["keys_end"] - mark["keys"])
    events = find_effects(keys, effects, mark["keys"])
    beeps = [e for e in events if e[1] == "Beep"]
    check(len(beeps) == 3 and len(events) == 3,
          f"three menu moves with music off: {len(beeps)} beeps of {len(events)} effects heard, "
          f"peak {db(float(np.max(np.abs(keys)))):.1f} dBFS")

    off = part(mark["sound_off"], mark["sound_off_end"] - mark["sound_off"])
    check(np.max(np.abs(off)) < 10 ** (-60 / 20),
          f"sound off, four menu moves: peak {db(float(np.max(np.abs(off)))):.1f} dBFS")
    events = heard(mark["sound_on"] - 0.1, mark["sound_on"] + 0.8)
    check([e[1] for e in events] == ["Beep"], f"sound switched on again: {[e[1] for e in events]} heard")

    # Behind another window the keys still work: the menu song starts from its beginning, without the beeps.
    song_at("music on from behind another window", mark["unfocused"] + 0.5, 2.0, "2.xm", lag_near=0.5)
    events = heard(mark["unfocused"] - 0.1, mark["unfocused_end"])
    check(not events, f"behind another window, a choice and a move: {names(events)} heard")
    events = heard(mark["focused"], mark["focused_end"])
    check([e[1] for e in events] == ["Beep"], f"the window focused again, a move: {[e[1] for e in events]} heard")

    # The game: the level jingle with the choice's beep, the game song from its start, then whatever the play brings.
    play = heard(mark["new_game"] - 0.1, mark["end"])
    first = [e for e in play if e[1] == "Level"]
    check(bool(first) and abs(first[0][0] - mark["new_game"]) < 0.3,
          f"a new game: the level jingle at {first[0][0] - mark['new_game']:+.2f} s" if first else "a new game: no jingle")
    song_at("a new game, after the level jingle", mark["new_game"] + 2.5, 3.0, "1.xm", lag_near=2.5)

    fires = marks.get("fire", [])
    chomps = [e for e in play if e[1] in ("Ham1", "Ham2")]
    late = [c for c in chomps if not any(0 < c[0] - f < 1.5 for f in fires)]
    check(bool(chomps) and not late,
          f"{len(chomps)} chomps ({sum(c[1] == 'Ham1' for c in chomps)} Ham1, {sum(c[1] == 'Ham2' for c in chomps)} "
          f"Ham2), each within 1.5 s of a shot" + (f"; {len(late)} without one" if late else ""))
    for whoop in ("Big", "Small"):
        at = [e for e in play if e[1] == whoop]
        lone = [w for w in at if not any(abs(w[0] - c[0]) < 0.06 for c in chomps)]
        if at:
            check(not lone, f"{whoop}: {len(at)} times, each with the chomp that brought it")
        else:
            print(f"note {whoop}: not reached in this game")
    die = [e for e in play if e[1] == "Die"]
    levels = [e for e in play if e[1] == "Level"][1:]
    bigs = [e for e in play if e[1] == "Big"]
    check(len(die) == 1, f"the lost game: {len(die)} sad phrase(s)"
          + (f", after {len(levels)} more level(s) passed" if levels else ""))
    # Each later jingle starts a level the creature finished big.
    check(len(levels) <= len(bigs), f"{len(levels)} level jingles after the first, {len(bigs)} rising whoops")
    if die:
        # The game song stops with the sad phrase.
        d = die[0][0]
        before = best_match(part(d - 2.0, 1.8), songs["1.xm"])[0]
        after_phrase = part(d + 1.76, 0.1)
        check(before > 0.5 and np.max(np.abs(after_phrase)) < 10 ** (-60 / 20),
              f"the game song up to the sad phrase (match {before:.2f}), silence after it "
              f"(peak {db(float(np.max(np.abs(after_phrase)))):.1f} dBFS)")
        # The game-over display lasts a little over two seconds; then the menu song from its start.
        song_at("after the lost game the menu song again", d + 3.0, 3.0, "2.xm", lag_near=0.9)

    # The levels of the mix.
    print("levels:")
    for name, stretches in rec.song_levels.items():
        if stretches:
            level = np.sqrt(np.mean([r * r for r, _ in stretches]))
            print(f"  song {name}: {db(level):.1f} dBFS RMS, peak {db(max(p for _, p in stretches)):.1f} dBFS "
                  f"({len(stretches)} stretches of 2 s)")
    game_song = rec.song_levels["1.xm"]
    song_rms = np.sqrt(np.mean([r * r for r, _ in game_song])) if game_song else 10 ** (-20 / 20)
    for name in EFFECTS:
        # The beeps where nothing else sounds: the menu moves with music off.
        got = [e[3] for e in (find_effects(keys, effects, 0) if name == "Beep" else play) if e[1] == name]
        if got:
            print(f"  {name}: busiest 0.1 s {db(max(got)):.1f} dBFS, {db(max(got)) - db(song_rms):+.1f} dB over the game song")
    loudest = np.abs(stereo.astype(np.float64)) / 32768.0
    whole = float(np.max(loudest))
    at = int(np.argmax(loudest)) // 2 / RATE
    print(f"  loudest moment: {db(whole):.2f} dBFS at {at:.2f} s")
    check(whole <= 10 ** (-0.99 / 20), f"peaks at or below -1 dBFS: {db(whole):.2f} dBFS")
    if failures:
        sys.exit(1)


if __name__ == "__main__":
    main()
