#!/usr/bin/env python3
"""Plants stand-ins for the system libraries that the program loads on first use (winmm, shell32,
ole32) beside a probe that starts as the game starts and then plays a sound and opens a program
through the game's own calls, and fails if any stand-in was loaded. WINEDLLOVERRIDES makes Wine
look for a library's own copy first, in the program's folder, as Windows does for a library that
is not one of its known ones; Wine's default prefers its built-in copy and would hide the fault.

Each of the probe's modes (see LibraryProbe.cpp) runs in a folder of its own, and each must also
show that the calls reached the system's libraries: all three loaded from the system folder, the
sound library answering, the shell starting the program it was asked to open after COM was made
ready on the thread.
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

LIBRARIES = ["winmm.dll", "shell32.dll", "ole32.dll"]
TIMEOUT = 60


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_mode(mode, args, work):
    """Runs the probe in one mode; answers the list of what went wrong."""
    folder = os.path.join(work, mode)
    os.makedirs(folder)
    probe = os.path.join(folder, "library_probe.exe")
    shutil.copy(args.probe, probe)
    target = os.path.join(folder, "shell_target.exe")
    shutil.copy(args.target, target)
    for library in args.planted:
        shutil.copy(library, folder)

    env = dict(os.environ, WINEDEBUG="-all",
               WINEDLLOVERRIDES=",".join(name[:-4] for name in LIBRARIES) + "=n,b")
    command = ["wine", probe, mode] + ([] if mode == "search" else [windows_path(target)])
    done = subprocess.run(command, cwd=folder, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=TIMEOUT)
    out = done.stdout.decode("utf-8", "replace").replace("\r", "")
    answers = dict(line.split(" ", 1) if " " in line else (line, "") for line in out.splitlines())
    failures = []
    if done.returncode != 0:
        failures.append("ended with %d" % done.returncode)
    planted = sorted(f for f in os.listdir(folder) if f.endswith(".loaded"))
    if planted:
        failures.append("loaded the planted " + ", ".join(f[:-len(".loaded")] for f in planted))
    if mode != "search":
        # The shell starts its program without waiting for it; a planted shell starts nothing.
        deadline = time.time() + (0 if planted else TIMEOUT)
        while not os.path.exists(target + ".opened") and time.time() < deadline:
            time.sleep(0.2)
        if answers.get("stop") != "1":
            failures.append("the sound library did not answer (stop %r)" % answers.get("stop"))
        if answers.get("open") != "1" or not os.path.exists(target + ".opened"):
            failures.append("the shell did not start the program (open %r)" % answers.get("open"))
        if answers.get("apartment") != "single":
            failures.append("COM was not made ready for the shell (apartment %r)" % answers.get("apartment"))
    system = answers.get("system", "").removeprefix("folder ").lower()
    for name in LIBRARIES:
        loaded = answers.get(name, "(no answer)")
        if not system or not loaded.lower().startswith(system + "\\"):
            failures.append("%s loaded from %s, not from the system folder %r" % (name, loaded, system))
    return ["%s: %s" % (mode, f) for f in failures], out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe", required=True)
    parser.add_argument("--target", required=True, help="the program the shell is asked to open")
    parser.add_argument("--work", required=True)
    parser.add_argument("planted", nargs=3, help="the stand-ins for " + ", ".join(LIBRARIES))
    args = parser.parse_args()

    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    failures = []
    for mode in ("start-up", "loaders", "search"):
        found, out = run_mode(mode, args, work)
        print("%s:\n%s" % (mode, out))
        failures += found
    if failures:
        sys.exit("FAILED:\n" + "\n".join(failures))
    print("no planted library was loaded; the real ones answered")


if __name__ == "__main__":
    main()
