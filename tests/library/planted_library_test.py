#!/usr/bin/env python3
"""Plants stand-ins for system libraries beside the programs that load them and fails if any
stand-in was loaded. WINEDLLOVERRIDES makes Wine look for a library's own copy first, in the
program's folder, as Windows does for a library that is not one of its known ones; Wine's default
prefers its built-in copy and would hide the fault.

The game: the shipped executable itself, in a folder with a stand-in for every library it loads
over a session (taken from a WINEDEBUG=+loaddll run: start, the first shot with its sound, the
about box and a page opened from its link), played through the X display. Besides the stand-ins'
traces, Wine's own record of the game's loads must show no library taken from the game's folder,
every library planted loaded from the system folder (else the session did not reach it, or the
list is out of date) and no library outside the lists below (it would need a stand-in).

The probe (LibraryProbe.cpp) loads the sound, shell and COM libraries through the game's own
calls. Each of its modes runs in a folder of its own, and each must also show that the calls
reached the system's libraries: all three loaded from the system folder, the sound library
answering, the shell starting the program it was asked to open after COM was made ready on the
thread.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

LIBRARIES = ["winmm.dll", "shell32.dll", "ole32.dll"]
TIMEOUT = 60

# What the game loads over the session, each planted: none may come from the game's folder.
SESSION = {
    "bcrypt.dll": "the stack protector's random guard, before WinMain",
    "crypt32.dll": "the stack protector's random guard, before WinMain",
    "rsaenh.dll": "the stack protector's random guard (loaded by full path)",
    "winmm.dll": "the first shot's sound",
    "msacm32.dll": "the sound library's import",
    "oleaut32.dll": "the sound's audio devices",
    "mmdevapi.dll": "the sound's audio devices",
    "shell32.dll": "the page opened",
    "shlwapi.dll": "the shell's import",
    "shcore.dll": "the shell's import",
}

# Loaded under Wine before the program's first instruction, or afterwards by a library of Wine's
# that was loaded then and resolves its delayed imports with the search path of that time: no
# code of the program can keep them to the system folder. Each is planted where the game survives
# a stand-in loaded in its place, and its stand-in may then be loaded.
BEFORE_FIRST_INSTRUCTION = {
    "winex11.drv": "the display driver: user32 loads it by bare name as it starts (Wine maps its "
                   "built-in driver under the planted file's name and runs no code of the stand-in)",
    "rpcrt4.dll": "an import of ole32, which the display driver loads as below",
    "msimg32.dll": "a delayed import of uxtheme, resolved with the search path uxtheme was loaded "
                   "with, on the first themed drawing (the about box's)",
}
NOT_PLANTED = {
    # The executable's imports and theirs: Wine's loader resolves them before the program's first
    # instruction, and Wine 8 does not apply the load configuration's DependentLoadFlags (a
    # stand-in for kernel32.dll beside the game is loaded), which Windows 10 1607 and later do;
    # on Windows most of them are known DLLs, always taken from the system folder. A stand-in in
    # their place stops the game before it starts.
    **{name: "an import of the executable or of its imports" for name in (
        "kernelbase.dll", "kernel32.dll", "msvcrt.dll", "ucrtbase.dll", "sechost.dll", "advapi32.dll",
        "zlib1.dll", "version.dll", "win32u.dll", "user32.dll", "gdi32.dll", "imm32.dll", "comctl32.dll")},
    "uxtheme.dll": "user32 loads it by bare name as it starts; a stand-in stops the game, the "
                   "common controls calling its functions on every paint",
    "ole32.dll": "a delayed import of the display driver, resolved on the first window with the "
                 "search path the driver was loaded with; a stand-in ends the game (combase asks it "
                 "for a function it lacks). The probe below covers the game's own load of it",
    "combase.dll": "an import of ole32, loaded with it; a stand-in ends the game",
}
PLANTED = sorted(set(SESSION) | set(BEFORE_FIRST_INSTRUCTION))

# The game's client area (logical pixels at 96 dots per inch, as the test's prefix has), and the
# places the session presses in it.
CLIENT_SIZE = (640, 400)
CELL = 23
PLAYER_BOARD = (10, 67)
ENEMY_BOARD = (375, 67)
START_BUTTON = (315, 35)
INFO_BUTTON = (470, 35)
# The about box's web link, in its client area: right of the 164-pixel logo, 55 from the top.
WEB_LINK = (229, 66)
# (ship picture, column, row): every ship where it fits one way only when it is put down, so that
# no orientation menu comes up.
FLEET = [(6, 1, 10), (0, 6, 10), (1, 9, 10), (7, 10, 1), (3, 10, 6), (8, 1, 8), (4, 6, 8), (5, 1, 6), (2, 6, 6)]


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


class Failure(Exception):
    pass


class Session:
    """The shipped game in a folder of planted stand-ins, driven through the X display, with
    Wine's record of every library it loads in a file."""

    LOADED = re.compile(r'^([0-9a-f]+):[0-9a-f]+:trace:loaddll:build_module Loaded L"(.*)" at [0-9A-F]+: (\w+)')

    def __init__(self, args, folder):
        self.args = args
        self.folder = folder
        self.exe = os.path.join(folder, "Tiremola.exe")
        self.log = os.path.join(folder, "loaddll.log")
        self.game = None
        self.process = None

    def windows(self):
        """The desktop's visible top-level windows: (title, client origin)."""
        # Through a file: a lister that starts the Wine desktop leaves it holding its output.
        with tempfile.TemporaryFile() as listing:
            subprocess.run(["wine", self.args.window_list], stdin=subprocess.DEVNULL, stdout=listing,
                           stderr=subprocess.DEVNULL, timeout=30)
            listing.seek(0)
            lines = listing.read().decode("utf-8", "replace").splitlines()
        found = []
        for line in lines:
            fields = line.rstrip("\r").split("\t", 6)
            if len(fields) == 7:
                found.append((fields[6], tuple(int(v) for v in fields[3].split(",")),
                              tuple(int(v) for v in fields[4].split(","))))
        return found

    def window(self, title, size=None):
        for shown, origin, client in self.windows():
            if shown.startswith(title) and (size is None or client == size):
                return origin
        return None

    def loads(self):
        """The game's loads so far, in order: (path, how), as Wine records them."""
        with open(self.log, "rb") as log:
            lines = log.read().decode("utf-8", "replace").splitlines()
        found = []
        for line in lines:
            match = self.LOADED.match(line)
            if not match:
                continue
            path = match.group(2).replace("\\\\", "\\")
            if self.process is None and os.path.basename(path.replace("\\", "/")).lower() == "tiremola.exe":
                self.process = match.group(1)
            if match.group(1) == self.process:
                found.append((path, match.group(3)))
        return found

    def loaded_names(self):
        return {os.path.basename(path.replace("\\", "/")).lower() for path, _ in self.loads()}

    def from_folder(self):
        """The libraries the game took from its own folder, but for those named as Wine's own loads."""
        prefix = windows_path(self.folder).lower() + "\\"
        found = []
        for path, how in self.loads():
            name = os.path.basename(path.replace("\\", "/")).lower()
            if path.lower().startswith(prefix) and name != "tiremola.exe" and name not in BEFORE_FIRST_INSTRUCTION:
                found.append((name, how))
        return found

    def wait_for(self, what, check, timeout=20):
        deadline = time.monotonic() + timeout
        while True:
            if self.game.poll() is not None:
                raise Failure("the game ended (exit code %d) while waiting for %s" % (self.game.returncode, what))
            # A planted library in the game may keep it from going on: the session ends there.
            if self.from_folder():
                raise Failure("the session stopped at %s: the game took a planted library" % what)
            found = check()
            if found:
                return found
            if time.monotonic() > deadline:
                raise Failure("timed out after %d s waiting for %s" % (timeout, what))
            time.sleep(0.2)

    def wait_for_loads(self, what, names):
        self.wait_for("%s: %s loaded" % (what, ", ".join(names)), lambda: set(names) <= self.loaded_names())

    def click(self, origin, point):
        subprocess.run(["xdotool", "mousemove", "--sync", str(origin[0] + point[0]), str(origin[1] + point[1]),
                        "click", "1"], check=True)
        # The game handles each press before the next one lands.
        time.sleep(0.15)

    def cell(self, board, c, r):
        return board[0] + CELL * c + CELL // 2, board[1] + CELL * r + CELL // 2

    def play(self):
        if self.window("Tiremola", CLIENT_SIZE):
            raise Failure("a game window is already on the desktop before the game was started")
        env = dict(os.environ, WINEDEBUG="-all,+pid,+loaddll",
                   WINEDLLOVERRIDES=",".join(os.path.splitext(name)[0] for name in PLANTED) + "=n,b")
        with open(self.log, "wb") as log:
            self.game = subprocess.Popen(["wine", self.exe], cwd=self.folder, env=env, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=log)
        main = self.wait_for("the game's window", lambda: self.window("Tiremola", CLIENT_SIZE), timeout=TIMEOUT)
        print("  the game's window is up")
        for k, c, r in FLEET:
            self.click(main, (15 + 69 * k + 32, 335 + 25))
            self.click(main, self.cell(PLAYER_BOARD, c, r))
        self.click(main, START_BUTTON)
        if self.window("Attenzione"):
            raise Failure("the match did not start: the fleet was not placed")
        self.click(main, self.cell(ENEMY_BOARD, 5, 5))
        self.wait_for_loads("the first shot's sound", ["winmm.dll", "mmdevapi.dll"])
        print("  the first shot played its sound")
        self.click(main, INFO_BUTTON)
        about = self.wait_for("the about box 'Info...'", lambda: self.window("Info..."))
        print("  the about box is open")
        self.click(about, WEB_LINK)
        self.wait_for_loads("the page opened from the about box's link", ["shell32.dll"])
        print("  the page was opened")
        # What the steps load in the background: until nothing more comes for a while.
        count, quiet = len(self.loads()), time.monotonic()
        while time.monotonic() - quiet < 2:
            time.sleep(0.25)
            if len(self.loads()) != count:
                count, quiet = len(self.loads()), time.monotonic()
        if self.game.poll() is not None:
            raise Failure("the game ended (exit code %d) during the session" % self.game.returncode)

    def stop(self):
        if self.game and self.game.poll() is None:
            self.game.kill()
            self.game.wait(timeout=10)


