#!/usr/bin/env python3
"""Installs Tiremola with its installer into a fresh Wine prefix, silently, as a player's machine
gets it, and checks what the player would find: the files in the user's programs folder, the
Start-menu shortcut pointing at the game, the entry among the installed programs, and a game that
starts from the shortcut and paints its window. Every uninstall, however it is started (the
entry's silent command or Disinstalla.exe /S itself), must have removed the game's files, the
shortcut, the folders the installer made and the entry by the time it returns with 0, and once its
last helper has ended, drive C must be as it was before the installation (the temporary folder
included) but for the player's own files.

The rounds, each from a clean machine:
- installed: while the game runs, a silent install and each silent uninstall end with a non-zero
  exit code and change nothing;
- updated: an update over a folder where the player keeps files of his own leaves them and counts
  only the game's files in the entry's size; an install at once after an uninstall stays;
- chosen folders: with /D= a folder that holds a player's file named as the game's read-me gets a
  subfolder of the game's own, folders that cannot be used and a second installation elsewhere are
  refused without a change, and an empty folder the player made stays after the uninstall;
- files held open: while another program holds one of the game's files (the uninstaller, the
  executable, the read-me, the shortcut), an update and an uninstall end with a non-zero exit code,
  and the entry and the uninstaller stay while any of the game's files does;
- the player's shortcuts: a "Tiremola" shortcut of another program is neither replaced nor removed;
- not the installation: files under the game's names that the installer did not write (another
  program's in the entry's folder, a read-me the player changed, an entry without a record) are
  never overwritten nor removed;
- one at a time: while an installer or uninstaller waits for the player, a silent install or
  uninstall is refused without a change;
- another drive: an installation on a drive other than the temporary folder's goes away whole.

A round that fails is reported, and the machine is cleaned by hand before the next one; with
GTEST_FAIL_FAST set (as tools/mutate.sh sets it for every test) the first failed round ends the
test. Needs
DISPLAY (the test command's virtual display). Every Wine call runs with a time limit and with its
output in files, so that a box waiting for an answer fails the test instead of hanging it, and no
Wine process holds on to a pipe of ctest's.
"""

import argparse
import contextlib
import glob
import os
import re
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tiremola"
UNINSTALLER = "Disinstalla.exe"
INSTALLED_FILES = ["Tiremola.exe", "LEGGIMI.txt", UNINSTALLER]
SHORTCUT = "Tiremola.lnk"
# The name the installer gives its shortcut when "Tiremola" is another program's.
OTHER_SHORTCUT = "Tiremola (installato).lnk"
DEFAULT_FOLDER = r"^C:\\users\\[^\\]+\\AppData\\Local\\Programs\\Tiremola$"
# A folder chosen with /D= that holds a file of the player's own, named as the game's read-me.
CHOSEN_FOLDER = r"C:\Giochi"
# A folder whose subfolder Tiremola holds a file of the player's own too.
TAKEN_FOLDER = r"C:\Pieno"
# An empty folder the player made for the game.
EMPTY_FOLDER = r"C:\Vuota"
# A folder where the player keeps a copy of the game's uninstaller.
COPY_FOLDER = r"C:\Copia"
# The program a shortcut of the player's own points at.
OTHER_PROGRAM = r"C:\windows\notepad.exe"
# The windows of the installer and the uninstaller while they wait for the player.
SETUP_WINDOW = "^Installazione di Tiremola"
UNINSTALL_WINDOW = "^Disinstallazione di Tiremola"
FORM_BACKGROUND = (153, 204, 255)
WHITE = (255, 255, 255)
WINE_TIMEOUT = 120
# How long an uninstaller's last helper may take to remove the uninstaller's file once it ended.
CLEANUP_TIMEOUT = 45


class Failure(Exception):
    pass


