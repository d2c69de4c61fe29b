#!/bin/sh
# Makes a demo record with the given program, forges records from it and runs both verifiers, the program's
# --verify and tests/record/second_verifier.py, on the genuine record, the consistent variants and every
# forgery. Exits non-zero when they disagree on a verdict, on the line named, on a drawn name, its sector or its
# room code, on a name handed back, cleared or substituted, on a 见证摇号 (how it ended, its names, commitment,
# text, secret; its seed must be shown too) or a substitute and its reason, or on the check code, or when a forgery
# is accepted.
# Usage: compare_verifiers.sh PELORIN WORKDIR [--quick]   (--quick: the large list of 1,000 names, not 32,767)
#
# File names tell what each file must be: ok-* consistent (both accept), nr-* no record (both exit 2), c-*
# consistent as a file but not the record of the draws its room saw (both accept; its room codes differ),
# any other a forgery (both exit 1).
set -u
prog=$1
work=$2
quick=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
rm -rf "$work" && mkdir -p "$work/demo1" "$work/demo2" "$work/forged" || exit 2
# One after the other: the splice of the two needs the second session's times after the first's.
"$prog" --demo "$work/demo1" >"$work/demo1.log" 2>&1 || { echo "demo failed"; exit 2; }
"$prog" --demo "$work/demo2" >"$work/demo2.log" 2>&1 || { echo "demo failed"; exit 2; }
g1=$(ls "$work"/demo1/*.jsonl) && g2=$(ls "$work"/demo2/*.jsonl) || exit 2
python3 "$here/forge_records.py" $quick "$g1" "$work/forged" "$g2" || exit 2
cp "$g1" "$work/forged/ok-genuine-1.jsonl" && cp "$g2" "$work/forged/ok-genuine-2.jsonl"
# genuine records of version 1, written by the earlier program
for e in "$here"/../data/earlier/*.jsonl; do cp "$e" "$work/forged/ok-earlier-$(basename "$e")"; done

# The program on every file, two at a time; its output in FILE.pelorin, its exit status in FILE.rp.
export prog
ls "$work"/forged/*.jsonl | xargs -P 2 -I{} sh -c '"$prog" --verify "$1" >"$1.pelorin" 2>&1; echo $? >"$1.rp"' _ {}

# The second verifier on every file, in one process, and the verdicts.
python3 - "$work/forged" "$here" <<'PY'
import contextlib, glob, io, os, re, sys
folder, here = sys.argv[1], sys.argv[2]
sys.path.insert(0, here)
import second_verifier

def second(path):
    out = io.StringIO()
    argv = sys.argv
    sys.argv = ["second_verifier.py", path]
    try:
        with contextlib.redirect_stdout(out):
            rc = second_verifier.main()
    except Exception as e:  # a fault of the second verifier itself: never an agreement
        out.write("second verifier failed: %r\n" % (e,))
        rc = 3
    finally:
        sys.argv = argv
    return out.getvalue(), rc

def line(t):
    m = re.search(r"第 ?(\d+) ?行", t)
    return m and m.group(1)
def drawn_pel(t):
    out, cat = [], None
    for l in t.splitlines():
        m = re.match(r"  (\S+)（名单来源", l)
        if m: cat = m.group(1)
        m = re.match(r"    \d+\. (.*)（扇区 (\d+)/\d+，.*记录校验码 ([0-9a-f]{4} [0-9a-f]{4})）$", l)
        if m: out.append((cat, m.group(1), m.group(2), m.group(3)))
    return out
def drawn_sec(t):
    return [tuple(l.split("\t")[1:5]) for l in t.splitlines() if l.startswith("摇中\t")]
def moves_pel(t):
    out, cat = [], None
    for l in t.splitlines():
        m = re.match(r"  (\S+)（名单来源", l)
        if m: cat = m.group(1)
        m = re.match(r"      \S+ \S+ (\S+) (.*)$", l)
        if m and m.group(1) != "摇出": out.append((cat, m.group(1), m.group(2)))
    return out
def moves_sec(t):
    return [(l.split("\t")[1], l.split("\t")[0], l.split("\t")[2]) for l in t.splitlines()
            if l.startswith(("撤回\t", "清除\t", "替补撤下\t", "替补摇出\t"))]
# --verify prints per category (in category order), the second verifier in the record's order
ORDER = ["组长", "副组长", "成员", "重点企业", "一般企业", "其它企业", "摇号名单"]
def by_category(items):
    return sorted(items, key=lambda x: ORDER.index(x[0]) if x[0] in ORDER else -1)
def ceremonies_pel(t):
    """Every 见证摇号 --verify lists: category, how it ended, drawn/draws, the names, commitment, text and secret."""
    out = []
    for l in t.splitlines():
        m = re.match(r"  \d+\. (\S+)，承诺于 .*，要摇 (\d+) 个，摇出 (\d+) 个：(完成|放弃|中断)", l)
        if m: out.append([m.group(1), m.group(4), "%s/%s" % (m.group(3), m.group(2)), ""])
        m = re.match(r"     (承诺值|见证数字|秘密值|摇出) (.*)$", l)
        if m and out:
            if m.group(1) == "摇出": out[-1][3] = m.group(2)
            else: out[-1].append(m.group(2))
    return [tuple(x) for x in out]
def ceremonies_sec(t):
    return [tuple(l.split("\t")[1:5] + [x.split(" ", 1)[1] for x in l.split("\t")[5:8]])
            for l in t.splitlines() if l.startswith("见证摇号\t")]
def seeds_sec(t):
    return [l.split("\t")[8].split(" ", 1)[1] for l in t.splitlines() if l.startswith("见证摇号\t")]
def substitutes_pel(t):
    out, cat = [], None
    for l in t.splitlines():
        m = re.match(r"  (\S+)（名单来源", l)
        if m: cat = m.group(1)
        m = re.match(r"    替补：(.*) 撤下（理由：(.*)），由见证摇号的种子抽出 (.*)（(\d+/\d+)，", l)
        if m: out.append((cat, m.group(1), m.group(3), m.group(4), m.group(2)))
    return out
def substitutes_sec(t):
    return [tuple(l.split("\t")[1:6]) for l in t.splitlines() if l.startswith("替补\t")]
def code(t):
    m = re.search(r"校验码：([0-9a-f]{64})", t)
    return m and m.group(1)
def room_codes(t):
    return set(x[3] for x in drawn_pel(t))

def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()

fail = 0
for f in sorted(glob.glob(os.path.join(folder, "*.jsonl"))):
    name = os.path.basename(f)[:-len(".jsonl")]
    pel, rp = read(f + ".pelorin"), int(read(f + ".rp"))
    sec, rs = second(f)
    with open(f + ".second", "w", encoding="utf-8") as out:
        out.write(sec)
    why = []
    if rp != rs: why.append("verdict %d vs %d" % (rp, rs))
    elif rp == 1 and line(pel) != line(sec): why.append("line %s vs %s" % (line(pel), line(sec)))
    elif rp == 0:
        if by_category(drawn_pel(pel)) != by_category(drawn_sec(sec)):
            why.append("drawn names, sectors or room codes differ")
        if code(pel) != code(sec): why.append("check code differs")
        if by_category(moves_pel(pel)) != by_category(moves_sec(sec)):
            why.append("names handed back or cleared differ")
        if by_category(ceremonies_pel(pel)) != by_category(ceremonies_sec(sec)):
            why.append("witnessed draws, how they ended, their names, commitment, text or secret differ")
        if by_category(substitutes_pel(pel)) != by_category(substitutes_sec(sec)):
            why.append("substitutes or their reasons differ")
        if any(x not in pel for x in seeds_sec(sec)):
            why.append("--verify does not show a witnessed draw's seed")
    want = 0 if name.startswith(("ok-", "c-")) else 2 if name.startswith("nr-") else 1
    note = []
    if want != 0 and rp == 0: note.append("pelorin accepts a forgery")
    if want != 0 and rs == 0: note.append("second verifier accepts a forgery")
    if want == 2 and rp != 2: note.append("pelorin does not call it no record")
    if want == 2 and rs != 2: note.append("second verifier does not call it no record")
    if want == 0 and rp != 0: note.append("pelorin refuses a consistent record")
    if want == 0 and rs != 0: note.append("second verifier refuses a consistent record")
    if name.startswith("c-"):
        # it adds draws to the first genuine record, and none of their room codes is one the second
        # genuine record's room saw
        added = room_codes(pel) - room_codes(read(os.path.join(folder, "ok-genuine-1.jsonl.pelorin")))
        if not added: note.append("it adds no drawn name to the first record")
        if added & room_codes(read(os.path.join(folder, "ok-genuine-2.jsonl.pelorin"))):
            note.append("a room code of the other session survives the splice")
    if why or note:
        fail = 1
        print("DIFFER %s: %s; %s" % (name, "; ".join(why) or "agree", "; ".join(note)))
        print("   pelorin: " + next((l for l in pel.splitlines() if re.search("不成立|不是|结论", l)), ""))
        print("   second:  " + (sec.splitlines() or [""])[0])
    else:
        print("agree  %s (exit %d)" % (name, rp))
sys.exit(fail)
PY
