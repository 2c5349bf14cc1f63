#!/usr/bin/env python3
"""How often the opening labels agree with the 戦型 headers of real record files.

Usage: opening_agreement.py TAVREL_CLI FOLDER
Reads every record file below FOLDER that carries a 戦型 header (tavrel-cli show), labels it
(tavrel-cli classify) and counts a label as agreeing when the header names the game's opening,
one side's strategy or one side's castle, or the other way round. Romanised CSA headers
(YAGURA, ...) are read as their Japanese names. A figure, not a test.
"""
import os
import subprocess
import sys

ROMAJI = {
    "YAGURA": "矢倉", "KAKUGAWARI": "角換わり", "AIGAKARI": "相掛かり", "YOKOFUDORI": "横歩取り",
    "GANGI": "雁木", "SHIKENBISHA": "四間飛車", "SANGENBISHA": "三間飛車",
    "NAKABISHA": "中飛車", "MUKAIBISHA": "向かい飛車", "AIFURIBISHA": "相振り飛車",
}
EXTENSIONS = (".kif", ".kifu", ".ki2", ".ki2u", ".csa", ".jkf")


def run(cli, *args):
    return subprocess.run([cli, *args], capture_output=True, text=True, errors="replace")


def main():
    cli, folder = sys.argv[1], sys.argv[2]
    total = agree = unlabelled = 0
    for root, _, names in os.walk(folder):
        for name in sorted(names):
            if not name.lower().endswith(EXTENSIONS):
                continue
            path = os.path.join(root, name)
            header = ""
            for line in run(cli, "show", path).stdout.splitlines():
                if line.startswith("戦型："):
                    header = line[len("戦型："):].strip()
            if not header:
                continue
            header = ROMAJI.get(header.upper(), header)
            total += 1
            fields = run(cli, "classify", path).stdout.rstrip("\n").split("\t")[1:]
            words = [w for f in fields for w in f.replace("(", " ").replace(")", " ").split()]
            words = [w.lstrip("▲△") for w in words if w.lstrip("▲△")]
            if not words:
                unlabelled += 1
                verdict = "not labelled"
            elif any(header in w or w in header for w in words):
                agree += 1
                verdict = "agrees"
            else:
                verdict = "differs"
            print(f"{name}\t{header}\t{' '.join(fields)}\t{verdict}")
    labelled = total - unlabelled
    print(f"records with a 戦型 header: {total}; labelled: {labelled}; agreeing: {agree}"
          + (f" ({100.0 * agree / labelled:.0f}% of the labelled)" if labelled else ""))


if __name__ == "__main__":
    main()