class Prefix:
    def __init__(self, path):
        self.path = path
        self.env = dict(os.environ, WINEPREFIX=path, WINEDEBUG="-all",
                        # Shortcuts would otherwise also become menu entries in the real home folder.
                        WINEDLLOVERRIDES="winemenubuilder.exe=d")
        self.log = os.path.join(os.path.dirname(path), "wine.log")
        # The Unix folder behind drive D:, once there is one.
        self.drive_d = None

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

    def start(self, *arguments):
        """Starts a Wine program that is left waiting; ends with stop()."""
        with open(self.log, "ab") as log:
            return subprocess.Popen(["wine", *arguments], env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=log, stderr=log)

    def settle(self):
        """Waits until every program of the prefix has ended, the uninstaller's helper too."""
        self.run("wineserver", "-w")

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        subprocess.run(["wineserver", "-w"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)

    def windows(self, unix_path):
        return "C:\\" + os.path.relpath(unix_path, os.path.join(self.path, "drive_c")).replace("/", "\\")

    def unix(self, windows_path):
        if re.match(r"^[Dd]:\\", windows_path) and self.drive_d:
            return os.path.join(self.drive_d, *windows_path[3:].split("\\"))
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

    def start_menu(self):
        """The Start menu's Programs folder of the prefix's user."""
        found = glob.glob(os.path.join(self.path, "drive_c", "users", "*", "AppData", "Roaming", "Microsoft",
                                       "Windows", "Start Menu", "Programs"))
        if len(found) != 1:
            raise Failure("Start-menu folders: %r" % found)
        return found[0]

    def shortcuts(self):
        return sorted(glob.glob(os.path.join(self.start_menu(), "Tiremola*.lnk")))

    def temp(self):
        found = glob.glob(os.path.join(self.path, "drive_c", "users", "*", "Temp"))
        if len(found) != 1:
            raise Failure("temporary folders: %r" % found)
        return found[0]

    def snapshot(self, entry=True):
        """Every folder and file of drive C outside the system's own folder, and of drive D when
        there is one, with each file's size and time, and the values of the installed programs'
        entry (None with entry False): what an installer or uninstaller could change."""
        drives = [("C", os.path.join(self.path, "drive_c"))]
        if self.drive_d:
            drives.append(("D", self.drive_d))
        found = {}
        for letter, drive in drives:
            for folder, names, files in os.walk(drive):
                if folder == drive and letter == "C":
                    names.remove("windows")
                for name in names:
                    found["%s:%s" % (letter, os.path.relpath(os.path.join(folder, name), drive))] = "folder"
                for name in files:
                    info = os.lstat(os.path.join(folder, name))
                    found["%s:%s" % (letter, os.path.relpath(os.path.join(folder, name), drive))] = \
                        (info.st_size, info.st_mtime_ns)
        return found, self.uninstall_entry() if entry else None

    def traces(self):
        """Every file and folder of the prefix, and every line of the current user's registry
        (where the installer writes), that names the game."""
        found = []
        for folder, names, files in os.walk(os.path.join(self.path, "drive_c")):
            found += [os.path.join(folder, n) for n in names + files if "tiremola" in n.lower()]
        exported = os.path.join(os.path.dirname(self.path), "user-registry.reg")
        code, _ = self.wine("reg", "export", "HKCU", "Z:" + exported.replace("/", "\\"), "/y")
        if code != 0:
            raise Failure("could not export the user's registry")
        with open(exported, encoding="utf-16", errors="replace") as lines:
            found += ["registry: " + line.strip() for line in lines if "tiremola" in line.lower()]
        return found


def differences(before, after):
    """The paths whose presence, size or time differ between two snapshots, and whether the entry
    differs."""
    changed = sorted(path for path in set(before[0]) | set(after[0]) if before[0].get(path) != after[0].get(path))
    return changed, before[1] != after[1]


def expect(failures, condition, what):
    if not condition:
        failures.append(what)


def shortcut_target(path):
    """The local path a shell link points at, as its LinkInfo records it, or None."""
    with open(path, "rb") as link:
        data = link.read()
    if len(data) < 0x4C or data[:4] != b"\x4c\0\0\0":
        return None
    flags = struct.unpack_from("<I", data, 20)[0]
    at = 0x4C
    if flags & 1:  # HasLinkTargetIDList
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if not flags & 2:  # HasLinkInfo
        return None
    header_size, info_flags = struct.unpack_from("<II", data, at + 4)
    if not info_flags & 1:  # VolumeIDAndLocalBasePath
        return None
    if header_size >= 0x24:
        start = at + struct.unpack_from("<I", data, at + 28)[0]
        end = start
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[start:end].decode("utf-16-le")
    start = at + struct.unpack_from("<I", data, at + 16)[0]
    return data[start:data.index(b"\0", start)].decode("cp1252")


def write_shortcut(path, target):
    """Writes a shell link of the player's own to target: the header and a LinkInfo holding the
    target's local path (the format Windows documents, MS-SHLLINK)."""
    base = target.encode("cp1252") + b"\0"
    volume = struct.pack("<IIII", 17, 3, 0, 16) + b"\0"  # size, a fixed drive, serial, label offset
    body = volume + base + b"\0"  # the local path, then an empty common path suffix
    info = struct.pack("<IIIIIII", 28 + len(body), 28, 1, 28, 28 + len(volume), 0, 28 + len(volume) + len(base)) + body
    link_clsid = bytes.fromhex("0114020000000000c000000000000046")
    header = struct.pack("<I16sII", 0x4C, link_clsid, 2, 0) + b"\0" * 24 + struct.pack("<IIII", 0, 0, 1, 0) + b"\0" * 8
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(header + info + b"\0\0\0\0")
    if shortcut_target(path) != target:
        raise Failure("the player's shortcut %s was not written as meant" % path)
    with open(path, "rb") as written:
        return written.read()


def check_installed(prefix, shipped_exe, version, expected_folder, shortcut=SHORTCUT):
    """Checks the files, the shortcut (its name, or None for none) and the entry; returns the
    install folder."""
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
    # Both commands run the uninstaller in the game's folder, the silent one with /S.
    for name, silent in (("UninstallString", False), ("QuietUninstallString", True)):
        command = split_command(value(name) or "") or []
        expect(failures, command[:1] == [folder + "\\" + UNINSTALLER] and ("/S" in command) == silent,
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

    ours = [p for p in prefix.shortcuts() if shortcut_target(p) == exe]
    wanted = [os.path.join(prefix.start_menu(), shortcut)] if shortcut else []
    expect(failures, ours == wanted, "Start-menu shortcuts to the game: %r, not %r" % (ours, wanted))
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


def wait_for_window(name, what):
    deadline = time.time() + 60
    while time.time() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], capture_output=True, text=True)
        if found.stdout.split():
            return
        time.sleep(0.3)
    raise Failure("%s showed no window within 60 s" % what)


