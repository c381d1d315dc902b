#!/usr/bin/env python3
"""Installs Tiremola with its installer into a fresh Wine prefix, silently, as a player's machine
gets it, and checks what the player would find: the files in the user's programs folder, the
Start-menu shortcut, the entry among the installed programs, and a game that starts from the
shortcut and paints its window. While the game runs, a silent install and the entry's silent
uninstall must each end with a non-zero exit code and change nothing. An update over a folder
where the player keeps own files must leave them and count only the game's files in the entry's
size; the entry's silent uninstall must then take the game away again, leave the player's files
and nothing else of the game behind. A second round installs with /D= into a folder that holds a
player's file named as the game's read-me: the game must go into a subfolder of its own. Folders
that cannot be used, and a second installation elsewhere, are refused without a change.

Needs DISPLAY (the test command's virtual display). Every Wine call runs with a time limit and
with its output in files, so that a box waiting for an answer fails the test instead of hanging
it, and no Wine process holds on to a pipe of ctest's.
"""

import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tiremola"
UNINSTALLER = "Disinstalla.exe"
INSTALLED_FILES = ["Tiremola.exe", "LEGGIMI.txt", UNINSTALLER]
DEFAULT_FOLDER = r"^C:\\users\\[^\\]+\\AppData\\Local\\Programs\\Tiremola$"
# A folder chosen with /D= that holds a file of the player's own, named as the game's read-me.
CHOSEN_FOLDER = r"C:\Giochi"
# A folder whose subfolder Tiremola holds a file of the player's own too.
TAKEN_FOLDER = r"C:\Pieno"
FORM_BACKGROUND = (153, 204, 255)
WHITE = (255, 255, 255)
WINE_TIMEOUT = 120


class Failure(Exception):
    pass


