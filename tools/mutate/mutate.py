#!/usr/bin/env python3
"""Mutation run: plants one small fault at a time in src/ and asks the tests to find it.

Mutants are made from the sources deterministically (seeded) and spread over every
file of src/ in proportion to its code lines. Each one is applied to a copy of the
repository under build/mutate/tree/ (the working tree is never touched), built in
build/mutate/build/ with ccache, and judged by the tests that cover the mutated file.

Environment: MUTATE_COUNT (mutants in the full set, default 160), MUTATE_SEED
(default 1), MUTATE_SAMPLE=N (run a seeded subset of N), MUTATE_LIST=FILE (run the
mutants listed in FILE, a mutants.jsonl of an earlier run), MUTATE_FILES=REGEX (only
mutants in files whose path matches, before sampling), MUTATE_TIMEOUT (seconds
of testing per mutant; default: twice the unmutated run plus 30 s).
Option --list prints the chosen mutants without building anything.
"""

import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(REPO, "build", "mutate")
TREE = os.path.join(OUT, "tree")
BUILD = os.path.join(OUT, "build")
EQUIVALENT_LIST = os.path.join(REPO, "tools", "mutate", "equivalent.txt")

# Test programs run for a mutant in each part of src/: its own, then those of the
# parts built on it. The game-level checks (replays, level checker) also run for
# the parts that make up a match. The cheapest and likeliest killers come first.
COVERAGE = {
    "engine": ["test_engine", "test_resources", "test_data", "test_world", "test_objects", "test_states"],
    "resources": ["test_resources", "test_data", "test_engine", "test_world", "test_objects", "test_states"],
    "world": ["test_world", "test_objects", "test_states", "test_data", "replays", "levelcheck", "levelcheck-drive"],
    "objects": ["test_objects", "test_states", "test_data", "replays", "levelcheck", "levelcheck-drive"],
    "states": ["test_states", "test_data", "replays", "levelcheck", "levelcheck-drive"],
    "main": ["e2e-startup"],
}
REPLAYS = sorted(f for f in os.listdir(os.path.join(REPO, "tests", "replays")) if f.endswith(".replay"))
COMMANDS = {  # name: (build target, command run from the tree's root)
    **{p: (p, [f"{BUILD}/tests/{p}", "--gtest_brief=1"]) for p in
       ["test_engine", "test_resources", "test_data", "test_world", "test_objects", "test_states"]},
    "replays": ("zorbel-replay", [f"{BUILD}/zorbel-replay", "verify"] + [f"tests/replays/{r}" for r in REPLAYS]),
    "levelcheck": ("zorbel-levelcheck", [f"{BUILD}/zorbel-levelcheck"]),
    "levelcheck-drive": ("zorbel-levelcheck", [f"{BUILD}/zorbel-levelcheck", "--first", "--drive", "--expect", "20", "40"]),
    "e2e-startup": ("zorbel", ["python3", "tests/e2e/startup.py", "starts_opens_credits_and_sandbox_and_ends_on_escape"]),
}
SCREENS = {"e2e-startup": "1920x1080x24"}  # the display ctest gives a command, where not the default


def part(path):
    """The part of src/ a file belongs to: src/world/Layer.cpp -> world, src/main.cpp -> main."""
    pieces = path.split("/")
    return pieces[1] if len(pieces) > 2 else "main"


# ---------------------------------------------------------------- making mutants

def mask(text):
    """The text with comments blanked and string/char literal contents replaced by '_'."""
    out, i, n = [], 0, len(text)
    while i < n:
        c, two = text[i], text[i:i + 2]
        if two == "//":
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
        elif two == "/*":
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j, n - 1)
            out.append(c + "_" * (j - i - 1) + text[j])
            j += 1
        else:
            out.append(c)
            j = i + 1
        i = j
    return "".join(out)


