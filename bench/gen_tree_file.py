#!/usr/bin/env python3
"""Writes a synthetic function tree file of the size of a whole Linux kernel.

The file has the layout the function-tree writer gives (CP932, CR LF, "//Data1:" line, entries
with their callee lines, end marker). Sizes follow the kernel: about 480 000 functions that call
something, about six distinct callees each, callees drawn with a long tail (a few helpers are
called from everywhere), about a fifth of the calls to names that are not registered (macros,
builtins), some static functions with the same name in several files, self calls with the
recursion mark, and a start_kernel entry with 120 callees. The same seed gives the same bytes.

usage: gen_tree_file.py OUT_FILE [--entries N] [--seed S]
"""
import argparse
import random

DIRS = ["drivers/net/ethernet/intel/ice", "drivers/gpu/drm/amd/amdgpu", "fs/ext4", "mm",
        "kernel/sched", "net/ipv4", "drivers/usb/core", "sound/soc/codecs", "arch/x86/kernel",
        "drivers/scsi", "fs/btrfs", "drivers/media/platform", "net/core", "block", "lib"]
PARTS = ["init", "read", "write", "alloc", "free", "get", "put", "lock", "unlock", "probe",
         "remove", "setup", "update", "check", "handle", "process", "queue", "irq", "dma",
         "reg", "buf", "dev", "page", "skb", "inode", "work", "timer", "state", "ops", "cfg"]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--entries", type=int, default=480000)
    ap.add_argument("--seed", type=int, default=61)
    a = ap.parse_args()
    rng = random.Random(a.seed)

    names = []
    seen = set()
    while len(names) < a.entries:
        n = "_".join(rng.choice(PARTS) for _ in range(rng.randint(2, 4))) + "_" + str(rng.randrange(100000))
        if n not in seen:
            seen.add(n)
            names.append(n)
    names[0] = "start_kernel"
    unregistered = ["BUG_ON", "WARN_ON", "likely", "unlikely", "sizeof_field", "READ_ONCE",
                    "WRITE_ONCE", "container_of", "min_t", "max_t"] + \
                   ["macro_%d" % i for i in range(5000)]
    info = {}
    for i, n in enumerate(names):
        d = DIRS[i % len(DIRS)]
        real = rng.randint(3, 120)
        info[n] = "%d,%d,0,/work/linux-6.1/%s/%s.c(%d)" % (real, real + rng.randint(2, 40), d,
                                                           n.split("_")[0] + str(i % 97), rng.randint(1, 9000))

    def pick_callee():
        r = rng.random()
        if r < 0.2:
            return rng.choice(unregistered[:10]) if rng.random() < 0.5 else rng.choice(unregistered)
        # long tail: low indexes are popular helpers
        return names[min(int(rng.paretovariate(0.6)) - 1 + rng.randrange(3), len(names) - 1)] \
            if rng.random() < 0.5 else rng.choice(names)

    out = ["//Data1:CONFIG_SMP;CONFIG_NET"]
    order = list(range(len(names)))
    rng.shuffle(order)
    order.remove(0)
    order.insert(len(order) // 3, 0)
    dup = 0
    for idx in order:
        n = names[idx]
        count = 120 if n == "start_kernel" else max(1, int(rng.expovariate(1 / 6)))
        callees = []
        while len(callees) < count:
            c = pick_callee()
            if c not in callees and c != n:
                callees.append(c)
        out.append("")
        out.append("%s,%s" % (n, info[n]))
        if rng.random() < 0.01:
            callees.insert(rng.randrange(len(callees) + 1), n)
        for c in callees:
            mark = "  ※再起処理" if c == n else ""
            out.append("・ %s%s,%s" % (c, mark, info.get(c, "")))
        if rng.random() < 0.05 and dup < a.entries // 20:  # a static twin in another file
            dup += 1
            out.append("")
            out.append("%s,%s" % (n, info[n].replace("/work/linux-6.1/", "/work/linux-6.1/staging/")))
            out.append("・ %s,%s" % (names[1], info[names[1]]))
    out.append("")
    out.append("// ---------- [End Of File] ---------- //")
    with open(a.out, "wb") as f:
        f.write(("\r\n".join(out) + "\r\n").encode("cp932"))


if __name__ == "__main__":
    main()
