"""Recomputes an inspection task assignment (检查任务分配) as the README describes it, with Python's standard
library alone. Usage: task_recompute.py SEED_HEX < input.json, the input holding "leaders", "deputies", "members",
"enterprises" (names in drawn order), "avoid" ([inspector, enterprise] pairs), "m", "deputy" (true or false) and
"k" (0: even). Prints the groups and the formations tried, or {"failed": the enterprise} when no formation
worked, as JSON. The checks on counts before the formations are left to the reader."""
import ast, json, pathlib, sys

# The seed's stream and picks of witness_recompute.py: its functions alone, not its own recomputation.
tree = ast.parse(pathlib.Path(__file__).with_name("witness_recompute.py").read_text())
tree.body = [node for node in tree.body if isinstance(node, (ast.Import, ast.FunctionDef))]
exec(compile(tree, "witness_recompute.py", "exec"))
pick, inp = picker(bytes.fromhex(sys.argv[1])), json.load(sys.stdin)
E, m, k, dep = inp["enterprises"], inp["m"], inp["k"], inp["deputy"]
n = len(E)

def shuffled(items):
    free = list(items)
    return [free.pop(pick(size)) for size in range(len(free), 1, -1)] + free

# 1. Who avoids what (a pair applies to every inspector and enterprise of its names); who is set aside.
avoid = {}
for who, what in inp["avoid"]:
    avoid.setdefault(who, set()).update(e for e in range(n) if E[e] == what)
L, D, M = ([x for x in names if len(avoid.get(x, ())) < n]
           for names in (inp["leaders"], inp["deputies"] if dep else [], inp["members"]))
# 2, 3. The groups and their places.
G = -(-n // k) if k else min([len(L), len(M) // m, n] + ([len(D)] if dep else []))
quota = [k] * (G - 1) + [n - (G - 1) * k] if k else [n // G + (g < n % G) for g in range(G)]
for formation in range(1, 101):  # 5.
    leaders, deputies, members = shuffled(L), shuffled(D), shuffled(M)
    crew = [[leaders[g]] + deputies[g:g + 1] + members[g * m:g * m + m] for g in range(G)]
    blocked = [set().union(*(avoid.get(x, set()) for x in c)) for c in crew]
    order = shuffled(range(n))
    group_of = [g for g in range(G) for _ in range(quota[g])]
    held, out = [set() for _ in range(G)], []
    for p in range(n):
        if order[p] in blocked[group_of[p]]:
            out.append(p)
        else:
            held[group_of[p]].add(p)
    for p in out:
        via = {g: (p, None) for g in range(G) if order[p] not in blocked[g]}
        queue = list(via)
        for g in queue:  # the queue grows as it is visited
            if len(held[g]) < quota[g]:
                while g is not None:  # each enterprise on the way moves into the group reached through it
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
            break  # no free place: the next formation
    else:
        groups = [{"leader": c[0], "deputy": c[1] if dep else "", "members": c[1 + dep:],
                   "enterprises": [E[e] for e in sorted(order[p] for p in held[g])]} for g, c in enumerate(crew)]
        sys.exit(print(json.dumps({"groups": groups, "formations": formation}, ensure_ascii=False)))
print(json.dumps({"failed": E[order[p]]}, ensure_ascii=False))