KEYWORD = r"(?:return|delete|throw|break|continue|goto|else|case|co_return)\b"
DECLARATION = re.compile(
    r"^\s*(?!" + KEYWORD + r")(?:(?:static|const|constexpr|inline|virtual|explicit|mutable|friend|struct|class|enum)\s+)*"
    r"[\w:<>,*&\s]*?[\w>](?:\s+[*&]*|\s*[*&]+\s*)~?\w+\s*(?:\[[^\]]*\])?"
    r"\s*(?:\([^()]*\)\s*(?:const)?\s*(?:override|final)?\s*(?:=\s*(?:0|default|delete))?)?\s*;\s*$")
SKIP = re.compile(r"^\s*#|\bfprintf\b|\bperror\b|std::cerr|\breport\(|\bassert\(|static_assert")
SWAPS = [  # (operator name, regex on the masked line, replacement for each match)
    ("negate", re.compile(r"(?<=\s)(==|!=|<=|>=|<|>)(?=\s)"),
     {"==": "!=", "!=": "==", "<": ">=", ">=": "<", ">": "<=", "<=": ">"}),
    ("bound", re.compile(r"(?<=\s)(<=|>=|<|>)(?=\s)"), {"<": "<=", "<=": "<", ">": ">=", ">=": ">"}),
    ("logic", re.compile(r"(&&|\|\|)"), {"&&": "||", "||": "&&"}),
    ("arith", re.compile(r"(?<=\s)(\+|-|\*|/|\+=|-=|\*=|/=)(?=\s)"),
     {"+": "-", "-": "+", "*": "/", "/": "*", "+=": "-=", "-=": "+=", "*=": "/=", "/=": "*="}),
    ("arith", re.compile(r"(\+\+|--)(?=\w)|(?<=\w)(\+\+|--)"), {"++": "--", "--": "++"}),
    ("sign", re.compile(r"(?<=[(,=\s])(-)(?=[\w(.])"), {"-": ""}),
]
NUMBER = re.compile(r"(?<![\w.])(\d+\.\d*|\d*\.\d+|\d+)(f?)(?![\w.])")
CALL_STATEMENT = re.compile(r"^(\s*)(?:[\w\[\]]+(?:\.|->|::))*([a-z]\w*)\(.*\)\s*;\s*$")
ASSIGNMENT = re.compile(r"^(\s*)(?:[\w.\[\]*]|->|::)+\s*(?:=|\+=|-=|\*=|/=|\|=|&=)\s*[^=].*;\s*$")
TWO_ARGUMENTS = re.compile(r"\b\w+\(([^(),]+), ([^(),]+)\)")
PARAMETER = re.compile(r"^(?:const\s+)?[\w:<>]+[\s*&]+\w+$")  # "Engine* engine": a declaration, not an argument


def stepped(number, suffix):
    """A plausible other value for a numeric literal."""
    if "." in number:
        text = f"{float(number) * 1.5 if float(number) else 0.5:g}"
        return text + ("" if "." in text or "e" in text else ".0") + suffix
    return str(int(number) + 1) + suffix


def line_mutants(line, code):
    """Every single-point change of one source line: (operator, mutated line)."""
    found = []

    def put(op, start, end, new):
        mutated = line[:start] + new + line[end:]
        if mutated != line:
            found.append((op, mutated))

    for op, pattern, table in SWAPS:
        for m in pattern.finditer(code):
            g = next(i for i in range(1, len(m.groups()) + 1) if m.group(i))
            put(op, m.start(g), m.end(g), table[m.group(g)])
    for m in NUMBER.finditer(code):
        put("constant", m.start(1), m.end(2), stepped(m.group(1), m.group(2)))
    for m in TWO_ARGUMENTS.finditer(code):
        a, b = line[m.start(1):m.end(1)].strip(), line[m.start(2):m.end(2)].strip()
        kinds = {x[:1] if x[:1] in "\"&" else "" for x in (a, b)}
        if a != b and len(kinds) == 1 and not (PARAMETER.match(a) or PARAMETER.match(b)):
            put("swap-args", m.start(1), m.end(2), b + ", " + a)
    for op, pattern in (("drop-call", CALL_STATEMENT), ("drop-assign", ASSIGNMENT)):
        m = pattern.match(code)
        if m and code.count("(") == code.count(")"):
            put(op, 0, len(line), m.group(1) + "{}")
    return found


