#!/usr/bin/env python3
"""Forges draw records from a genuine one, each re-chained so that only the meaning of a line can betray it.

Usage: forge_records.py GENUINE.jsonl OUTDIR [SECOND_GENUINE.jsonl]

Writes OUTDIR/<class>-<case>.jsonl for every forgery (every verifier must refuse them) and
OUTDIR/ok-<case>.jsonl for records made consistent by hand (slow stops, a hand-back ...) that every verifier
must accept, and OUTDIR/nr-<case>.jsonl for files that are no record at all. The genuine record must be a demo record: an import, a history import, 去已摇, then starts and
stops of one category without 随机缓停. The second genuine record, when given, is spliced after the first.
A 见证摇号 (commitment, witnesses' text, secret, witnessed starts and stops, 替补) is built here from the README
alone and appended in category 6, whole (ok-witnessed-*) or forged (w-*).
"""
import copy
import datetime
import hashlib
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import second_verifier as sv  # noqa: E402


def load(path):
    with open(path, "rb") as f:
        return [json.loads(line) for line in f.read().decode("utf-8").splitlines()]


def write(path, objs, spell=None, keep_end=False):
    """Writes objs re-chained: every prev anew and the end line's count; spell maps a line index to a
    function that rewrites that line's text before it is hashed."""
    spell = spell or {}
    out, prev = [], None
    events = sum(1 for o in objs[1:] if "end" not in o and "format" not in o)
    for i, o in enumerate(objs):
        o = dict(o)
        if i > 0:
            o["prev"] = prev
        if "end" in o and not keep_end:
            o["events"] = events
        text = sv.compact(o)
        if i in spell:
            text = spell[i](text)
        raw = text.encode("utf-8", "surrogatepass")
        prev = hashlib.sha256(raw).hexdigest()
        out.append(raw + b"\n")
    with open(path, "wb") as f:
        f.write(b"".join(out))


def state(objs, upto):
    """The session after the events before line index upto, replayed by the second verifier."""
    s = sv.Session(objs[0]["formatVersion"])
    for i in range(1, upto):
        s.event(objs[i], i + 1)
    return s


def kinds(objs, kind):
    return [i for i, o in enumerate(objs) if o.get("kind") == kind]


def _draw_on_sector(s, o, d, wheel_names):
    """Stop o draws the name on d's sector: its details become d, its changes move that name."""
    c = o["category"]
    d["name"] = wheel_names[d["sector"] - 1]
    cand = s.lists[c]["candidates"]
    o["details"] = d
    o["changes"] = [{"category": c, "list": "results", "names": [d["name"]], "op": "append"},
                    {"category": c, "index": cand.index(d["name"]), "list": "candidates", "names": [d["name"]],
                     "op": "remove"}]


def restop(objs, i, angle=None, turn=None, slow=None, position=None, sector=None):
    """Rewrites stop i so that it agrees with itself: position, sector, name and changes follow from the
    given values (or the recorded ones); whatever is passed explicitly is taken as it is."""
    s = state(objs, i)
    o = objs[i]
    c, d = o["category"], dict(o["details"])
    w = s.wheels[c]
    n, v = len(w.names), w.speed
    d["angle"] = a = d["angle"] if angle is None else angle
    d["slowStop"] = d["slowStop"] if slow is None else slow
    if d["slowStop"]:
        L = 360 * n
        d["turn"] = turn if turn is not None else w.stream.pick(2 * L) + L
        pos = a * n + d["turn"]
    else:
        d.pop("turn", None)
        pos = a * n
    d["position"] = pos if position is None else position
    d["sector"] = sector if sector is not None else (pos % (360 * n)) // 360 or n
    _draw_on_sector(s, o, d, w.names)


def _restop_plain(objs, j):
    s = state(objs, j)
    o = objs[j]
    c, d = o["category"], dict(o["details"])
    w = s.wheels[c]
    n = len(w.names)
    if d["slowStop"]:
        L = 360 * n
        d["turn"] = w.stream.pick(2 * L) + L
        pos = d["angle"] * n + d["turn"]
    else:
        pos = d["position"]
    d["position"] = pos
    d["sector"] = (pos % (360 * n)) // 360 or n
    _draw_on_sector(s, o, d, w.names)


def slow_all(objs):
    """Every start with 随机缓停 and every stop a slow stop, as the program would record them."""
    objs = copy.deepcopy(objs)
    for i, o in enumerate(objs):
        if o.get("kind") == "start" and o["details"]:
            o["details"]["slowStopOption"] = True
            s = state(objs, i)
            o["details"]["fingerprint"] = sv.fingerprint(s.lists[o["category"]]["candidates"], 2)
        elif o.get("kind") == "stop" and o["details"]:
            o["details"]["slowStop"] = True
            _restop_plain(objs, i)
    return objs


def at(objs, i, **changes):
    objs = copy.deepcopy(objs)
    objs[i].update(changes)
    return objs


# ---------------------------------------------------------------- 见证摇号, as the program would record it

SECRET = hashlib.sha256(b"the secret of a witnessed draw in the forged records").digest()
WITNESS_TEXT = "3 1 4 1 5 9"
# a duplicate and the empty name among them
CEREMONY_NAMES = ["甲公司", "乙公司", "丙公司", "甲公司", "", "丁公司", "戊公司", "己公司"]


