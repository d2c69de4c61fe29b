#!/usr/bin/env python3
"""A second check of Pelorin draw records, written from the README's section "The draw record" alone.

Usage: second_verifier.py FILE
Exit 0 when the record holds (prints the drawn names and the check code), 1 naming the first line that does
not hold, 2 for a file that is no record.
"""
import datetime
import hashlib
import itertools
import json
import re
import struct
import sys
import unicodedata

MAX_LINE = 16 * 1024 * 1024
MAX_LIST = 32767
CATEGORY_NAMES = ["组长", "副组长", "成员", "重点企业", "一般企业", "其它企业", "摇号名单"]
LISTS = ("candidates", "results", "history")
HEX64 = re.compile(r"[0-9a-f]{64}\Z")
UTC_RE = re.compile(r"(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2}):(\d{2})\.(\d{3})Z\Z")
LOCAL_RE = re.compile(r"(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2}):(\d{2})\.(\d{3})(Z|([+-])(\d{2}):(\d{2}))\Z")


class Bad(Exception):
    """A line that does not hold."""


class NoRecord(Exception):
    """A file that is no record."""


# ---------------------------------------------------------------- ChaCha20 (RFC 8439) and the picks

def _qr(s, a, b, c, d):
    s[a] = (s[a] + s[b]) & 0xFFFFFFFF; x = s[d] ^ s[a]; s[d] = ((x << 16) | (x >> 16)) & 0xFFFFFFFF
    s[c] = (s[c] + s[d]) & 0xFFFFFFFF; x = s[b] ^ s[c]; s[b] = ((x << 12) | (x >> 20)) & 0xFFFFFFFF
    s[a] = (s[a] + s[b]) & 0xFFFFFFFF; x = s[d] ^ s[a]; s[d] = ((x << 8) | (x >> 24)) & 0xFFFFFFFF
    s[c] = (s[c] + s[d]) & 0xFFFFFFFF; x = s[b] ^ s[c]; s[b] = ((x << 7) | (x >> 25)) & 0xFFFFFFFF


def chacha20_block(key_words, counter, nonce_words):
    init = [0x61707865, 0x3320646E, 0x79622D32, 0x6B206574, *key_words, counter & 0xFFFFFFFF, *nonce_words]
    s = list(init)
    for _ in range(10):
        _qr(s, 0, 4, 8, 12); _qr(s, 1, 5, 9, 13); _qr(s, 2, 6, 10, 14); _qr(s, 3, 7, 11, 15)
        _qr(s, 0, 5, 10, 15); _qr(s, 1, 6, 11, 12); _qr(s, 2, 7, 8, 13); _qr(s, 3, 4, 9, 14)
    return [(s[i] + init[i]) & 0xFFFFFFFF for i in range(16)]


class Stream:
    """The seed's stream: randombytes_buf_deterministic read as little-endian 32-bit words."""
    NONCE = struct.unpack("<3I", b"LibsodiumDRG")

    def __init__(self, seed: bytes):
        self.key = struct.unpack("<8I", seed)
        self.counter = 0
        self.words = []
        self.pos = 0

    def word(self):
        if self.pos == len(self.words):
            self.words = chacha20_block(self.key, self.counter, self.NONCE)
            self.counter += 1
            self.pos = 0
        w = self.words[self.pos]
        self.pos += 1
        return w

    def pick(self, m):
        """Uniform from 0 to m-1 by Lemire's method with its rejection step."""
        threshold = (1 << 32) % m
        p = self.word() * m
        while (p & 0xFFFFFFFF) < threshold:
            p = self.word() * m
        return p >> 32


def shuffle(names, stream):
    n = len(names)
    if n < 2:
        return list(names)
    left = list(range(n))
    out = []
    for m in range(n, 1, -1):
        out.append(names[left.pop(stream.pick(m))])
    out.append(names[left[0]])
    return out


def fingerprint(names, version):
    h = hashlib.sha256()
    for name in names:
        b = name.encode("utf-8")
        if version == 1:
            h.update(b + b"\n")
        else:
            h.update(len(b).to_bytes(4, "big") + b)
    return h.hexdigest()


# ---------------------------------------------------------------- 检查任务分配: the algorithm

