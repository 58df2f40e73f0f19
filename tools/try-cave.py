#!/usr/bin/env python3
"""Plays a cave solution with kromblix-replay and says how it went.

  tools/try-cave.py [options] CAVE MOVES [NEXT]

CAVE is a cave file, MOVES a .moves file (or, with -m, a move string), NEXT the cave that should
come after it (default: CAVE itself). The solution's replay is made with kromblix-solution and
played in a scratch directory holding CAVE as level0.txt and NEXT as level1.txt. With --shifts the
whole replay is moved later by each number of milliseconds in turn: the title screen draws random
numbers on every frame, so each shift plays the cave on another random sequence.

Prints one line per run: finished (at which step, lives, score) or the step where a life is lost
or the end of the moves with the diamonds left, and with -g the grid at that moment.
  -b DIR     the build directory (default: build)
  -t         a line for every step: step, key, player cell, diamonds left
  -s STEP    print the grid as it is after this step (repeatable)
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

SPACE_TICK = 1000


def parse_moves(text):
    text = re.sub(r";[^\n]*", "", text)
    moves = []
    for letter, count in re.findall(r"([UDLR.])(\d*)", text):
        moves += [letter] * (int(count) if count else 1)
    return moves


def parse_record(text):
    blocks = []
    for chunk in text.split("\n\n"):
        lines = chunk.strip("\n").split("\n")
        if not lines or not lines[0]:
            continue
        head = lines[0].split()
        b = {"kind": head[2] if head[0] == "frame" else head[0], "grid": []}
        i = 1
        while i < len(lines):
            words = lines[i].split()
            if words and words[0] == "grid":
                b["grid"] = lines[i + 1:i + 21]
                i += 21
                continue
            if len(words) >= 2:
                b[words[0]] = words[1:]
            i += 1
        blocks.append(b)
    return blocks


def run(args, replay_text, shift, workdir):
    shifted = []
    for line in replay_text.split("\n"):
        m = re.match(r"^(\d+)(.*)$", line)
        shifted.append(f"{int(m.group(1)) + shift}{m.group(2)}" if m else line)
    replay = os.path.join(workdir, "try.replay")
    with open(replay, "w") as f:
        f.write("\n".join(shifted))
    record = os.path.join(workdir, "record.txt")
    subprocess.run([os.path.join(args.build, "tools", "kromblix-replay"), "-C", os.path.join(workdir, "run"), "-o",
                    record, replay], check=True, stdout=subprocess.DEVNULL)
    with open(record) as f:
        return parse_record(f.read())


def main():
    p = argparse.ArgumentParser()
    p.add_argument("cave")
    p.add_argument("moves")
    p.add_argument("next", nargs="?")
    p.add_argument("-m", action="store_true", help="MOVES is a move string")
    p.add_argument("-b", "--build", default="build")
    p.add_argument("--shifts", default="0")
    p.add_argument("-t", action="store_true")
    p.add_argument("-g", action="store_true")
    p.add_argument("-s", type=int, action="append", default=[])
    args = p.parse_args()

    moves_text = args.moves if args.m else open(args.moves).read()
    moves = parse_moves(moves_text)
    workdir = tempfile.mkdtemp(prefix="try-cave-")
    try:
        rundir = os.path.join(workdir, "run")
        os.mkdir(rundir)
        media = os.path.join(args.build, "run")
        for name in os.listdir(media):
            if name.endswith((".bmp", ".wav", ".m")):
                os.symlink(os.path.abspath(os.path.join(media, name)), os.path.join(rundir, name))
        shutil.copy(args.cave, os.path.join(rundir, "level0.txt"))
        shutil.copy(args.next or args.cave, os.path.join(rundir, "level1.txt"))
        mfile = os.path.join(workdir, "try.moves")
        with open(mfile, "w") as f:
            f.write(moves_text)
        replay_text = subprocess.run([os.path.join(args.build, "tools", "kromblix-solution"), mfile], check=True,
                                     capture_output=True, text=True).stdout
        passed = 0
        shifts = [int(s) for s in args.shifts.split(",")]
        for shift in shifts:
            blocks = run(args, replay_text, shift, workdir)
            step = -1
            last = None
            outcome = None
            for b in blocks:
                if b["kind"] == "death" and outcome is None:
                    outcome = f"DEATH after step {step} (move {''.join(moves[max(0, step - 3):step + 1])})"
                    break
                if b["kind"] != "game":
                    continue
                tick = int(b["tick"][0])
                step = (tick - SPACE_TICK - shift - 1) // 100
                if b["cave_index"][0] == "1":
                    outcome = f"finished at step {step - 1} of {len(moves)}, lives {b['lives'][0]}, score {b['score'][0]}"
                    break
                last = b
                if args.t:
                    key = moves[step] if 0 <= step < len(moves) else "-"
                    print(f"  {step:4d} {key} player {' '.join(b['player'])} left {b['diamonds_left'][0]}")
                if step in args.s:
                    print(f"  after step {step}:")
                    print("\n".join("    " + r for r in b["grid"]))
            if outcome is None:
                outcome = f"NOT FINISHED, {last['diamonds_left'][0] if last else '?'} diamonds left"
            ok = outcome.startswith("finished") and "lives 10" in outcome
            passed += ok
            print(f"shift {shift:4d}: {outcome}")
            if args.g and not ok and last:
                print("\n".join("    " + r for r in last["grid"]))
        print(f"{passed}/{len(shifts)} runs finish the cave")
    finally:
        shutil.rmtree(workdir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
