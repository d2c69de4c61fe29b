#!/bin/sh
# Makes a demo record with the given program, forges records from it and runs both verifiers, the program's
# --verify and tests/record/second_verifier.py, on the genuine record, the consistent variants and every
# forgery. Exits non-zero when they disagree on a verdict, on the line named, on a drawn name or sector, or on
# the check code, or when a forgery is accepted.
# Usage: compare_verifiers.sh PELORIN WORKDIR
set -u
prog=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
rm -rf "$work" && mkdir -p "$work/demo1" "$work/demo2" "$work/forged" || exit 2
"$prog" --demo "$work/demo1" >"$work/demo1.log" 2>&1 || { echo "demo failed"; exit 2; }
"$prog" --demo "$work/demo2" >"$work/demo2.log" 2>&1 || { echo "demo failed"; exit 2; }
g1=$(ls "$work"/demo1/*.jsonl) && g2=$(ls "$work"/demo2/*.jsonl) || exit 2
python3 "$here/forge_records.py" "$g1" "$work/forged" "$g2" || exit 2
cp "$g1" "$work/forged/ok-genuine-1.jsonl" && cp "$g2" "$work/forged/ok-genuine-2.jsonl"
fail=0
for f in "$work"/forged/*.jsonl; do
    "$prog" --verify "$f" >"$f.pelorin" 2>&1; rp=$?
    python3 "$here/second_verifier.py" "$f" >"$f.second" 2>&1; rs=$?
    verdict=$(python3 - "$f.pelorin" "$f.second" "$rp" "$rs" <<'PY'
import re, sys
pel = open(sys.argv[1], encoding="utf-8").read()
sec = open(sys.argv[2], encoding="utf-8").read()
rp, rs = int(sys.argv[3]), int(sys.argv[4])
def line(t):
    m = re.search(r"第 ?(\d+) ?行", t)
    return m and m.group(1)
def drawn_pel(t):
    out, cat = [], None
    for l in t.splitlines():
        m = re.match(r"  (\S+)（名单来源", l)
        if m: cat = m.group(1)
        m = re.match(r"    \d+\. (.*)（扇区 (\d+)/\d+，", l)
        if m: out.append((cat, m.group(1), m.group(2)))
    return out
def drawn_sec(t):
    return [tuple(l.split("\t")[1:4]) for l in t.splitlines() if l.startswith("摇中\t")]
def moves_pel(t):
    return [tuple(m.groups()) for m in re.finditer(r"^      \S+ \S+ (\S+) (.*)$", t, re.M) if m.group(1) != "摇出"]
def moves_sec(t):
    return [(l.split("\t")[0], l.split("\t")[2]) for l in t.splitlines() if l.startswith(("撤回\t", "清除\t"))]
def code(t):
    m = re.search(r"校验码：([0-9a-f]{64})", t)
    return m and m.group(1)
why = []
if rp != rs: why.append("verdict %d vs %d" % (rp, rs))
elif rp == 1 and line(pel) != line(sec): why.append("line %s vs %s" % (line(pel), line(sec)))
elif rp == 0:
    if drawn_pel(pel) != drawn_sec(sec): why.append("drawn names differ")
    if code(pel) != code(sec): why.append("check code differs")
    if moves_pel(pel) != moves_sec(sec): why.append("names handed back or cleared differ")
print("; ".join(why) or "agree")
PY
)
    name=$(basename "$f" .jsonl)
    case $name in ok-*) want=0 ;; nr-*) want=2 ;; *) want=1 ;; esac
    note=""
    [ "$want" != 0 ] && [ "$rp" = 0 ] && note="$note pelorin accepts a forgery;"
    [ "$want" != 0 ] && [ "$rs" = 0 ] && note="$note second verifier accepts a forgery;"
    [ "$want" = 2 ] && [ "$rp" != 2 ] && note="$note pelorin does not call it no record;"
    [ "$want" = 2 ] && [ "$rs" != 2 ] && note="$note second verifier does not call it no record;"
    [ "$want" = 0 ] && [ "$rp" != 0 ] && note="$note pelorin refuses a consistent record;"
    [ "$want" = 0 ] && [ "$rs" != 0 ] && note="$note second verifier refuses a consistent record;"
    if [ "$verdict" != agree ] || [ -n "$note" ]; then
        fail=1
        echo "DIFFER $name: $verdict;$note"
        echo "   pelorin: $(grep -m1 -E '不成立|不是|结论' "$f.pelorin")"
        echo "   second:  $(head -n1 "$f.second")"
    else
        echo "agree  $name (exit $rp)"
    fi
done
exit $fail
