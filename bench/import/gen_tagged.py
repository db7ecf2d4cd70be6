#!/usr/bin/env python3
"""Writes a synthetic tagged GAEB text file of about SIZE megabytes for the import benchmarks.

    bench/import/gen_tagged.py SIZE_MB OUT [--rtf] [--long-lines N]

First line "#begin[GAEB]", a project block and a preliminary description, then groups
(#begin[LVBereich] with number and title) holding positions (#begin[Position] with [OZ],
[Menge], [ME], [EP], [Kurztext]...[end] and a #begin[Beschreibung] long text). Plain long
texts by default; with --rtf every long text is a small RTF document with \\'hh escapes,
\\u characters, bold runs and paragraphs. ANSI (Windows-1252), CR LF line ends.
"""
import argparse
import random

from gen_gaeb90 import words

UNITS = ("m2", "m3", "St", "psch", "lfm", "kg")


def rtf_escape(text):
    out = []
    for ch in text:
        code = ord(ch)
        if ch in "\\{}":
            out.append("\\" + ch)
        elif code < 0x80:
            out.append(ch)
        else:
            out.append("\\'%02x" % ch.encode("cp1252")[0])
    return "".join(out)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("size_mb", type=float)
    p.add_argument("out")
    p.add_argument("--rtf", action="store_true")
    p.add_argument("--long-lines", type=int, default=5)
    args = p.parse_args()
    rnd = random.Random(24)
    target = int(args.size_mb * 1024 * 1024)
    lines = []
    size = 0

    def add(line):
        nonlocal size
        lines.append(line)
        size += len(line) + 2

    def text(length):
        return words(rnd, length).strip()

    def long_text():
        if not args.rtf:
            for _ in range(args.long_lines):
                add("  " + text(70))
            return
        add("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}")
        add("\\pard\\plain\\f0\\fs20 ")
        for i in range(args.long_lines):
            t = rtf_escape(text(60))
            if i % 3 == 1:
                t = "{\\b " + t + "} \\u8364?"
            elif i % 3 == 2:
                t = "\\f1 " + t + "\\f0 \\endash"
            add(t + "\\par")
        add("}")

    with open(args.out, "wb") as f:
        def flush():
            f.write(("\r\n".join(lines) + "\r\n").encode("cp1252"))
            lines.clear()

        add("#begin[GAEB]")
        add("#begin[PrjInfo]")
        add("  [Bez]Benchmark " + text(30) + "[end]")
        add("#end[PrjInfo]")
        add("#begin[Beschreibung]")
        for _ in range(20):
            add("  " + text(70))
        add("#end[Beschreibung]")
        group = 0
        while size < target:
            group += 1
            l1, l2 = group // 100 % 100, group % 100
            add(" #begin[LVBereich]")
            add("  [OZ]%02d%02d[end]" % (l1, l2))
            add("  [Bezeichnung]" + text(40) + "[end]")
            for pos in range(1, 9):
                add(" #begin[Position]")
                add("  [OZ]%02d%02d%04d[end]" % (l1, l2, pos * 10))
                add("  [Menge]%d,%03d[end]" % (rnd.randint(1, 9999), rnd.randint(0, 999)))
                add("  [ME]%s[end]" % rnd.choice(UNITS))
                add("  [EP]%d,%02d[end]" % (rnd.randint(1, 9999), rnd.randint(0, 99)))
                add("  [Kurztext]" + text(40))
                add("  " + text(30) + "[end]")
                add("  #begin[Beschreibung]")
                long_text()
                add("  #end[Beschreibung]")
                add(" #end[Position]")
            add(" #end[LVBereich]")
            if len(lines) > 100000:
                flush()
        if lines:
            flush()
    print("%s: %d bytes" % (args.out, size))


if __name__ == "__main__":
    main()
