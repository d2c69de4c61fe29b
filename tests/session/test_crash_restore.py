#!/usr/bin/env python3
"""Kills the real program with SIGKILL at several points of a draw and checks that the next start, told
to restore, shows every list and field as they were shown after the last finished command."""
import json, os, random, signal, subprocess, sys, tempfile, time

import openpyxl

program, samples = sys.argv[1], sys.argv[2]
data = tempfile.mkdtemp(prefix="pelorin-crash-")
env = dict(os.environ, PELORIN_DATA=data, QT_QPA_PLATFORM="offscreen",
           PELORIN_SETTINGS=os.path.join(data, "settings.ini"))


class Program:
    def __init__(self, restore):
        self.p = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                  env=dict(env, PELORIN_TEST_RESTORE=restore))
        self.asked = []
        self.wait_for("ready")

    def wait_for(self, word):
        while True:
            line = self.p.stdout.readline()
            assert line, "program ended early"
            line = line.rstrip("\n")
            if line.startswith("asked "):
                self.asked.append(line)
            if line == word or line.startswith(word + " "):
                return line

    def send(self, command, wait=True):
        self.p.stdin.write(command + "\n")
        self.p.stdin.flush()
        if wait:
            return self.wait_for("ok")

    def state(self):
        self.p.stdin.write("dump\n")
        self.p.stdin.flush()
        line = self.wait_for("state")
        self.wait_for("ok")
        return json.loads(line[len("state "):])

    def kill(self):
        self.p.send_signal(signal.SIGKILL)
        self.p.wait()


def comparable(state):
    state = dict(state)
    del state["drawWindowOpen"]
    return state


def restarted(expected_any):
    p = Program("yes")
    assert len(p.asked) == 1 and "上次摇号未正常结束" in p.asked[0], p.asked
    got = p.state()
    assert not got["drawWindowOpen"], "draw window came back open"
    assert any(comparable(got) == comparable(e) for e in expected_any), "restored state differs"
    return p, got


candidates = os.path.join(samples, "重点企业名单.xlsx")

# After an import.
p = Program("no")
p.send("import 3 " + candidates)
shown = p.state()
assert len(shown["pages"][3]["candidates"]) > 0
p.kill()
p, got = restarted([shown])
print("after an import: restored", len(got["pages"][3]["candidates"]), "names")

# While the wheel rolls, then right after a stop.
p.send("draw 3")
time.sleep(0.3)
rolling = p.state()
assert rolling["drawWindowOpen"]
p.kill()
p, got = restarted([rolling])
print("while rolling: restored")
p.send("draw 3")
time.sleep(0.2)
p.send("startstop")
stopped = p.state()
assert len(stopped["pages"][3]["results"]) >= 1
p.kill()
p, got = restarted([stopped])
print("after a stop: restored", got["pages"][3]["results"])

# In the middle of a large import's transaction: wholly there or wholly absent.
big = os.path.join(data, "big.xlsx")
book = openpyxl.Workbook()
sheet = book.active
sheet.append(["序号", "企业名称"])
for k in range(32767):
    sheet.append([k + 1, "企业%05d" % k])
book.save(big)
before = p.state()
for attempt in range(4):
    p.send("import 5 " + big, wait=False)
    time.sleep(random.uniform(0.05, 1.5))
    p.kill()
    p = Program("yes")
    got = p.state()
    n = len(got["pages"][5]["candidates"])
    assert n in (len(before["pages"][5]["candidates"]), 32767), n
    print("large import cut off: candidates", n)
    before = got
p.kill()
print("all restores matched")
