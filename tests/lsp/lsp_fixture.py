"""The fixture tree of the language-server tests: Shift-JIS, EUC-JP and UTF-8 files with Japanese
comments before identifiers, and file names with blanks, "%", "#" and Japanese."""
import os

# (relative path, encoding, text)
FILES = [
    ("main.c", "cp932",
     '#include "shared.h"\n'
     '#include "sub/util.h"\n'
     '\n'
     '/* 関数名：計算する */\n'
     'int keisan(int a, int b)\n'
     '{\n'
     '\t/* 足す */ int x = tasu(a, b); int y = tasu(x, 1);\n'
     '\t/* tasu(9, 9) はコメント */\n'
     '\tconst char *s = "tasu(1,2)";\n'
     '\treturn hiku(x, y);\n'
     '}\n'
     '\n'
     '#if 0\n'
     'int dead(void)\n'
     '{\n'
     '\treturn tasu(0, 0);\n'
     '}\n'
     '#endif\n'
     '\n'
     'int saiki(int n)\n'
     '{\n'
     '\t/* 再帰 */ return n ? saiki(n - 1) : 0;\n'
     '}\n'),
    ("calc.c", "euc_jp",
     '#include "shared.h"\n'
     '\n'
     '/* 関数名：二つの数を足す */\n'
     'int tasu(int a, int b)\n'
     '{\n'
     '\treturn a + b;\n'
     '}\n'
     '\n'
     '/* 関数名：引き算 */\n'
     'int hiku(int a, int b)\n'
     '{\n'
     '\t/* 符号 */ return tasu(a, -b);\n'
     '}\n'),
    ("shared.h", "utf-8",
     '#define LIMIT 10\n'
     '/* 共有の点 */\n'
     'typedef struct tag_point {\n'
     '\tint x;\n'
     '\tint y;\n'
     '} point_t;\n'
     'int tasu(int a, int b);\n'),
    ("sub/util.h", "utf-8",
     '/* 😀 絵文字 */ int emoji_func(void);\n'),
    ("sub/util.c", "utf-8",
     '#include "util.h"\n'
     'int emoji_func(void)\n'
     '{\n'
     '\t/* 😀 */ return tasu(LIMIT, 1);\n'
     '}\n'),
    ("sub dir/名前 %#.c", "cp932",
     '/* 名前の関数 */\n'
     'int named_func(void)\n'
     '{\n'
     '\t/* 呼ぶ */ return tasu(1, 2) + keisan(3, 4);\n'
     '}\n'),
]


def write_tree(root):
    for rel, encoding, text in FILES:
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(text.encode(encoding))


def text_of(rel):
    for r, _, text in FILES:
        if r == rel:
            return text
    raise KeyError(rel)


def utf16_column(line, char_index):
    """UTF-16 units before the character with index char_index."""
    return len(line[:char_index].encode("utf-16-le")) // 2