def run_session(args, work):
    """Plays the session in the shipped game; answers the list of what went wrong."""
    folder = os.path.join(work, "game")
    os.makedirs(folder)
    session = Session(args, folder)
    shutil.copy(args.game, session.exe)
    for name in PLANTED:
        shutil.copy(args.stand_in, os.path.join(folder, name))
    failures = []
    try:
        session.play()
    except Failure as failure:
        failures.append(str(failure))
    finally:
        session.stop()
    completed = not failures

    planted = sorted(f[:-len(".loaded")] for f in os.listdir(folder) if f.endswith(".loaded"))
    refused = [name for name in planted if name not in BEFORE_FIRST_INSTRUCTION]
    if refused:
        failures.append("loaded the planted " + ", ".join(refused))
    for name, how in session.from_folder():
        failures.append("took %s from the game's folder (%s)" % (name, how))
    system_prefix = "c:\\windows\\system32\\"
    seen = {}
    for path, _ in session.loads():
        seen.setdefault(os.path.basename(path.replace("\\", "/")).lower(), []).append(path)
    for name in sorted(SESSION) if completed else []:
        if not any(path.lower().startswith(system_prefix) for path in seen.get(name, [])):
            failures.append("did not load %s (%s) from the system folder: %s"
                            % (name, SESSION[name], seen.get(name, "not loaded at all")))
    known = set(PLANTED) | set(NOT_PLANTED) | {"tiremola.exe"}
    unknown = sorted(set(seen) - known)
    if unknown:
        failures.append("loaded %s, which has no stand-in here: plant one" % ", ".join(unknown))
    print("game: loaded %s" % ", ".join(sorted(seen)))
    if planted:
        print("game: stand-ins loaded by Wine's own libraries, as named in the test: %s" % ", ".join(planted))
    return ["game: %s" % f for f in failures]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe", required=True)
    parser.add_argument("--target", required=True, help="the program the shell is asked to open")
    parser.add_argument("--game", required=True, help="the game's executable as it ships")
    parser.add_argument("--window-list", required=True, help="lists the desktop's windows")
    parser.add_argument("--work", required=True)
    parser.add_argument("planted", nargs=3, help="the stand-ins for " + ", ".join(LIBRARIES))
    args = parser.parse_args()
    # Any stand-in will do for the game's libraries: each leaves its trace under its own name.
    args.stand_in = args.planted[0]

    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    began = time.monotonic()
    failures = run_session(args, work)
    print("game: %.1f s" % (time.monotonic() - began))
    for mode in ("start-up", "loaders", "search"):
        found, out = run_mode(mode, args, work)
        print("%s:\n%s" % (mode, out))
        failures += found
    if failures:
        sys.exit("FAILED:\n" + "\n".join(failures))
    print("no planted library was loaded; the real ones answered")


if __name__ == "__main__":
    main()
