#!/usr/bin/env python3
"""Recomputes a Pelorin draw record from the README's description alone, with Python's hashlib and
libsodium (PyNaCl): the chain, every list, every fingerprint, every shuffle from its seed, and the name
under every stop. Prints what it drew and exits 0 when all of it matches the record; 1 otherwise.
Usage: recompute_record.py RECORD.jsonl"""
import hashlib
import json
import sys

from nacl.bindings import randombytes_buf_deterministic


def sha(data: bytes) -> str:
    return hashlib.sha256(data).hexdigest()


def fingerprint(names, version):
    if version == 1:
        return sha(b"".join(name.encode("utf-8") + b"\n" for name in names))
    return sha(b"".join(len(b).to_bytes(4, "big") + b for b in (name.encode("utf-8") for name in names)))


class Picks:
    """Little-endian 32-bit words of randombytes_buf_deterministic(seed), Lemire's picks with rejection."""

    def __init__(self, seed: bytes):
        self.seed = seed
        self.stream = b""
        self.used = 0

    def word(self):
        if self.used + 4 > len(self.stream):
            self.stream = randombytes_buf_deterministic(max(2 * len(self.stream), 4096), self.seed)
        w = int.from_bytes(self.stream[self.used:self.used + 4], "little")
        self.used += 4
        return w

    def below(self, m):
        while True:
            product = self.word() * m
            if product & 0xFFFFFFFF >= (2**32) % m:
                return product >> 32


def shuffled(names, seed_hex, picks=None):
    """The shuffled names, and the stream as the shuffle left it (a witnessed draw's stream goes on)."""
    picks = picks or Picks(bytes.fromhex(seed_hex))
    remaining = list(range(len(names)))
    order = []
    for upper in range(len(names) - 1, 0, -1):
        order.append(remaining.pop(picks.below(upper + 1)))
    order.extend(remaining)
    return [names[i] for i in order], picks


def in_a_sector(angle, count):
    return 1 <= angle * count // 360 <= count


def shown_angle(angle, speed, count):
    """The last angle of the rolling pointer, up to angle, that is in a sector."""
    last = (359 + speed) // speed
    m = angle // speed
    for _ in range(last):
        if in_a_sector(m * speed, count):
            return m * speed
        m = m - 1 if m > 1 else last
    return angle


def sector_at_step(step, count):
    k = (step % (360 * count)) // 360
    return count if k == 0 else k


def main(path):
    raw = open(path, "rb").read().split(b"\n")
    assert raw[-1] == b"", "the record ends with a line feed"
    lines = raw[:-1]
    header = json.loads(lines[0])
    assert header["format"] == "pelorin-draw-record"
    version = header["formatVersion"]
    lists = {}
    wheels = {}
    drawn = []
    ceremony = {}  # 见证摇号: the commitment, then the text, then the stream of the revealed seed
    for number, line in enumerate(lines[1:], start=2):
        event = json.loads(line)
        assert event["prev"] == sha(lines[number - 2]), f"line {number}: chain"
        if event.get("end"):
            assert number == len(lines), "the end line is last"
            break
        details = event["details"]
        kind = event["kind"]
        if kind == "commit":
            ceremony = {"commitment": details["commitment"], "fingerprint": details["fingerprint"]}
        elif kind == "witness":
            ceremony["text"] = details["witnessText"].encode("utf-8")
        elif kind == "reveal":
            secret = bytes.fromhex(details["secret"])
            assert sha(secret) == ceremony["commitment"], f"line {number}: the secret is not the one committed to"
            seed = hashlib.sha256(b"pelorin-witnessed-draw-v1\0" + secret + len(ceremony["text"]).to_bytes(4, "big")
                                  + ceremony["text"] + bytes.fromhex(ceremony["fingerprint"])).hexdigest()
            assert details["witnessSeed"] == seed, f"line {number}: seed"
            ceremony["picks"] = Picks(bytes.fromhex(seed))
        elif kind == "substitute":
            c = event["category"]
            wheel = lists[(c, "candidates")]
            sector = ceremony["picks"].below(len(wheel)) + 1
            assert (details["sector"], details["name"]) == (sector, wheel[sector - 1]), f"line {number}: substitute"
            drawn.append((event["categoryName"] + " 替补", details["name"], sector, len(wheel)))
        if event["kind"] == "stop" and "name" in details:
            c = event["category"]
            wheel = lists.get((c, "candidates"), [])
            count, speed, picks = wheels.pop(c)
            assert len(wheel) == count, f"line {number}: wheel"
            if version == 1:
                position = details["shownSteps"]
            elif details.get("witnessed"):  # the pointer runs out to the middle of the stream's next pick
                lap, pick = 360 * count, picks.below(count) + 1
                turn = lap + ((360 * (pick % count) + 180 - details["angle"] * count) % lap)
                assert details["turn"] == turn, f"line {number}: the turn leads to the stream's pick"
                position = details["angle"] * count + turn
            elif details["slowStop"]:
                lap = 360 * count
                turn = lap + picks.below(2 * lap)
                assert details["turn"] == turn, f"line {number}: the turn is the pick after the shuffle's"
                position = details["angle"] * count + turn
                assert details["position"] == position, f"line {number}: position"
            else:
                position = shown_angle(details["angle"], speed, count) * count
                assert details["position"] == position, f"line {number}: position"
            sector = sector_at_step(position, count)
            assert sector == details["sector"], f"line {number}: sector"
            assert wheel[sector - 1] == details["name"], f"line {number}: name under the pointer"
            drawn.append((event["categoryName"], details["name"], sector, count))
        for change in event["changes"]:
            key = (change["category"], change["list"])
            items = lists.setdefault(key, [])
            op = change["op"]
            if op == "append":
                items.extend(change["names"])
            elif op == "replace":
                lists[key] = list(change["names"])
            elif op == "remove":
                assert items[change["index"]] == change["names"][0], f"line {number}: remove"
                del items[change["index"]]
            elif op == "clear":
                assert items == change["names"], f"line {number}: clear"
                items.clear()
            elif op == "shuffle":
                assert details["candidates"] == len(items), f"line {number}: count"
                assert details["fingerprint"] == fingerprint(items, version), f"line {number}: fingerprint"
                witnessed = ceremony["picks"] if details.get("witnessed") else None
                lists[key], picks = shuffled(items, details.get("shuffleSeed"), witnessed)
                if event["kind"] == "start":
                    wheels[change["category"]] = (len(items), details["speed"], picks)
            else:
                raise AssertionError(f"line {number}: unknown change {op}")
    else:
        raise AssertionError("no end line")
    for category, name, sector, count in drawn:
        print(f"{category}: {name} (sector {sector} of {count})")
    print("check code", sha(lines[-1]))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1]))
    except AssertionError as fault:
        print("does not hold:", fault)
        sys.exit(1)