class Prefix:
    def __init__(self, path):
        self.path = path
        self.env = dict(os.environ, WINEPREFIX=path, WINEDEBUG="-all",
                        # Shortcuts would otherwise also become menu entries in the real home folder.
                        WINEDLLOVERRIDES="winemenubuilder.exe=d")
        self.log = os.path.join(os.path.dirname(path), "wine.log")

    def run(self, *command, timeout=WINE_TIMEOUT):
        """Runs a Wine command; returns its exit code and what it printed."""
        with tempfile.TemporaryFile() as out, open(self.log, "ab") as log:
            try:
                done = subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                      stderr=log, timeout=timeout)
            except subprocess.TimeoutExpired:
                self.stop()
                raise Failure("%s did not end within %d s (a box waiting for an answer?)"
                              % (" ".join(command), timeout))
            out.seek(0)
            return done.returncode, out.read().decode("utf-8", "replace")

    def wine(self, *arguments, timeout=WINE_TIMEOUT):
        return self.run("wine", *arguments, timeout=timeout)

    def settle(self):
        """Waits until every program of the prefix has ended, the uninstaller's copy too."""
        self.run("wineserver", "-w")

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        subprocess.run(["wineserver", "-w"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)

    def windows(self, unix_path):
        return "C:\\" + os.path.relpath(unix_path, os.path.join(self.path, "drive_c")).replace("/", "\\")

    def unix(self, windows_path):
        if not re.match(r"^[Cc]:\\", windows_path):
            raise Failure("not a path on drive C: %r" % windows_path)
        return os.path.join(self.path, "drive_c", *windows_path[3:].split("\\"))

    def uninstall_entry(self):
        """The values of the installed programs' entry, or None when there is none."""
        code, out = self.wine("reg", "query", UNINSTALL_KEY)
        if code != 0:
            return None
        values = {}
        for line in out.splitlines():
            match = re.match(r"^\s+(\S+)\s+(REG_\w+)\s*(.*)$", line.rstrip("\r"))
            if match:
                values[match.group(1)] = (match.group(2), match.group(3))
        return values

    def shortcuts(self):
        return glob.glob(os.path.join(self.path, "drive_c", "users", "*", "AppData", "Roaming", "Microsoft",
                                      "Windows", "Start Menu", "Programs", "Tiremola.lnk"))

    def traces(self):
        """Every file, folder and registry line of the prefix that names the game."""
        found = []
        for folder, names, files in os.walk(os.path.join(self.path, "drive_c")):
            found += [os.path.join(folder, n) for n in names + files if "tiremola" in n.lower()]
        for hive in glob.glob(os.path.join(self.path, "*.reg")):
            with open(hive, encoding="utf-8", errors="replace") as lines:
                found += ["%s: %s" % (os.path.basename(hive), line.strip())
                          for line in lines if "tiremola" in line.lower()]
        return found


def expect(failures, condition, what):
    if not condition:
        failures.append(what)


def check_installed(prefix, shipped_exe, version, expected_folder):
    """Checks the files, the shortcut and the entry; returns the install folder."""
    entry = prefix.uninstall_entry()
    if entry is None:
        raise Failure("no entry %s after the silent install" % UNINSTALL_KEY)
    failures = []

    def value(name, kind="REG_SZ"):
        found = entry.get(name)
        return found[1] if found and found[0] == kind else None

    folder = value("InstallLocation") or ""
    if not expected_folder(folder):
        raise Failure("installed into %r" % folder)
    exe = folder + "\\Tiremola.exe"
    expect(failures, value("DisplayName") == "Tiremola", "DisplayName %r" % value("DisplayName"))
    expect(failures, value("DisplayVersion") == version, "DisplayVersion %r" % value("DisplayVersion"))
    expect(failures, value("Publisher") not in (None, ""), "no Publisher")
    expect(failures, value("DisplayIcon") == exe + ",0", "DisplayIcon %r" % value("DisplayIcon"))
    for name, options in (("UninstallString", ""), ("QuietUninstallString", "/S ")):
        expect(failures, value(name) == '"%s\\%s" %s_?=%s' % (folder, UNINSTALLER, options, folder),
               "%s %r" % (name, value(name)))
    for flag in ("NoModify", "NoRepair"):
        expect(failures, value(flag, "REG_DWORD") == "0x1", "%s %r" % (flag, value(flag, "REG_DWORD")))

    for name in INSTALLED_FILES:
        expect(failures, os.path.isfile(os.path.join(prefix.unix(folder), name)), "%s not installed" % name)
    installed = os.path.join(prefix.unix(folder), "Tiremola.exe")
    if os.path.isfile(installed):
        with open(installed, "rb") as a, open(shipped_exe, "rb") as b:
            expect(failures, a.read() == b.read(), "the installed Tiremola.exe is not the one that ships")
        total_kib = sum(os.path.getsize(os.path.join(prefix.unix(folder), n)) for n in INSTALLED_FILES
                        if os.path.isfile(os.path.join(prefix.unix(folder), n))) // 1024
        size = value("EstimatedSize", "REG_DWORD")
        expect(failures, size is not None and abs(int(size, 16) - total_kib) <= len(INSTALLED_FILES),
               "EstimatedSize %r, installed %d KiB" % (size, total_kib))

    shortcuts = prefix.shortcuts()
    expect(failures, len(shortcuts) == 1, "Start-menu shortcuts named Tiremola: %r" % shortcuts)
    if failures:
        raise Failure("after the silent install: " + "; ".join(failures))
    return folder


def painted(picture):
    """True once the captured window shows both the form's background and the boards' white
    cells, each over a tenth of it at least: an unpainted window is of one colour."""
    with tempfile.NamedTemporaryFile(suffix=".rgb") as raw:
        subprocess.run(["convert", picture, "-depth", "8", "rgb:" + raw.name], check=True)
        data = raw.read()
    pixels = [tuple(data[i:i + 3]) for i in range(0, len(data) - 2, 3)]
    return all(pixels.count(colour) * 10 > len(pixels) for colour in (FORM_BACKGROUND, WHITE))


def check_game_starts(prefix, shortcut, work):
    """Starts the game through its Start-menu shortcut and waits for its window to paint."""
    code, _ = prefix.wine("start", prefix.windows(shortcut))
    if code != 0:
        raise Failure("starting the shortcut %s ended with %d" % (shortcut, code))
    picture = os.path.join(work, "installed-game.png")
    deadline = time.time() + 60
    while time.time() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Tiremola "],
                               capture_output=True, text=True)
        for window in found.stdout.split():
            shot = subprocess.run(["import", "-window", window, picture], stderr=subprocess.DEVNULL)
            if shot.returncode == 0 and painted(picture):
                return
        time.sleep(0.5)
    raise Failure("the installed game's window did not paint within 60 s (last picture: %s)" % picture)


def quiet_uninstall_command(prefix):
    """The entry's silent uninstall command, as a tool that removes programs runs it."""
    command = ((prefix.uninstall_entry() or {}).get("QuietUninstallString") or ("", ""))[1]
    match = re.match(r'^"([^"]+)"\s*(.*)$', command)
    if not match:
        raise Failure("no silent uninstall command in the entry: %r" % command)
    return [match.group(1)] + match.group(2).split()


def state(prefix):
    """Every file of drive C outside the system's own folders, with its size and time, and the
    values of the installed programs' entry: what an installer or uninstaller could change."""
    drive = os.path.join(prefix.path, "drive_c")
    files = {}
    for folder, names, found in os.walk(drive):
        if folder == drive:
            names.remove("windows")
        names[:] = [n for n in names if n != "Temp"]
        for name in found:
            info = os.stat(os.path.join(folder, name))
            files[os.path.relpath(os.path.join(folder, name), drive)] = (info.st_size, info.st_mtime_ns)
    return files, prefix.uninstall_entry()


def check_refused(prefix, what, *command):
    """Runs an installer or uninstaller that must refuse: a non-zero exit code, nothing changed."""
    before = state(prefix)
    code, _ = prefix.wine(*command)
    after = state(prefix)
    failures = []
    expect(failures, code != 0, "it ended with 0")
    changed = sorted(set(before[0].items()) ^ set(after[0].items()))
    expect(failures, changed == [], "it changed %s" % "; ".join(sorted({path for path, _ in changed})[:10]))
    expect(failures, before[1] == after[1], "it changed the installed programs' entry: %r" % (after[1],))
    if failures:
        raise Failure("%s: %s" % (what, "; ".join(failures)))


