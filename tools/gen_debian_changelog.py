#!/usr/bin/env python3
"""Writes the Debian changelog of the package from CHANGELOG.md.

usage: gen_debian_changelog.py CHANGELOG.md VERSION MAINTAINER OUT.gz

The entry is the release VERSION of CHANGELOG.md (its "## [VERSION] - DATE"
section): each item becomes a "*" line, the date the entry's date. The file
is compressed as `gzip -9n` does, without a name or time, so the package is
the same however often it is built.
"""
import datetime
import gzip
import re
import sys
import textwrap


def release_items(markdown, version):
    """The release's date and its items, each joined into one line."""
    heading = re.compile(r'^## \[' + re.escape(version) + r'\] - (\d{4}-\d{2}-\d{2})\s*$')
    date, items, inside = None, [], False
    for line in markdown.splitlines():
        match = heading.match(line)
        if match:
            date, inside = match.group(1), True
            continue
        if not inside:
            continue
        if line.startswith('## '):
            break
        if line.startswith('- '):
            items.append(line[2:].strip())
        elif line.startswith('  ') and items:
            items[-1] += ' ' + line.strip()
    if date is None:
        sys.exit(f'gen_debian_changelog: CHANGELOG.md has no release {version}')
    if not items:
        sys.exit(f'gen_debian_changelog: release {version} of CHANGELOG.md lists nothing')
    return date, items


def debian_entry(package, version, maintainer, date, items):
    lines = [f'{package} ({version}) unstable; urgency=medium', '']
    for item in items:
        lines += textwrap.wrap(item.replace('`', ''), width=76,
                               initial_indent='  * ', subsequent_indent='    ')
    when = datetime.datetime.strptime(date, '%Y-%m-%d').replace(tzinfo=datetime.timezone.utc)
    lines += ['', f' -- {maintainer}  {when.strftime("%a, %d %b %Y %H:%M:%S +0000")}', '']
    return '\n'.join(lines)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    source, version, maintainer, out = sys.argv[1:]
    with open(source, encoding='utf-8') as f:
        date, items = release_items(f.read(), version)
    text = debian_entry('quobrix', version, maintainer, date, items)
    with open(out, 'wb') as raw, gzip.GzipFile(filename='', mode='wb', compresslevel=9,
                                              fileobj=raw, mtime=0) as f:
        f.write(text.encode('utf-8'))


if __name__ == '__main__':
    main()
