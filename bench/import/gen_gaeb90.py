#!/usr/bin/env python3
"""Writes a synthetic GAEB 90 file of about SIZE megabytes for the import benchmarks.

    bench/import/gen_gaeb90.py SIZE_MB OUT [--header-lines N] [--long-lines N]

Groups ("11" + "12"), positions ("21"), prices ("22"/"23"), short texts ("25") and long texts
("26") in 80-column records with line numbers, in the OEM code page, CR LF line ends.
"""
import argparse
import random

WORDS = ("Beton Mauerwerk Schalung Bewehrung liefern einbauen verdichten herstellen "
         "Oberfläche glätten Fugen abdichten Dämmung Außenwand Innenwand Stahl Träger "
         "Baugrube Aushub Verfüllung Kies Sand Estrich Fliesen Türöffnung Öffnung "
         "gemäß DIN 18331 nach Angabe der Bauleitung einschließlich Nebenarbeiten").split()


def words(rnd, length):
    """Random words from WORDS, cut to at most length characters."""
    chosen, total = [], 0
    while total < length:
        w = rnd.choice(WORDS)
        chosen.append(w)
        total += len(w) + 1
    return " ".join(chosen)[:length]


def record(kind, data, number):
    return (kind + data)[:73].ljust(74) + "%06d" % (number % 1000000)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("size_mb", type=float)
    p.add_argument("out")
    p.add_argument("--header-lines", type=int, default=20)
    p.add_argument("--long-lines", type=int, default=5)
    args = p.parse_args()
    rnd = random.Random(90)
    target = int(args.size_mb * 1024 * 1024)
    n = 0
    size = 0
    lines = []

    def add(kind, data):
        nonlocal n, size
        n += 1
        line = record(kind, data, n)
        lines.append(line)
        size += len(line) + 2

    def text(length):
        return words(rnd, length)

    with open(args.out, "wb") as f:
        add("00", "LV Benchmark".ljust(29) + "1122PPPPI")
        for i in range(args.header_lines):
            add("01" if i < 2 else "T1", text(60))
        group = 0
        while size < target:
            group += 1
            l1, l2 = group // 100 % 100, group % 100
            add("11", "%02d%02d N %s" % (l1, l2, text(40)))
            add("12", text(60))
            for pos in range(1, 9):
                oz = "%02d%02d%04d" % (l1, l2, pos * 10)
                add("21", oz + " " + " " * 12 + "%08d" % rnd.randint(1, 99999) + "%03d" % rnd.randint(0, 999)
                    + rnd.choice(("m2  ", "m3  ", "St  ", "psch", "lfm ")))
                add("22" if pos % 2 else "23", oz + " " + "%012d" % rnd.randint(1, 10**9) + " " + "%012d" % rnd.randint(1, 10**9))
                add("25", text(60))
                for _ in range(args.long_lines):
                    add("26", text(70))
            if len(lines) > 100000:
                f.write(("\r\n".join(lines) + "\r\n").encode("cp850"))
                lines.clear()
        f.write(("\r\n".join(lines) + "\r\n").encode("cp850") if lines else b"")
    print("%s: %d records, %d bytes" % (args.out, n, size))


if __name__ == "__main__":
    main()
