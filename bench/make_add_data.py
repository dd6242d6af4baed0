#!/usr/bin/env python3
"""Deterministic test data for bench_peers.sh and bench_fix.sh: a tree of about 25,000 files
(240 MB) of source-like text and four large files (1 GiB in all), built from
a seeded generator, no network."""
import os
import random
import struct
import sys

root = sys.argv[1]
rng = random.Random(20261207)
# A vocabulary of made-up words with a Zipf-like frequency, so that the
# text has the match structure of real source code and logs (a handful of
# words everywhere, a long tail of rare ones), not that of a tiny alphabet.
syllables = ["ar", "be", "chi", "do", "en", "fa", "gu", "hi", "in", "jo", "ka", "lo", "me",
             "nu", "or", "pa", "qui", "ra", "st", "tu", "ul", "ve", "wa", "xi", "yo", "ze"]
vocab = sorted({"".join(rng.choice(syllables) for _ in range(rng.randint(1, 4)))
                for _ in range(6000)})
rng.shuffle(vocab)
weights = []
acc = 0.0
for rank in range(len(vocab)):
    acc += 1.0 / (rank + 1)
    weights.append(acc)
indent = ["", "    ", "        ", "            ", "\t"]
ops = [" = ", " + ", " - ", " * ", " == ", " != ", " < ", ", ", ".", "->", " && ", " || "]


def pool(size):
    out = []
    n = 0
    while n < size:
        k = rng.randint(1, 10)
        ws = rng.choices(vocab, cum_weights=weights, k=k)
        parts = []
        for w in ws:
            r = rng.random()
            if r < 0.15:
                w = w + "_" + rng.choice(vocab)
            elif r < 0.25:
                w = w.capitalize()
            elif r < 0.32:
                w = str(rng.randint(0, 1 << rng.randint(3, 30)))
            parts.append(w)
            parts.append(rng.choice(ops) if rng.random() < 0.3 else " ")
        line = rng.choice(indent) + "".join(parts).rstrip() + rng.choice([";", "", " {", ")", ":"])
        if rng.random() < 0.05:
            line += "  // " + " ".join(rng.choices(vocab, cum_weights=weights, k=6))
        line += "\n"
        out.append(line)
        n += len(line)
    return "".join(out).encode()[:size]


text = pool(16 << 20)


def text_slice(size):
    start = rng.randrange(0, len(text) - size)
    return text[start:start + size]


tree = os.path.join(root, "tree")
if not os.path.isdir(tree):
    total = 0
    for i in range(25000):
        d = os.path.join(tree, "d%02d" % (i % 50), "s%02d" % (i // 50 % 10))
        os.makedirs(d, exist_ok=True)
        size = int(min(200 * (1.0005 ** rng.randint(0, 11000)), 120000))
        with open(os.path.join(d, "f%05d.txt" % i), "wb") as f:
            f.write(text_slice(size))
        total += size
    print("tree: %d files, %.1f MB" % (25000, total / 1e6))

large = os.path.join(root, "large")
if not os.path.isdir(large):
    os.makedirs(large)
    for k in range(3):
        with open(os.path.join(large, "text%d.log" % k), "wb") as f:
            left = 256 << 20
            while left > 0:
                piece = text_slice(min(left, rng.randint(4096, 1 << 20)))
                f.write(piece)
                left -= len(piece)
    # Binary records: counters, measurements and flags. 16 MiB made once
    # and written 16 times (deflate sees only 32 KiB back, so the repeats do
    # not make it easier).
    rec = struct.Struct("<IIfHH")
    buf = bytearray()
    value = 0.0
    for i in range((16 << 20) // rec.size):
        value += rng.random() - 0.5
        buf += rec.pack(i, i * 2654435761 & 0xFFFF, value, i % 977, rng.getrandbits(3))
    with open(os.path.join(large, "records.bin"), "wb") as f:
        for _ in range(16):
            f.write(buf)
    print("large: 4 files, 1 GiB")