def mutants_of(path, text):
    """All candidate mutants of one file, and its number of code lines."""
    lines, codes = text.split("\n"), mask(text).split("\n")
    found, size = [], 0
    for number, (line, code) in enumerate(zip(lines, codes), 1):
        if not code.strip():
            continue
        size += 1
        if SKIP.search(code) or DECLARATION.match(code):
            continue
        seen = set()
        for op, mutated in line_mutants(line, code):
            if mutated not in seen:
                seen.add(mutated)
                found.append({"file": path, "line": number, "op": op, "original": line, "mutated": mutated})
    return found, size


def key(m):
    """Names a mutant by its text, so the name survives lines moving around it."""
    text = "\0".join([m["file"], m["original"].strip(), m["mutated"].strip()])
    return hashlib.sha1(text.encode()).hexdigest()[:8]


def choose(sources, count, seed):
    """Picks `count` mutants over all files in proportion to their code lines, one per line first."""
    pools = {p: mutants_of(p, t) for p, t in sources.items()}
    total = sum(size for _, size in pools.values())
    share = {p: count * size / total for p, (_, size) in pools.items()}
    quota = {p: min(len(c), max(1, int(share[p]))) if c else 0 for p, (c, _) in pools.items()}
    while sum(quota.values()) < count:
        open_files = [p for p, (c, _) in pools.items() if quota[p] < len(c)]
        if not open_files:
            break
        quota[max(open_files, key=lambda p: (share[p] - quota[p], p))] += 1
    chosen = []
    for path in sorted(pools):
        candidates = list(pools[path][0])
        random.Random(f"{seed}:{path}").shuffle(candidates)
        lines, first, others = set(), [], []
        for m in candidates:
            (others if m["line"] in lines else first).append(m)
            lines.add(m["line"])
        picked = (first + others)[:quota[path]]
        chosen += sorted(picked, key=lambda m: (m["line"], m["op"], m["mutated"]))
    for number, m in enumerate(chosen, 1):
        m["id"], m["key"] = f"m{number:03d}", key(m)
    return chosen


def sample(mutants, n, seed):
    """Every (len/n)-th mutant from a seeded start: the subset stays spread over the files."""
    if n >= len(mutants):
        return mutants
    step = len(mutants) / n
    start = random.Random(f"sample:{seed}").random() * step
    return [mutants[int(start + i * step)] for i in range(n)]


def equivalents():
    """The hand-kept list: key -> reason ("key  file:line  reason" per line)."""
    known = {}
    if os.path.exists(EQUIVALENT_LIST):
        for line in open(EQUIVALENT_LIST, encoding="utf-8"):
            fields = line.split(None, 2)
            if fields and not line.startswith("#"):
                known[fields[0]] = fields[2].strip() if len(fields) > 2 else "listed"
    return known


# ---------------------------------------------------------------- running them

def sync_tree():
    """Makes build/mutate/tree/ equal the working tree (unchanged files keep their times); its digest."""
    wanted, digest = set(), hashlib.sha1()
    for root, dirs, files in os.walk(REPO):
        dirs[:] = [d for d in dirs if not (root == REPO and d in ("build", ".git"))]
        for name in files:
            rel = os.path.relpath(os.path.join(root, name), REPO)
            wanted.add(rel)
            src, dst = os.path.join(REPO, rel), os.path.join(TREE, rel)
            content = open(src, "rb").read()
            if not rel.startswith(("docs/", "tools/mutate/")):  # what the build and tests read
                digest.update(rel.encode() + b"\0" + content)
            if not os.path.exists(dst) or content != open(dst, "rb").read():
                os.makedirs(os.path.dirname(dst), exist_ok=True)
                shutil.copyfile(src, dst)  # a fresh time: make must rebuild what a mutant left behind
                shutil.copymode(src, dst)
    for root, _, files in os.walk(TREE):
        for name in files:
            if os.path.relpath(os.path.join(root, name), TREE) not in wanted:
                os.remove(os.path.join(root, name))
    return digest.hexdigest()


