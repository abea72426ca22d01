#!/usr/bin/env python3
"""The language server on a whole tree (default the Linux 6.1 kernel), with a scripted client and a
fixed, seeded request set, against `kelvora-cli analyse` alone in the same run.

usage: bench/lsp_kernel.py [--cli build/release/kelvora-cli] [--root /work/linux-source-6.1]
                           [--runs 3] [--seed 1] [--hot kmalloc]

Prints, per run and as the median of the runs: analyse alone (wall, peak resident memory), ready
(initialize answered and a first workspace/symbol answered), the first call hierarchy (prepare +
incoming calls), definition / hover / workspace/symbol p50 and p99, incoming calls of the hot
function, references of it, a saved file analysed again and visible, and the server's resident
memory against the analysis peak. The kernel tree is only read: the saved file lies in a second,
small workspace folder of its own."""
import argparse
import os
import random
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "lsp"))
from lsp_client import Client  # noqa: E402

IDENT = re.compile(rb"[A-Za-z_][A-Za-z0-9_]{2,}")


def uri(path):
    return "file://" + urllib.parse.quote(os.fsencode(path), safe="/")


def p(values, q):
    values = sorted(values)
    return values[min(len(values) - 1, int(round(q * (len(values) - 1))))]


def rss_kb(pid, key):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    return 0


def pick_requests(root, seed, count):
    """Seeded cursor places on identifiers of random source lines, and symbol queries."""
    rng = random.Random(seed)
    files = []
    for d, _, names in os.walk(root):
        files.extend(os.path.join(d, n) for n in names if n.endswith((".c", ".h")))
    files.sort()
    places, queries = [], []
    while len(places) < count:
        path = rng.choice(files)
        with open(path, "rb") as f:
            lines = f.read().split(b"\n")
        line_no = rng.randrange(len(lines))
        words = list(IDENT.finditer(lines[line_no]))
        if not words:
            continue
        w = rng.choice(words)
        prefix = lines[line_no][:w.start()].decode("utf-8", "replace")
        col = len(prefix.encode("utf-16-le")) // 2
        places.append((path, line_no, col))
        word = w.group().decode()
        start = rng.randrange(max(1, len(word) - 3))
        queries.append(word[start:start + rng.randint(3, 8)])
    return places, queries


def timed(fn):
    t = time.perf_counter()
    result = fn()
    return (time.perf_counter() - t) * 1000, result


