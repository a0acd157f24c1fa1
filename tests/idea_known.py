#!/usr/bin/env python3
"""Known ciphertexts for the configuration file's values, made with an
implementation of the IDEA cipher of its own (written from the published
description, sharing nothing with the program's code).

Run by hand, not by the tests: it checks itself against published vectors,
then prints the enciphered form of the fixed values that
tests/ini_known_test.cpp expects. A value is enciphered as the configuration
file keeps it: one 16-bit word per Windows-1252 character, the last block
filled up with 0 words, each block enciphered on its own, every word written
as five decimal digits. The key: the program's 8-byte key text (seven
characters and the NUL), each byte sign-extended to a 16-bit word.
"""

MASK = 0xFFFF


def mul(a, b):
    # Multiplication modulo 2**16 + 1, the word 0 standing for 2**16.
    a = a or 0x10000
    b = b or 0x10000
    return (a * b) % 0x10001 & MASK


def subkeys(key_words):
    # The 128-bit key as one number; eight words at a time, then the whole
    # key rotated 25 bits to the left.
    k = 0
    for w in key_words:
        k = (k << 16) | w
    out = []
    while len(out) < 52:
        for i in range(8):
            out.append((k >> (112 - 16 * i)) & MASK)
        k = ((k << 25) | (k >> 103)) & ((1 << 128) - 1)
    return out[:52]


def encipher(block, key_words):
    z = subkeys(key_words)
    x1, x2, x3, x4 = block
    for r in range(8):
        k = z[6 * r:6 * r + 6]
        a = mul(x1, k[0])
        b = (x2 + k[1]) & MASK
        c = (x3 + k[2]) & MASK
        d = mul(x4, k[3])
        e = mul(a ^ c, k[4])
        f = mul(((b ^ d) + e) & MASK, k[5])
        g = (e + f) & MASK
        x1, x2, x3, x4 = a ^ f, c ^ f, b ^ g, d ^ g
    # The last round's middle words go back in place for the output step.
    return [mul(x1, z[48]), (x3 + z[49]) & MASK, (x2 + z[50]) & MASK, mul(x4, z[51])]


def words(hex_text):
    return [int(hex_text[i:i + 4], 16) for i in range(0, 16, 4)]


# Published vectors: Lai's thesis and the NESSIE set.
VECTORS = [
    ("00010002000300040005000600070008", "0000000100020003", "11FBED2B01986DE5"),
    ("00010002000300040005000600070008", "0102030405060708", "540E5FEA18C2F8B1"),
    ("0005000A000F00140019001E00230028", "0102030405060708", "3EC04780BEFF6E20"),
    ("80000000000000000000000000000000", "0000000000000000", "B1F5F7F87901370F"),
    ("2BD6459F82C5B300952C49104881FF48", "F129A6601EF62A47", "EA024714AD5C4D84"),
]


def check_vectors():
    for key, plain, cipher in VECTORS:
        kw = words(key[:16]) + words(key[16:])
        got = encipher(words(plain), kw)
        assert got == words(cipher), (key, plain, ["%04X" % w for w in got])


# The program's key text, the eight bytes of kKeyText in support/ini.cpp.
KEY_TEXT = bytes([0x47, 0x72, 0xFC, 0xDF, 0x44, 0x6E, 0x6C, 0x00])
assert KEY_TEXT == "GrüßDnl".encode("cp1252") + b"\0"


def program_key():
    # Each byte sign-extended to a 16-bit word.
    return [(b | 0xFF00) if b & 0x80 else b for b in KEY_TEXT]


def encipher_value(plain):
    data = plain.encode("cp1252")
    ws = list(data) + [0] * (-len(data) % 4)
    out = []
    for i in range(0, len(ws), 4):
        out += encipher(ws[i:i + 4], program_key())
    return "".join("%05d" % w for w in out)


VALUES = ["bde_Jürgen", "Ke1n$Paß", "sqlite:bde.db"]

if __name__ == "__main__":
    check_vectors()
    for v in VALUES:
        print("%-16s %s" % (v, encipher_value(v)))
