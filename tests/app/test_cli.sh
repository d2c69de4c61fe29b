#!/usr/bin/env bash
# The command line: --help and --version exit 0, an unknown option exits 2, --screenshot and --demo leave
# their files, --verify checks the demo's draw record. Usage: test_cli.sh PELORIN WORKDIR
set -u
pelorin=$1
work=$2
failures=0
passes=0
check() { if ! eval "$2"; then echo "FAIL: $1"; failures=$((failures + 1)); else echo "PASS: $1"; passes=$((passes + 1)); fi; }

rm -rf "$work" && mkdir -p "$work"
# Without any display the options still answer.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
"$pelorin" --help >"$work/help.txt" 2>&1
check "--help exits 0" "[ $? -eq 0 ]"
check "--help names the options" "grep -q -- --screenshot '$work/help.txt' && grep -q -- --demo '$work/help.txt' && grep -q -- --verify '$work/help.txt'"
"$pelorin" --version >"$work/version.txt" 2>&1
check "--version exits 0" "[ $? -eq 0 ]"
check "--version prints the version" "grep -Eq '^pelorin [0-9]+\.[0-9]+\.[0-9]+' '$work/version.txt'"
"$pelorin" --no-such-option >"$work/unknown.txt" 2>&1
check "an unknown option exits 2" "[ $? -eq 2 ]"
"$pelorin" --screenshot "$work/main.png" >/dev/null 2>&1
check "--screenshot leaves a picture" "[ -s '$work/main.png' ]"
# The picture is the whole window, drawn: its size is the window's and it holds many colours, not a blank.
if command -v python3 >/dev/null; then
    check "--screenshot draws the whole window" "python3 - '$work/main.png' <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
assert data[:8] == b'\\x89PNG\\r\\n\\x1a\\n'
width, height = struct.unpack('>II', data[16:24])
assert 800 <= width <= 860 and 650 <= height <= 716, (width, height)
pos, idat = 8, b''
while pos < len(data):
    length, kind = struct.unpack('>I4s', data[pos:pos + 8])
    if kind == b'IDAT':
        idat += data[pos + 8:pos + 8 + length]
    pos += 12 + length
raw = zlib.decompress(idat)
assert len(set(raw[i:i + 3] for i in range(0, len(raw) - 3, 997))) > 20
PY"
fi
"$pelorin" --demo "$work/demo" >"$work/demo.txt" 2>&1
check "--demo walks the whole road" "[ $? -eq 0 ]"
check "--demo leaves pictures" "[ -s '$work/demo/01-main.png' ] && [ -s '$work/demo/02-wheel.png' ] && [ -s '$work/demo/04-results.png' ]"
check "--demo leaves two workbooks" "[ \$(ls '$work/demo' | grep -c '摇号导出') -eq 2 ]"
if /usr/bin/python3 -c 'import openpyxl' 2>/dev/null; then
    # The export of all categories holds the demo's 组长 and 成员 above its 重点企业.
    for f in "$work"/demo/*摇号导出*.xlsx; do
        check "openpyxl reads $(basename "$f")" "/usr/bin/python3 -c 'import openpyxl,sys; s=openpyxl.load_workbook(sys.argv[1]).worksheets[0]; a=[c.value for c in s[\"A\"]]; r=a.index(\"重点企业名单：\")+1; assert s.cell(r+2, 2).value' '$f'"
    done
fi
tasks=$(ls "$work"/demo/检查任务分配表_*.xlsx 2>/dev/null | head -n 1)
check "--demo leaves its task workbook and its 回避 workbook" "[ -s '$tasks' ] && [ -s '$work/demo/回避名单.xlsx' ]"
if /usr/bin/python3 -c 'import openpyxl' 2>/dev/null; then
    check "openpyxl reads the task workbook" "/usr/bin/python3 -c 'import openpyxl,sys; s=openpyxl.load_workbook(sys.argv[1]).worksheets[0]; assert [c.value for c in s[1]][:5] == [\"组别\", \"组长\", \"副组长\", \"成员\", \"检查企业\"] and s[\"A3\"].value == \"第2组\" and s[\"E2\"].value' '$tasks'"
fi
record=$(ls "$work"/demo/摇号记录_*.jsonl 2>/dev/null | head -n 1)
check "--demo leaves its draw record and sheet" "[ -s '$record' ] && [ -s '${record%.jsonl}.pdf' ]"
"$pelorin" --verify "$record" >"$work/verify.txt" 2>&1
check "--verify holds on the demo's record" "[ $? -eq 0 ] && grep -q '结论：记录完整' '$work/verify.txt'"
# Each import's names read again from the workbook with the recorded SHA-256; a folder without it fails.
"$pelorin" --verify "$record" --workbooks "$work/demo" >"$work/verify-workbooks.txt" 2>&1
check "--workbooks finds the demo's workbooks" "[ $? -eq 0 ] && grep -q '工作簿：' '$work/verify-workbooks.txt'"
mkdir -p "$work/no-workbooks"
"$pelorin" --verify "$record" --workbooks "$work/no-workbooks" >"$work/verify-no-workbooks.txt" 2>&1
check "--workbooks without the workbook exits 1" "[ $? -eq 1 ]"
# The check code is the SHA-256 of the last line, as the README says standard tools recompute it.
code=$(tail -n 1 "$record" | tr -d '\n' | sha256sum | cut -d' ' -f1)
check "the check code is the last line's SHA-256" "grep -q \"校验码：$code\" '$work/verify.txt'"
# Recomputed from the README's description alone, with Python's hashlib and libsodium.
if /usr/bin/python3 -c 'import nacl.bindings' 2>/dev/null; then
    here=$(cd "$(dirname "$0")" && pwd)
    check "the record recomputes from its description" "/usr/bin/python3 '$here/../record/recompute_record.py' '$record' | grep -q \"check code $code\""
fi
sed '3s/"kind":"/"kind":"x/' "$record" >"$work/changed.jsonl"
"$pelorin" --verify "$work/changed.jsonl" >"$work/verify-changed.txt" 2>&1
check "--verify exits 1 for a changed record" "[ $? -eq 1 ] && grep -q '第 3 行不成立' '$work/verify-changed.txt'"
head -c 3000 /dev/urandom >"$work/random.bin"
"$pelorin" --verify "$work/random.bin" >"$work/verify-random.txt" 2>&1
check "--verify exits 2 for a file that is no record" "[ $? -eq 2 ] && grep -q '不是摇号记录' '$work/verify-random.txt'"
echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
