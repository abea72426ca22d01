#!/usr/bin/env python3
"""Writes a deterministic C source tree for a quick analysis benchmark.

Every file is Shift-JIS (CP932) with Japanese comments, function headers, functions, structs,
tables, #define macros, #if blocks and prototypes. The same seed and sizes always give the same
bytes.

usage: gen_corpus.py OUT_DIR [--files N] [--dirs D] [--seed S] [--functions F]
"""
import argparse
import os
import random

WORDS = ["init", "read", "write", "open", "close", "parse", "check", "update", "draw", "send",
         "recv", "alloc", "free", "copy", "find", "sort", "load", "save", "reset", "scan"]
NOUNS = ["buffer", "table", "node", "entry", "packet", "frame", "config", "cache", "queue",
         "state", "record", "page", "token", "device", "timer", "stream", "block", "field"]
JAPANESE = ["初期化処理", "データ読み込み", "バッファ書き込み", "設定値の確認", "テーブル更新",
            "描画処理", "送信処理", "受信処理", "メモリ確保", "解放処理", "検索処理", "整列処理",
            "保存処理", "状態リセット", "走査処理", "表示用の文字列"]
TYPES = ["int", "long", "char", "unsigned int", "short", "double", "void *"]


def ident(rng, prefix=""):
    return prefix + rng.choice(WORDS) + "_" + rng.choice(NOUNS) + "_" + str(rng.randrange(100000))


def function(rng, name, lines):
    jp = rng.choice(JAPANESE)
    out = [
        "/*" + "*" * 60,
        " * 関数名：" + name,
        " * 機能名：" + jp,
        " " + "*" * 60 + "*/",
        "static int " + name + "(int count, const char *text)",
        "{",
        "\tint i;",
        "\tint total = 0;  /* 合計 */",
    ]
    for k in range(lines):
        kind = rng.randrange(6)
        if kind == 0:
            out.append("\tfor (i = 0; i < count; i++) {")
            out.append("\t\ttotal += text[i];  // 加算")
            out.append("\t}")
        elif kind == 1:
            out.append("\tif (total > %d) {" % rng.randrange(1000))
            out.append("\t\ttotal = %d;" % rng.randrange(1000))
            out.append("\t}")
        elif kind == 2:
            out.append("#if 0")
            out.append("\ttotal = old_%d(total);" % k)
            out.append("#endif")
        elif kind == 3:
            out.append("#ifdef _DEBUG")
            out.append("\tprintf(\"%s %%d\\n\", total);" % jp)
            out.append("#endif")
        elif kind == 4:
            out.append("\ttotal ^= 0x%04x;  /* %s */" % (rng.randrange(65536), rng.choice(JAPANESE)))
        else:
            out.append("\t/* " + rng.choice(JAPANESE))
            out.append("\t   " + rng.choice(JAPANESE) + " */")
    out.append("\treturn total;")
    out.append("}")
    return out


def header(rng, guard, structs, defines, protos):
    out = ["#ifndef " + guard, "#define " + guard, ""]
    for _ in range(defines):
        out.append("#define %s %d  /* %s */" % (ident(rng, "K_").upper(), rng.randrange(10000),
                                              rng.choice(JAPANESE)))
    out.append("#define MAKE_%d(a, b) ((a) + (b))" % rng.randrange(100000))
    out.append("")
    for _ in range(structs):
        tag = ident(rng, "tag")
        out.append("typedef struct %s {" % tag)
        for m in range(rng.randrange(2, 6)):
            out.append("\t%s m%d;  // %s" % (rng.choice(TYPES), m, rng.choice(JAPANESE)))
        out.append("} %s;" % tag[3:].upper())
        out.append("")
    out.extend(protos)
    out.append("")
    out.append("#endif")
    return out


def source(rng, hname, functions):
    out = ['#include "%s"' % hname, "#include <stdio.h>", ""]
    for t in range(rng.randrange(1, 4)):
        name = ident(rng, "tbl_")
        rows = rng.randrange(2, 6)
        if t % 2:
            out.append("static const char %s[%d][4] = {" % (name, rows))
        else:
            out.append("static const int %s[%d] =" % (name, rows))
            out.append("{")
        out.append("\t" + ", ".join(str(rng.randrange(100)) for _ in range(rows)))
        out.append("};")
        out.append("")
    protos = []
    for _ in range(functions):
        name = ident(rng)
        protos.append("int %s(int count, const char *text);  // %s" % (name, rng.choice(JAPANESE)))
        out.extend(function(rng, name, rng.randrange(3, 25)))
        out.append("")
    return out, protos


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--files", type=int, default=400)
    ap.add_argument("--dirs", type=int, default=20)
    ap.add_argument("--functions", type=int, default=12)
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()
    rng = random.Random(args.seed)
    for n in range(args.files):
        d = os.path.join(args.out, "dir%03d" % (n % max(args.dirs, 1)))
        os.makedirs(d, exist_ok=True)
        base = "mod%05d" % n
        body, protos = source(rng, base + ".h", rng.randrange(1, args.functions * 2))
        head = header(rng, base.upper() + "_H", rng.randrange(1, 5), rng.randrange(2, 12), protos)
        for name, lines in ((base + ".c", body), (base + ".h", head)):
            with open(os.path.join(d, name), "wb") as f:
                f.write(("\r\n".join(lines) + "\r\n").encode("cp932"))


if __name__ == "__main__":
    main()