def analyse_alone(cli, roots, env, settings):
    t = time.perf_counter()
    before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    subprocess.run([cli, "analyse", "--settings", settings, *roots], env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    wall = time.perf_counter() - t
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    return wall, peak if peak > before else before


def prepare_at_a_call(c, root, name):
    call = re.compile(rb"\b%s\s*\(" % name.encode())
    for d, dirs, names in sorted(os.walk(root)):
        dirs.sort()
        for n in sorted(names):
            if not n.endswith(".c"):
                continue
            path = os.path.join(d, n)
            with open(path, "rb") as f:
                lines = f.read().split(b"\n")
            for i, text in enumerate(lines):
                m = call.search(text)
                if m and not text.lstrip().startswith((b"*", b"/")):
                    col = len(text[:m.start()].decode("utf-8", "replace").encode("utf-16-le")) // 2
                    items = c.request("textDocument/prepareCallHierarchy", {
                        "textDocument": {"uri": uri(path)},
                        "position": {"line": i, "character": col}}, timeout=3600)
                    if items:
                        return items[0]
    return None


def one_run(args, env, settings, places, queries, extra):
    r = {}
    # The same two folders the server is given: the tree, and the small one the save goes to.
    r["analyse_s"], r["analyse_peak_kb"] = analyse_alone(args.cli, [args.root, extra], env,
                                                         settings)

    c = Client(args.cli, env, ["--settings", settings])
    t0 = time.perf_counter()
    c.request("initialize", {"processId": os.getpid(), "capabilities": {},
                             "workspaceFolders": [{"uri": uri(args.root), "name": "root"},
                                                  {"uri": uri(extra), "name": "extra"}]})
    c.notify("initialized")
    first = c.request("workspace/symbol", {"query": args.hot}, timeout=3600)
    r["ready_s"] = time.perf_counter() - t0
    # The server's own analysis time (its completion message), to tell it from what follows.
    for m in c.notes:
        found = re.search(r" rows in ([0-9.]+) s", m.get("params", {}).get("message", ""))
        if found:
            r["server_analysis_s"] = float(found.group(1))
    # The first call hierarchy: prepared on the hot function, its callers answered.
    item = None
    for s in first:
        if s["name"] == args.hot:
            loc = s["location"]
            line = loc["range"]["start"]["line"]
            with open(urllib.parse.unquote_to_bytes(loc["uri"][7:]), "rb") as f:
                text = f.read().split(b"\n")[line]
            col = len(text[:re.search(rb"\b%s\b" % args.hot.encode(), text).start()].decode(
                "utf-8", "replace").encode("utf-16-le")) // 2
            items = c.request("textDocument/prepareCallHierarchy", {
                "textDocument": {"uri": loc["uri"]},
                "position": {"line": line, "character": col}}, timeout=3600)
            item = items[0] if items else None
            break
    if item is None:
        # Not registered (a head the lists miss): prepared at its first call in the tree, which
        # gives the definitions the function tree's walk finds.
        item = prepare_at_a_call(c, args.root, args.hot)
    if item:
        incoming = c.request("callHierarchy/incomingCalls", {"item": item}, timeout=3600)
    r["first_hierarchy_s"] = time.perf_counter() - t0
    r["hot_registered"] = item is not None
    if item:
        r["incoming_ms"], incoming = timed(lambda: c.request("callHierarchy/incomingCalls", {"item": item}))
        r["incoming_callers"] = len(incoming)
        r["outgoing_ms"], _ = timed(lambda: c.request("callHierarchy/outgoingCalls", {"item": item}))
    defs, hovers, syms = [], [], []
    for path, line, col in places:
        params = {"textDocument": {"uri": uri(path)}, "position": {"line": line, "character": col}}
        defs.append(timed(lambda: c.request("textDocument/definition", params))[0])
        hovers.append(timed(lambda: c.request("textDocument/hover", params))[0])
    slow = []
    for q in queries:
        ms, got = timed(lambda: c.request("workspace/symbol", {"query": q}))
        syms.append(ms)
        slow.append((ms, q, len(got or [])))
    r["slowest_symbols"] = sorted(slow, reverse=True)[:3]
    for name, values in [("definition", defs), ("hover", hovers), ("symbol", syms)]:
        r[name + "_p50_ms"], r[name + "_p99_ms"] = p(values, 0.5), p(values, 0.99)
    if item:
        loc = item["uri"], item["selectionRange"]["start"]
        r["references_ms"], refs = timed(lambda: c.request("textDocument/references", {
            "textDocument": {"uri": loc[0]}, "position": loc[1],
            "context": {"includeDeclaration": False}}, timeout=3600))
        r["references"] = len(refs or [])
    # Save: a new function in the small folder, then asked for by name.
    saved = os.path.join(extra, "saved.c")
    with open(saved, "w") as f:
        f.write("int bench_saved_%d(void)\n{\n\treturn kfree(0);\n}\n" % time.time_ns())
    name = open(saved).read().split("(")[0][4:]
    t = time.perf_counter()
    c.notify("textDocument/didSave", {"textDocument": {"uri": uri(saved)}})
    got = c.request("workspace/symbol", {"query": name})
    r["save_visible_ms"] = (time.perf_counter() - t) * 1000
    r["save_found"] = len(got) == 1
    c.request("textDocument/hover", {"textDocument": {"uri": uri(saved)}, "position": {"line": 0, "character": 5}})
    # Memory after every request.
    r["server_rss_kb"] = rss_kb(c.proc.pid, "VmRSS")
    r["server_peak_kb"] = rss_kb(c.proc.pid, "VmHWM")
    c.close()
    time.sleep(0.5)  # the client reads standard error to its end
    found = re.search(rb"lookup indexes built in ([0-9.]+) s; call index ([0-9]+) MB", c.stderr)
    if found:
        r["server_indexes_s"], r["call_index_mb"] = float(found.group(1)), int(found.group(2))
    return r


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", default=os.path.join(HERE, "..", "build", "release", "kelvora-cli"))
    ap.add_argument("--root", default="/work/linux-source-6.1")
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--requests", type=int, default=200)
    ap.add_argument("--hot", default="kmalloc")
    ap.add_argument("--settings", help="a settings file (default: CharChange=2, FuncHeadWords=1)")
    args = ap.parse_args()
    tmp = tempfile.mkdtemp(prefix="kelvora-lsp-bench-")
    try:
        home = os.path.join(tmp, "home")
        extra = os.path.join(tmp, "extra")
        os.makedirs(home)
        os.makedirs(extra)
        with open(os.path.join(extra, "extra.c"), "w") as f:
            f.write("int bench_extra(void)\n{\n\treturn 0;\n}\n")
        settings = args.settings or os.path.join(tmp, "Kelvora.ini")
        if not args.settings:
            with open(settings, "w") as f:
                # FuncHeadWords=1 registers kernel heads such as kmalloc.
                f.write("[Analysis]\nCharChange=2\nFuncHeadWords=1\n")
        env = dict(os.environ, KELVORA_HOME=home)
        places, queries = pick_requests(args.root, args.seed, args.requests)
        runs = []
        for i in range(args.runs):
            r = one_run(args, env, settings, places, queries, extra)
            runs.append(r)
            print("run %d: %s" % (i + 1, r), flush=True)
        med = {k: statistics.median(r[k] for r in runs) for k in runs[0]
               if isinstance(runs[0][k], (int, float)) and not isinstance(runs[0][k], bool)}
        print("\nmedian of %d run(s), root %s, hot function %s (registered: %s)" %
              (len(runs), args.root, args.hot, runs[0]["hot_registered"]))
        a = med["analyse_s"]
        print("analyse alone            %8.2f s   peak %d MB" % (a, med["analyse_peak_kb"] // 1024))
        if "server_analysis_s" in med:
            print("server's own analysis    %8.2f s   then its lookup indexes %.2f s" % (
                med["server_analysis_s"], med.get("server_indexes_s", 0)))
        print("ready (init + symbol)    %8.2f s   %.2fx analyse (target <= 1.2x)" % (med["ready_s"], med["ready_s"] / a))
        print("first call hierarchy     %8.2f s   %.2fx analyse (target <= 1.5x)" % (
            med["first_hierarchy_s"], med["first_hierarchy_s"] / a))
        for n in ["definition", "hover", "symbol"]:
            print("%-24s p50 %6.1f ms  p99 %6.1f ms" % (n, med[n + "_p50_ms"], med[n + "_p99_ms"]))
        if "incoming_ms" in med:
            print("incoming calls of %-7s %8.1f ms  (%d callers)" % (args.hot, med["incoming_ms"], med["incoming_callers"]))
            print("outgoing calls           %8.1f ms" % med["outgoing_ms"])
            print("references               %8.1f ms  (%d places)" % (med["references_ms"], med["references"]))
        print("save -> visible          %8.1f ms" % med["save_visible_ms"])
        print("server resident          %8d MB   %.2fx analysis peak (target <= 1.3x); server peak %d MB" % (
            med["server_rss_kb"] // 1024, med["server_rss_kb"] / med["analyse_peak_kb"], med["server_peak_kb"] // 1024))
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
