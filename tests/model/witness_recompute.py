"""Recomputes a witnessed draw from the list, the program's secret and the witnesses' text, with Python's
standard library alone, as the README describes it. Usage: witness_recompute.py SECRET_HEX DRAWS < names
(the witnesses' text on the first line, then one candidate per line, in the order at the commitment)."""
import hashlib, struct, sys

def chacha_blocks(key):
    """ChaCha20 (RFC 8439) key stream: key = seed, nonce "LibsodiumDRG", block counter from 0."""
    const = struct.unpack("<4I", b"expand 32-byte k")
    state = list(const) + list(struct.unpack("<8I", key)) + [0] + list(struct.unpack("<3I", b"LibsodiumDRG"))
    def rotl(v, c): return ((v << c) & 0xffffffff) | (v >> (32 - c))
    def quarter(x, a, b, c, d):
        x[a] = (x[a] + x[b]) & 0xffffffff; x[d] = rotl(x[d] ^ x[a], 16)
        x[c] = (x[c] + x[d]) & 0xffffffff; x[b] = rotl(x[b] ^ x[c], 12)
        x[a] = (x[a] + x[b]) & 0xffffffff; x[d] = rotl(x[d] ^ x[a], 8)
        x[c] = (x[c] + x[d]) & 0xffffffff; x[b] = rotl(x[b] ^ x[c], 7)
    while True:
        x = state[:]
        for _ in range(10):
            for a, b, c, d in ((0, 4, 8, 12), (1, 5, 9, 13), (2, 6, 10, 14), (3, 7, 11, 15),
                               (0, 5, 10, 15), (1, 6, 11, 12), (2, 7, 8, 13), (3, 4, 9, 14)):
                quarter(x, a, b, c, d)
        yield from ((x[i] + state[i]) & 0xffffffff for i in range(16))
        state[12] += 1

def picker(seed):
    words = chacha_blocks(seed)
    def pick(m):  # 0 .. m-1, Lemire's method with its rejection step
        while True:
            p = next(words) * m
            if (p & 0xffffffff) >= (1 << 32) % m:
                return p >> 32
    return pick

def fingerprint(names):
    return hashlib.sha256(b"".join(len(n).to_bytes(4, "big") + n for n in (a.encode() for a in names))).digest()

secret, draws = bytes.fromhex(sys.argv[1]), int(sys.argv[2])
text, *names = sys.stdin.read().split("\n")[:-1] or [""]
text_bytes = text.encode()
seed = hashlib.sha256(b"pelorin-witnessed-draw-v1\0" + secret + len(text_bytes).to_bytes(4, "big")
                      + text_bytes + fingerprint(names)).digest()
pick = picker(seed)
for _ in range(min(draws, len(names))):
    free, wheel = list(range(len(names))), []
    for m in range(len(names), 1, -1):  # the r-th place not yet taken goes next
        wheel.append(names[free.pop(pick(m))])
    wheel += [names[i] for i in free]
    name = wheel[pick(len(wheel))]
    wheel.remove(name)  # the first equal name leaves, as in every stop
    print(">" + name)  # ">" so that an empty name shows
    names = wheel