def witness_seed(secret, text, fingerprint_hex):
    t = text.encode("utf-8")
    return hashlib.sha256(sv.WITNESS_TAG + secret + len(t).to_bytes(4, "big") + t
                          + bytes.fromhex(fingerprint_hex)).hexdigest()


class Ceremony:
    """Appends a witnessed draw to a record, before its end line, each line a second after the one before, every
    pick computed here from the README's rules alone; it keeps its category's candidates and results itself."""

    def __init__(self, g, c=6):
        self.o, self.c = copy.deepcopy(g), c
        lists = state(g, len(g) - 1).lists[c]
        self.cand, self.res = list(lists["candidates"]), list(lists["results"])
        self.stream = None

    def add(self, kind, details=None, changes=(), c=None):
        c = self.c if c is None else c
        last = self.o[-2]
        t = sv.utc(last["time"] if "time" in last else last["written"], "") + datetime.timedelta(seconds=1)
        at = t.strftime("%Y-%m-%dT%H:%M:%S.") + "%03dZ" % (t.microsecond // 1000)
        ev = {"category": c, "categoryName": "" if c == -1 else sv.CATEGORY_NAMES[c], "changes": list(changes),
              "details": details or {}, "fields": [], "kind": kind, "localTime": at, "prev": "",
              "seq": last.get("seq", 0) + 1, "time": at}
        self.o.insert(len(self.o) - 1, ev)
        return ev

    def enter(self, names):
        self.cand += names
        return self.add("manualEntry", changes=[{"category": self.c, "list": "candidates", "names": names,
                                                  "op": "append"}])

    def commit(self, draws, secret=SECRET):
        self.fp = sv.fingerprint(self.cand, 2)
        return self.add("commit", {"candidates": len(self.cand), "commitment": hashlib.sha256(secret).hexdigest(),
                                   "draws": draws, "fingerprint": self.fp})

    def witness(self, text=WITNESS_TEXT):
        self.text = text
        return self.add("witness", {"witnessText": text})

    def reveal(self, secret=SECRET):
        seed = witness_seed(secret, self.text, self.fp)
        self.stream = sv.Stream(bytes.fromhex(seed))
        return self.add("reveal", {"secret": secret.hex(), "witnessSeed": seed})

    def start(self, speed=12, slow=True, redraw=False):
        """A witnessed start; redraw: after "重新摇号", every result handed back first."""
        changes = []
        if redraw:
            x, self.res = self.res, []
            self.cand += x
            changes = [{"category": self.c, "list": "candidates", "names": x, "op": "append"},
                       {"category": self.c, "list": "results", "names": x, "op": "clear"}]
        d = {"candidates": len(self.cand), "fingerprint": sv.fingerprint(self.cand, 2), "slowStopOption": slow,
             "speed": speed, "witnessed": True}
        self.cand = sv.shuffle(self.cand, self.stream)
        self.wheel = list(self.cand)
        return self.add("start", d, changes + [{"category": self.c, "list": "candidates", "op": "shuffle"}])

    def stop(self, angle, shift=0):
        """The pointer runs out to the middle of sector p, the stream's next pick (shift sectors on, forged)."""
        n = len(self.wheel)
        p = (self.stream.pick(n) + shift) % n + 1
        L = 360 * n
        turn = L + (360 * (p % n) + 180 - angle * n) % L
        name = self.wheel[p - 1]
        i = self.cand.index(name)
        self.res.append(self.cand.pop(i))
        self.wheel = None
        return self.add("stop", {"angle": angle, "name": name, "position": angle * n + turn, "sector": p,
                                 "slowStop": True, "turn": turn, "witnessed": True},
                        [{"category": self.c, "list": "results", "names": [name], "op": "append"},
                         {"category": self.c, "index": i, "list": "candidates", "names": [name], "op": "remove"}])

    def close(self, c=-1, **details):
        return self.add("close", details, c=c)

    def substitute(self, withdrawn, reason, shift=0):
        p = (self.stream.pick(len(self.cand)) + shift) % len(self.cand) + 1
        y = self.cand[p - 1]
        i, j = self.res.index(withdrawn), self.cand.index(y)
        del self.res[i]
        self.res.append(self.cand.pop(j))
        return self.add("substitute", {"name": y, "reason": reason, "sector": p, "withdrawn": withdrawn}, [
            {"category": self.c, "index": i, "list": "results", "names": [withdrawn], "op": "remove"},
            {"category": self.c, "list": "results", "names": [y], "op": "append"},
            {"category": self.c, "index": j, "list": "candidates", "names": [y], "op": "remove"}])

    def opened(self, draws, names=CEREMONY_NAMES, text=WITNESS_TEXT):
        """The names entered, the commitment, the witnesses' text and the secret revealed."""
        self.enter(names)
        self.commit(draws)
        self.witness(text)
        self.reveal()
        return self


def readme_recompute(text, names, draws, substitutes):
    """The names the README's own recomputation script draws (run as it stands in the README)."""
    readme = open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md"),
                  encoding="utf-8").read()
    script = readme[readme.index("# 见证摇号, recomputed"):]
    script = script[:script.index("```")]
    out = subprocess.run([sys.executable, "-c", script, SECRET.hex(), str(draws), str(substitutes)],
                         input="\n".join([text] + names) + "\n", capture_output=True, text=True, check=True)
    return out.stdout.splitlines()


