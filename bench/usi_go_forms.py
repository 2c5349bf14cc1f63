#!/usr/bin/env python3
"""How long USI engines think for each form of a timed search the analysis could send:
"go infinite" ended by "stop" after the time, or "go btime 0 wtime 0 byoyomi MS". Prints, per
engine, form and time, the milliseconds from "go" to "bestmove" and the number of scored info
lines for a few positions out of the usual opening books.

    bench/usi_go_forms.py ENGINE... [--ms 1000,3000] [--option "NAME VALUE"]...
"""
import argparse
import subprocess
import time

POSITIONS = [
    "position startpos moves 7g7f 3c3d 2g2f 8c8d 2f2e 8d8e",
    "position startpos moves 7g7f 3c3d 2g2f 4c4d 2f2e 2b3c 3i4h 3a2b",
    "position startpos moves 1g1f 9c9d 1f1e 9d9e 1e1d 1c1d 1i1d 9a9d",
]


def measure(program, form, ms, options):
    engine = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, bufsize=1)

    def send(line):
        engine.stdin.write(line + "\n")
        engine.stdin.flush()

    def until(word):
        lines = []
        for line in engine.stdout:
            lines.append(line.strip())
            if line.startswith(word):
                break
        return lines

    send("usi")
    until("usiok")
    for name, value in options:
        send(f"setoption name {name} value {value}")
    send("isready")
    until("readyok")
    send("usinewgame")
    results = []
    for position in POSITIONS:
        send(position)
        start = time.monotonic()
        if form == "infinite":
            send("go infinite")
            time.sleep(ms / 1000)
            send("stop")
        else:
            send(f"go btime 0 wtime 0 byoyomi {ms}")
        lines = until("bestmove")
        took = round((time.monotonic() - start) * 1000)
        results.append((took, sum(" score " in line for line in lines)))
    send("quit")
    engine.wait(timeout=10)
    return results


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("engines", nargs="+")
    parser.add_argument("--ms", default="1000,3000")
    parser.add_argument("--option", action="append", default=[],
                        help='"NAME VALUE" sent before isready')
    args = parser.parse_args()
    options = [tuple(o.split(" ", 1)) for o in args.option]
    for program in args.engines:
        for form in ("infinite", "byoyomi"):
            for ms in (int(m) for m in args.ms.split(",")):
                results = measure(program, form, ms, options)
                shares = " ".join(f"{took}ms({100 * took // ms}%,{scores})"
                                  for took, scores in results)
                print(f"{program} {form:8} {ms:5}: {shares}", flush=True)


if __name__ == "__main__":
    main()
