#!/usr/bin/env python3
"""Checks the links of a written HTML site (Shift-JIS pages) in one folder.

Every <a href> and <frame src> that names a page of the site must reach an existing page, and
its fragment an anchor of that page (an <a> with that id or name). An anchor text that more than
one <a> of a page carries is a repeated anchor. Prints the counts and up to --show examples of
each fault; the exit status is 1 when any count is not zero (with --expect-clean) and 0 otherwise.
"""
import argparse
import collections
import html.parser
import os
import sys
import urllib.parse


class PageParser(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.anchors = collections.Counter()
        self.links = []

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == 'a':
            names = {v for k, v in attrs if k in ('id', 'name') and v is not None}
            for n in names:
                self.anchors[n] += 1
            if a.get('href') is not None:
                self.links.append(a['href'])
        elif tag == 'frame' and a.get('src') is not None:
            self.links.append(a['src'])


def read_page(path):
    with open(path, 'rb') as f:
        data = f.read()
    parser = PageParser()
    parser.feed(data.decode('cp932', errors='replace'))
    parser.close()
    return parser


def check(folder, show):
    pages = {}
    for name in os.listdir(folder):
        if name.endswith('.html'):
            pages[name] = read_page(os.path.join(folder, name))
    missing_pages = collections.Counter()
    missing_anchors = collections.Counter()
    to_repeated = collections.Counter()
    links = 0
    for name, page in sorted(pages.items()):
        for href in page.links:
            if '://' in href or href.startswith('mailto:'):
                continue
            target, _, fragment = href.partition('#')
            # Hrefs are percent-encoded bytes of the UTF-8 file name.
            target = urllib.parse.unquote(target, encoding='utf-8', errors='surrogateescape')
            links += 1
            target_name = target if target else name
            if target_name not in pages:
                if not os.path.exists(os.path.join(folder, target_name)):
                    missing_pages[(name, href)] += 1
                continue
            if not fragment:
                continue
            fragment = urllib.parse.unquote(fragment)
            count = pages[target_name].anchors.get(fragment, 0)
            if count == 0:
                missing_anchors[(name, href)] += 1
            elif count > 1:
                to_repeated[(name, href)] += 1
    repeated = [(name, a) for name, page in sorted(pages.items())
                for a, n in sorted(page.anchors.items()) if n > 1]
    print(f'pages {len(pages)} links {links}')
    print(f'missing pages {sum(missing_pages.values())}')
    print(f'missing anchors {sum(missing_anchors.values())}')
    print(f'repeated anchors {len(repeated)}')
    print(f'links to repeated anchors {sum(to_repeated.values())}')
    for title, items in (('missing page', list(missing_pages)),
                         ('missing anchor', list(missing_anchors)),
                         ('repeated anchor', repeated),
                         ('link to repeated anchor', list(to_repeated))):
        for page, what in items[:show]:
            print(f'  {title}: {page}: {what}')
    return sum(missing_pages.values()) + sum(missing_anchors.values()) + len(repeated) + \
        sum(to_repeated.values())


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument('folder')
    ap.add_argument('--show', type=int, default=10)
    ap.add_argument('--expect-clean', action='store_true')
    args = ap.parse_args()
    faults = check(args.folder, args.show)
    return 1 if faults and args.expect_clean else 0


if __name__ == '__main__':
    sys.exit(main())
