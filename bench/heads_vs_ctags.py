#!/usr/bin/env python3
"""Compares registered functions with ctags function definitions on (file, line, name).

heads_vs_ctags.py DUMP TAGS FALSE_LINES FILES [KEEP]: DUMP is "kelvora-cli analyse --dump" output,
TAGS a ctags file with line: fields, FALSE_LINES "path<TAB>a-b,..." lines whose reference
definitions are left out, FILES the analysed files (others are left out of the reference). KEEP: a folder that receives
the whole lists, missed.txt and extra.txt.
"""
import collections
import re
import sys


def bare(name):
    name = name.lstrip('*~')
    return name.rsplit(':', 1)[-1]


def main():
    dump, tags, false_lines, files = sys.argv[1:5]
    analysed = set(open(files, encoding='utf-8', errors='replace').read().split('\n'))
    ours = set()
    for line in open(dump, encoding='utf-8', errors='replace'):
        f = line.rstrip('\n').split('\t')
        if len(f) < 4 or f[0] != '1' or f[3] == '#define':
            continue
        m = re.match(r'(.*)\((\d+)\)$', f[2])
        if m:
            ours.add((m.group(1), int(m.group(2)), bare(f[1])))
    false = {}
    for line in open(false_lines, encoding='utf-8', errors='replace'):
        path, _, ranges = line.rstrip('\n').partition('\t')
        false[path] = [tuple(map(int, r.split('-'))) for r in ranges.split(',') if r]
    ref = set()
    left_out = 0
    for line in open(tags, encoding='utf-8', errors='replace'):
        if line.startswith('!'):
            continue
        f = line.rstrip('\n').split('\t')
        m = re.search(r'\tline:(\d+)', line)
        if len(f) < 2 or not m or f[1] not in analysed:
            continue
        n = int(m.group(1))
        if any(a <= n <= b for a, b in false.get(f[1], ())):
            left_out += 1
            continue
        ref.add((f[1], n, f[0]))
    both = ours & ref
    recall = len(both) / len(ref) if ref else 1.0
    precision = len(both) / len(ours) if ours else 1.0
    print(f'registered functions {len(ours)}, ctags definitions {len(ref)} '
          f'(left out in false branches: {left_out}), on both {len(both)}')
    print(f'recall {recall * 100:.2f} %  precision {precision * 100:.2f} %')
    missed = sorted(ref - ours)
    extra = sorted(ours - ref)
    words = collections.Counter(re.sub(r'\d+$', '#', n) for _, _, n in missed)
    print('most frequent names ctags finds and we do not:', words.most_common(12))
    for title, items in (('missed', missed), ('extra', extra)):
        print(f'{title}: {len(items)}')
        if len(sys.argv) > 5:
            with open(f'{sys.argv[5]}/{title}.txt', 'w', encoding='utf-8') as out:
                out.writelines(f'{f}({n}) {name}\n' for f, n, name in items)
        step = max(1, len(items) // 15)
        for item in items[::step][:15]:
            print(f'  {item[0]}({item[1]}) {item[2]}')


if __name__ == '__main__':
    main()