def main():
    # --quick: the large list holds 1,000 names instead of 32,767, for a run under CTest
    quick = "--quick" in sys.argv
    if quick:
        sys.argv.remove("--quick")
    src, outdir = sys.argv[1], sys.argv[2]
    os.makedirs(outdir, exist_ok=True)
    g = load(src)
    # The forgeries below change the demo's plain draws; whatever the demo holds after the last of them (a 见证摇号)
    # is left out here, the genuine record being compared whole, and the ceremonies here follow the plain draws.
    if kinds(g, "commit"):
        g = g[:max(i for i in kinds(g, "stop") if "witnessed" not in g[i]["details"]) + 1] + g[-1:]
        g[-1] = dict(g[-1], events=len(g) - 2)
    # the forged stop is the last one, so that no later line depends on it
    start1, stop1 = kinds(g, "start")[-1], kinds(g, "stop")[-1]
    stop_last = kinds(g, "stop")[-1]
    edit = kinds(g, "edit")[0]
    imp = kinds(g, "import")[0]
    c = g[stop1]["category"]
    forged, good = {}, {}

    def f(name, objs, **kw):
        forged[name] = (objs, kw)

    s0 = state(g, stop1)
    n, v = len(s0.wheels[c].names), s0.wheels[c].speed
    a = g[stop1]["details"]["angle"]

    # 1 the sector is not tied to the pointer
    o = copy.deepcopy(g)
    other = g[stop1]["details"]["sector"] % n + 1
    restop(o, stop1, sector=other)
    f("1-sector-not-under-pointer", o)
    o = copy.deepcopy(g)
    restop(o, stop1, angle=v * ((359 + v) // v + 1))  # one tick beyond the lap, e.g. 375 at speed 15
    f("1-angle-beyond-lap", o)
    o = copy.deepcopy(g)
    restop(o, stop1, angle=0)
    f("1-angle-zero", o)
    o = copy.deepcopy(g)
    restop(o, stop1, angle=-v)
    f("1-angle-negative", o)
    o = copy.deepcopy(g)
    p = a * n
    restop(o, stop1, position=p + (1 << 32) * n, sector=(p % (360 * n)) // 360 or n)
    f("1-position-beyond-2^32n-same-sector", o)
    o = copy.deepcopy(g)
    restop(o, stop1, position=p + (1 << 32), sector=(p % (360 * n)) // 360 or n)
    f("1-position-wraps-in-32-bits", o)

    # 2 slow stops that do not follow from their start
    sl = slow_all(g)
    good["slow-stops"] = (sl, {})
    o = copy.deepcopy(sl)
    restop(o, stop1, turn=sl[stop1]["details"]["turn"] + 360)
    f("2-slow-wrong-turn", o)
    o = copy.deepcopy(sl)
    restop(o, stop1, turn=360 * n - 1)
    f("2-slow-turn-below-a-lap", o)
    o = copy.deepcopy(sl)
    restop(o, stop1, angle=-123456789)
    f("2-slow-wild-press-angle", o)
    o = copy.deepcopy(sl)
    restop(o, stop1, angle=a + 1)
    f("2-slow-angle-not-a-tick", o)
    o = copy.deepcopy(g)
    restop(o, stop1, slow=True)
    f("2-slow-stop-option-off", o)
    o = copy.deepcopy(sl)
    restop(o, stop1, slow=False)
    f("2-plain-stop-option-on", o)
    o = copy.deepcopy(g)
    restop(o, stop1, angle=a + 1)
    f("2-angle-disagrees-with-speed", o)
    o = copy.deepcopy(g)
    o[start1]["details"]["speed"] = v + 1
    f("2-start-speed-changed", o)
    o = copy.deepcopy(g)
    o[start1]["details"]["speed"] = 361
    f("2-start-speed-361", o)

    # 3 changes without a command (as a new last event, so that no later line depends on it)
    never = "从未摇过的公司"
    seed = hashlib.sha256(b"a seed").hexdigest()
    after = state(g, len(g) - 1)
    cand = after.lists[c]["candidates"]
    base = {"category": c, "categoryName": sv.CATEGORY_NAMES[c], "changes": [], "details": {}, "fields": [],
            "kind": "edit", "prev": "",
            "localTime": g[-2]["localTime"], "seq": g[-2]["seq"] + 1, "time": g[-2]["time"]}

    def tail(**ev):
        o = copy.deepcopy(g)
        o.insert(len(o) - 1, dict(base, **ev))
        return o
    f("3-edit-adds-result", tail(changes=[{"category": c, "list": "results", "names": [never], "op": "append"}]))
    f("3-edit-slips-candidate", tail(changes=[
        {"category": c, "list": "candidates", "names": [never], "op": "append"}]))
    f("3-edit-removes-candidate", tail(changes=[
        {"category": c, "index": 0, "list": "candidates", "names": [cand[0]], "op": "remove"}]))
    f("3-close-slips-result", tail(kind="close", changes=[
        {"category": c, "list": "results", "names": [never], "op": "append"}]))
    f("3-manual-entry-into-results", tail(kind="manualEntry", changes=[
        {"category": c, "list": "results", "names": [never], "op": "append"}]))
    f("3-exclude-removes-more", tail(kind="exclude", changes=[
        {"category": c, "list": "candidates", "names": cand[1:], "op": "replace"}], details={"removed": cand[:1]}))
    f("3-shuffle-with-append", tail(kind="shuffle", changes=[
        {"category": c, "list": "candidates", "names": [never], "op": "append"},
        {"category": c, "list": "candidates", "op": "shuffle"}], details=dict(
            (k, g[start1]["details"][k]) for k in ("candidates", "fingerprint", "shuffleSeed"))))
    o = copy.deepcopy(g)
    o[start1]["changes"].insert(0, {"category": c, "list": "candidates", "names": [never], "op": "append"})
    o[start1]["details"]["candidates"] += 1
    o[start1]["details"]["fingerprint"] = sv.fingerprint(cand + [never], 2)
    f("3-start-slips-candidate", o)
    o = copy.deepcopy(g)
    o[stop1]["changes"][0]["names"].append(never)
    f("3-stop-appends-two-results", o)
    o = copy.deepcopy(g)
    o[stop_last]["kind"] = "close"
    f("3-close-draws", o)
    o = copy.deepcopy(g)
    o[imp]["changes"][0]["list"] = "results"
    f("3-import-into-results", o)

    # 4 hidden redos
    o = copy.deepcopy(g)
    del o[stop1]["details"]["name"]
    f("4-stop-without-name", o)
    o = copy.deepcopy(g)
    o[stop1]["details"]["name"] = ""
    f("4-stop-empty-name", o)
    o = copy.deepcopy(g)
    o[stop1]["changes"], o[stop1]["details"] = [], {}
    f("4-stop-line-empty", o)
    o = copy.deepcopy(g)
    o.insert(stop1, dict(copy.deepcopy(g[stop1]), changes=[], details={}))
    for e in o[stop1 + 1:-1]:
        e["seq"] += 1
    f("4-empty-stop-then-stop", o)
    drawn = g[stop1]["details"]["name"]
    hb = dict(base, kind="handBack")
    o = copy.deepcopy(g)
    o.insert(len(o) - 1, dict(hb, changes=[
        {"category": c, "list": "candidates", "names": [drawn], "op": "append"},
        {"category": c, "index": after.lists[c]["results"].index(drawn), "list": "results", "names": [drawn],
         "op": "remove"}]))
    good["hand-back"] = (o, {})
    o = copy.deepcopy(g)
    res = list(after.lists[c]["results"])
    o.insert(len(o) - 1, dict(hb, changes=[
        {"category": c, "list": "candidates", "names": [drawn], "op": "append"},
        {"category": c, "list": "results", "names": [x for x in res if x != drawn], "op": "replace"}]))
    f("4-results-shrink-by-replace", o)
    o = copy.deepcopy(g)
    o.insert(len(o) - 1, dict(hb, kind="clear", changes=[
        {"category": c, "list": "results", "names": [x for x in res if x != drawn], "op": "replace"}]))
    f("4-clear-by-replace", o)

    # 5 time and identity
    o = copy.deepcopy(g)
    o[stop1]["time"], o[start1]["time"] = g[start1]["time"], g[stop1]["time"]
    o[stop1]["localTime"], o[start1]["localTime"] = g[start1]["localTime"], g[stop1]["localTime"]
    f("5-stop-before-its-start", o)
    o = copy.deepcopy(g)
    o[stop1]["time"] = o[stop1]["localTime"] = "2025-01-01T00:00:00.000Z"
    f("5-time-runs-backward", o)
    o = copy.deepcopy(g)
    o[0]["sessionStarted"] = o[0]["sessionStartedLocal"] = "2099-01-01T00:00:00.000Z"
    f("5-session-after-first-line", o)
    o = copy.deepcopy(g)
    o[0]["written"] = "2000-01-01T00:00:00.000Z"
    f("5-written-before-last-line", o)
    o = copy.deepcopy(g)
    o[stop1]["localTime"] = "2026-01-01T08:00:00.000+08:00"
    f("5-local-time-another-instant", o)
    if len(sys.argv) > 3:
        h = load(sys.argv[3])
        f("5-two-sessions-two-headers", g[:-1] + h)
        o = copy.deepcopy(g[:-1])
        for e in copy.deepcopy(h[1:-1]):
            # The second session's 检查任务分配 took the drawn names of that session alone; after the splice the
            # first session's are drawn too, so it would not follow.
            if e.get("kind") == "assign":
                continue
            e["seq"] = len(o)
            o.append(e)
        o.append(g[-1])
        # One header, times that never run back, every list built by its commands: the file alone is one
        # consistent (longer) session. What gives it away are the room codes: the second session's stops
        # have codes its room never saw. The driver checks exactly that for the "c-" files.
        good["c-two-sessions-spliced"] = (o, {})
        o = copy.deepcopy(o)
        o[0]["written"] = h[0]["written"]
        f("5-two-sessions-spliced-written-later", o)
    o = copy.deepcopy(g)
    o.append(dict(g[-1]))
    f("5-two-end-lines", o, keep_end=True)

    # 6 spellings and fingerprints
    f("6-seed-upper-case", g, spell={start1: lambda t: t.replace(
        g[start1]["details"]["shuffleSeed"], g[start1]["details"]["shuffleSeed"].upper())})
    f("6-prev-upper-case", g, spell={stop1: lambda t: t.replace(t[t.index('"prev":"') + 8:][:64],
                                                                t[t.index('"prev":"') + 8:][:64].upper())})
    f("6-space-after-colon", g, spell={edit: lambda t: t.replace('"kind":', '"kind": ')})
    f("6-keys-out-of-order", g, spell={edit: lambda t: '{"seq":%d,' % g[edit]["seq"] + t[1:].replace(
        ',"seq":%d' % g[edit]["seq"], "")})
    f("6-escaped-slash", g, spell={edit: lambda t: t.replace('"kind"', '"\\u006bind"')})
    f("6-number-leading-zero", g, spell={stop1: lambda t: t.replace('"angle":', '"angle":0')})
    f("6-number-with-fraction", g, spell={stop1: lambda t: t.replace(
        '"angle":%d' % a, '"angle":%d.0' % a)})
    f("6-escaped-cjk", g, spell={imp: lambda t: t.replace("公司", "\\u516c司", 1)})
    o = copy.deepcopy(g)
    o[start1]["details"]["fingerprint"] = sv.fingerprint(state(g, start1).lists[c]["candidates"], 1)
    f("6-fingerprint-version-1", o)
    first = g[imp]["changes"][0]["names"][0]
    o = copy.deepcopy(g)
    o[imp]["changes"][0]["names"][:2] = [g[imp]["changes"][0]["names"][0] + "\n" +
                                         g[imp]["changes"][0]["names"][1]]
    f("6-name-with-line-feed-merges-two", o)
    lone = "\ud800"
    o = copy.deepcopy(g)
    o[imp]["changes"][0]["names"][5] = lone
    f("6-name-lone-surrogate", o, spell={imp: lambda t: t.replace(lone, "\\ud800")})
    o = copy.deepcopy(g)
    f("6-name-raw-invalid-utf8", o, spell={imp: lambda t: t.replace(first, first[:-1] + "\udcff", 1)})
    o = copy.deepcopy(g)
    f("6-raw-tab-in-string", o, spell={imp: lambda t: t.replace(first, first + "\t", 1)})
    o = copy.deepcopy(g)
    o[edit]["fields"][0]["value"] = "3\u001f"
    f("6-control-escape-upper-hex", o, spell={edit: lambda t: t.replace("\\u001f", "\\u001F")})
    o = copy.deepcopy(g)
    o[edit]["fields"][0]["value"] = "3\n"
    f("6-line-feed-as-u000a", o, spell={edit: lambda t: t.replace("3\\n", "3\\u000a")})
    f("6-crlf", g, spell={edit: lambda t: t + "\r"})
    f("6-true-as-1", g, spell={len(g) - 1: lambda t: t.replace('"end":true', '"end":1')})

    # more: wheels, duplicates, numbers and escapes
    o = copy.deepcopy(g)
    o.insert(stop1, dict(base, kind="manualEntry", seq=g[stop1]["seq"], time=g[stop1]["time"],
                         localTime=g[stop1]["localTime"],
                         changes=[{"category": c, "list": "candidates", "names": [never], "op": "append"}]))
    for e in o[stop1 + 1:-1]:
        e["seq"] += 1
    f("1-stop-after-candidates-changed", o)
    dup = dict(base, kind="manualEntry", category=6, categoryName=sv.CATEGORY_NAMES[6], changes=[
        {"category": 6, "list": "candidates", "names": ["同名"] * 5, "op": "append"}])
    o = tail(**dup)
    o.insert(-1, dict(base, kind="start", category=6, categoryName=sv.CATEGORY_NAMES[6], seq=base["seq"] + 1,
                      changes=[{"category": 6, "list": "candidates", "op": "shuffle"}],
                      details={"candidates": 5, "fingerprint": sv.fingerprint(["同名"] * 5, 2), "shuffleSeed": seed,
                               "slowStopOption": False, "speed": 7}))
    o.insert(-1, dict(base, kind="stop", category=6, categoryName=sv.CATEGORY_NAMES[6], seq=base["seq"] + 2,
                      details={"angle": 280, "position": 1400, "slowStop": False}))
    _restop_plain(o, len(o) - 2)
    good["duplicate-names"] = (o, {})
    o = copy.deepcopy(o)
    o[-2]["changes"][1]["index"] = o[-2]["details"]["sector"] - 1
    f("4-stop-removes-a-later-duplicate", o)
    o = copy.deepcopy(good["duplicate-names"][0])
    o[-2]["details"]["angle"], o[-2]["details"]["position"] = 7, 35
    _restop_plain(o, len(o) - 2)
    f("1-angle-in-no-sector-taken-as-it-is", o)
    o = copy.deepcopy(good["duplicate-names"][0])
    o[-2]["details"]["angle"], o[-2]["details"]["position"] = 7, 364 * 5
    _restop_plain(o, len(o) - 2)
    good["angle-in-no-sector"] = (o, {})  # 7 is under 360/5: the box still shows the lap before's 364
    hist = state(g, len(g) - 1).lists[c]["history"]
    o = tail(kind="manualEntry", changes=[{"category": c, "list": "candidates", "names": [hist[0]], "op": "append"}])
    o.insert(-1, dict(base, kind="exclude", seq=base["seq"] + 1))
    f("3-exclude-keeps-a-history-name", o)
    f("1-position-2^70", g, spell={stop1: lambda t: t.replace(
        '"position":%d' % g[stop1]["details"]["position"], '"position":%d' % (1 << 70))})
    f("6-duplicate-key", g, spell={edit: lambda t: t.replace('"kind":"edit"', '"kind":"edit","kind":"edit"')})
    o = tail(kind="manualEntry", changes=[{"category": c, "list": "candidates", "names": ["\U0001f600"],
                                           "op": "append"}])
    good["astral-name"] = (o, {})
    f("6-astral-as-surrogate-pair", o, spell={len(o) - 2: lambda t: t.replace("\U0001f600", "\\ud83d\\ude00")})
    o = copy.deepcopy(g)
    for e in o:
        if "localTime" in e:
            t = sv.utc(e["time"], "") + __import__("datetime").timedelta(hours=8)
            e["localTime"] = t.strftime("%Y-%m-%dT%H:%M:%S.") + "%03d+08:00" % (t.microsecond // 1000)
    good["local-time-east"] = (o, {})

    # version 1, as far as the README describes its stops
    o = copy.deepcopy(g)
    o[0]["formatVersion"] = 1
    o[0]["written"] = o[-2]["time"]  # version 1 was written at the end
    for i, e in enumerate(o):
        if e.get("kind") == "start" and e["details"]:
            e["details"]["fingerprint"] = sv.fingerprint(state(o, i).lists[e["category"]]["candidates"], 1)
        elif e.get("kind") == "stop" and e["details"]:
            d, m = e["details"], len(state(o, i).wheels[e["category"]].names)
            e["details"] = {"angle": d["angle"], "name": d["name"], "sector": d["sector"], "shownSteps": d["position"],
                            "slowStop": False, "speed": state(o, i).wheels[e["category"]].speed,
                            "steps": d["angle"] * m, "wheelCount": m}
    good["version-1"] = (o, {})
    o1 = copy.deepcopy(o)
    o1[start1]["details"]["fingerprint"] = sv.fingerprint(state(o, start1).lists[c]["candidates"], 2)
    f("v1-fingerprint-of-version-2", o1)
    o1 = copy.deepcopy(o)
    o1[stop1]["details"]["shownSteps"] += 360
    f("v1-shown-steps-another-sector", o1)

    # a stop on a wheel that its window no longer shows
    def between(**ev):
        o = copy.deepcopy(g)
        o.insert(stop1, dict(base, seq=g[stop1]["seq"], time=g[stop1]["time"], localTime=g[stop1]["localTime"], **ev))
        for e in o[stop1 + 1:-1]:
            e["seq"] += 1
        return o
    f("4-stop-after-close", between(kind="close", category=-1, categoryName=""))
    f("4-stop-after-a-fields-only-start", between(kind="start"))
    o = copy.deepcopy(sl)
    o[start1]["details"]["speed"] = 5
    sv.MIN_SLOW_SPEED = 1  # the forgery's own stop is made as if speed 5 were allowed
    _restop_plain(o, stop1)
    o[stop1]["details"]["angle"] = 5 * (o[stop1]["details"]["angle"] // 5)
    _restop_plain(o, stop1)
    sv.MIN_SLOW_SPEED = 10
    f("2-slow-stop-option-below-speed-10", o)

    # the frame: every verifier refuses these (2 where the file is no record at all)
    f("0-seq-gap", g, spell={edit: lambda t: t.replace('"seq":%d' % g[edit]["seq"], '"seq":%d' % (g[edit]["seq"] + 1))})
    o = copy.deepcopy(g)
    o[edit]["categoryName"] = "组长"
    f("0-category-name-wrong", o)
    f("0-no-end-line", g[:-1])
    o = copy.deepcopy(g)
    o[edit]["fields"][0]["category"] = 7
    f("0-field-category-7", o)
    o = copy.deepcopy(g)
    o[0]["formatVersion"] = 3
    f("0-header-version-3", o)
    o = copy.deepcopy(g)
    o[0]["format"] = "other"
    f("0-header-other-format", o)
    o = copy.deepcopy(g)
    o[0]["sessionStartedLocal"] = o[0]["sessionStarted"][:-1] + "+00:00"
    f("0-local-offset-plus-zero", o)
    o = copy.deepcopy(g)
    o[stop1]["time"] = o[stop1]["localTime"] = o[stop1]["time"][:8] + "32" + o[stop1]["time"][10:]
    f("0-day-32", o)

    f("0-trailing-garbage", g, spell={edit: lambda t: t + "x"})
    f("0-line-is-an-array", g, spell={edit: lambda t: "[" + t + "]"})
    f("0-empty-line", g, spell={edit: lambda t: t + "\n"})
    f("0-bom-on-header", g, spell={0: lambda t: "\ufeff" + t})
    f("0-no-final-line-feed", g)  # its last line feed is cut below
    f("0-bom-on-event", g, spell={edit: lambda t: "\ufeff" + t})
    f("0-event-not-json", g, spell={edit: lambda t: t[:-1]})
    f("0-end-events-true", g, spell={len(g) - 1: lambda t: t.replace('"events":%d' % g[-1]["events"], '"events":true')})

    # consistent records every verifier must accept
    good["invisible-name"] = (tail(kind="manualEntry", changes=[
        {"category": c, "list": "candidates", "names": [first[:2] + "\u200b" + first[2:], "甲\n乙", "", "丙\u2028丁\u007f"],
         "op": "append"}]), {})
    good["start-then-close"] = (tail(kind="start", changes=[{"category": c, "list": "candidates", "op": "shuffle"}],
                                     details={"candidates": len(cand), "fingerprint": sv.fingerprint(cand, 2),
                                              "shuffleSeed": seed, "slowStopOption": False, "speed": 360}), {})
    good["start-then-close"][0].insert(-1, dict(base, kind="close", category=-1, categoryName="",
                                                seq=base["seq"] + 1))
    res = state(g, len(g) - 1).lists[c]["results"]
    good["clear-hand-back"] = (tail(kind="clear", changes=[
        {"category": c, "list": "candidates", "names": res, "op": "append"},
        {"category": c, "list": "results", "names": res, "op": "clear"}]), {})
    good["hand-back-all"] = (tail(kind="handBack", changes=[
        {"category": c, "list": "candidates", "names": res, "op": "append"},
        {"category": c, "list": "results", "names": res, "op": "clear"}]), {})
    good["clear-results"] = (tail(kind="clear", changes=[
        {"category": c, "list": "results", "names": res, "op": "clear"}]), {})
    # a category of 32,767 names, drawn with 随机缓停
    big = ["企业%05d" % i for i in range(1000 if quick else 32767)]
    o = tail(kind="import", category=6, categoryName=sv.CATEGORY_NAMES[6], changes=[
        {"category": 6, "list": "candidates", "names": big, "op": "replace"}],
        details={"file": "big.xlsx", "sha256": hashlib.sha256(b"big").hexdigest()})
    o.insert(-1, dict(base, kind="start", category=6, categoryName=sv.CATEGORY_NAMES[6], seq=base["seq"] + 1,
                      changes=[{"category": 6, "list": "candidates", "op": "shuffle"}],
                      details={"candidates": len(big), "fingerprint": sv.fingerprint(big, 2), "shuffleSeed": seed,
                               "slowStopOption": True, "speed": 10}))
    o.insert(-1, dict(base, kind="stop", category=6, categoryName=sv.CATEGORY_NAMES[6], seq=base["seq"] + 2,
                      details={"angle": 350, "slowStop": True}))
    _restop_plain(o, len(o) - 2)
    good["large-slow"] = (o, {})
    good["reshuffle"] = (tail(kind="shuffle", changes=[{"category": c, "list": "candidates", "op": "shuffle"}],
                              details={"candidates": len(cand), "fingerprint": sv.fingerprint(cand, 2),
                                       "shuffleSeed": seed}), {})
    good["delete-and-enter"] = (tail(kind="delete", changes=[
        {"category": c, "index": 3, "list": "candidates", "names": [cand[3]], "op": "remove"}]), {})
    good["delete-and-enter"][0].insert(-1, dict(base, kind="manualEntry", seq=base["seq"] + 1, changes=[
        {"category": c, "list": "history", "names": [cand[3]], "op": "append"}]))
    good["edit-fields-only"] = (tail(fields=[{"category": c, "field": "presetCount", "value": "5"}]), {})

    # 见证摇号: a ceremony in category 6 after the demo's draws
    def completed():
        w = Ceremony(g).opened(3)
        w.start(12)
        w.stop(96)
        w.start(15)
        w.stop(345)
        w.start(360)
        w.stop(360)
        w.close(completed=3)
        return w
    w = completed()
    drawn = list(w.res)
    w.substitute(drawn[1], "该企业已注销")
    w.substitute(drawn[0], "与检查组成员有利害关系，回避")
    if readme_recompute(WITNESS_TEXT, CEREMONY_NAMES, 3, 2)[1:] != \
            ["摇出 " + x for x in drawn] + ["替补 " + x for x in w.res[1:]]:
        sys.exit("the README's recomputation draws other names than the ceremony built here")
    good["witnessed-completed"] = (w.o, {})
    w = Ceremony(g).opened(2)
    w.add("edit", c=-1)  # a page text changed: the ceremony goes on
    w.start(12)
    w.stop(24)
    w.start(12, redraw=True)  # 重新摇号: the name drawn handed back, then the next shuffle from the stream
    w.stop(120)
    w.close(c=6, completed=2)
    good["witnessed-redraw"] = (w.o, {})
    w = Ceremony(g).opened(3)
    w.start(12)
    w.stop(96)
    w.close(abandoned=1)
    good["witnessed-abandoned"] = (w.o, {})
    w = Ceremony(g).opened(3)
    w.start(12)
    w.stop(96)
    w.enter(["庚公司"])  # the program was started again: the ceremony is cut short
    w.close()
    good["witnessed-cut-short"] = (w.o, {})
    w = Ceremony(g).opened(2)
    w.start(12)
    good["witnessed-cut-short-at-the-end"] = (w.o, {})

    w = completed()
    w.substitute(drawn[1], "该企业已注销", shift=1)
    f("w-substitute-not-the-next-pick", w.o)
    w = completed()
    w.substitute(drawn[1], "")
    f("w-substitute-reason-empty", w.o)
    w = completed()
    w.substitute(drawn[1], "  \t")
    f("w-substitute-reason-blank", w.o)
    w = completed()
    w.enter(["庚公司"])
    w.substitute(drawn[1], "该企业已注销")
    f("w-substitute-after-candidates-changed", w.o)
    w = Ceremony(g).opened(3)
    w.start(12)
    w.stop(96)
    w.close(abandoned=1)
    w.substitute(w.res[0], "该企业已注销")
    f("w-substitute-after-abandoned", w.o)
    w = Ceremony(g).opened(3)
    w.start(12)
    w.stop(96)
    w.start(12)
    w.stop(96, shift=1)
    f("w-stop-another-sector", w.o)
    w = Ceremony(g).opened(3)
    w.start(12)
    w.stop(96)
    w.close(completed=1)
    f("w-abandoned-shown-completed", copy.deepcopy(w.o))
    w.o[-2]["details"] = {}
    f("w-abandoned-note-removed", w.o)
    w = Ceremony(g).opened(1)
    w.start(12)
    w.stop(96)
    w.start(12)
    f("w-start-after-every-pick", w.o)
    w = Ceremony(g).opened(3)
    w.start(12)
    w.add("manualEntry", c=5, changes=[{"category": 5, "list": "candidates", "names": ["庚公司"], "op": "append"}])
    w.stop(96)  # the wheel of category 6 is still there, its ceremony cut short
    f("w-stop-after-cut-short", w.o)
    w = Ceremony(g).opened(3)
    w.start(12)
    wheel = w.wheel
    w.commit(2)  # a new ceremony cuts the first short; its stream never shuffled the wheel left standing
    w.witness()
    w.reveal()
    w.wheel = wheel
    w.stop(96)
    f("w-stop-on-the-wheel-of-a-ceremony-cut-short", w.o)
    w = Ceremony(g).opened(3)
    w.start(12)
    n = len(w.wheel)
    sector = (96 * n % (360 * n)) // 360 or n  # a plain stop: the name under the pointer, chosen by the press
    y = w.wheel[sector - 1]
    w.add("stop", {"angle": 96, "name": y, "position": 96 * n, "sector": sector, "slowStop": False}, [
        {"category": 6, "list": "results", "names": [y], "op": "append"},
        {"category": 6, "index": w.cand.index(y), "list": "candidates", "names": [y], "op": "remove"}])
    f("w-plain-stop-on-a-witnessed-wheel", w.o)
    # the commitment, the text and the secret
    w = Ceremony(g)
    w.enter(CEREMONY_NAMES)
    w.commit(3)
    w.witness()
    w.reveal(hashlib.sha256(b"another secret").digest())
    w.start(12)
    w.stop(96)
    f("w-reveal-another-secret", w.o)
    w = completed()
    wi = next(i for i, e in enumerate(w.o) if e.get("kind") == "witness")
    o = copy.deepcopy(w.o)
    o[wi]["details"]["witnessText"] = "2 7 1 8 2 8"
    f("w-text-changed", o)
    o = copy.deepcopy(o)
    o[wi + 1]["details"]["witnessSeed"] = witness_seed(SECRET, "2 7 1 8 2 8", w.fp)
    f("w-text-changed-seed-recomputed", o)
    o = copy.deepcopy(w.o)
    for k in ("details", "kind"):
        o[wi][k], o[wi - 1][k] = o[wi - 1][k], o[wi][k]
    f("w-witness-before-commit", o)
    o = copy.deepcopy(w.o)
    o.insert(wi + 1, dict(o[wi], seq=o[wi]["seq"] + 1))
    for e in o[wi + 2:-1]:
        e["seq"] += 1
    f("w-second-witness", o)
    w = Ceremony(g)
    w.enter(CEREMONY_NAMES)
    w.commit(3)
    w.witness("3 1 4 1 5")
    w.reveal()
    f("w-text-five-digits", w.o)

    for name, data in (("empty", b""), ("binary", bytes(range(256)) * 4), ("line-over-16MiB", b"{" + b" " * (1 << 24) + b"}\n"),
                       ("header-not-json", b"pelorin\n")):
        with open(os.path.join(outdir, "nr-" + name + ".jsonl"), "wb") as out:
            out.write(data)
    for name, (objs, kw) in sorted(forged.items()):
        write(os.path.join(outdir, name + ".jsonl"), objs, **kw)
    with open(os.path.join(outdir, "0-no-final-line-feed.jsonl"), "r+b") as out:
        out.truncate(os.path.getsize(out.name) - 1)
    with open(os.path.join(outdir, "0-no-final-line-feed.jsonl"), "rb") as src_file:
        header = src_file.readline()
    with open(os.path.join(outdir, "0-header-alone-no-line-feed.jsonl"), "wb") as out:
        out.write(header[:-1])  # a record's first line, cut before its line feed: a record, not a whole one
    with open(os.path.join(outdir, "nr-first-line-empty.jsonl"), "wb") as out:
        out.write(b"\n" + header)
    for name, (objs, kw) in sorted(good.items()):
        write(os.path.join(outdir, ("" if name.startswith("c-") else "ok-") + name + ".jsonl"), objs, **kw)
    print("%d forgeries, %d consistent records in %s" % (len(forged), len(good), outdir))


if __name__ == "__main__":
    main()
