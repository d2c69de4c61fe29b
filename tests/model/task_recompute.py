"""Recomputes an inspection task assignment (检查任务分配) as the README describes it, with Python's standard
library alone. Usage: task_recompute.py SEED_HEX < input.json, where the input holds "leaders", "deputies",
"members", "enterprises" (names in drawn order), "avoid" ([inspector, enterprise] pairs), "m", "deputy"
(true or false) and "k" (0 for the even share-out). Prints the groups and the formations tried as JSON, or
{"failed": the enterprise} when no formation worked (the other failures are checks on counts alone)."""
import ast, json, pathlib, sys

# The seed's stream and picks from witness_recompute.py: its functions alone, not its own recomputation.
tree = ast.parse(pathlib.Path(__file__).with_name("witness_recompute.py").read_text())
tree.body = [node for node in tree.body if isinstance(node, (ast.Import, ast.FunctionDef))]
exec(compile(tree, "witness_recompute.py", "exec"))
pick = picker(bytes.fromhex(sys.argv[1]))
inp = json.load(sys.stdin)
E, m, k = inp["enterprises"], inp["m"], inp["k"]
n = len(E)

def shuffled(items):
    free, out = list(items), []
    for size in range(len(items), 1, -1):
        out.append(free.pop(pick(size)))
    return out + free

# 1. Who avoids what (an inspector is a name in a role's list), who is set aside.
avoid = {}
for who, what in inp["avoid"]:
    avoid.setdefault(who, set()).update(e for e in range(n) if E[e] == what)
lists = [inp["leaders"], inp["deputies"] if inp["deputy"] else [], inp["members"]]
usable = [[x for x in names if len(avoid.get(x, ())) < n] for names in lists]
L, D, M = usable
# 2, 3. The number of groups and their places.
if k:
    G = -(-n // k)
    quota = [k] * (G - 1) + [n - (G - 1) * k]
else:
    G = min([len(L), len(M) // m, n] + ([len(D)] if inp["deputy"] else []))
    quota = [n // G + (g < n % G) for g in range(G)]
# 5. Formations.
for formation in range(1, 101):
    leaders, deputies, members = shuffled(L), shuffled(D), shuffled(M)
    crew = [[leaders[g]] + deputies[g:g + 1] + members[g * m:g * m + m] for g in range(G)]
    blocked = [set().union(*(avoid.get(x, set()) for x in c)) for c in crew]
    order = shuffled(range(n))
    group_of = [g for g in range(G) for _ in range(quota[g])]
    held = [set() for _ in range(G)]
    out = []
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
            break  # no free place: the next formation
    else:
        groups = [{"leader": c[0], "deputy": c[1] if inp["deputy"] else "", "members": c[1 + inp["deputy"]:],
                   "enterprises": [E[e] for e in sorted(order[p] for p in held[g])]} for g, c in enumerate(crew)]
        print(json.dumps({"groups": groups, "formations": formation}, ensure_ascii=False))
        sys.exit()
print(json.dumps({"failed": E[order[p]]}, ensure_ascii=False))