def split_command(command):
    """A command of the entry, a quoted program and its arguments, as a list; None when it is not."""
    match = re.match(r'^"([^"]+)"\s*(.*)$', command)
    return [match.group(1)] + match.group(2).split() if match else None


def uninstall_command(prefix, value="QuietUninstallString"):
    """One of the entry's uninstall commands, as a tool that removes programs runs it."""
    command = ((prefix.uninstall_entry() or {}).get(value) or ("", ""))[1]
    if not split_command(command):
        raise Failure("no uninstall command %s in the entry: %r" % (value, command))
    return split_command(command)


def direct_uninstall_command(folder):
    """The uninstaller started as a script or a player starts it: the file itself, silently."""
    return [folder + "\\" + UNINSTALLER, "/S"]


def check_refused(prefix, what, *command):
    """Runs an installer or uninstaller that must refuse: a non-zero exit code, nothing changed."""
    before = prefix.snapshot()
    code, _ = prefix.wine(*command)
    changed, entry_changed = differences(before, prefix.snapshot())
    failures = []
    expect(failures, code != 0, "it ended with 0")
    expect(failures, changed == [], "it changed %s" % "; ".join(changed[:10]))
    expect(failures, not entry_changed, "it changed the installed programs' entry")
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


def uninstall(prefix, folder, expected, command=None):
    """An uninstall, by default the entry's silent command: by the time it ends with 0 the game's
    files, its shortcut and its entry are gone; once its helper has ended, drive C is as the
    snapshot expected shows it (taken before the installation, with the player's files)."""
    code, _ = prefix.wine(*(command or uninstall_command(prefix)))
    if code != 0:
        raise Failure("the silent uninstall %s ended with %d" % (" ".join(command or ["(the entry's)"]), code))
    exe = folder + "\\Tiremola.exe"
    failures = []
    for name in INSTALLED_FILES:
        # A file the player changed is his and stays.
        path = os.path.join(prefix.unix(folder), name)
        expect(failures, not os.path.exists(path) or "C:" + os.path.relpath(path, os.path.join(prefix.path, "drive_c"))
               in expected[0], "%s is still there" % name)
    expect(failures, [p for p in prefix.shortcuts() if shortcut_target(p) == exe] == [],
           "the shortcut is still there")
    expect(failures, prefix.uninstall_entry() is None, "the installed programs' entry is still there")
    if failures:
        raise Failure("as the silent uninstall ended: " + "; ".join(failures))
    # Only the uninstaller's own file may stay a moment longer, for its helper to remove.
    deadline = time.time() + CLEANUP_TIMEOUT
    while True:
        changed, _ = differences((expected[0], None), prefix.snapshot(entry=False))
        if not changed or time.time() > deadline:
            break
        time.sleep(0.2)
    if changed:
        raise Failure("after the silent uninstall, drive C differs from before the installation: %s"
                      % "; ".join(changed[:10]))
    # Files and folders of the player's may bear the game's name.
    kept = {os.path.join(prefix.path, "drive_c", path[2:]) for path in expected[0] if path.startswith("C:")}
    left = [t for t in prefix.traces() if t not in kept]
    if left:
        raise Failure("after the silent uninstall, left behind: %s" % "; ".join(left[:10]))


