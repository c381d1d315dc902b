#!/usr/bin/env python3
"""Waits for the game to paint on the virtual display, saves a picture of the screen and closes
the game the way a player would: Alt+F4, then Enter on the question that confirms leaving."""

import argparse
import hashlib
import os
import subprocess
import sys
import time


def grab():
    """The screen's pixels, compared by their hash: a picture file would also hold the time it was
    written, which changes every second."""
    raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], check=True, capture_output=True)
    return hashlib.sha1(raw.stdout).hexdigest()


def alive(pid):
    try:
        os.kill(pid, 0)
    except OSError:
        return False
    waited = subprocess.run(["ps", "-o", "stat=", "-p", str(pid)], capture_output=True, text=True)
    return not waited.stdout.strip().startswith("Z")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--pid", type=int, required=True, help="the wine process running the game")
    parser.add_argument("--timeout", type=float, default=60)
    args = parser.parse_args()

    # The window has painted once the screen stops changing for a second after it first changed.
    deadline = time.time() + args.timeout
    empty = grab()
    previous, steady_since = empty, None
    while time.time() < deadline:
        time.sleep(0.5)
        current = grab()
        if current != empty and current == previous:
            steady_since = steady_since or time.time()
            if time.time() - steady_since >= 1.0:
                break
        else:
            steady_since = None
        previous = current
    else:
        sys.exit("the game did not paint its window within %d seconds" % args.timeout)
    subprocess.run(["import", "-window", "root", args.out], check=True, stderr=subprocess.DEVNULL)

    subprocess.run(["xdotool", "key", "alt+F4"], check=False)
    for _ in range(40):
        if not alive(args.pid):
            return
        time.sleep(0.25)
        subprocess.run(["xdotool", "key", "Return"], check=False)


if __name__ == "__main__":
    main()