def run(command, timeout, log, screen=None):
    """Runs a command in its own process group from the tree; 'ok', 'failed' or 'timeout'."""
    env = dict(os.environ, CCACHE_BASEDIR=TREE, ZORBEL_BUILD_DIR=BUILD)
    if screen:
        env["HEADLESS_SCREEN"] = screen
    with open(log, "a") as out:
        out.write(f"\n$ {' '.join(command)}\n")
        out.flush()
        proc = subprocess.Popen(command, cwd=TREE, env=env, stdout=out, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            return "ok" if proc.wait(timeout=max(timeout, 1)) == 0 else "failed"
        except subprocess.TimeoutExpired:
            return "timeout"
        finally:
            if proc.poll() is None:
                os.killpg(proc.pid, signal.SIGTERM)
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    os.killpg(proc.pid, signal.SIGKILL)
                    proc.wait()


def build(targets, log):
    """Builds the targets incrementally; 'ok', 'failed' or 'timeout'."""
    return run(["nice", "cmake", "--build", BUILD, "-j2", "--target"] + sorted(set(targets)), 1800, log)


STALE_REPLAYS = set()  # replays that fail on the unmutated tree: they cannot judge a mutant
NOTES = []  # said in the report's heading


def test(name, timeout, log):
    command = [c for c in COMMANDS[name][1] if os.path.basename(c) not in STALE_REPLAYS]
    return run([os.path.join(TREE, "scripts", "headless")] + command, timeout, log, SCREENS.get(name))


def test_replay(replay, log):
    return run([os.path.join(TREE, "scripts", "headless"), f"{BUILD}/zorbel-replay", "verify", f"tests/replays/{replay}"], 600, log)


def object_hash(path):
    """Hash of the object file compiled from a .cpp of src/ (None for headers)."""
    if not path.endswith(".cpp"):
        return None
    target = "zorbel" if part(path) == "main" else "zorbel_core"
    obj = os.path.join(BUILD, "CMakeFiles", f"{target}.dir", path + ".o")
    return hashlib.sha1(open(obj, "rb").read()).hexdigest() if os.path.exists(obj) else None


class Stop(Exception):
    pass


def stop(signum, _frame):
    raise Stop(f"signal {signum}")


def execute(mutants, digest):
    """Runs each mutant; yields its result. The pristine file is back after each one."""
    known = equivalents()
    logs = os.path.join(OUT, "logs")
    os.makedirs(logs, exist_ok=True)
    needed = sorted({c for m in mutants for c in COVERAGE[part(m["file"])]})
    print(f"building {len(needed)} test commands' targets in {BUILD} ...", flush=True)
    if not os.path.exists(os.path.join(BUILD, "CMakeCache.txt")):
        launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
        run(["cmake", "-S", TREE, "-B", BUILD, "-DCMAKE_BUILD_TYPE=RelWithDebInfo"] + launcher,
            600, os.path.join(logs, "setup.log"))
    if build([COMMANDS[c][0] for c in needed], os.path.join(logs, "setup.log")) != "ok":
        sys.exit(f"mutate: the unmutated tree does not build; see {logs}/setup.log")
    clean_file = os.path.join(OUT, "unmutated.json")  # passing runs of this very tree
    clean = json.load(open(clean_file)) if os.path.exists(clean_file) else {}
    clean_time, setup = clean.get(digest, {}), os.path.join(logs, "setup.log")
    STALE_REPLAYS.update(clean_time.get("stale replays", []))
    for name in needed:
        if name in clean_time:
            print(f"  unmutated {name}: passed in {clean_time[name]:.0f} s on this tree before", flush=True)
            continue
        began = time.time()
        if test(name, 1800, setup) != "ok" and name == "replays":
            clean_time["stale replays"] = [r for r in REPLAYS if test_replay(r, setup) != "ok"]
            STALE_REPLAYS.update(clean_time["stale replays"])
            began = time.time()
        if test(name, 1800, setup) != "ok":
            sys.exit(f"mutate: '{name}' fails on the unmutated code; see {setup}")
        clean_time[name] = time.time() - began
        json.dump({digest: clean_time}, open(clean_file, "w"))
        print(f"  unmutated {name}: passes in {clean_time[name]:.0f} s", flush=True)
    if clean_time.get("stale replays"):
        NOTES.append("left out, failing unmutated: " + ", ".join(clean_time["stale replays"]))
        print("  " + NOTES[-1], flush=True)
    original_objects = {m["file"]: object_hash(m["file"]) for m in mutants}
    for m in mutants:
        result = dict(m, status=None, detail="")
        path = os.path.join(TREE, m["file"])
        pristine = open(path, encoding="utf-8").read()
        lines = pristine.split("\n")
        began = time.time()
        if m.get("key", key(m)) in known:
            result.update(status="equivalent", detail=known[m.get("key", key(m))])
        elif m["line"] > len(lines) or lines[m["line"] - 1] != m["original"]:
            result.update(status="stale", detail="the source no longer has this line")
        else:
            commands = COVERAGE[part(m["file"])]
            limit = float(os.environ.get("MUTATE_TIMEOUT") or 0) or 2 * sum(clean_time[c] for c in commands) + 30
            log = os.path.join(logs, m["id"] + ".log")
            open(log, "w").close()
            try:
                lines[m["line"] - 1] = m["mutated"]
                with open(path, "w", encoding="utf-8") as f:
                    f.write("\n".join(lines))
                built = build([COMMANDS[c][0] for c in commands], log)
                if built != "ok":
                    result["status"] = "not compiling"
                elif original_objects[m["file"]] and object_hash(m["file"]) == original_objects[m["file"]]:
                    result.update(status="equivalent", detail="same object code")
                else:
                    deadline = time.time() + limit
                    for name in commands:
                        outcome = test(name, deadline - time.time(), log)
                        if outcome != "ok":
                            result.update(status="killed" if outcome == "failed" else "timed out", detail=name)
                            break
                    else:
                        result["status"] = "survived"
            finally:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(pristine)
        result["seconds"] = round(time.time() - began)
        yield result


# ---------------------------------------------------------------- reporting

STATES = ["killed", "survived", "timed out", "not compiling", "equivalent", "stale"]


def tally(results):
    counts = {s: sum(r["status"] == s for r in results) for s in STATES}
    judged = counts["killed"] + counts["timed out"] + counts["survived"]
    score = f"{100 * (counts['killed'] + counts['timed out']) / judged:.0f} %" if judged else "-"
    return [len(results)] + [counts[s] for s in STATES[:5]] + [score]


def table(results, group, title):
    head = [title, "mutants", "killed", "survived", "timed out", "not compiling", "equivalent", "score"]
    rows = [head, ["---"] * len(head)]
    for name in sorted({group(r) for r in results}):
        rows.append([name] + [str(x) for x in tally([r for r in results if group(r) == name])])
    rows.append(["**total**"] + [str(x) for x in tally(results)])
    return "\n".join("| " + " | ".join(row) + " |" for row in rows)


def report(results, seed, header):
    survivors = [r for r in results if r["status"] == "survived"]
    text = [header, "", "Score: (killed + timed out) / (killed + timed out + survived); not compiling,",
            "equivalent and stale mutants are left out.", "", table(results, lambda r: part(r["file"]), "part"), "",
            table(results, lambda r: r["file"], "file"), "", f"Survivors ({len(survivors)}):"]
    for r in survivors:
        text += [f"  {r['file']}:{r['line']}  {r['op']}  [{r['id']} key {r['key']}]",
                 f"    - {r['original'].strip()}", f"    + {r['mutated'].strip()}"]
    others = [r for r in results if r["status"] in ("equivalent", "timed out", "not compiling", "stale")]
    text += ["", "Not scored as killed/survived:"] + [
        f"  {r['file']}:{r['line']}  {r['status']}  {r['detail']}  [{r['id']} key {r['key']}]" for r in others]
    with open(os.path.join(OUT, "report.txt"), "w") as f:
        f.write("\n".join(text) + "\n")
    print("\n" + table(results, lambda r: part(r["file"]), "part"))
    print(f"\nfull report: {OUT}/report.txt, one JSON line per mutant: {OUT}/results.jsonl")


def main():
    seed = os.environ.get("MUTATE_SEED", "1")
    os.makedirs(OUT, exist_ok=True)
    if os.environ.get("MUTATE_LIST"):
        mutants = [json.loads(l) for l in open(os.environ["MUTATE_LIST"]) if l.strip()]
        origin = f"the {len(mutants)} mutants listed in {os.environ['MUTATE_LIST']}"
    else:
        sources = {}
        for root, _, files in os.walk(os.path.join(REPO, "src")):
            for name in files:
                if name.endswith((".cpp", ".h")):
                    full = os.path.join(root, name)
                    sources[os.path.relpath(full, REPO)] = open(full, encoding="utf-8").read()
        count = int(os.environ.get("MUTATE_COUNT", "160"))
        mutants = choose(sources, count, seed)
        origin = f"{len(mutants)} mutants (MUTATE_COUNT={count}, MUTATE_SEED={seed})"
        if os.environ.get("MUTATE_FILES"):
            mutants = [m for m in mutants if re.search(os.environ["MUTATE_FILES"], m["file"])]
            origin = f"the {len(mutants)} in files matching '{os.environ['MUTATE_FILES']}' of " + origin
        if os.environ.get("MUTATE_SAMPLE"):
            mutants = sample(mutants, int(os.environ["MUTATE_SAMPLE"]), seed)
            origin = f"a sample of {len(mutants)} of " + origin
    fields = ("id", "key", "file", "line", "op", "original", "mutated")
    with open(os.path.join(OUT, "mutants.jsonl"), "w") as f:
        for m in mutants:
            f.write(json.dumps({k: m[k] for k in fields}) + "\n")
    if "--list" in sys.argv:
        for m in mutants:
            print(f"{m['id']} {m['key']} {m['file']}:{m['line']} {m['op']}\n  - {m['original'].strip()}\n  + {m['mutated'].strip()}")
        return
    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, stop)
    commit = subprocess.run(["git", "-C", REPO, "rev-parse", "--short", "HEAD"], capture_output=True, text=True).stdout.strip()
    header = f"Mutation run of {origin} on commit {commit}, {time.strftime('%Y-%m-%d %H:%M')}"
    print(header, flush=True)
    digest = sync_tree()
    results, began = [], time.time()
    try:
        with open(os.path.join(OUT, "results.jsonl"), "w") as out:
            for r in execute(mutants, digest):
                results.append(r)
                out.write(json.dumps(r) + "\n")
                out.flush()
                print(f"[{len(results)}/{len(mutants)}] {r['id']} {r['file']}:{r['line']} {r['op']}: "
                      f"{r['status']} {r['detail']} ({r['seconds']} s)", flush=True)
    except (KeyboardInterrupt, Stop):
        header += f" -- interrupted after {len(results)} mutants"
        print("\ninterrupted; the sources are restored", file=sys.stderr)
    minutes = (time.time() - began) / 60
    report(results, seed, "\n".join([header + f"; {minutes:.0f} min in all"] + ["Replays " + n for n in NOTES]))


if __name__ == "__main__":
    main()
