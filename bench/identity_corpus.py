#!/usr/bin/env python3
"""Writes a varied corpus of WAV files for comparing two builds byte for byte.

Every integer depth and container (8, 12-in-16, 16, 20-in-24, 24, 24-in-32, 32 bits),
32- and 64-bit float, plain and extensible headers, mono to 6 channels, files longer than one
block of the run and shorter than one piece, silent files, part frames at the end, equal peaks
of both signs, full-scale extremes, float specials (NaN, infinities, denormal peaks) and
samples that scale to exact rounding ties, and short files of every format with their peaks
placed at random.

Usage: identity_corpus.py FOLDER [PEAK_FILES]   (120 short peak-placement files by default)
"""
import math
import os
import random
import struct
import sys

BLOCK = 262144  # samples per block of a run's passes


def fmt_chunk(tag, channels, rate, bits, container, extensible):
    align = channels * container
    body = struct.pack("<HHIIHH", 0xFFFE if extensible else tag, channels, rate, rate * align, align, bits)
    if extensible:
        guid_tail = b"\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71"
        body += struct.pack("<HHI", 22, bits, 0) + struct.pack("<H", tag) + guid_tail
    return b"fmt " + struct.pack("<I", len(body)) + body


def write_wav(path, tag, channels, bits, container, data, extensible=False, extra=b"", rate=44100):
    chunks = fmt_chunk(tag, channels, rate, bits, container, extensible)
    if extra:
        chunks += b"LIST" + struct.pack("<I", len(extra)) + extra + (b"\x00" if len(extra) & 1 else b"")
    chunks += b"data" + struct.pack("<I", len(data)) + data + (b"\x00" if len(data) & 1 else b"")
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks)


def int_bytes(values, container, shift):
    """Container-sized little-endian integers; shift moves a smaller depth to the top bits."""
    out = bytearray()
    if container == 1:
        return bytes((v + 128) & 0xFF for v in values)
    for v in values:
        out += ((v << shift) & ((1 << (8 * container)) - 1)).to_bytes(container, "little")
    return bytes(out)


def signal(rng, count, channels, full, pad, level):
    """Zero pads, a quiet tail below typical thresholds and a noisy sine in the middle."""
    vals = []
    for i in range(count):
        frame, ch = divmod(i, channels)
        if i < pad or i >= count - pad:
            vals.append(0)
        elif i < 2 * pad:
            vals.append(rng.choice((0, 0, 1, -1)))
        else:
            x = level * math.sin(frame * (0.01 + 0.003 * ch)) + rng.uniform(-0.02, 0.02) * level
            vals.append(max(-full - 1, min(full, int(round(x * full)))))
    return vals


def place_peaks(vals, spots, value):
    for k, s in enumerate(spots):
        if 0 <= s < len(vals):
            vals[s] = value if k % 2 == 0 else -value
    return vals