def install(prefix, setup, *options):
    code, _ = prefix.wine(setup, "/S", *options)
    if code != 0:
        raise Failure("the silent install %s ended with %d" % (" ".join(options), code))


@contextlib.contextmanager
def holding(prefix, holder, *windows_paths):
    """Keeps files open in another program, as a viewer would: readable, but not writable or
    removable, until the block ends."""
    with open(prefix.log, "ab") as log:
        process = subprocess.Popen(["wine", holder, *windows_paths], env=prefix.env, stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=log)
    try:
        ready, _, _ = select.select([process.stdout], [], [], WINE_TIMEOUT)
        line = process.stdout.readline() if ready else b""
        if line.strip() != b"ready":
            raise Failure("could not hold %s open: %r" % (" ".join(windows_paths), line))
        yield
    finally:
        process.stdin.close()
        process.stdout.close()
        try:
            process.wait(timeout=WINE_TIMEOUT)
        except subprocess.TimeoutExpired:
            process.kill()


class Machine:
    """The prefix and what the rounds share: the installer, the executable that ships, the
    version, the program that holds files open, and drive C as it was before any installation."""

    def __init__(self, prefix, args, work):
        self.prefix, self.setup, self.exe, self.version = prefix, os.path.abspath(args.setup), args.exe, args.version
        self.holder, self.work = os.path.abspath(args.holder), work
        self.clean = prefix.snapshot()

    def installed(self, expected_folder, shortcut=SHORTCUT):
        return check_installed(self.prefix, self.exe, self.version, expected_folder, shortcut)

    def default_folder(self, folder):
        return re.match(DEFAULT_FOLDER, folder)

    def with_players_files(self, players_files, base=None):
        """The snapshot expected after an uninstall: the clean machine with the player's files, and
        the folders that hold them."""
        files, entry = base or self.clean
        files = dict(files)
        drive = os.path.join(self.prefix.path, "drive_c")
        for path in players_files:
            info = os.lstat(path)
            files["C:" + os.path.relpath(path, drive)] = (info.st_size, info.st_mtime_ns)
            folder = os.path.dirname(path)
            while folder != drive:
                files["C:" + os.path.relpath(folder, drive)] = "folder"
                folder = os.path.dirname(folder)
        return files, entry

    def tidy(self, within=None):
        """Takes away every file and folder that the clean machine did not have (in the folder
        within only, when given): the player's files once a round is done with them, or whatever
        a failed round left."""
        drive = os.path.join(self.prefix.path, "drive_c")
        new = set(self.prefix.snapshot(entry=False)[0]) - set(self.clean[0])
        if within:
            key = "C:" + os.path.relpath(within, drive)
            new = {path for path in new if path.startswith(key + "/")}
        for path in sorted(new, reverse=True):
            letter, relative = path.split(":", 1)
            full = os.path.join(drive if letter == "C" else self.prefix.drive_d, relative)
            if os.path.isdir(full) and not os.path.islink(full):
                shutil.rmtree(full, ignore_errors=True)
            elif os.path.lexists(full):
                os.remove(full)

    def reset(self):
        """Makes the machine clean again after a failed round: its programs ended, the files and
        folders it left and the entry taken away."""
        self.prefix.stop()
        self.tidy()
        self.prefix.wine("reg", "delete", UNINSTALL_KEY, "/f")