def assign_tasks(inputs, pairs, m, deputy, k, stream):
    """The README's algorithm; the groups, the spare and the unmatched pairs as the record writes them, and the
    formations tried, or a text when there is no assignment. k is 0 for the even share-out."""
    E = inputs["enterprises"]
    n = len(E)
    if n == 0:
        return "没有企业"
    roles = [inputs["leaders"], inputs["deputies"], inputs["members"]]
    avoid = [[set() for _ in names] for names in roles]
    unmatched = []
    for who, what in pairs:
        hits = [e for e in range(n) if E[e] == what]
        people = [(r, i) for r in range(3) for i, x in enumerate(roles[r]) if x == who]
        if not hits or not people:
            unmatched.append([who, what])
        for r, i in people:
            avoid[r][i].update(hits)
    aside = [[len(a) == n for a in avoid[r]] for r in range(3)]
    usable = [[i for i in range(len(roles[r])) if not aside[r][i]] for r in range(3)]
    if not deputy:
        usable[1] = []
    L, D, M = usable
    if k == 0:
        if not L or (deputy and not D) or len(M) < m:
            return "人员不足"
        G = min([len(L), len(M) // m, n] + ([len(D)] if deputy else []))
        quota = [n // G + (g < n % G) for g in range(G)]
    else:
        G = -(-n // k)
        if len(L) < G or (deputy and len(D) < G) or len(M) < G * m:
            return "人员不足"
        quota = [k] * (G - 1) + [n - (G - 1) * k]
    for e in range(n):
        if all(e in avoid[0][i] for i in L) or (deputy and all(e in avoid[1][i] for i in D)) \
                or sum(e not in avoid[2][i] for i in M) < m:
            return "企业无人可派"

    def shuffled(items):
        free = list(items)
        return [free.pop(stream.pick(size)) for size in range(len(free), 1, -1)] + free

    for formation in range(1, 101):
        leaders, deputies, members = shuffled(L), shuffled(D) if deputy else [], shuffled(M)
        crew = [[(0, leaders[g])] + ([(1, deputies[g])] if deputy else []) + [(2, x) for x in members[g * m:g * m + m]]
                for g in range(G)]
        blocked = [set().union(*(avoid[r][i] for r, i in c)) for c in crew]
        order = shuffled(range(n))
        group_of = [g for g in range(G) for _ in range(quota[g])]
        held, out = [set() for _ in range(G)], []
        for p in range(n):
            if order[p] in blocked[group_of[p]]:
                out.append(p)
            else:
                held[group_of[p]].add(p)
        failed = False
        for p in out:
            via = {g: (p, None) for g in range(G) if order[p] not in blocked[g]}
            queue = list(via)
            for g in queue:
                if len(held[g]) < quota[g]:
                    while g is not None:
                        at, came = via[g]
                        held[g].add(at)
                        if came is not None:
                            held[came].remove(at)
                        g = came
                    break
                for at in sorted(held[g]):
                    for h in range(G):
                        if h not in via and order[at] not in blocked[h]:
                            via[h] = (at, g)
                            queue.append(h)
            else:
                failed = True
                break
        if failed:
            continue
        groups = [{"deputy": roles[1][c[1][1]] if deputy else "",
                   "enterprises": [E[e] for e in sorted(order[p] for p in held[g])],
                   "leader": roles[0][c[0][1]],
                   "members": [roles[2][i] for r, i in c if r == 2]} for g, c in enumerate(crew)]
        sent = set(x for c in crew for x in c)
        spare = [{"category": r, "name": roles[r][i], "setAside": aside[r][i]}
                 for r in range(3) for i in range(len(roles[r])) if (r, i) not in sent]
        return groups, spare, unmatched, formation
    return "试了100种分组都不成"


# ---------------------------------------------------------------- one spelling

def _esc(s):
    out = ['"']
    for ch in s:
        o = ord(ch)
        if ch == '"': out.append('\\"')
        elif ch == "\\": out.append("\\\\")
        elif ch == "\b": out.append("\\b")
        elif ch == "\t": out.append("\\t")
        elif ch == "\n": out.append("\\n")
        elif ch == "\f": out.append("\\f")
        elif ch == "\r": out.append("\\r")
        elif o < 0x20: out.append("\\u%04x" % o)
        else: out.append(ch)
    out.append('"')
    return "".join(out)


class Fraction(str):
    """A number with a fraction, as a version 1 record writes some angles; kept in its own spelling."""


def compact(v):
    if isinstance(v, Fraction): return str(v)
    if v is True: return "true"
    if v is False: return "false"
    if isinstance(v, int): return str(v)
    if isinstance(v, str): return _esc(v)
    if isinstance(v, list): return "[" + ",".join(compact(x) for x in v) + "]"
    if isinstance(v, dict):
        return "{" + ",".join(_esc(k) + ":" + compact(v[k]) for k in sorted(v, key=lambda k: k.encode())) + "}"
    raise Bad("不允许的值：%r" % (v,))


def _pairs(pairs):
    d = {}
    for k, v in pairs:
        if k in d:
            raise Bad("键重复：" + k)
        d[k] = v
    return d


def _no_float(s):
    raise Bad("数不是整数：" + s)


def _no_const(s):
    raise Bad("不允许的数：" + s)


def parse_line(raw: bytes, version=2):
    """Parses one line (without its line feed) and insists on its one spelling."""
    if b"\r" in raw:
        raise Bad("行里有回车符")
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:
        raise Bad("不是有效的UTF-8")
    if text.startswith("\ufeff"):
        raise Bad("有字节顺序标记")
    try:
        v = json.loads(text, object_pairs_hook=_pairs, parse_float=Fraction if version == 1 else _no_float, parse_constant=_no_const)
    except ValueError as e:
        raise Bad("不是JSON：%s" % e)
    try:
        again = compact(v).encode("utf-8")
    except UnicodeEncodeError:
        raise Bad("字符串里有不成对的代理项（不是有效的Unicode）")
    if again != raw:
        raise Bad("不是唯一的紧凑写法")
    return v


# ---------------------------------------------------------------- small checks

def keys(obj, want, what):
    if not isinstance(obj, dict) or set(obj) != set(want):
        raise Bad("%s的键不对：%s" % (what, sorted(obj) if isinstance(obj, dict) else type(obj).__name__))


def is_int(v):
    return isinstance(v, int) and not isinstance(v, bool)


def want_int(v, lo, hi, what):
    if not is_int(v) or not lo <= v <= hi:
        raise Bad("%s不在%s到%s之间：%r" % (what, lo, hi, v))
    return v


def want_hex(v, what):
    if not isinstance(v, str) or not HEX64.match(v):
        raise Bad(what + "不是64位小写十六进制数")
    return v


def want_names(v, what):
    if not isinstance(v, list) or not all(isinstance(x, str) for x in v):
        raise Bad(what + "不是名称的数组")
    return v


def _instant(m, local):
    y, mo, d, h, mi, s, ms = (int(m.group(i)) for i in range(1, 8))
    try:
        t = datetime.datetime(y, mo, d, h, mi, s, ms * 1000)
    except ValueError:
        raise Bad("不存在的时间：" + m.group(0))
    if local and m.group(8) != "Z":
        off = int(m.group(10)) * 60 + int(m.group(11))
        if m.group(10) > "23" or m.group(11) > "59" or off == 0:
            raise Bad("时差写法不对：" + m.group(0))
        t -= datetime.timedelta(minutes=off if m.group(9) == "+" else -off)
    return t


def utc(v, what):
    m = UTC_RE.match(v) if isinstance(v, str) else None
    if not m:
        raise Bad(what + "不是UTC时间")
    return _instant(m, False)


def local_same(v, instant, what):
    m = LOCAL_RE.match(v) if isinstance(v, str) else None
    if not m:
        raise Bad(what + "不是本地时间")
    if _instant(m, True) != instant:
        raise Bad(what + "与UTC时间不是同一时刻")


def invisible(name):
    return any(unicodedata.category(c) in ("Cc", "Cf", "Zl", "Zp") or
               (unicodedata.category(c) == "Zs" and c != " ") for c in name)


def shown(name):
    return "".join("<U+%04X>" % ord(c) if invisible(c) else c for c in name)


# ---------------------------------------------------------------- the session

MIN_SLOW_SPEED = 10  # 随机缓停 needs at least this speed


class Wheel:
    def __init__(self, names, speed, slow, stream, witnessed=False):
        self.names, self.speed, self.slow, self.stream = names, speed, slow, stream
        self.witnessed = witnessed


WITNESS_TAG = b"pelorin-witnessed-draw-v1\0"
DIGITS = set("0123456789０１２３４５６７８９")


class Ceremony:
    """A 见证摇号 from its commit: the text, the secret and the stream once revealed, the names drawn."""

    def __init__(self, c, d):
        self.category, self.draws = c, d["draws"]
        self.commitment, self.fingerprint = d["commitment"], d["fingerprint"]
        self.text = self.secret = self.seed = self.stream = None
        self.drawn = []
        self.end = None  # 完成, 放弃 or 中断


class Session:
    def __init__(self, version):
        self.version = version
        self.lists = [{l: [] for l in LISTS} for _ in range(7)]
        self.wheels = [None] * 7
        self.shown = []          # (category, what, name, sector or None)
        self.open_starts = {}    # category -> seq of a start not yet stopped
        self.starts_unstopped = []
        self.invisible = set()
        self.v1_slow = False
        self.ceremony = None     # the 见证摇号 under way
        self.ceremonies = []     # every ceremony, in the order of its commit
        self.substitutes = {}    # category -> the stream of its completed ceremony, while 替补 may go on
        self.reasons = []        # (category, withdrawn, name, sector, candidates, reason) of every substitute
        self.completed_seed = None  # the witnessSeed of the last ceremony closed as completed
        self.assignments = []    # (seed, groups) of every 检查任务分配

    # -- list changes
    def apply(self, ev, ch):
        c = ev["category"]
        op = ch.get("op") if isinstance(ch, dict) else None
        shapes = {"append": ("category", "list", "names", "op"), "remove": ("category", "index", "list", "names", "op"),
                  "clear": ("category", "list", "names", "op"), "replace": ("category", "list", "names", "op"),
                  "shuffle": ("category", "list", "op")}
        if op not in shapes:
            raise Bad("未知的名单改动：%r" % (op,))
        keys(ch, shapes[op], "名单改动")
        if not is_int(ch["category"]) or ch["category"] != c:
            raise Bad("名单改动的类别不是事件的类别")
        if ch["list"] not in LISTS:
            raise Bad("未知的名单：%r" % (ch["list"],))
        lst = self.lists[c][ch["list"]]
        if ch["list"] == "candidates":
            self.wheels[c] = None
            if ev["kind"] != "substitute":
                self.substitutes.pop(c, None)  # the candidates changed by something else: no more 替补
        if op == "shuffle":
            if ch["list"] != "candidates":
                raise Bad("只有候选名单可以洗牌")
            return
        names = want_names(ch["names"], "names")
        for x in names:
            if invisible(x):
                self.invisible.add(x)
        if op == "append":
            lst.extend(names)
        elif op == "remove":
            i = want_int(ch["index"], 0, len(lst) - 1, "index")
            if len(names) != 1 or lst[i] != names[0]:
                raise Bad("删去的名称与名单第%d项不符" % i)
            del lst[i]
        elif op == "clear":
            if names != lst:
                raise Bad("清空的名称与名单不符")
            lst.clear()
        else:
            lst[:] = names
        if len(lst) > MAX_LIST:
            raise Bad("名单超过32767个名称")
        if ch["list"] == "results" and ev["kind"] == "substitute":
            for x in names:
                self.shown.append((c, "替补撤下" if op == "remove" else "替补摇出", x, None))
        elif ch["list"] == "results":
            # back into the candidates (the event appended them there first): 撤回; gone for good: 清除
            back = ev["changes"][0].get("op") == "append" and ev["changes"][0].get("list") == "candidates"
            what = {"append": None, "remove": "撤回", "clear": "撤回" if back else "清除", "replace": "替换"}[op]
            if what:
                for x in names:
                    self.shown.append((c, what, x, None))

    def event(self, ev, lineno):
        keys(ev, ("seq", "kind", "category", "categoryName", "time", "localTime", "details", "changes", "fields",
                  "prev"), "事件")
        kind, c, d, chs = ev["kind"], ev["category"], ev["details"], ev["changes"]
        want_int(c, -1, 6, "category")
        if ev["categoryName"] != ("" if c == -1 else CATEGORY_NAMES[c]):
            raise Bad("categoryName与类别不符")
        if not isinstance(d, dict) or not isinstance(chs, list) or not isinstance(ev["fields"], list):
            raise Bad("details、changes或fields的类型不对")
        for f in ev["fields"]:
            keys(f, ("category", "field", "value"), "fields的项")
            want_int(f["category"], 0, 6, "fields的category")
            if not isinstance(f["field"], str) or not isinstance(f["value"], str):
                raise Bad("fields的field和value必须是字符串")
        kinds = ("import", "importHistory", "manualEntry", "delete", "clear", "handBack", "exclude", "shuffle",
                 "start", "stop", "close", "edit", "commit", "witness", "reveal", "substitute", "assign")
        if kind not in kinds:
            raise Bad("未知的操作：%r" % (kind,))
        if c == -1 and kind not in ("close", "edit", "assign"):
            raise Bad(kind + "必须有类别")
        sig = [(x.get("op"), x.get("list")) if isinstance(x, dict) else None for x in chs]
        witnessed = kind in ("start", "stop") and "witnessed" in d
        if self.version == 1 and (witnessed or kind in ("commit", "witness", "reveal", "substitute")):
            raise Bad("第1版格式的记录中没有见证摇号")
        if self.ceremony and kind not in ("edit", "witness", "reveal", "close") and not witnessed:
            self.ceremony.end = "中断"     # the program stopped and was started again
            self.ceremony = None
        if kind in ("commit", "witness", "reveal", "substitute"):
            return self.witnessed_line(ev, sig)
        if kind == "assign":
            return self.assign(ev, sig)
        if kind == "close":
            self.wheels = [None] * 7       # the draw window closed: no wheel is left
            if not chs:
                return self.close(ev)
        if kind == "start" and c >= 0:
            self.wheels[c] = None          # every start removes the wheel, even one that lays out none
        if not chs:
            if d != {}:
                raise Bad("没有名单改动的操作不能有details")
            if kind == "exclude" and self.excluded(c)[1]:
                raise Bad("去已摇没有记下历史名单会去掉的候选")
            if kind == "stop":
                raise Bad("停止必须摇出一个名称")
            return
        X = lambda: chs[0].get("names") == chs[1].get("names")
        handed = [("append", "candidates"), ("clear", "results")]
        ok = {
            "import": sig == [("replace", "candidates")],
            "importHistory": sig == [("replace", "history")],
            "manualEntry": sig in ([("append", "candidates")], [("append", "history")]),
            "delete": sig in ([("remove", "candidates")], [("remove", "history")]),
            "clear": sig in ([("clear", "candidates")], [("clear", "history")], [("clear", "results")])
            or (sig == handed and X()),
            "handBack": (sig == [("append", "candidates"), ("remove", "results")] and X()
                         and len(chs[0].get("names") or []) == 1) or (sig == handed and X()),
            "exclude": sig == [("replace", "candidates")],
            "shuffle": sig == [("shuffle", "candidates")],
            "start": sig in ([("shuffle", "candidates")], handed + [("shuffle", "candidates")]) or sig == handed,
            "stop": sig == [("append", "results"), ("remove", "candidates")],
        }.get(kind, False)
        if kind == "start" and sig[:2] == handed and not X():
            ok = False
        if not ok:
            raise Bad("%s不能有这些名单改动：%s" % (kind, sig))
        if kind in ("import", "importHistory"):
            keys(d, ("file", "sha256"), "details")
            if not isinstance(d["file"], str):
                raise Bad("file不是字符串")
            want_hex(d["sha256"], "sha256")
        elif kind == "exclude":
            keys(d, ("removed",), "details")
            left, removed = self.excluded(c)
            if chs[0]["names"] != left or d["removed"] != removed:
                raise Bad("去已摇的结果与候选和历史名单算出的不符")
        elif kind == "shuffle":
            keys(d, ("candidates", "fingerprint", "shuffleSeed"), "details")
        elif kind == "start":
            if witnessed:
                keys(d, ("candidates", "fingerprint", "slowStopOption", "speed", "witnessed"), "见证摇号开始的details")
                w = self.ceremony
                if d["witnessed"] is not True or sig == handed:
                    raise Bad("见证摇号的开始必须是witnessed为true并洗牌")
                if w is None or w.stream is None:
                    raise Bad("见证摇号的开始之前没有公布密钥（或见证摇号已结束）")
                if c != w.category:
                    raise Bad("见证摇号的开始不在见证摇号的类别")
                if len(w.drawn) >= w.draws:
                    raise Bad("见证摇号已摇出全部%d个名称" % w.draws)
            elif sig == handed:
                keys(d, (), "details")
            else:
                keys(d, ("candidates", "fingerprint", "shuffleSeed", "slowStopOption", "speed"), "details")
        elif kind == "stop":
            return self.stop(ev, lineno)
        else:
            keys(d, (), "details")
        for ch in chs:
            if ch.get("op") == "shuffle":
                self.shuffle_event(ev, lineno)
            else:
                self.apply(ev, ch)
        if kind == "start":
            if c in self.open_starts:
                self.starts_unstopped.append(self.open_starts[c])
            self.open_starts[c] = (c, ev["seq"], lineno)

    def excluded(self, c):
        """去已摇: each history name, in order, removes the first candidate still present equal to it."""
        cand = self.lists[c]["candidates"]
        where = {}
        for i, x in enumerate(cand):
            where.setdefault(x, []).append(i)
        gone = set()
        for h in self.lists[c]["history"]:
            at = where.get(h)
            if at:
                gone.add(at.pop(0))
        return ([x for i, x in enumerate(cand) if i not in gone], [x for i, x in enumerate(cand) if i in gone])

    def shuffle_event(self, ev, lineno):
        c, d = ev["category"], ev["details"]
        cand = self.lists[c]["candidates"]
        want_int(d["candidates"], 1 if ev["kind"] == "start" else 0, MAX_LIST, "candidates")
        if d["candidates"] != len(cand):
            raise Bad("candidates不是候选名单的个数")
        if want_hex(d["fingerprint"], "fingerprint") != fingerprint(cand, self.version):
            raise Bad("fingerprint不是洗牌前候选名单的指纹")
        witnessed = "witnessed" in d
        # a witnessed start shuffles with the ceremony's stream, every other with its own seed's
        stream = self.ceremony.stream if witnessed else Stream(bytes.fromhex(want_hex(d["shuffleSeed"], "shuffleSeed")))
        self.apply(ev, ev["changes"][-1])  # removes the wheel
        cand[:] = shuffle(cand, stream)
        if ev["kind"] == "start":
            want_int(d["speed"], 1, 360, "speed")
            if not isinstance(d["slowStopOption"], bool):
                raise Bad("slowStopOption不是true或false")
            if self.version == 2 and d["slowStopOption"] and d["speed"] < MIN_SLOW_SPEED:
                raise Bad("随机缓停时speed不能低于10")
            self.wheels[c] = Wheel(list(cand), d["speed"], d["slowStopOption"], stream, witnessed)

    def stop(self, ev, lineno):
        c, d = ev["category"], ev["details"]
        w = self.wheels[c]
        if w is None:
            raise Bad("停止之前没有这一类的开始摇号（或转盘已被改动）")
        if self.version == 1:
            return self.stop_v1(ev, w)
        if "witnessed" in d or w.witnessed:
            return self.witnessed_stop(ev, w)
        slow = d.get("slowStop")
        keys(d, ("angle", "name", "position", "sector", "slowStop") + (("turn",) if slow is True else ()), "details")
        if not isinstance(slow, bool):
            raise Bad("slowStop不是true或false")
        if slow != w.slow:
            raise Bad("slowStop与开始时的随机缓停选项不符")
        n, v = len(w.names), w.speed
        M = (359 + v) // v
        a = d["angle"]
        self.rolling(a, v)
        want_int(d["position"], 0, 1 << 62, "position")
        in_sector = lambda x: 1 <= x * n // 360 <= n
        if slow:
            L = 360 * n
            turn = w.stream.pick(2 * L) + L
            if d["turn"] != turn:
                raise Bad("turn不是种子流的下一个数（应为%d）" % turn)
            pos = a * n + turn
        else:
            m = a // v
            order = [m] + list(range(m - 1, 0, -1)) + list(range(M, m, -1))
            star = next((k * v for k in order if in_sector(k * v)), None)
            if star is None:
                raise Bad("指针没有到过任何扇区")
            pos = star * n
        if d["position"] != pos:
            raise Bad("position不是由指针算出的位置（应为%d）" % pos)
        sector = (pos % (360 * n)) // 360 or n
        if d["sector"] != sector:
            raise Bad("sector不是position下的扇区（应为%d）" % sector)
        self.take(ev, w, sector)

    def rolling(self, a, v):
        """a must be one of the angles the rolling pointer stands at: v, 2v, ... up to the first at 360 or more."""
        M = (359 + v) // v
        if not is_int(a) or a % v or not 1 <= a // v <= M:
            raise Bad("angle不是指针能停的角度：%r" % (a,))

    def witnessed_stop(self, ev, w):
        """The next pick p of the ceremony's stream, from 1 to n: the pointer runs out to the middle of sector p."""
        d = ev["details"]
        keys(d, ("angle", "name", "position", "sector", "slowStop", "turn", "witnessed"), "见证摇号停止的details")
        if d["witnessed"] is not True or d["slowStop"] is not True or not w.witnessed:
            raise Bad("见证摇号的停止必须在见证摇号的转盘上，witnessed和slowStop为true")
        if self.ceremony is None:
            raise Bad("见证摇号已结束（中断或关闭），不能再停止")
        if self.ceremony.stream is not w.stream:
            raise Bad("转盘不是这次见证摇号的开始摇号排出的（它来自被中断的见证摇号）")
        n, a = len(w.names), d["angle"]
        self.rolling(a, w.speed)
        p = w.stream.pick(n) + 1
        L = 360 * n
        turn = L + (360 * (p % n) + 180 - a * n) % L
        if d["turn"] != turn or not is_int(d["turn"]):
            raise Bad("turn不是停在种子流下一个数所指扇区中间的转动步数（应为%d）" % turn)
        if d["position"] != a * n + turn or not is_int(d["position"]):
            raise Bad("position不是angle乘以n加turn（应为%d）" % (a * n + turn))
        if d["sector"] != p or not is_int(d["sector"]):
            raise Bad("sector不是种子流的下一个数（应为%d）" % p)
        self.take(ev, w, p)
        self.ceremony.drawn.append(d["name"])

    def witnessed_line(self, ev, sig):
        """commit, witness, reveal and substitute: the lines a 见证摇号 adds."""
        kind, c, d = ev["kind"], ev["category"], ev["details"]
        w = self.ceremony
        if kind == "substitute":
            return self.substitute(ev, sig)
        if sig:
            raise Bad(kind + "不能有名单改动")
        if kind == "commit":
            keys(d, ("candidates", "commitment", "draws", "fingerprint"), "commit的details")
            cand = self.lists[c]["candidates"]
            if d["candidates"] != len(cand) or not is_int(d["candidates"]):
                raise Bad("candidates不是候选名单的个数")
            want_int(d["draws"], 1, len(cand), "draws")
            if want_hex(d["fingerprint"], "fingerprint") != fingerprint(cand, self.version):
                raise Bad("fingerprint不是候选名单的指纹")
            want_hex(d["commitment"], "commitment")
            self.substitutes.pop(c, None)
            self.ceremony = Ceremony(c, d)
            self.ceremonies.append(self.ceremony)
            return
        if w is None or c != w.category:
            raise Bad("%s之前没有这一类的承诺（commit），或见证摇号已结束" % kind)
        if kind == "witness":
            keys(d, ("witnessText",), "witness的details")
            if w.text is not None:
                raise Bad("见证人已确认过文字")
            if (not isinstance(d["witnessText"], str) or sum(ch in DIGITS for ch in d["witnessText"]) < 6
                    or "\n" in d["witnessText"] or "\r" in d["witnessText"]):
                raise Bad("见证人文字少于6个数字")
            w.text = d["witnessText"]
            return
        keys(d, ("secret", "witnessSeed"), "reveal的details")
        if w.text is None or w.secret is not None:
            raise Bad("公布密钥之前没有见证人文字，或已公布过")
        secret = bytes.fromhex(want_hex(d["secret"], "secret"))
        if hashlib.sha256(secret).hexdigest() != w.commitment:
            raise Bad("密钥的SHA-256不是承诺值")
        text = w.text.encode("utf-8")
        seed = hashlib.sha256(WITNESS_TAG + secret + len(text).to_bytes(4, "big") + text
                              + bytes.fromhex(w.fingerprint)).hexdigest()
        if want_hex(d["witnessSeed"], "witnessSeed") != seed:
            raise Bad("witnessSeed不是由密钥、见证人文字和指纹算出的种子")
        w.secret, w.seed, w.stream = d["secret"], seed, Stream(bytes.fromhex(seed))

    def close(self, ev):
        """A close: it ends the ceremony under way, saying how; outside one it says nothing."""
        d, w = ev["details"], self.ceremony
        if w is None:
            if d != {}:
                raise Bad("不在见证摇号中的关闭不能有details")
            return
        if set(d) not in ({"completed"}, {"abandoned"}):
            raise Bad("结束见证摇号的关闭必须写明completed或abandoned")
        done = "completed" in d
        k = d["completed" if done else "abandoned"]
        if not is_int(k) or k != len(w.drawn):
            raise Bad("关闭写的个数不是见证摇号摇出的个数（%d）" % len(w.drawn))
        if done != (k == w.draws):
            raise Bad("见证摇号摇出%d个，应摇%d个：关闭必须写%s" % (k, w.draws, "completed" if k == w.draws else "abandoned"))
        w.end = "完成" if done else "放弃"
        self.ceremony = None
        if done and w.stream is not None:
            self.substitutes[w.category] = w.stream
            self.completed_seed = w.seed

    def assign(self, ev, sig):
        """检查任务分配: recomputed from the results as they stand, the settings, the pairs and the seed."""
        c, d = ev["category"], ev["details"]
        if self.version == 1 or c != -1 or sig:
            raise Bad("assign只在版本2，类别为-1，没有名单改动")
        keys(d, ("afterWitness", "avoidances", "avoidancesFingerprint", "categories", "enterprisesPerGroup",
                 "fingerprints", "formations", "groups", "membersPerGroup", "seed", "shareOut", "spare", "unmatched",
                 "withDeputy"), "assign的details")
        seed = want_hex(d["seed"], "seed")
        if not isinstance(d["afterWitness"], bool) or not isinstance(d["withDeputy"], bool):
            raise Bad("afterWitness或withDeputy不是true/false")
        if d["afterWitness"]:
            if self.completed_seed is None:
                raise Bad("afterWitness为true，此前却没有完成的见证摇号")
            if seed != hashlib.sha256(b"pelorin-task-assignment-v1\0" + bytes.fromhex(self.completed_seed)).hexdigest():
                raise Bad("seed不是由见证摇号的种子算出的")
        m = want_int(d["membersPerGroup"], 1, MAX_LIST, "membersPerGroup")
        if d["shareOut"] not in ("even", "perGroup"):
            raise Bad("shareOut不对")
        even = d["shareOut"] == "even"
        k = want_int(d["enterprisesPerGroup"], 0 if even else 1, 0 if even else MAX_LIST, "enterprisesPerGroup")
        cats = d["categories"]
        if not isinstance(cats, list) or not all(is_int(x) and 3 <= x <= 6 for x in cats) or cats != sorted(set(cats)):
            raise Bad("categories应是3到6、由小到大、不重复")
        pairs = d["avoidances"]
        if not isinstance(pairs, list) or not all(isinstance(x, list) and len(x) == 2 and all(
                isinstance(y, str) for y in x) for x in pairs):
            raise Bad("avoidances应是[人员, 企业]对")
        if want_hex(d["avoidancesFingerprint"], "avoidancesFingerprint") != fingerprint(
                [y for x in pairs for y in x], 2):
            raise Bad("avoidancesFingerprint不是回避对的指纹")
        inputs = {"leaders": self.lists[0]["results"], "deputies": self.lists[1]["results"],
                  "members": self.lists[2]["results"], "enterprises": [x for e in cats for x in self.lists[e]["results"]]}
        keys(d["fingerprints"], tuple(sorted(inputs)), "fingerprints")
        for key, names in inputs.items():
            if d["fingerprints"][key] != fingerprint(names, 2):
                raise Bad("fingerprints.%s不是此时摇出结果的指纹" % key)
        got = assign_tasks(inputs, pairs, m, d["withDeputy"], k, Stream(bytes.fromhex(seed)))
        if isinstance(got, str):
            raise Bad("按记下的种子重新分配失败：" + got)
        groups, spare, unmatched, formations = got
        for g in range(max(len(groups), len(d["groups"]))):
            if g >= len(groups) or g >= len(d["groups"]) or d["groups"][g] != groups[g]:
                raise Bad("第%d组与重新算出的不符" % (g + 1))
        if d["spare"] != spare or d["unmatched"] != unmatched or d["formations"] != formations \
                or not is_int(d["formations"]):
            raise Bad("spare、unmatched或formations与重新算出的不符")
        if compact(d["groups"]) != compact(groups) or compact(d["spare"]) != compact(spare):
            raise Bad("groups或spare的写法不对")
        self.assignments.append((seed, groups))

    def substitute(self, ev, sig):
        """替补: x withdrawn from the results, y the next pick of the completed ceremony's stream."""
        c, d, chs = ev["category"], ev["details"], ev["changes"]
        stream = self.substitutes.get(c)
        if stream is None:
            raise Bad("替补之前没有这一类完成的见证摇号（或候选名单已被别的操作改动）")
        if sig != [("remove", "results"), ("append", "results"), ("remove", "candidates")]:
            raise Bad("替补不能有这些名单改动：%s" % sig)
        keys(d, ("name", "reason", "sector", "withdrawn"), "替补的details")
        if not isinstance(d["reason"], str) or all(
                "\t" <= ch <= "\r" or ch == "\x85" or unicodedata.category(ch) in ("Zs", "Zl", "Zp") for ch in d["reason"]):
            raise Bad("替补的理由是空的")
        if chs[0].get("names") != [d["withdrawn"]]:
            raise Bad("撤下的名称与withdrawn不符")
        self.apply(ev, chs[0])
        cand = self.lists[c]["candidates"]
        if not cand:
            raise Bad("替补时候选名单是空的")
        m = len(cand)
        p = stream.pick(m) + 1
        if d["sector"] != p or not is_int(d["sector"]):
            raise Bad("sector不是种子流的下一个数（应为%d）" % p)
        y = cand[p - 1]
        if d["name"] != y or chs[1].get("names") != [y] or chs[2].get("names") != [y] \
                or chs[2].get("index") != cand.index(y):
            raise Bad("替补摇出的名称不是第%d个候选，或名单改动与它不符" % p)
        self.apply(ev, chs[1])
        self.apply(ev, chs[2])
        self.reasons.append((c, d["withdrawn"], y, p, m, d["reason"]))

    def stop_v1(self, ev, w):
        """A version 1 stop, as the README describes it: the name box's sector comes from shownSteps, and a
        slow stop's turn is only checked for its range and where it leads."""
        d, n, v = ev["details"], len(w.names), w.speed
        slow = d.get("slowStop")
        if not isinstance(slow, bool):
            raise Bad("slowStop不是true或false")
        keys(d, ("angle", "name", "sector", "shownSteps", "slowStop", "speed", "steps", "wheelCount")
             + (("slowStopPressAngle", "slowStopTurn") if slow else ()), "版本1的停止details")
        if slow != w.slow:
            raise Bad("slowStop与开始时的随机缓停选项不符")
        if not is_int(d["wheelCount"]) or d["wheelCount"] != n or not is_int(d["speed"]) or d["speed"] != v:
            raise Bad("wheelCount或speed与开始时不符")
        steps = want_int(d["steps"], -(1 << 62), 1 << 62, "steps")
        shown_steps = want_int(d["shownSteps"], -(1 << 62), 1 << 62, "shownSteps")
        M = (359 + v) // v
        press = d["slowStopPressAngle"] if slow else d["angle"]
        if not is_int(press) or press % v or not 1 <= press // v <= M:
            raise Bad("按下停止时的角度不是指针能停的角度：%r" % (press,))
        L = 360 * n
        if slow:
            turn = want_int(d["slowStopTurn"], L, 3 * L - 1, "slowStopTurn")
            if steps != press * n + turn or shown_steps != steps:
                raise Bad("steps不是按下时的角度加转动步数，或shownSteps不等于steps")
            r = steps % L or L
            if isinstance(d["angle"], bool) or float(d["angle"]) != r / n:
                raise Bad("angle不是指针停下的角度")
            self.v1_slow = True
        else:
            if steps != press * n:
                raise Bad("steps不是angle乘以n")
            m = press // v
            in_sector = lambda x: 1 <= x * n // 360 <= n
            order = [m] + list(range(m - 1, 0, -1)) + list(range(M, m, -1))
            star = next((k * v for k in order if in_sector(k * v)), None)
            if star is None or shown_steps != star * n:
                raise Bad("shownSteps不是名称框最后显示的扇区的位置")
        if shown_steps < 0:
            raise Bad("shownSteps是负数")
        sector = (shown_steps % L) // 360 or n
        if d["sector"] != sector or not is_int(d["sector"]):
            raise Bad("sector不是shownSteps下的扇区（应为%d）" % sector)
        self.take(ev, w, sector)

    def take(self, ev, w, sector):
        c, d = ev["category"], ev["details"]
        if d["name"] != w.names[sector - 1]:
            raise Bad("name不是第%d扇区上的名称" % sector)
        app, rem = ev["changes"]
        cand = self.lists[c]["candidates"]
        if app["names"] != [d["name"]] or rem.get("names") != [d["name"]] or d["name"] not in cand \
                or rem.get("index") != cand.index(d["name"]):
            raise Bad("停止的名单改动与摇中的名称不符")
        self.apply(ev, app)
        self.apply(ev, rem)
        self.shown.append((c, "摇中", d["name"], sector))
        self.open_starts.pop(c, None)


# ---------------------------------------------------------------- the file, line by line

def lines(path):
    """Yields (number, bytes without the line feed); insists on the file's frame."""
    try:
        f = open(path, "rb")
    except OSError as e:
        raise NoRecord("打不开文件：%s" % e.strerror)
    with f:
        n = 0
        while True:
            raw = f.readline(MAX_LINE + 2)
            if not raw:
                if n == 0:
                    raise NoRecord("文件是空的")
                return
            n += 1
            if len(raw) > MAX_LINE + 1 or (len(raw) == MAX_LINE + 1 and not raw.endswith(b"\n")):
                raise NoRecord("第%d行超过16 MiB" % n)
            ended = raw.endswith(b"\n")
            yield n, (raw[:-1] if ended else raw), ended


class Bad_at(Exception):
    def __init__(self, line, why):
        super().__init__(why)
        self.line = line


def frame(it):
    """The lines of the file, each ended by a line feed and not empty."""
    for n, raw, ended in it:
        if not ended:
            raise Bad_at(n, "行没有以换行符结束")
        if not raw:
            raise Bad_at(n, "空行")
        yield n, raw


def verify(path):
    it = lines(path)
    n, raw, ended = next(it)
    # Only the first line decides whether the file is a record at all: a JSON object in UTF-8 (a byte-order
    # mark before it set aside) with this format and version.
    try:
        loose = json.loads((raw[3:] if raw.startswith(b"\xef\xbb\xbf") else raw).decode("utf-8"))
    except ValueError as e:
        raise NoRecord("第1行不是JSON对象：%s" % e)
    if not isinstance(loose, dict) or loose.get("format") != "pelorin-draw-record" \
            or loose.get("formatVersion") not in (1, 2) or isinstance(loose.get("formatVersion"), bool):
        raise NoRecord("第1行不是本程序的摇号记录（格式或版本不对）")
    it = frame(itertools.chain([(n, raw, ended)], it))
    n, raw = next(it)
    try:
        head = parse_line(raw)
    except Bad as e:
        raise Bad_at(1, "开头一行的写法不对：%s" % e)
    version = head["formatVersion"]
    try:
        keys(head, ("format", "formatVersion", "program", "programVersion", "sessionStarted",
                    "sessionStartedLocal", "written"), "开头")
        if head["program"] != "Pelorin" or not isinstance(head["programVersion"], str):
            raise Bad("program或programVersion不对")
        started = utc(head["sessionStarted"], "sessionStarted")
        local_same(head["sessionStartedLocal"], started, "sessionStartedLocal")
        written = utc(head["written"], "written")
        if written < started:
            raise Bad("written早于sessionStarted")
    except Bad as e:
        raise Bad_at(1, str(e))
    s = Session(version)
    prev, last, seq, ended = hashlib.sha256(raw).hexdigest(), started, 0, False
    for n, raw in it:
        try:
            if ended:
                raise Bad("结束行之后还有行")
            obj = parse_line(raw, version)
            if not isinstance(obj, dict) or obj.get("prev") != prev:
                raise Bad("prev不是上一行的哈希，链条断了")
            if "end" in obj:
                keys(obj, ("end", "events", "prev"), "结束行")
                if obj["end"] is not True or obj["events"] != seq or not is_int(obj["events"]):
                    raise Bad("结束行的events不是事件的行数")
                ended = True
            else:
                if obj.get("seq") != seq + 1 or not is_int(obj.get("seq")):
                    raise Bad("seq不是%d" % (seq + 1))
                seq += 1
                t = utc(obj.get("time"), "time")
                local_same(obj.get("localTime"), t, "localTime")
                if t < last:
                    raise Bad("时间倒流了")
                if version == 1 and t > written:
                    raise Bad("时间晚于开头的written（版本1在最后写成）")
                if version == 2 and t < written:
                    raise Bad("时间早于开头的written（版本2随摇号写下）")
                last = t
                before = len(s.shown)
                s.event(obj, n)
                # the room code of a stop line: the first 8 hex digits of its SHA-256, as "1a2b 3c4d"
                h = hashlib.sha256(raw).hexdigest()
                s.shown[before:] = [x + (h[:4] + " " + h[4:8],) if x[1] == "摇中" else x for x in s.shown[before:]]
        except Bad as e:
            raise Bad_at(n, str(e))
        except (KeyError, TypeError, AttributeError, IndexError, ValueError) as e:
            raise Bad_at(n, "结构不对：%r" % (e,))
        prev = hashlib.sha256(raw).hexdigest()
    if not ended:
        raise Bad_at(n, "文件没有结束行")
    s.starts_unstopped.extend(s.open_starts.values())
    if s.ceremony:
        s.ceremony.end = "中断"  # the record ends in the middle of it
    return s, prev


def main():
    if len(sys.argv) != 2:
        print("用法：second_verifier.py 记录文件", file=sys.stderr)
        return 2
    try:
        s, code = verify(sys.argv[1])
    except NoRecord as e:
        print("不是摇号记录：%s" % e)
        return 2
    except Bad_at as e:
        print("第%d行不成立：%s" % (e.line, e))
        return 1
    print("版本：%d" % s.version)
    if s.version == 1:
        print("版本1的记录：名单指纹是每个名称加换行符的SHA-256，名称含换行符时指纹不能唯一确定名单。")
        if s.v1_slow:
            print("版本1的随机缓停：转动步数来自没有记下的随机源，只核对了它的范围和停在哪里。")
    for c, what, name, sector, *room in s.shown:
        print("\t".join([what, CATEGORY_NAMES[c], shown(name), "" if sector is None else str(sector)] + room))
    for w in s.ceremonies:
        print("见证摇号\t%s\t%s\t%d/%d\t%s\t承诺值 %s\t见证人文字 %s\t密钥 %s\t种子 %s" % (
            CATEGORY_NAMES[w.category], w.end, len(w.drawn), w.draws, "、".join(shown(x) for x in w.drawn),
            w.commitment, shown(w.text or ""), w.secret or "", w.seed or ""))
    for c, x, y, p, m, reason in s.reasons:
        print("替补\t%s\t%s\t%s\t%d/%d\t%s" % (CATEGORY_NAMES[c], shown(x), shown(y), p, m, shown(reason)))
    for seed, groups in s.assignments:
        print("检查任务分配\t种子 %s\t%d个组" % (seed, len(groups)))
        for g, x in enumerate(groups):
            print("检查组\t%d\t%s\t%s\t%s\t%s" % (g + 1, shown(x["leader"]), shown(x["deputy"]),
                                                  "、".join(shown(y) for y in x["members"]),
                                                  "、".join(shown(y) for y in x["enterprises"])))
    for c, seq, n in s.starts_unstopped:
        print("没有停止的开始\t%s\t第%d行" % (CATEGORY_NAMES[c], n))
    for x in sorted(s.invisible):
        print("含看不见的字符或控制字符的名称\t%s" % shown(x))
    print("校验码：%s" % code)
    return 0


if __name__ == "__main__":
    sys.exit(main())
