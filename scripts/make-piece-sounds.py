#!/usr/bin/env python3
"""Writes the two built-in piece sounds, resources/sounds/komaoto.wav and komaoto2.wav.

Each is a short knock synthesised from scratch: a burst of filtered noise for the contact and a
few damped partials for the body of wood, mono 16-bit PCM at 22050 Hz. The noise has a fixed
seed, so running the script again gives the same files byte for byte.
"""
import math
import random
import struct
import sys
import wave
from pathlib import Path

RATE = 22050


def knock(partials, noise_ms, length_ms, seed, gain):
    rng = random.Random(seed)
    count = int(RATE * length_ms / 1000)
    noise_count = int(RATE * noise_ms / 1000)
    samples = []
    low = 0.0
    for n in range(count):
        t = n / RATE
        value = 0.0
        for frequency, amplitude, decay in partials:
            value += amplitude * math.exp(-t * decay) * math.sin(2 * math.pi * frequency * t)
        if n < noise_count:
            # Low-passed noise, fading out over the contact.
            low += 0.35 * (rng.uniform(-1.0, 1.0) - low)
            value += 0.6 * low * (1.0 - n / noise_count)
        # A 2 ms rise keeps the start from clicking.
        value *= min(1.0, t / 0.002)
        samples.append(max(-1.0, min(1.0, value * gain)))
    return samples


def write(path, samples):
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(s * 32767)) for s in samples))


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "sounds"
    folder.mkdir(parents=True, exist_ok=True)
    # A sharp, high knock and a rounder, lower one.
    write(folder / "komaoto.wav",
          knock([(1850, 0.55, 90), (920, 0.45, 60), (3100, 0.25, 140)], 6, 140, 1, 0.8))
    write(folder / "komaoto2.wav",
          knock([(640, 0.6, 45), (1290, 0.35, 70), (2150, 0.15, 110)], 9, 200, 2, 0.8))


if __name__ == "__main__":
    main()