def installed_round(m):
    """Into the user's programs folder by default, then started from its shortcut; while it runs
    nothing installs or uninstalls, however started."""
    install(m.prefix, m.setup)
    folder = m.installed(m.default_folder)
    check_game_starts(m.prefix, m.prefix.shortcuts()[0], m.work)
    for what, command in (("the silent install", [m.setup, "/S"]),
                          ("the entry's silent uninstall", uninstall_command(m.prefix)),
                          ("Disinstalla.exe /S", direct_uninstall_command(folder))):
        check_refused(m.prefix, what + " while the game runs", *command)
    m.prefix.stop()
    uninstall(m.prefix, folder, m.clean)


def updated_round(m):
    """An update where the player has put files of his own into the game's folder; the uninstaller
    started directly; an install at once after it, which nothing takes away afterwards."""
    install(m.prefix, m.setup)
    folder = m.installed(m.default_folder)
    players_files = write_players_files(m.prefix, [(folder + r"\Partite\partita1.txt", 64 * 1024)])
    install(m.prefix, m.setup)
    m.installed(lambda f: f == folder)
    check_players_files(players_files, "after the update")
    expected = m.with_players_files(players_files)
    uninstall(m.prefix, folder, expected, direct_uninstall_command(folder))
    # The folder holds the player's files now: the game goes into a subfolder.
    install(m.prefix, m.setup)
    m.prefix.settle()
    inner = m.installed(lambda f: f == folder + r"\Tiremola")
    check_players_files(players_files, "after the install that followed the uninstall")
    uninstall(m.prefix, inner, expected)
    m.tidy()


def chosen_folders_round(m):
    """Into folders of the player's choosing: one that holds other files gets a subfolder of the
    game's own, folders that cannot be used and a second installation elsewhere are refused, an
    empty folder the player made stays after the uninstall."""
    players_files = write_players_files(m.prefix, [(CHOSEN_FOLDER + r"\LEGGIMI.txt", 100),
                                                   (TAKEN_FOLDER + r"\LEGGIMI.txt", 100),
                                                   (TAKEN_FOLDER + r"\Tiremola\LEGGIMI.txt", 100)])
    os.makedirs(m.prefix.unix(EMPTY_FOLDER))
    expected = m.prefix.snapshot()
    check_refused(m.prefix, "the silent install into a folder whose subfolder Tiremola holds other files",
                  m.setup, "/S", "/D=" + TAKEN_FOLDER)
    install(m.prefix, m.setup, "/D=" + CHOSEN_FOLDER)
    folder = m.installed(lambda f: f == CHOSEN_FOLDER + r"\Tiremola")
    check_players_files(players_files, "after the install with /D=")
    check_refused(m.prefix, "a second silent install into another folder", m.setup, "/S", r"/D=C:\Altrove")
    uninstall(m.prefix, folder, expected)
    install(m.prefix, m.setup, "/D=" + EMPTY_FOLDER)
    folder = m.installed(lambda f: f == EMPTY_FOLDER)
    uninstall(m.prefix, folder, expected)
    m.tidy()


