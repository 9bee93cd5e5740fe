#!/usr/bin/env python3
"""Writes the notice chime: two soft bell tones, 16-bit PCM mono, about one second."""
import math
import struct
import sys
import wave

RATE = 22050
LENGTH = 1.0


def bell(t, freq, start):
    """A bell-like tone that starts at `start` seconds and dies away."""
    if t < start:
        return 0.0
    u = t - start
    attack = min(1.0, u / 0.008)
    decay = math.exp(-u * 4.5)
    tone = (math.sin(2 * math.pi * freq * u)
            + 0.35 * math.sin(2 * math.pi * freq * 2.0 * u) * math.exp(-u * 6.0)
            + 0.12 * math.sin(2 * math.pi * freq * 3.01 * u) * math.exp(-u * 9.0))
    return attack * decay * tone


def main(path):
    frames = bytearray()
    count = int(RATE * LENGTH)
    for i in range(count):
        t = i / RATE
        s = 0.45 * bell(t, 1318.5, 0.0) + 0.45 * bell(t, 1046.5, 0.22)
        fade = min(1.0, (count - i) / (RATE * 0.05))  # no click at the end
        frames += struct.pack("<h", int(max(-1.0, min(1.0, s * fade * 0.8)) * 32767))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "Mayorin。音.wav")
