#!/usr/bin/env python3
"""Checks dalmir-cli export with parsers that share no code with it: Python's csv and json.

Usage: export_csv_check.py DALMIR_CLI
Registers two KIF files (one with commas in its name, event and player) and reads the CSV and
JSON Lines exports back. (Quotes and line breaks cannot reach the text index; the row writer's
own tests cover them.)
"""
import csv
import json
import os
import subprocess
import sys
import tempfile

KIF = """手合割：平手
棋戦：{event}
先手：{black}
後手：後手氏
手数----指手---------消費時間--
   1 ７六歩(77)   ( 0:00/00:00:00)
   2 ３四歩(33)   ( 0:00/00:00:00)
   3 投了
"""


def run(cli, *args):
    r = subprocess.run([cli, *args], capture_output=True)
    if r.returncode != 0:
        sys.exit(f"{' '.join(args)} exited {r.returncode}: {r.stderr.decode(errors='replace')}")
    return r.stdout


def main():
    cli = sys.argv[1]
    with tempfile.TemporaryDirectory() as tmp:
        records = os.path.join(tmp, "records")
        os.mkdir(records)
        odd_name = "odd, name, 2.kif"
        files = {
            "plain.kif": ("王位戦", "先手氏"),
            odd_name: ("名人戦, 第1局", "羽生,善治"),
        }
        for name, (event, black) in files.items():
            with open(os.path.join(records, name), "wb") as f:
                text = KIF.format(event=event, black=black).replace("\n", "\r\n")
                f.write(text.encode("cp932"))
        db = os.path.join(tmp, "t.dls")
        run(cli, "add", db, records)

        out = os.path.join(tmp, "out.csv")
        run(cli, "export", db, "--format", "csv", "-o", out)
        with open(out, encoding="utf-8", newline="") as f:
            rows = list(csv.reader(f))
        header, body = rows[0], rows[1:]
        assert header[:3] == ["no", "black", "white"], header
        assert len(body) == 2, rows
        by_black = {dict(zip(header, r))["black"]: dict(zip(header, r)) for r in body}
        odd = by_black["羽生,善治"]
        assert odd["event"] == "名人戦, 第1局", odd
        assert odd["path"].endswith(odd_name), odd["path"]  # the name as it is on disk
        assert odd["moves"] == "2" and odd["result"] == "後手の勝ち", odd
        assert by_black["先手氏"]["event"] == "王位戦"
        assert all(len(r) == len(header) for r in body)

        listed = run(cli, "list", db, "--format", "csv")
        with open(out, "rb") as f:
            assert listed == f.read(), "list --format csv differs from export"

        lines = run(cli, "export", db, "--format", "jsonl", "--moves", "usi").decode("utf-8")
        objects = [json.loads(line) for line in lines.splitlines()]
        assert len(objects) == 2, lines
        for o in objects:
            assert o["main_line"] == "position startpos moves 7g7f 3c3d", o
        assert {o["event"] for o in objects} == {"王位戦", "名人戦, 第1局"}
    print("ok")


if __name__ == "__main__":
    main()