def held_files_round(m):
    """Each of the game's files held open by another program: the update cannot write it and ends
    with a non-zero exit code; the uninstall cannot remove it, ends with a non-zero exit code and
    leaves the entry and the uninstaller, which takes the game away once the file is free."""
    install(m.prefix, m.setup)
    folder = m.installed(m.default_folder)
    shortcut = m.prefix.windows(os.path.join(m.prefix.start_menu(), SHORTCUT))
    for held in (folder + r"\LEGGIMI.txt", shortcut, folder + r"\Tiremola.exe", folder + "\\" + UNINSTALLER):
        with holding(m.prefix, m.holder, held):
            code, _ = m.prefix.wine(m.setup, "/S")
            if code == 0:
                raise Failure("the silent install ended with 0 while %s could not be written" % held)
            code, _ = m.prefix.wine(*uninstall_command(m.prefix))
            failures = []
            expect(failures, code != 0, "it ended with 0")
            expect(failures, os.path.isfile(m.prefix.unix(held)), "%s is gone" % held)
            expect(failures, os.path.isfile(os.path.join(m.prefix.unix(folder), UNINSTALLER)),
                   "the uninstaller is gone")
            expect(failures, m.prefix.uninstall_entry() is not None, "the entry is gone")
            if failures:
                raise Failure("the silent uninstall while %s could not be removed: %s" % (held, "; ".join(failures)))
        install(m.prefix, m.setup)
        m.installed(lambda f: f == folder)
    uninstall(m.prefix, folder, m.clean)


def players_shortcuts_round(m):
    """The player's own "Tiremola" shortcut to another program stays as it is: the installer's
    gets another name, or none when that name is taken too, and the uninstaller removes only a
    shortcut that points at the game."""
    menu = m.prefix.start_menu()
    players = {os.path.join(menu, SHORTCUT): write_shortcut(os.path.join(menu, SHORTCUT), OTHER_PROGRAM)}
    expected = m.prefix.snapshot()
    install(m.prefix, m.setup)
    folder = m.installed(m.default_folder, OTHER_SHORTCUT)
    check_players_files(players, "after the install")
    uninstall(m.prefix, folder, expected)
    players[os.path.join(menu, OTHER_SHORTCUT)] = write_shortcut(os.path.join(menu, OTHER_SHORTCUT), OTHER_PROGRAM)
    expected = m.prefix.snapshot()
    install(m.prefix, m.setup)
    folder = m.installed(m.default_folder, None)
    check_players_files(players, "after the install beside two shortcuts of the player's")
    uninstall(m.prefix, folder, expected)
    m.tidy()
    install(m.prefix, m.setup)
    folder = m.installed(m.default_folder)
    # The player puts a shortcut of his own in the place of the game's.
    players = {os.path.join(menu, SHORTCUT): write_shortcut(os.path.join(menu, SHORTCUT), OTHER_PROGRAM)}
    uninstall(m.prefix, folder, m.with_players_files(players))
    m.tidy()


def not_the_installation_round(m):
    """Files under the game's names that the installer did not write are the player's: another
    program's files in the entry's folder, emptied by hand, a copy of the game's uninstaller in
    another folder, a read-me the player changed, the folder of an entry that records no files."""
    install(m.prefix, m.setup)
    folder = m.installed(m.default_folder)
    shutil.rmtree(m.prefix.unix(folder))
    others = write_players_files(m.prefix, [(folder + "\\" + UNINSTALLER, 40 * 1024), (folder + r"\LEGGIMI.txt", 300)])
    install(m.prefix, m.setup)
    inner = m.installed(lambda f: f == folder + r"\Tiremola")
    check_players_files(others, "after the install over the other program's files")
    uninstall(m.prefix, inner, m.with_players_files(others))
    m.tidy()

    install(m.prefix, m.setup)
    folder = m.installed(m.default_folder)
    # A copy of the game's own uninstaller that the player keeps elsewhere is not the installation's.
    copy = COPY_FOLDER + "\\" + UNINSTALLER
    os.makedirs(m.prefix.unix(COPY_FOLDER))
    shutil.copyfile(os.path.join(m.prefix.unix(folder), UNINSTALLER), m.prefix.unix(copy))
    with open(m.prefix.unix(copy), "rb") as kept:
        changed = {m.prefix.unix(copy): kept.read()}
    check_refused(m.prefix, "a copy of the uninstaller in another folder, started silently", copy, "/S")
    changed.update(write_players_files(m.prefix, [(folder + r"\LEGGIMI.txt", 500)]))
    check_refused(m.prefix, "the silent install over a read-me the player changed", m.setup, "/S")
    uninstall(m.prefix, folder, m.with_players_files(changed))
    m.tidy()

    install(m.prefix, m.setup)
    folder = m.installed(m.default_folder)
    m.prefix.wine("reg", "delete", UNINSTALL_KEY + r"\Files", "/f")
    check_refused(m.prefix, "the silent install over an entry without a record of its files", m.setup, "/S")
    check_refused(m.prefix, "the silent uninstall of an entry without a record of its files",
                  *uninstall_command(m.prefix))
    m.reset()


