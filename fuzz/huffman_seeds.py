#!/usr/bin/env python3
"""Writes Huffman-fuzzer candidates from real JPEG files: each DHT table followed by the start
of the file's first scan, coded with real tables, so that the fuzzer starts from codes that an
encoder made. Usage: huffman_seeds.py OUT_DIR FILE...; merge OUT_DIR into the corpus afterwards.
"""
import pathlib
import sys

SCAN_BYTES = 512  # enough codes to reach ends of blocks and a few stuffed bytes


def segments(data):
    """(marker code, payload, offset after the segment) for each segment up to the first SOS."""
    pos = 2
    while pos + 4 <= len(data) and data[pos] == 0xFF:
        code = data[pos + 1]
        length = int.from_bytes(data[pos + 2:pos + 4], "big")
        yield code, data[pos + 4:pos + 2 + length], pos + 2 + length
        if code == 0xDA:
            return
        pos += 2 + length


def tables(payload):
    """The counts and values of each table in one DHT payload."""
    pos = 0
    while pos + 17 <= len(payload):
        counts = payload[pos + 1:pos + 17]
        total = sum(counts)
        yield payload[pos + 1:pos + 17 + total]
        pos += 17 + total


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name in sys.argv[2:]:
        data = pathlib.Path(name).read_bytes()
        found = list(segments(data))
        scan = data[found[-1][2]:][:SCAN_BYTES] if found and found[-1][0] == 0xDA else b""
        dhts = [payload for code, payload, _ in found if code == 0xC4]
        for index, table in enumerate(t for p in dhts for t in tables(p)):
            # Option byte: extra bits after every code, default chunk size; and 3-byte chunks.
            for options in (0x10, 0x13):
                stem = f"{pathlib.Path(name).stem}-{index}-{options:02x}"
                (out / stem).write_bytes(bytes([options]) + table + scan)


if __name__ == "__main__":
    main()
