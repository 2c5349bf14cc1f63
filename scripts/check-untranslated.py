#!/usr/bin/env python3
"""Counts the texts of the programs that are still written out in Japanese without going
through the translation (core::translate, core::translatePlural, TR_NOOP, desktop::translated),
per folder, and compares the counts with po/untranslated-baseline.txt: a folder whose count grew
fails, so that a new text is always marked. Texts that stay the same in every language (words of
a file format, a language's own name) are listed in po/same-in-every-language.txt, one per line,
and are not counted; a line "file PATH" there names a source file that holds only such words (a
file format's keys, the move notation).

  scripts/check-untranslated.py            check against the baseline
  scripts/check-untranslated.py --update   write the current counts as the baseline
  scripts/check-untranslated.py --list DIR print the unmarked texts under DIR
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ["core", "usi", "desktop", "tavrel", "dalmir", "cli"]
BASELINE = os.path.join(ROOT, "po", "untranslated-baseline.txt")
FORMAT_WORDS = os.path.join(ROOT, "po", "same-in-every-language.txt")
MARKS = ("translate(", "translatePlural(", "TR_NOOP(", "translated(")
JAPANESE = re.compile("[\u3000-\u30ff\u3400-\u9fff\uff00-\uffef]")
# A string literal (no raw strings in the sources that hold Japanese) or a comment.
TOKEN = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:[^"\\\n]|\\.)*"|\'(?:[^\'\\\n]|\\.)*\'', re.S)


def source_files(folder, skipped=frozenset()):
    for base, _, files in os.walk(os.path.join(ROOT, folder)):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            if os.path.relpath(os.path.join(base, name), ROOT) in skipped:
                continue
            if name.endswith("_test.cpp") or "_test_" in name or name.endswith("_fixture.h"):
                continue
            yield os.path.join(base, name)


def unmarked(path, format_words):
    text = open(path, encoding="utf-8", errors="replace").read()
    found = []
    for m in TOKEN.finditer(text):
        token = m.group(0)
        if not token.startswith('"') or not JAPANESE.search(token):
            continue
        if token[1:-1] in format_words:
            continue
        before = text[max(0, m.start() - 400):m.start()].rstrip()
        # A literal continued from the line before belongs to the same call.
        while before.endswith('"'):
            start = before.rfind('"', 0, len(before) - 1)
            before = before[:start].rstrip() if start >= 0 else ""
        if before.endswith(MARKS) or re.search(r"(translate|translatePlural|TR_NOOP|translated)\(\s*$", before):
            continue
        if re.search(r'translatePlural\([^;]*,\s*$', before):
            continue
        line = text.count("\n", 0, m.start()) + 1
        found.append((line, token))
    return found


def counts(format_words, format_files):
    result = {}
    for folder in FOLDERS:
        n = 0
        for path in source_files(folder, format_files):
            n += len(unmarked(path, format_words))
        result[folder] = n
    return result


def main():
    words, files = set(), set()
    if os.path.exists(FORMAT_WORDS):
        for line in open(FORMAT_WORDS, encoding="utf-8"):
            line = line.rstrip("\n")
            if line.startswith("file "):
                files.add(line[5:].strip())
            elif line.strip():
                words.add(line)
    if len(sys.argv) > 2 and sys.argv[1] == "--list":
        for path in source_files(sys.argv[2], files):
            for line, token in unmarked(path, words):
                print(f"{os.path.relpath(path, ROOT)}:{line}: {token}")
        return 0
    now = counts(words, files)
    if len(sys.argv) > 1 and sys.argv[1] == "--update":
        with open(BASELINE, "w", encoding="utf-8") as f:
            f.write("# Japanese texts not yet marked for translation, per folder "
                    "(scripts/check-untranslated.py --update)\n")
            for folder in FOLDERS:
                f.write(f"{folder} {now[folder]}\n")
        return 0
    baseline = {}
    for line in open(BASELINE, encoding="utf-8"):
        if line.startswith("#") or not line.strip():
            continue
        folder, n = line.split()
        baseline[folder] = int(n)
    status = 0
    for folder in FOLDERS:
        allowed = baseline.get(folder, 0)
        if now[folder] > allowed:
            print(f"{folder}: {now[folder]} unmarked Japanese texts, {allowed} before: mark the new "
                  f"ones with core::translate (scripts/check-untranslated.py --list {folder})")
            status = 1
        elif now[folder] < allowed:
            print(f"{folder}: {now[folder]} unmarked (baseline {allowed}); run --update to lower it")
    return status


if __name__ == "__main__":
    sys.exit(main())