def one_at_a_time_round(m):
    """While an installer or an uninstaller waits for the player, a silent install and a silent
    uninstall are refused and change nothing."""
    install(m.prefix, m.setup)
    folder = m.installed(m.default_folder)
    for what, command, window in (("the uninstaller", [folder + "\\" + UNINSTALLER], UNINSTALL_WINDOW),
                                  ("the installer", [m.setup], SETUP_WINDOW)):
        waiting = m.prefix.start(*command)
        try:
            wait_for_window(window, what)
            check_refused(m.prefix, "the silent install while %s waits" % what, m.setup, "/S")
            check_refused(m.prefix, "the silent uninstall while %s waits" % what, *uninstall_command(m.prefix))
        finally:
            m.prefix.stop()
            waiting.wait()
        # Ended from outside, it could not take away its own temporary files.
        m.tidy(m.prefix.temp())
    uninstall(m.prefix, folder, m.clean)


def other_drive_round(m):
    """On a drive other than the temporary folder's, where a running program's file cannot be moved
    to: the installation goes away whole too."""
    install(m.prefix, m.setup, r"/D=D:\Giochi\Tiremola")
    folder = m.installed(lambda f: f == r"D:\Giochi\Tiremola")
    uninstall(m.prefix, folder, m.clean)


ROUNDS = [installed_round, updated_round, chosen_folders_round, held_files_round, players_shortcuts_round,
          not_the_installation_round, one_at_a_time_round, other_drive_round]


def make_drive_d(prefix, work):
    """Drive D: a folder on another file system than the prefix's, as another disk is."""
    for candidate in ("/dev/shm", "/run/shm", tempfile.gettempdir()):
        if os.path.isdir(candidate) and os.stat(candidate).st_dev != os.stat(prefix.path).st_dev:
            prefix.drive_d = tempfile.mkdtemp(prefix="tiremola-drive-d-", dir=candidate)
            os.symlink(prefix.drive_d, os.path.join(prefix.path, "dosdevices", "d:"))
            return
    raise Failure("no folder on another file system than %s for drive D:" % work)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--setup", required=True, help="the installer")
    parser.add_argument("--exe", required=True, help="the executable that ships")
    parser.add_argument("--version", required=True)
    parser.add_argument("--holder", required=True, help="the program that holds files open")
    parser.add_argument("--work", required=True, help="a folder for the prefix and the pictures")
    parser.add_argument("--round", action="append", help="only the named rounds")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        sys.exit("needs DISPLAY, as the test command provides it")

    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "wineprefix"))
    prefix = Prefix(os.path.join(work, "wineprefix"))
    failed = []
    try:
        prefix.run("wineboot", "-i")
        prefix.settle()
        make_drive_d(prefix, work)
        machine = Machine(prefix, args, work)
        for round_ in ROUNDS:
            name = round_.__name__[:-len("_round")]
            if args.round and name not in args.round:
                continue
            started = time.time()
            try:
                round_(machine)
                print("%-20s passed (%.0f s)" % (name, time.time() - started), flush=True)
            except Failure as failure:
                print("%-20s FAILED: %s" % (name, failure), flush=True)
                failed.append(name)
                if os.environ.get("GTEST_FAIL_FAST", "0") not in ("", "0"):
                    break
                machine.reset()
    except Failure as failure:
        sys.exit("FAILED: %s (Wine's messages: %s)" % (failure, prefix.log))
    finally:
        prefix.stop()
        if prefix.drive_d:
            shutil.rmtree(prefix.drive_d, ignore_errors=True)
    if failed:
        sys.exit("FAILED: %s (Wine's messages: %s)" % (", ".join(failed), prefix.log))
    print("installed, refused while the game ran, updated, installed into chosen folders, refused where "
          "it had to, left the player's files and shortcuts, and uninstalled leaving nothing else behind")


if __name__ == "__main__":
    main()