def write_players_files(prefix, files):
    """Puts files of the player's own on drive C; answers their paths and contents."""
    written = {}
    for windows_path, size in files:
        path = prefix.unix(windows_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        content = (b"il mio file %s\r\n" % windows_path.encode()) * (size // 32 + 1)
        with open(path, "wb") as out:
            out.write(content)
        written[path] = content
    return written


def check_players_files(files, when):
    for path, content in files.items():
        if not os.path.isfile(path):
            raise Failure("%s: the player's %s is gone" % (when, path))
        with open(path, "rb") as found:
            if found.read() != content:
                raise Failure("%s: the player's %s was overwritten" % (when, path))


def uninstall(prefix, folder, players_files):
    """The entry's silent uninstall: the game goes, the player's own files stay."""
    code, _ = prefix.wine(*quiet_uninstall_command(prefix))
    if code != 0:
        raise Failure("the silent uninstall ended with %d" % code)
    # The uninstaller's last part removes the entry last, once the part that was started has ended.
    deadline = time.time() + WINE_TIMEOUT
    while prefix.uninstall_entry() is not None and time.time() < deadline:
        time.sleep(0.2)
    failures = []
    for name in INSTALLED_FILES:
        expect(failures, not os.path.exists(os.path.join(prefix.unix(folder), name)), "%s is still there" % name)
    if not players_files:
        expect(failures, not os.path.exists(prefix.unix(folder)), "%s is still there" % folder)
    expect(failures, prefix.shortcuts() == [], "the shortcut is still there")
    expect(failures, prefix.uninstall_entry() is None, "the installed programs' entry is still there")
    prefix.stop()
    check_players_files(players_files, "after the silent uninstall")
    # The folders that hold the player's files stay, whatever their names.
    left = [t for t in prefix.traces()
            if not any(os.path.commonpath([t, kept]) == t for kept in players_files)]
    expect(failures, left == [], "left behind: %s" % "; ".join(left[:10]))
    if failures:
        raise Failure("after the silent uninstall: " + "; ".join(failures))


def install(prefix, setup, *options):
    code, _ = prefix.wine(setup, "/S", *options)
    if code != 0:
        raise Failure("the silent install %s ended with %d" % (" ".join(options), code))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--setup", required=True, help="the installer")
    parser.add_argument("--exe", required=True, help="the executable that ships")
    parser.add_argument("--version", required=True)
    parser.add_argument("--work", required=True, help="a folder for the prefix and the pictures")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        sys.exit("needs DISPLAY, as the test command provides it")

    work = os.path.abspath(args.work)
    setup = os.path.abspath(args.setup)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "wineprefix"))
    prefix = Prefix(os.path.join(work, "wineprefix"))
    try:
        prefix.run("wineboot", "-i")
        prefix.settle()

        # Into the user's programs folder by default, then started from its shortcut.
        install(prefix, setup)
        folder = check_installed(prefix, args.exe, args.version, lambda f: re.match(DEFAULT_FOLDER, f))
        check_game_starts(prefix, prefix.shortcuts()[0], work)
        check_refused(prefix, "the silent install while the game runs", setup, "/S")
        check_refused(prefix, "the silent uninstall while the game runs", *quiet_uninstall_command(prefix))
        prefix.stop()

        # An update where the player has put files of his own into the game's folder.
        players_files = write_players_files(prefix, [(folder + r"\Partite\partita1.txt", 64 * 1024)])
        install(prefix, setup)
        check_installed(prefix, args.exe, args.version, lambda f: f == folder)
        check_players_files(players_files, "after the update")
        uninstall(prefix, folder, players_files)

        # Into a folder of the player's choosing that holds other files: a subfolder of the game's own.
        players_files.update(write_players_files(prefix, [(CHOSEN_FOLDER + r"\LEGGIMI.txt", 100),
                                                          (TAKEN_FOLDER + r"\LEGGIMI.txt", 100),
                                                          (TAKEN_FOLDER + r"\Tiremola\LEGGIMI.txt", 100)]))
        check_refused(prefix, "the silent install into a folder whose subfolder Tiremola holds other files",
                      setup, "/S", "/D=" + TAKEN_FOLDER)
        install(prefix, setup, "/D=" + CHOSEN_FOLDER)
        folder = check_installed(prefix, args.exe, args.version, lambda f: f == CHOSEN_FOLDER + r"\Tiremola")
        check_players_files(players_files, "after the install with /D=")
        check_refused(prefix, "a second silent install into another folder", setup, "/S", r"/D=C:\Altrove")
        uninstall(prefix, folder, players_files)
    except Failure as failure:
        sys.exit("FAILED: %s (Wine's messages: %s)" % (failure, prefix.log))
    finally:
        prefix.stop()
    print("installed, refused while the game ran, updated, installed into a chosen folder, refused "
          "where it had to, and uninstalled leaving only the player's own files")


if __name__ == "__main__":
    main()