def int_files(folder, rng):
    kinds = [  # name, depth, container
        ("u8", 8, 1), ("s12", 12, 2), ("s16", 16, 2), ("s20", 20, 3), ("s24", 24, 3),
        ("s24in32", 24, 4), ("s32", 32, 4),
    ]
    lengths = {1: 3001, 2: 2 * 150001, 6: 6 * 7001}
    for name, bits, container in kinds:
        full = (1 << (bits - 1)) - 1
        shift = 8 * container - bits
        for channels in (1, 2, 6):
            count = lengths[channels] + (7 if name == "s16" else 0)  # a part frame now and then
            vals = signal(rng, count, channels, full, 900 * channels, 0.6)
            # Equal peaks of both signs, one straddling the block boundary, the larger later.
            place_peaks(vals, [1500 * channels + 1, BLOCK - 1, BLOCK + 3], int(full * 0.9))
            top = full if channels == 1 else int(full * rng.uniform(0.91, 0.99))
            place_peaks(vals, [count // 2 + 5, count // 2 + 4099], top)
            data = int_bytes(vals, container, shift)
            write_wav(os.path.join(folder, f"{name}_{channels}ch.wav"), 1, channels, bits, container, data,
                      extensible=(channels == 6))
    # Negative full scale (one step beyond +full) and low bits set below the declared depth.
    vals = signal(rng, 50000, 2, 2047, 400, 0.9)
    vals[30001] = -2048
    raw = bytearray(int_bytes(vals, 2, 4))
    for i in range(0, len(raw), 2):
        raw[i] |= rng.randrange(16)
    write_wav(os.path.join(folder, "s12_junk_low_bits.wav"), 1, 2, 12, 2, bytes(raw))
    write_wav(os.path.join(folder, "s16_min_extreme.wav"), 1, 1, 16, 2,
              int_bytes(place_peaks(signal(rng, 40000, 1, 32767, 300, 0.5), [20000], -32768), 2, 0))
    write_wav(os.path.join(folder, "s24_in_3_bytes_16_bits.wav"), 1, 2, 16, 3,
              int_bytes(signal(rng, 30000, 2, 8388607, 500, 0.7), 3, 0))
    write_wav(os.path.join(folder, "s16_bits0.wav"), 1, 2, 0, 2, int_bytes(signal(rng, 9000, 2, 32767, 100, 0.3), 2, 0))
    write_wav(os.path.join(folder, "u8_odd_mono.wav"), 1, 1, 8, 1, int_bytes(signal(rng, 4999, 1, 127, 50, 0.8), 1, 0),
              extra=b"abc")
    write_wav(os.path.join(folder, "s16_silent.wav"), 1, 2, 16, 2, bytes(4 * 20000))
    write_wav(os.path.join(folder, "s24_one_sample.wav"), 1, 1, 24, 3, int_bytes([0] * 500 + [3] + [0] * 500, 3, 0))
    # A long file: several blocks, the peak in the last one.
    vals = signal(rng, 3 * BLOCK + 12345, 2, 32767, 20000, 0.3)
    place_peaks(vals, [3 * BLOCK + 100], 20000)
    write_wav(os.path.join(folder, "s16_long.wav"), 1, 2, 16, 2, int_bytes(vals, 2, 0))
    # One peak, placed about the piece, vector and block edges, in otherwise quiet files.
    for spot in (0, 1, 15, 4095, 4096, 8191, BLOCK - 1, BLOCK, BLOCK + 4097):
        vals = [rng.randrange(-300, 300) for _ in range(BLOCK + 5000)]
        vals[spot] = -31111 if spot % 2 else 31111
        write_wav(os.path.join(folder, f"s16_peak_at_{spot}.wav"), 1, 1, 16, 2, int_bytes(vals, 2, 0))


def float_bytes(values, size):
    return b"".join(struct.pack("<f" if size == 4 else "<d", v) for v in values)


def float_files(folder, rng):
    inf, nan = float("inf"), float("nan")
    for size in (4, 8):
        bits = 8 * size
        for channels in (1, 2):
            n = channels * 60000
            vals = [0.0] * 300 + [rng.uniform(-0.7, 0.7) for _ in range(n - 600)] + [0.0] * 300
            vals[5000] = 0.95
            vals[7000] = -0.95
            write_wav(os.path.join(folder, f"f{bits}_{channels}ch.wav"), 3, channels, bits, size,
                      float_bytes(vals, size), extensible=(channels == 2))
        # Specials: overs, NaN (never a peak), infinity (a peak), negative zero.
        vals = [0.0, -0.0] * 100 + [rng.uniform(-2.0, 2.0) for _ in range(20000)] + [nan, 0.5, -inf, 1.5] + [0.0] * 50
        write_wav(os.path.join(folder, f"f{bits}_specials.wav"), 3, 1, bits, size, float_bytes(vals, size))
        vals = [0.0] * 100 + [nan] * 10 + [rng.uniform(-1, 1) for _ in range(5000)] + [0.0] * 100
        write_wav(os.path.join(folder, f"f{bits}_nan_head.wav"), 3, 2, bits, size, float_bytes(vals, size))
        # Values that scale to k + 0.5 at 16 bits and at 8 bits: ties for the encoders.
        ties = [(k + 0.5) / 32767.0 for k in range(-32768, 32767, 37)] + [(k + 0.5) / 127.0 for k in range(-128, 127)]
        write_wav(os.path.join(folder, f"f{bits}_ties.wav"), 3, 1, bits, size, float_bytes(ties, size))
    # A denormal peak: the gain does not fit a double and stays extended.
    tiny = [0.0] * 10 + [5e-324 * k for k in range(1, 2000)] + [-1e-310, 0.0]
    write_wav(os.path.join(folder, "f64_denormal_peak.wav"), 3, 1, 64, 8, float_bytes(tiny, 8))
    write_wav(os.path.join(folder, "f32_silent.wav"), 3, 2, 32, 4, float_bytes([0.0] * 8000, 4))


def peak_files(folder, rng, count):
    """Short files of every format whose loudest samples (one to three of equal magnitude and
    random sign, or the negative extreme) sit anywhere, over quieter noise."""
    kinds = [(1, 8, 1), (1, 16, 2), (1, 24, 3), (1, 32, 4), (3, 32, 4), (3, 64, 8)]
    for n in range(count):
        tag, bits, size = kinds[n % len(kinds)]
        channels = 1 + n % 2
        samples = channels * rng.randrange(300, 7000)
        if tag == 3:
            top = rng.uniform(0.1, 1.2)
            vals = [rng.uniform(-top / 2, top / 2) for _ in range(samples)]
            for _ in range(rng.randrange(1, 4)):
                vals[rng.randrange(samples)] = rng.choice((top, -top))
            data = float_bytes(vals, size)
        else:
            full = (1 << (bits - 1)) - 1
            top = rng.choice((full, -full - 1, rng.randrange(1, full)))
            vals = [rng.randrange(-abs(top) // 2, abs(top) // 2 + 1) for _ in range(samples)]
            for _ in range(rng.randrange(1, 4)):
                vals[rng.randrange(samples)] = rng.choice((top, -top)) if top != -full - 1 else top
            data = int_bytes(vals, size, 0)
        write_wav(os.path.join(folder, f"peak{n:03d}_{bits}{'f' if tag == 3 else ''}.wav"), tag, channels, bits,
                  size, data)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(11)
    int_files(folder, rng)
    float_files(folder, rng)
    peak_files(folder, rng, int(sys.argv[2]) if len(sys.argv) > 2 else 120)


if __name__ == "__main__":
    main()
