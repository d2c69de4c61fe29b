#!/usr/bin/env python3
"""Times the real program's start with a restore of seven categories of 32,767 names each: from the
process start to the window showing every restored list (the driven program's "ready", said after the
restore). Usage: restore_start.py PELORIN_DRIVEN [RUNS], e.g. build-bench/pelorin_driven"""
import json, os, statistics, subprocess, sys, tempfile, time

import openpyxl

program = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
data = tempfile.mkdtemp(prefix="pelorin-restore-")
env = dict(os.environ, PELORIN_DATA=data, QT_QPA_PLATFORM="offscreen",
           PELORIN_SETTINGS=os.path.join(data, "settings.ini"))


def start(restore):
    began = time.perf_counter()
    p = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                         env=dict(env, PELORIN_TEST_RESTORE=restore))
    while p.stdout.readline().rstrip("\n") != "ready":
        pass
    return p, time.perf_counter() - began


def send(p, command):
    p.stdin.write(command + "\n")
    p.stdin.flush()
    while p.stdout.readline().rstrip("\n") != "ok":
        pass


p, _ = start("no")
for category in range(7):
    path = os.path.join(data, "list%d.xlsx" % category)
    book = openpyxl.Workbook(write_only=True)
    sheet = book.create_sheet()
    sheet.append(["序号", "企业名称"])
    for k in range(32767):
        sheet.append([k + 1, "第%d类某某市某某区企业%05d有限公司" % (category, k)])
    book.save(path)
    send(p, "import %d %s" % (category, path))
p.kill()
p.wait()

def restored_names(p):
    p.stdin.write("dump\n")
    p.stdin.flush()
    while True:
        line = p.stdout.readline()
        if line.startswith("state "):
            state = json.loads(line[len("state "):])
            return sum(len(page["candidates"]) for page in state["pages"])


times = []
for _ in range(runs):
    p, seconds = start("yes")
    times.append(seconds)
    assert restored_names(p) == 7 * 32767, "the restore did not bring every list back"
    p.kill()  # killed again: the next start restores the same session
    p.wait()
print("start with a restore of 7 x 32767 names: median %.0f ms (runs: %s)"
      % (1000 * statistics.median(times), ", ".join("%.0f" % (1000 * t) for t in times)))
