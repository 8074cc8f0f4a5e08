#!/usr/bin/env python3
"""Numbered test texts that prove themselves whole, and the check of a folder of slot files.

A text of at least 40 bytes starts with a header "<KX:id:length:crc>" (id 8 digits, length 10,
CRC-32 of the body 8 hex digits) followed by a body derived from the id. A file whose header,
length or CRC does not match is torn (a truncation or a mixture of two texts). Shorter texts are
the id in base 62, repeated to the length; they are looked up by content. Texts hold only
printable ASCII and CR LF: no lone CR, lone LF or zero byte, so loading a slot file gives back
the same bytes.

  slot_texts.py write ID SIZE FILE    write text ID of SIZE bytes to FILE
  slot_texts.py ids DIR [COUNT]       print one word per slot file Kolvex1..COUNT.txt of DIR: the
                                      text's id, "empty", "missing" or "torn"
  slot_texts.py watch DIR TIMEOUT_MS  return as soon as a file of DIR is created, replaced,
                                      resized or removed (exit code 1 after TIMEOUT_MS)
  slot_texts.py sizes COUNT MAX       print COUNT sizes from 1 to MAX bytes, growing evenly on a
                                      logarithmic scale (the burst's sizes)
"""
import math
import os
import sys
import time
import zlib

HEADER_LEN = 33  # "<KX:" + 8 digits + ":" + 10 digits + ":" + 8 hex digits + ">"
MIN_HEADED = 40
ALPHABET = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"


def base62(n):
    s = ""
    while True:
        s = ALPHABET[n % 62] + s
        n //= 62
        if n == 0:
            return s


def body(text_id, size):
    # Lines of 62 letters that depend on the id and the position, so two texts never share a
    # run long enough to hide a mixture from the CRC. CR LF line breaks load as they are, and
    # short lines keep the native text boxes fast.
    seed = f"{text_id:08d}".encode()
    out = bytearray()
    block = 0
    while len(out) < size:
        h = zlib.crc32(seed + block.to_bytes(4, "little"))
        chunk = f"{text_id:08d}{block:08x}{h:08x}".encode()
        out += chunk * 2 + b"." * (62 - 2 * len(chunk)) + b"\r\n"
        block += 1
    return bytes(out[:size])


def text(text_id, size):
    if size < MIN_HEADED:
        tag = base62(text_id)
        if len(tag) > size:
            raise SystemExit(f"text {text_id} does not fit in {size} bytes")
        return ((tag + "~") * size)[:size].encode() if size > len(tag) else tag.encode()
    b = body(text_id, size - HEADER_LEN)
    header = f"<KX:{text_id:08d}:{size:010d}:{zlib.crc32(b):08x}>".encode()
    assert len(header) == HEADER_LEN
    return header + b


def identify(data):
    if not data:
        return "empty"
    if len(data) < MIN_HEADED:
        tag = data.split(b"~")[0].decode("ascii", "replace")
        if all(c in ALPHABET for c in tag) and tag:
            n = 0
            for c in tag:
                n = n * 62 + ALPHABET.index(c)
            if text(n, len(data)) == data:
                return str(n)
        return "torn"
    head = data[:HEADER_LEN]
    try:
        if not (head.startswith(b"<KX:") and head.endswith(b">")):
            return "torn"
        _, text_id, size, crc = head[1:-1].decode("ascii").split(":")
        if int(size) != len(data) or int(crc, 16) != zlib.crc32(data[HEADER_LEN:]):
            return "torn"
        return str(int(text_id))
    except ValueError:
        return "torn"


def folder_state(folder):
    state = {}
    with os.scandir(folder) as entries:
        for e in entries:
            try:
                st = e.stat(follow_symlinks=False)
                state[e.name] = (st.st_ino, st.st_size, st.st_mtime_ns)
            except FileNotFoundError:
                pass
    return state


def watch(folder, timeout_ms):
    start = folder_state(folder)
    end = time.monotonic() + timeout_ms / 1000
    while time.monotonic() < end:
        if folder_state(folder) != start:
            return 0
        time.sleep(0.001)
    return 1


def main(argv):
    if len(argv) == 5 and argv[1] == "write":
        with open(argv[4], "wb") as f:
            f.write(text(int(argv[2]), int(argv[3])))
        return 0
    if len(argv) in (3, 4) and argv[1] == "ids":
        count = int(argv[3]) if len(argv) == 4 else 20
        words = []
        for i in range(1, count + 1):
            path = os.path.join(argv[2], f"Kolvex{i}.txt")
            try:
                with open(path, "rb") as f:
                    words.append(identify(f.read()))
            except FileNotFoundError:
                words.append("missing")
        print(" ".join(words))
        return 0
    if len(argv) == 4 and argv[1] == "watch":
        return watch(argv[2], int(argv[3]))
    if len(argv) == 4 and argv[1] == "sizes":
        count, biggest = int(argv[2]), int(argv[3])
        for k in range(count):
            print(max(1, round(math.exp(math.log(biggest) * k / (count - 1)))))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
