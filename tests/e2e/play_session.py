#!/usr/bin/env python3
"""Plays one session of Tiremola through the real program, as a player would, and checks at every
step what a player would see.

The game is a black box: it gets only real mouse and keyboard input (xdotool), and is judged only
by what is on the screen (screenshots of the X display, read pixel by pixel) and by the windows
the Wine desktop shows (window_list.exe, which prints the visible top-level windows with their
titles and positions). The game runs as a child of this driver, so that its exit code is seen.

Every step saves a screenshot into the shots folder. A failing step names itself and the picture
to look at, and the driver exits non-zero.

With --full-match the session does not abandon its match: the player fires at the computer's
board whenever it is the player's turn and waits while the computer plays, until the box that
says who won; then it checks the boards and the buttons, presses "Nuova" and checks that placing
starts again. That takes minutes and is run by hand.

With --dpi the session plays on a display of that scale (the Wine prefix's): every position and
size below is in the game's logical pixels, 96 to the inch, and becomes the screen's pixels at the
one place where the session looks at the screen or moves the mouse, by the rule the game itself
states: scaled and rounded to the nearest pixel.

Needs DISPLAY (an X screen whose Wine prefix opens its windows in one virtual desktop at (0, 0))
and WINEPREFIX, as test.sh provides them.
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile
import time

# Client coordinates of the game's main window, which is 640 x 400, in logical pixels.
CLIENT_SIZE = (640, 400)
CELL = 23
PLAYER_BOARD = (10, 67)
ENEMY_BOARD = (375, 67)
START_BUTTON = (265, 15, 100, 40)
# The part of the start button that holds its caption, inside the focus rectangle it gets once
# clicked.
START_CAPTION = (START_BUTTON[0] + 6, START_BUTTON[1] + 6, START_BUTTON[2] - 12, START_BUTTON[3] - 12)
INFO_BUTTON = (420, 15, 100, 40)
STATUS_LINE = (10, 330, 620, 60)
SHIP_PICTURE_SIZE = (64, 50)
# A dragged picture trails the mouse by this much, so that a press lands on what lies under it.
DRAG_TRAIL = 10

FORM_BACKGROUND = (153, 204, 255)
HEADER_GREY = (224, 224, 224)
WHITE = (255, 255, 255)
SHIP_BLUE = (0, 0, 255)
HIT_RED = (255, 0, 0)
AIM_YELLOW = (255, 255, 0)

FLEET_CELLS = 27
MAIN_TITLE = "Tiremola"
MENU_CLASS = "#32768"


def ship_length(k):
    return k // 3 + 2


def picture_box(k):
    return (15 + 69 * k, 335) + SHIP_PICTURE_SIZE


# Where the nine ships go, in this order: (ship, column, row, vertical, asks), 1-based cells, no
# two touching along an edge. Where a ship fits both ways the orientation popup must ask (asks),
# and where the board's edge leaves one way only it must not: 6 goes across and 7 down through the
# popup's two items, 8, 3, 4 and 5 lie against an edge. Ship 2 is put down first at MOVED_FROM and
# then picked up again from the board and put down at MOVED_TO.
PLACEMENTS = [
    (6, 1, 1, False, True),
    (7, 1, 3, True, True),
    (8, 10, 1, True, False),
    (3, 1, 10, False, False),
    (4, 5, 10, False, False),
    (5, 10, 6, True, False),
    (0, 3, 3, False, True),
    (1, 6, 3, False, True),
]
MOVED_SHIP = 2
MOVED_FROM = (6, 6, False, True)
MOVED_TO = (4, 8, False, True)


class Failure(Exception):
    pass


def ship_cells(c, r, length, vertical):
    return [(c, r + i) if vertical else (c + i, r) for i in range(length)]


def neighbours(cell):
    c, r = cell
    return [(c + dc, r + dr) for dc, dr in ((-1, 0), (1, 0), (0, -1), (0, 1))
            if 1 <= c + dc <= 10 and 1 <= r + dr <= 10]


class Shooter:
    """The player's choice of where to fire on the computer's board, knowing only what the board
    shows. A hit is followed up: its neighbours while it stands alone, the two ends of the line once
    two hits show which way the ship lies, until misses or the edge close both ends or the line is
    four long. Otherwise the board is swept in a shuffled order; the "checkerboard" sweep takes one
    colour of the checkerboard first, which every ship covers at least once. Cells beside a finished
    line come last, since ships do not touch along an edge; they are not left out, so that a fleet
    that did touch would still be found."""

    def __init__(self, rng, sweep):
        cells = [(c, r) for c in range(1, 11) for r in range(1, 11)]
        rng.shuffle(cells)
        if sweep == "checkerboard":
            colour = rng.randrange(2)
            cells.sort(key=lambda cell: (cell[0] + cell[1]) % 2 != colour)
        self.order = cells
        self.rng = rng
        self.results = {}

    def record(self, cell, result):
        self.results[cell] = result

    def open_cell(self, cell):
        return 1 <= cell[0] <= 10 and 1 <= cell[1] <= 10 and cell not in self.results

    def groups(self):
        """The hits in groups joined along edges, each in the order the hits were made."""
        hits = [cell for cell, result in self.results.items() if result == "hit"]
        seen, found = set(), []
        for cell in hits:
            if cell in seen:
                continue
            group, todo = [], [cell]
            seen.add(cell)
            while todo:
                here = todo.pop()
                group.append(here)
                for other in neighbours(here):
                    if other not in seen and self.results.get(other) == "hit":
                        seen.add(other)
                        todo.append(other)
            found.append(sorted(group, key=hits.index))
        return found

    def follow_up(self, group):
        """The cells that could carry on the ship in 'group', best first; none once it is done."""
        if len(group) == 1:
            options = [cell for cell in neighbours(group[0]) if self.open_cell(cell)]
            self.rng.shuffle(options)
            return options
        columns = {c for c, _ in group}
        rows = {r for _, r in group}
        if len(columns) == 1 or len(rows) == 1:
            if len(group) >= 4:
                return []
            first, last = min(group), max(group)
            if len(columns) == 1:
                ends = [(first[0], first[1] - 1), (last[0], last[1] + 1)]
            else:
                ends = [(first[0] - 1, first[1]), (last[0] + 1, last[1])]
            return [cell for cell in ends if self.open_cell(cell)]
        # Hits that make no straight line: ships touched after all; try round all of them.
        return [cell for hit in group for cell in neighbours(hit) if self.open_cell(cell)]

    def next_cell(self):
        beside_done = set()
        for group in self.groups():
            options = self.follow_up(group)
            if options:
                return options[0]
            for hit in group:
                beside_done.update(neighbours(hit))
        for cell in self.order:
            if cell not in self.results and cell not in beside_done:
                return cell
        for cell in self.order:
            if cell not in self.results:
                return cell
        return None


class Frame:
    """One screenshot of the whole X screen, raw RGB."""

    def __init__(self, data, width, height, taken):
        self.data = data
        self.width = width
        self.height = height
        self.taken = taken

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def region(self, x, y, w, h):
        rows = []
        for yy in range(y, y + h):
            i = (yy * self.width + x) * 3
            rows.append(self.data[i:i + 3 * w])
        return b"".join(rows)

    def colours(self, x, y, w, h):
        data = self.region(x, y, w, h)
        return [tuple(data[i:i + 3]) for i in range(0, len(data), 3)]

    def save(self, path):
        subprocess.run(["convert", "-size", "%dx%d" % (self.width, self.height), "-depth", "8", "rgb:-", path],
                       input=self.data, check=True)


def same_fraction(a, b):
    """The share of pixels two equally sized regions have in common."""
    if len(a) != len(b) or not a:
        return 0.0
    same = sum(1 for i in range(0, len(a), 3) if a[i:i + 3] == b[i:i + 3])
    return same / (len(a) // 3)


def dark(colour):
    return sum(colour) < 250


class Window:
    def __init__(self, line):
        fields = line.split("\t", 6)
        self.handle = fields[0]
        self.class_name = fields[1]
        self.rect = tuple(int(v) for v in fields[2].split(","))
        self.client_origin = tuple(int(v) for v in fields[3].split(","))
        self.client_size = tuple(int(v) for v in fields[4].split(","))
        self.enabled = fields[5] == "1"
        self.title = fields[6] if len(fields) > 6 else ""

    def __repr__(self):
        return "%r (%s) at %s" % (self.title, self.class_name, self.rect)


class Session:
    def __init__(self, args):
        self.args = args
        self.shots = args.shots
        os.makedirs(self.shots, exist_ok=True)
        for name in os.listdir(self.shots):
            if name.endswith(".png"):
                os.remove(os.path.join(self.shots, name))
        geometry = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, text=True, check=True)
        self.screen = tuple(int(v) for v in geometry.stdout.split())
        self.dpi = args.dpi
        self.game = None
        self.step_name = "start"
        self.origin = None
        self.initial = None
        self.x_windows = {}

    # --- seeing --------------------------------------------------------------------------------

    def grab(self):
        taken = time.monotonic()
        raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], capture_output=True, check=True)
        width, height = self.screen
        if len(raw.stdout) != width * height * 3:
            raise Failure("a screenshot came back with %d bytes" % len(raw.stdout))
        return Frame(raw.stdout, width, height, taken)

    def windows(self):
        # The list goes through a file, not a pipe: if this call is what starts the Wine desktop,
        # the desktop lives on holding whatever output it was given, and a pipe would never close.
        # The lister itself always ends with 0; another code is Wine failing to start it, which a
        # loaded machine was seen to do once: it is tried again before the step fails.
        for attempt in range(3):
            with tempfile.TemporaryFile() as listing:
                done = subprocess.run(["wine", self.args.window_list], stdin=subprocess.DEVNULL, stdout=listing,
                                      stderr=subprocess.DEVNULL, timeout=30)
                listing.seek(0)
                lines = listing.read().decode("utf-8", "replace").splitlines()
            if done.returncode == 0:
                return [Window(line.rstrip("\r")) for line in lines if line.count("\t") >= 6]
        raise Failure("the window lister could not be started: Wine answered %d three times" % done.returncode)

    def find_window(self, title=None, class_name=None):
        for window in self.windows():
            if title is not None and window.title != title:
                continue
            if class_name is not None and window.class_name != class_name:
                continue
            return window
        return None

    def main_window(self):
        for window in self.windows():
            if window.title.startswith(MAIN_TITLE) and window.client_size == self.device_size(CLIENT_SIZE):
                return window
        return None

    def wait_for(self, what, check, timeout=10.0, interval=0.05):
        """Polls check() until it returns something true, and returns that; fails after timeout."""
        deadline = time.monotonic() + timeout
        while True:
            result = check()
            if result:
                return result
            if time.monotonic() > deadline:
                raise Failure("timed out after %g s waiting for %s" % (timeout, what))
            time.sleep(interval)

    def wait_for_frame(self, what, check, timeout=10.0):
        """Takes screenshots until check(frame) holds; returns the frame that showed it."""

        def look():
            frame = self.grab()
            return frame if check(frame) else None

        return self.wait_for(what, look, timeout, interval=0.02)

    def device(self, length):
        """A length in logical pixels as the screen shows it: scaled, halves rounded up."""
        return (2 * length * self.dpi + 96) // 192

    def device_size(self, size):
        return tuple(self.device(v) for v in size)

    def screen_point(self, x, y):
        return self.origin[0] + self.device(x), self.origin[1] + self.device(y)

    def screen_box(self, box):
        """Where a box of the client area lies on the screen: scaled by its edges, as the game scales
        its windows, so that boxes that meet still meet."""
        left, top = self.screen_point(box[0], box[1])
        right, bottom = self.screen_point(box[0] + box[2], box[1] + box[3])
        return left, top, right - left, bottom - top

    def client_region(self, frame, box):
        return frame.region(*self.screen_box(box))

    def client_colours(self, frame, box):
        return frame.colours(*self.screen_box(box))

    def cell_box(self, board, c, r):
        return (board[0] + CELL * c, board[1] + CELL * r, CELL, CELL)

    def cell_state(self, frame, board, c, r):
        """What a player reads off a cell: water, ship, aim, hit, miss or something else."""
        x, y, _, _ = self.cell_box(board, c, r)
        # The inside of the cell, clear of its sunken border.
        colours = self.client_colours(frame, (x + 4, y + 4, CELL - 8, CELL - 8))
        total = len(colours)
        count = {}
        for colour in colours:
            count[colour] = count.get(colour, 0) + 1
        blue, red, yellow, white = (count.get(c_, 0) for c_ in (SHIP_BLUE, HIT_RED, AIM_YELLOW, WHITE))
        darks = sum(n for colour, n in count.items() if dark(colour))
        greys = sum(n for colour, n in count.items() if colour[0] == colour[1] == colour[2])
        if blue > total // 2 and white > 0:
            return "ship"
        if yellow > total // 2:
            return "aim"
        if red > total // 2:
            return "hit" if white > 0 else "red"
        if white == total:
            return "water"
        # A miss: a dark mark on white, nothing else in colour.
        if white > total // 2 and greys == total and darks > 0:
            return "miss"
        return "other"

    def board_states(self, frame, board):
        return {(c, r): self.cell_state(frame, board, c, r) for c in range(1, 11) for r in range(1, 11)}

    def picture_ink(self, frame, k):
        """Pixels in ship picture k's place in the tray that are not the tray's white."""
        x, y, w, h = picture_box(k)
        # The tray is the white status line; the last picture reaches a pixel past its edge.
        w = min(w, STATUS_LINE[0] + STATUS_LINE[2] - x)
        return sum(1 for colour in self.client_colours(frame, (x, y, w, h)) if colour != WHITE)

    # --- acting --------------------------------------------------------------------------------

    def mouse(self):
        shown = subprocess.run(["xdotool", "getmouselocation", "--shell"], capture_output=True, text=True, check=True)
        place = dict(line.split("=", 1) for line in shown.stdout.split())
        return int(place["X"]), int(place["Y"])

    def move(self, x, y):
        self.move_screen(*self.screen_point(x, y))

    def move_screen(self, sx, sy):
        # --sync waits for the pointer to arrive; asked to stay where it is, it waits for ages.
        if self.mouse() != (sx, sy):
            subprocess.run(["xdotool", "mousemove", "--sync", str(sx), str(sy)], check=True)

    def click(self, x, y):
        self.move(x, y)
        subprocess.run(["xdotool", "click", "1"], check=True)

    def click_screen(self, sx, sy):
        self.move_screen(sx, sy)
        subprocess.run(["xdotool", "click", "1"], check=True)

    def key(self, name):
        subprocess.run(["xdotool", "key", name], check=True)

    def cell_centre(self, board, c, r):
        x, y, w, h = self.cell_box(board, c, r)
        return x + w // 2, y + h // 2

    # --- bookkeeping ---------------------------------------------------------------------------

    def shot(self, frame, name):
        path = os.path.join(self.shots, "%s-%s.png" % (self.step_name, name) if name else "%s.png" % self.step_name)
        frame.save(path)
        return path

    def alive(self):
        return self.game is not None and self.game.poll() is None

    def launch(self):
        self.game = subprocess.Popen(["wine", self.args.exe], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def stop(self):
        if self.alive():
            self.game.kill()
            self.game.wait(timeout=10)

    # --- the keyboard --------------------------------------------------------------------------

    def x_window(self, title):
        """The X window of the game's top-level window (or a box of it) with this exact title, or of
        the first whose title starts with it; Wine gives each its own X window inside the desktop."""
        found = subprocess.run(["xdotool", "search", "--name", title], capture_output=True, text=True)
        ids = found.stdout.split()
        for wid in ids:
            name = subprocess.run(["xdotool", "getwindowname", wid], capture_output=True, text=True).stdout.strip()
            if name == title or name.startswith(title):
                return wid
        return None

    def press(self, *names, window=None):
        """Keys as a player types them, with the X focus on the game's window (or the box named),
        which is where Wine takes the keys from. The game's own X window lives as long as the game;
        a box's is looked up each time."""
        title = window or MAIN_TITLE
        wid = self.x_windows.get(title) if not window else None
        if not wid:
            wid = self.wait_for("the X window of %r" % title, lambda: self.x_window(title), timeout=5, interval=0.1)
            if not window:
                self.x_windows[title] = wid
        subprocess.run(["xdotool", "windowfocus", "--sync", wid, "key", "--delay", "40"] + list(names), check=True)
        time.sleep(0.1)

    def tab_to(self, target):
        """Moves the focus by Tab or Shift+Tab, whichever is shorter, to one of the stops: the
        three buttons, the two boards, and the tray while placing and while it shows a picture."""
        order = ["start", "info", "close", "player", "enemy"]
        if self.placing and len(self.placed) < 9:
            order.append("tray")
        here, there = order.index(self.at), order.index(target)
        forward, backward = (there - here) % len(order), (here - there) % len(order)
        keys = ["Tab"] * forward if forward <= backward else ["shift+Tab"] * backward
        if keys:
            self.press(*keys)
        self.at = target

    def fire(self, cell):
        """A shot at the computer's cell, with the mouse or by keys."""
        if not self.args.keyboard:
            self.click(*self.cell_centre(ENEMY_BOARD, *cell))
            return
        self.tab_to("enemy")
        self.walk("enemy", cell)
        self.press("Return")

    def answer_box(self, title, key="Return"):
        """Answers a message box by a key, with the keyboard's focus on the box."""
        if self.args.keyboard:
            self.press(key, window=title)
        else:
            self.key(key)

    def walk(self, board, to):
        """Moves the focus on a board from the cell focused there last to 'to', by arrows."""
        here = self.cursor[board]
        keys = (["Right"] * (to[0] - here[0]) + ["Left"] * (here[0] - to[0]) +
                ["Down"] * (to[1] - here[1]) + ["Up"] * (here[1] - to[1]))
        if keys:
            self.press(*keys)
        self.cursor[board] = to

    def tray_to(self, k):
        """With the focus in the tray, moves it to picture k among the pictures still shown."""
        shown = [i for i in range(9) if i not in self.placed]
        keys = shown.index(k) - shown.index(self.tray)
        if keys:
            self.press(*(["Right"] * keys if keys > 0 else ["Left"] * -keys))
        self.tray = k

    def tray_stop(self):
        """The tray's picture the focus comes back to: the one focused last, or the first shown."""
        shown = [i for i in range(9) if i not in self.placed]
        if self.tray not in shown:
            self.tray = shown[0]
        return self.tray

    def over_cell(self, k, c, r, what):
        """Waits until ship picture k stands where the mouse's trail would put it over the
        focused cell (c, r): ten pixels right and down of the cell's top-left corner."""
        x, y, _, _ = self.cell_box(PLAYER_BOARD, c, r)
        home = self.client_region(self.initial, picture_box(k))
        _, _, w, h = self.screen_box(picture_box(k))

        def there(frame):
            here = frame.region(*self.screen_point(x + DRAG_TRAIL, y + DRAG_TRAIL), w, h)
            return same_fraction(here, home) > 0.9 and self.picture_ink(frame, k) == 0

        return self.wait_for_frame("ship picture %d over the focused cell (%d, %d) %s" % (k, c, r, what), there,
                                   timeout=5)

    def focus_shown(self, frame, board, c, r):
        """The focused cell, still water, shows the focus rectangle: it looks otherwise than it did
        at the start, when no cell had the focus, and its middle is still plain water."""
        box = self.cell_box(board, c, r)
        return (self.client_region(frame, box) != self.client_region(self.initial, box) and
                self.cell_state(frame, board, c, r) == "water")

    def drop_outcome(self, k, c, r, vertical):
        """Waits, after ship k was dropped at (c, r), until its cells turn blue or the orientation
        popup shows; answers the cells, the test that they show the ship, and the popup if one came."""
        cells = ship_cells(c, r, ship_length(k), vertical)
        placed = lambda f: all(self.cell_state(f, PLAYER_BOARD, *cell) == "ship" for cell in cells)
        popped = None

        def outcome():
            nonlocal popped
            popped = self.find_window(class_name=MENU_CLASS)
            return popped or placed(self.grab())

        self.wait_for("ship %d to be placed at %s, or the orientation popup" % (k, cells), outcome, timeout=5)
        return cells, placed, popped

    def k_drop(self, k, c, r, vertical, asks):
        """Ship k, dragged by keys, put down at (c, r) with Enter; through the popup by keys where it
        fits both ways."""
        self.walk("player", (c, r))
        self.over_cell(k, c, r, "before the drop")
        self.press("Return")
        cells, placed, popped = self.drop_outcome(k, c, r, vertical)
        if bool(popped) != asks:
            raise Failure("ship %d dropped by key at (%d, %d) %s the orientation popup"
                          % (k, c, r, "brought up" if popped else "did not bring up"))
        if popped:
            # It opens at the focused cell, under its bottom-left corner, not where the mouse is.
            x, y, _, _ = self.cell_box(PLAYER_BOARD, c, r)
            corner = self.screen_point(x, y + CELL)
            if max(abs(popped.rect[0] - corner[0]), abs(popped.rect[1] - corner[1])) > self.device(3):
                raise Failure("the popup %r opened away from the focused cell's corner %s" % (popped, corner))
            self.shot(self.grab(), "popup-ship%d" % k)
            self.press(*(["Down", "Down", "Return"] if vertical else ["Down", "Return"]))
            self.wait_for("the popup to close", lambda: self.find_window(class_name=MENU_CLASS) is None, timeout=5)
        self.wait_for_frame("ship %d's cells %s to turn blue" % (k, cells), placed, timeout=5)
        self.placed.add(k)
        return self.wait_for_frame("ship picture %d to leave the tray" % k, lambda f: self.picture_ink(f, k) == 0, 5)

    def k_take(self, k):
        """Tab to the tray, the picture k there, and Enter: the focus goes to the player's board."""
        self.tab_to("tray")
        self.tray_stop()
        self.tray_to(k)
        self.press("Return")
        self.at = "player"
        return self.over_cell(k, *self.cursor["player"], "once taken from the tray")

    def kstep1_start_too_early(self):
        self.cursor = {"player": (1, 1), "enemy": (1, 1)}
        self.placed = set()
        self.placing = True
        self.tray = 0
        # From the game's own window, the first Tab reaches the start button.
        self.press("Tab", "Return")
        self.at = "start"
        box = self.wait_for("the 'Attenzione' box", lambda: self.find_window(title="Attenzione"))
        self.shot(self.grab(), "box")
        self.press("Return", window="Attenzione")
        self.wait_for("the 'Attenzione' box to go after Enter", lambda: self.find_window(title="Attenzione") is None)
        print("  box %r answered by Enter" % box)
        # The focus is back on the start button, which shows it.
        frame = self.wait_for_frame("the start button to show its focus again", lambda f: self.client_region(
            f, START_BUTTON) != self.client_region(self.initial, START_BUTTON), timeout=5)
        self.shot(frame, "")

    def kstep2_place_fleet(self):
        # From the start button: Info, Chiudi, the player's board, the computer's board, the tray.
        self.tab_to("player")
        frame = self.wait_for_frame("the focus rectangle on the player's cell A1",
                                    lambda f: self.focus_shown(f, PLAYER_BOARD, 1, 1), timeout=5)
        self.shot(frame, "focus-a1")
        self.k_take(6)
        # A drop that fits neither way is refused and the drag goes on.
        self.walk("player", (10, 10))
        before = self.board_states(self.grab(), PLAYER_BOARD)
        self.press("Return")
        frame = self.over_cell(6, 10, 10, "after a refused drop")
        if self.board_states(frame, PLAYER_BOARD) != before:
            raise Failure("a drop that fits neither way changed the player's board")
        self.shot(frame, "refused")
        # Escape puts the ship back in the tray, with the focus on it.
        self.press("Escape")
        self.wait_for_frame("ship picture 6 back in the tray", lambda f: same_fraction(
            self.client_region(f, picture_box(6)), self.client_region(self.initial, picture_box(6))) > 0.9, 5)
        self.tray = 6
        self.at = "tray"
        self.press("Return")
        self.at = "player"
        self.over_cell(6, 10, 10, "taken again after Escape")
        frame = self.k_drop(6, *PLACEMENTS[0][1:])
        self.shot(frame, "first")
        for k, c, r, vertical, asks in PLACEMENTS[1:]:
            began = time.monotonic()
            self.k_take(k)
            self.k_drop(k, c, r, vertical, asks)
            print("  ship %d placed by keys at (%d, %d) %s in %.1f s"
                  % (k, c, r, "down" if vertical else "across", time.monotonic() - began))
        # Ship 2 goes down once, is picked up again from the board by Enter and put elsewhere.
        self.k_take(MOVED_SHIP)
        self.k_drop(MOVED_SHIP, *MOVED_FROM)
        old = ship_cells(MOVED_FROM[0], MOVED_FROM[1], ship_length(MOVED_SHIP), MOVED_FROM[2])
        self.walk("player", old[-1])
        self.press("space")
        lifted = self.wait_for_frame("ship %d's cells to clear when it is picked up by Space" % MOVED_SHIP,
                                     lambda f: all(self.cell_state(f, PLAYER_BOARD, *cell) == "water" for cell in old),
                                     timeout=5)
        self.placed.discard(MOVED_SHIP)
        self.over_cell(MOVED_SHIP, *old[-1], "once picked up")
        self.shot(lifted, "picked-up")
        self.k_drop(MOVED_SHIP, *MOVED_TO)
        self.fleet = set()
        for k, c, r, vertical, _ in PLACEMENTS + [(MOVED_SHIP,) + MOVED_TO]:
            self.fleet.update(ship_cells(c, r, ship_length(k), vertical))
        frame = self.grab()
        wrong = {cell: state for cell, state in self.board_states(frame, PLAYER_BOARD).items()
                 if state != ("ship" if cell in self.fleet else "water")}
        if wrong:
            raise Failure("the player's board does not show the fleet placed by keys: %s" % wrong)
        self.shot(frame, "")

    def kstep3_shoot(self):
        # Back to the start button, and Enter starts the match.
        status_before = self.client_region(self.grab(), STATUS_LINE)
        self.press_start()
        self.wait_for_frame("the status line to tell the match has begun",
                            lambda f: self.client_region(f, STATUS_LINE) != status_before, timeout=5)
        if self.find_window(title="Attenzione"):
            raise Failure("the 'Attenzione' box came up with every ship placed")
        targets = [(c, r) for c in range(1, 11) for r in range(1, 11)]
        random.Random(os.getpid()).shuffle(targets)
        self.hits = []
        for c, r in targets:
            self.shot_time = time.monotonic()
            self.fire((c, r))
            frame = self.wait_for_frame("the computer's cell (%d, %d) to show a hit or a miss" % (c, r),
                                        lambda f: self.cell_state(f, ENEMY_BOARD, c, r) in ("hit", "miss"), timeout=5)
            result = self.cell_state(frame, ENEMY_BOARD, c, r)
            print("  shot by key at (%d, %d): %s" % (c, r, result))
            if result == "miss":
                self.miss = (c, r)
                break
            self.hits.append((c, r))
        self.shot(frame, "")

    def kstep4_exit(self):
        # "Chiudi": No keeps the game, and the focus is back on "Chiudi" for the second Enter.
        self.tab_to("close")
        self.press("Return")
        self.wait_for("the 'Uscita' box", lambda: self.find_window(title="Uscita"), 5)
        self.shot(self.grab(), "asked")
        self.press("n", window="Uscita")
        self.wait_for("the 'Uscita' box to go after N", lambda: self.find_window(title="Uscita") is None, 5)
        time.sleep(1)
        if not self.alive() or not self.main_window():
            raise Failure("the game went away after answering No")
        self.press("Return")
        self.wait_for("the 'Uscita' box again", lambda: self.find_window(title="Uscita"), 5)
        self.press("Return", window="Uscita")
        self.wait_for("the game to end after Yes", lambda: not self.alive(), timeout=10)
        if self.game.returncode != 0:
            raise Failure("the game ended with exit code %d" % self.game.returncode)
        print("  the game ended with exit code 0")

    # --- the session ---------------------------------------------------------------------------

    def step1_window_appears(self):
        if self.main_window():
            raise Failure("a game window is already on the desktop before the game was started: %r"
                          % self.main_window())
        self.launch()
        window = self.wait_for("the game's window (a %dx%d client area titled %r...)"
                               % (self.device_size(CLIENT_SIZE) + (MAIN_TITLE,)),
                               self.main_window, timeout=60, interval=0.25)
        self.origin = window.client_origin
        print("main window %r, client area at %s" % (window.title, self.origin))
        try:
            self.initial = self.wait_for_frame("the window to paint its layout", self.layout_complete, timeout=30)
        except Failure:
            self.layout_complete(self.grab(), report=True)
            raise
        self.shot(self.initial, "")

    def layout_complete(self, frame, report=False):
        problems = []

        def expect(what, colour, x, y):
            seen = frame.pixel(*self.screen_point(x, y))
            if seen != colour:
                problems.append("%s at client (%d, %d) is %s, not %s" % (what, x, y, seen, colour))

        expect("the form's background", FORM_BACKGROUND, 5, 62)
        expect("the form's background", FORM_BACKGROUND, 635, 325)
        expect("the form's background", FORM_BACKGROUND, 320, 200)
        for board, name in ((PLAYER_BOARD, "player's"), (ENEMY_BOARD, "computer's")):
            for c, r in ((0, 0), (5, 0), (0, 7), (10, 0), (0, 10)):
                x, y = self.cell_centre(board, c, r)
                expect("the %s header cell (%d, %d)" % (name, c, r), HEADER_GREY, x - 7, y - 7)
            for c, r in ((1, 1), (4, 6), (10, 10), (7, 2)):
                x, y = self.cell_centre(board, c, r)
                expect("the %s water cell (%d, %d)" % (name, c, r), WHITE, x, y)
        for x, y in ((START_BUTTON[0] + 10, START_BUTTON[1] + 8), (START_BUTTON[0] + 90, START_BUTTON[1] + 32)):
            expect("the start button", HIT_RED, x, y)
        for k in range(9):
            ink = self.picture_ink(frame, k)
            if ink < 100:
                problems.append("ship picture %d shows only %d non-white pixels" % (k, ink))
        if report and problems:
            raise Failure("the layout is not as expected: " + "; ".join(problems))
        return not problems

    def step2_start_too_early(self):
        before = self.grab()
        self.click(START_BUTTON[0] + 50, START_BUTTON[1] + 20)
        box = self.wait_for("the 'Attenzione' box", lambda: self.find_window(title="Attenzione"))
        print("box %r" % box)
        self.shot(self.grab(), "box")
        self.key("Return")
        self.wait_for("the 'Attenzione' box to go after Enter", lambda: self.find_window(title="Attenzione") is None)
        main = self.main_window()
        if not main or not main.enabled:
            raise Failure("the main window does not take input after the box went: %r" % main)
        left, top, right, bottom = box.rect
        where = (left, top, right - left, bottom - top)
        after = self.wait_for_frame("the game to show again where the box was",
                                    lambda f: f.region(*where) == before.region(*where), timeout=5)
        self.shot(after, "")

    def pick_picture(self, k):
        x, y, w, h = picture_box(k)
        self.click(x + w // 2, y + h // 2)

    def follow_to(self, k, x, y, what):
        """Moves the mouse to client (x, y) and waits until ship picture k trails it there."""
        self.move(x, y)
        home = self.client_region(self.initial, picture_box(k))
        # The picture keeps the size its window has in the tray, which scaling by edges may make a
        # pixel larger or smaller than the same box elsewhere.
        _, _, w, h = self.screen_box(picture_box(k))

        def following(frame):
            here = frame.region(*self.screen_point(x + DRAG_TRAIL, y + DRAG_TRAIL), w, h)
            return same_fraction(here, home) > 0.9 and self.picture_ink(frame, k) == 0

        return self.wait_for_frame("ship picture %d to follow the mouse %s" % (k, what), following, timeout=5)

    def choose_popup_item(self, index, count):
        """Chooses item 'index' of the popup menu showing now, with the mouse."""
        menu = self.wait_for("the orientation popup", lambda: self.find_window(class_name=MENU_CLASS), timeout=5)
        left, top, right, bottom = menu.rect
        mouse = self.mouse()
        print("  popup %r, the mouse at %s" % (menu, mouse))
        # It opens where the mouse is, not somewhere else on the screen.
        gap_x = max(left - mouse[0], 0, mouse[0] - right)
        gap_y = max(top - mouse[1], 0, mouse[1] - bottom)
        if max(gap_x, gap_y) > self.device(5):
            raise Failure("the popup %r opened away from the mouse at %s" % (menu, mouse))
        x = (left + right) // 2
        y = top + (bottom - top) * (2 * index + 1) // (2 * count)
        self.move_screen(x, y)
        probe = right - self.device(6)

        def highlighted(frame):
            # The item under the mouse is drawn in the selection colour from edge to edge.
            band = [yy for yy in range(top + 1, bottom - 1) if frame.pixel(probe, yy) not in (WHITE, frame.pixel(
                probe, top))]
            return band and band[0] <= y <= band[-1]

        self.wait_for_frame("popup item %d to be highlighted under the mouse" % index, highlighted, timeout=5)
        self.click_screen(x, y)
        self.wait_for("the popup to close", lambda: self.find_window(class_name=MENU_CLASS) is None, timeout=5)

    def drop(self, k, c, r, vertical, asks):
        """With ship picture k following the mouse, puts it down at cell (c, r); the orientation
        popup must come up if and only if 'asks'."""
        x, y = self.cell_centre(PLAYER_BOARD, c, r)
        self.follow_to(k, x, y, "over cell (%d, %d)" % (c, r))
        subprocess.run(["xdotool", "click", "1"], check=True)
        cells, placed, popped = self.drop_outcome(k, c, r, vertical)
        if popped and not asks:
            raise Failure("ship %d dropped at (%d, %d), where only one way fits, brought up the orientation popup"
                          % (k, c, r))
        if asks and not popped:
            raise Failure("ship %d dropped at (%d, %d), where it fits both ways, was placed without asking"
                          % (k, c, r))
        if popped:
            self.shot(self.grab(), "popup-ship%d" % k)
            self.choose_popup_item(1 if vertical else 0, 2)
        try:
            self.wait_for_frame("ship %d's cells %s to turn blue" % (k, cells), placed, timeout=5)
        except Failure as failure:
            states = self.board_states(self.grab(), PLAYER_BOARD)
            shown = sorted(cell for cell, state in states.items() if state == "ship")
            raise Failure("%s; the player's board shows ship cells at %s" % (failure, shown))
        return self.wait_for_frame("ship picture %d to leave the tray once the ship is placed" % k,
                                   lambda f: self.picture_ink(f, k) == 0, timeout=5)

    def step3_place_fleet(self):
        for k, c, r, vertical, asks in PLACEMENTS:
            began = time.monotonic()
            self.pick_picture(k)
            self.drop(k, c, r, vertical, asks)
            print("  ship %d (%d cells) placed at (%d, %d) %s in %.1f s"
                  % (k, ship_length(k), c, r, "down" if vertical else "across", time.monotonic() - began))
        # Ship 2 goes down once, is picked up again from the board and put down elsewhere.
        c, r, vertical, asks = MOVED_FROM
        self.pick_picture(MOVED_SHIP)
        frame = self.drop(MOVED_SHIP, c, r, vertical, asks)
        self.shot(frame, "before-move")
        old = ship_cells(c, r, ship_length(MOVED_SHIP), vertical)
        self.click(*self.cell_centre(PLAYER_BOARD, *old[-1]))
        lifted = self.wait_for_frame("ship %d's cells %s to clear when it is picked up" % (MOVED_SHIP, old),
                                     lambda f: all(self.cell_state(f, PLAYER_BOARD, *cell) == "water" for cell in old),
                                     timeout=5)
        self.shot(lifted, "picked-up")
        self.follow_to(MOVED_SHIP, *self.cell_centre(PLAYER_BOARD, 5, 7), "after it was picked up")
        self.drop(MOVED_SHIP, *MOVED_TO)

        frame = self.grab()
        self.fleet = set()
        for k, c, r, vertical, _ in PLACEMENTS + [(MOVED_SHIP,) + MOVED_TO]:
            self.fleet.update(ship_cells(c, r, ship_length(k), vertical))
        states = self.board_states(frame, PLAYER_BOARD)
        wrong = {cell: state for cell, state in states.items() if state != ("ship" if cell in self.fleet else "water")}
        if wrong:
            raise Failure("the player's board does not show the fleet as placed; cells not as expected: %s" % wrong)
        inked = [k for k in range(9) if self.picture_ink(frame, k) != 0]
        if inked:
            raise Failure("ship pictures %s are still in the tray with all ships placed" % inked)
        self.shot(frame, "")

    def step4_shoot(self):
        status_before = self.client_region(self.grab(), STATUS_LINE)
        button_start = self.client_region(self.initial, START_CAPTION)
        self.click(START_BUTTON[0] + 50, START_BUTTON[1] + 20)
        frame = self.wait_for_frame("the start button's caption to change",
                                    lambda f: self.client_region(f, START_CAPTION) != button_start, timeout=5)
        if self.find_window(title="Attenzione"):
            raise Failure("the 'Attenzione' box came up with every ship placed")
        status_started = self.wait_for_frame(
            "the status line to show text", lambda f: self.client_region(f, STATUS_LINE) != status_before, timeout=5)
        self.shot(status_started, "started")
        status_started = self.client_region(status_started, STATUS_LINE)

        targets = [(c, r) for c in range(1, 11) for r in range(1, 11)]
        random.Random(os.getpid()).shuffle(targets)
        self.hits = []
        status = status_started
        for c, r in targets:
            self.shot_time = time.monotonic()
            self.click(*self.cell_centre(ENEMY_BOARD, c, r))
            frame = self.wait_for_frame(
                "the computer's cell (%d, %d) to show a hit or a miss" % (c, r),
                lambda f: self.cell_state(f, ENEMY_BOARD, c, r) in ("hit", "miss"), timeout=5)
            result = self.cell_state(frame, ENEMY_BOARD, c, r)
            print("  shot at (%d, %d): %s" % (c, r, result))
            # The status line answers the shot at once, well before the computer moves: a hit
            # says so instead of the opening line, and a miss says something new again.
            earlier = [status_started] if result == "hit" else [status_started, status]
            frame = self.wait_for_frame(
                "the status line to tell of the %s" % result,
                lambda f: self.client_region(f, STATUS_LINE) not in earlier, timeout=1.5)
            status = self.client_region(frame, STATUS_LINE)
            if result == "miss":
                self.miss = (c, r)
                break
            self.hits.append((c, r))
        states = self.board_states(frame, ENEMY_BOARD)
        for cell in self.hits:
            if states[cell] != "hit":
                raise Failure("the hit at %s no longer shows as a hit but as %s" % (cell, states[cell]))
        if states[self.miss] != "miss":
            raise Failure("the miss at %s shows as %s" % (self.miss, states[self.miss]))
        self.shot(frame, "")

    def step5_computer_turn(self):
        aimed = {}

        def aim(frame):
            for cell, state in self.board_states(frame, PLAYER_BOARD).items():
                if state == "aim":
                    aimed["cell"] = cell
                    return True
            return False

        frame = self.wait_for_frame("the computer's yellow aim on the player's board", aim, timeout=10)
        aim_delay = frame.taken - self.shot_time
        cell = aimed["cell"]
        self.shot(frame, "aim")
        frame = self.wait_for_frame("the aimed cell %s to show the computer's hit or miss" % (cell,),
                                    lambda f: self.cell_state(f, PLAYER_BOARD, *cell) in ("hit", "miss"), timeout=10)
        result_delay = frame.taken - (self.shot_time + aim_delay)
        result = self.cell_state(frame, PLAYER_BOARD, *cell)
        print("  computer aimed at %s %.2f s after the player's miss, %s %.2f s later"
              % (cell, aim_delay, result, result_delay))
        expected = "hit" if cell in self.fleet else "miss"
        if result != expected:
            raise Failure("the computer's shot at %s, %s, shows as %s"
                          % (cell, "a ship's cell" if cell in self.fleet else "water", result))
        for what, delay in (("the aim", aim_delay), ("the result", result_delay)):
            if not 1.0 <= delay <= 6.0:
                raise Failure("%s came after %.2f s, not after about two seconds" % (what, delay))
        self.shot(frame, "")

    def step6_abandon(self):
        button_start = self.client_region(self.initial, START_CAPTION)
        if self.client_region(self.grab(), START_CAPTION) == button_start:
            raise Failure("the start button still reads as at the start before abandoning")
        self.click(START_BUTTON[0] + 50, START_BUTTON[1] + 20)

        def revealed(frame):
            states = self.board_states(frame, ENEMY_BOARD)
            return sum(1 for state in states.values() if state in ("hit", "red")) == FLEET_CELLS

        try:
            frame = self.wait_for_frame("the computer's %d ship cells to show in red" % FLEET_CELLS, revealed, 5)
        except Failure:
            states = self.board_states(self.grab(), ENEMY_BOARD)
            red = sorted(cell for cell, state in states.items() if state in ("hit", "red"))
            raise Failure("after abandoning, the computer's board shows %d red cells, not %d: %s"
                          % (len(red), FLEET_CELLS, red))
        states = self.board_states(frame, ENEMY_BOARD)
        for cell in self.hits:
            if states[cell] != "hit":
                raise Failure("the hit at %s no longer shows its mark after abandoning" % (cell,))
        frame = self.wait_for_frame("the start button to read 'Inizia' again (as in the first screenshot)",
                                    lambda f: self.client_region(f, START_CAPTION) == button_start, timeout=5)
        self.shot(frame, "")

    def step7_about_box(self):
        self.click(INFO_BUTTON[0] + 50, INFO_BUTTON[1] + 20)
        box = self.wait_for("the about box 'Info...'", lambda: self.find_window(title="Info..."))
        print("  about box %r" % box)
        self.shot(self.grab(), "open")
        self.key("Escape")
        self.wait_for("the about box to close on Escape", lambda: self.find_window(title="Info...") is None, 5)
        def main_enabled():
            main = self.main_window()
            return main is not None and main.enabled

        self.wait_for("the main window to take input again", main_enabled, timeout=5)
        self.shot(self.grab(), "")

    def open_exit_item(self):
        """Opens 'File' in the menu bar with the mouse and chooses its item 'Esci'."""
        frame = self.grab()
        main = self.main_window()
        # The menu bar lies between the title bar and the client area; its first word is 'File'.
        left, top, right, _ = main.rect
        ox, oy = main.client_origin
        word = None
        for y in range(oy - self.device(12), oy - self.device(2)):
            columns = [x for x in range(ox, ox + self.device(80)) if dark(frame.pixel(x, y))]
            if columns:
                first = [columns[0]]
                for x in columns[1:]:
                    if x - first[-1] > self.device(6):
                        break
                    first.append(x)
                word = (first[0] + first[-1]) // 2, y
                break
        if not word:
            raise Failure("no menu bar text found above the client area")
        self.click_screen(*word)
        menu = self.wait_for("the 'File' menu to drop down", lambda: self.find_window(class_name=MENU_CLASS), 5)
        self.shot(self.grab(), "menu")
        l, t, r, b = menu.rect
        self.click_screen((l + r) // 2, (t + b) // 2)
        return self.wait_for("the 'Uscita' box", lambda: self.find_window(title="Uscita"), 5)

    def box_buttons(self, box):
        """The two buttons of a question box, left to right, found by their captions' ink."""
        frame = self.grab()
        ox, oy = box.client_origin
        w, h = box.client_size
        inked = sorted({x for x in range(ox, ox + w) for y in range(oy + h * 11 // 20, oy + h)
                        if dark(frame.pixel(x, y))})
        groups = []
        for x in inked:
            if groups and x - groups[-1][-1] <= self.device(12):
                groups[-1].append(x)
            else:
                groups.append([x])
        if len(groups) != 2:
            raise Failure("the box %r does not show two buttons (found %d)" % (box, len(groups)))
        ys = [y for y in range(oy + h * 11 // 20, oy + h) if any(dark(frame.pixel(x, y)) for x in groups[1])]
        return [((g[0] + g[-1]) // 2, (ys[0] + ys[-1]) // 2) for g in groups]

    def step8_exit(self):
        box = self.open_exit_item()
        print("  question box %r" % box)
        self.shot(self.grab(), "asked")
        yes, no = self.box_buttons(box)
        self.click_screen(*no)
        self.wait_for("the 'Uscita' box to go after No", lambda: self.find_window(title="Uscita") is None, 5)
        # Answering No keeps the game: its window stays for a while and takes input.
        deadline = time.monotonic() + 1.5
        while time.monotonic() < deadline:
            main = self.main_window()
            if not self.alive() or not main:
                raise Failure("the game went away after answering No")
            time.sleep(0.25)
        if not main.enabled:
            raise Failure("the main window does not take input after answering No")
        self.shot(self.grab(), "stayed")

        box = self.open_exit_item()
        yes, no = self.box_buttons(box)
        self.click_screen(*yes)
        self.wait_for("the game to end after Yes", lambda: not self.alive(), timeout=10)
        code = self.game.returncode
        print("  the game ended with exit code %d" % code)
        self.shot(self.grab(), "")
        if code != 0:
            raise Failure("the game ended with exit code %d" % code)

    # --- a whole match, played to its end ------------------------------------------------------

    def save_region(self, frame, box, name):
        """Saves the client area's part 'box' of a screenshot, e.g. the start button in one state."""
        x, y, w, h = self.screen_box(box)
        path = os.path.join(self.shots, "%s-%s.png" % (self.step_name, name))
        subprocess.run(["convert", "-size", "%dx%d" % (w, h), "-depth", "8", "rgb:-", path],
                       input=frame.region(x, y, w, h), check=True)
        return path

    def press_start(self):
        if not self.args.keyboard:
            self.click(START_BUTTON[0] + 50, START_BUTTON[1] + 20)
            return
        self.tab_to("start")
        self.press("Return")
        # Starting a match hides the tray for good; a new one brings it back, its ships unplaced.
        self.placing = not self.placing
        if self.placing:
            self.placed = set()

    def settled_status(self, unlike, what, timeout=1.5):
        """Waits until the status line shows something other than the pictures in 'unlike' and
        holds still for one more screenshot; returns what it shows."""
        previous = None

        def settled(frame):
            nonlocal previous
            status = self.client_region(frame, STATUS_LINE)
            steady = status not in unlike and status == previous
            previous = status
            return steady

        return self.client_region(self.wait_for_frame("the status line to tell of %s" % what, settled, timeout),
                                  STATUS_LINE)

    def expect_status(self, kind):
        """The status line after an event of 'kind' (the player's hit, the computer's miss...): the
        first time whatever new line settles there, unlike the line after any other kind of event;
        every later time the very same line as then."""
        known = self.status_seen.get(kind)
        if known is None:
            status = self.settled_status([self.status_now], kind)
            for other, picture in self.status_seen.items():
                if picture == status:
                    raise Failure("after %s the status line reads as after %s" % (kind, other))
            self.status_seen[kind] = status
            self.shot(self.grab(), "status-%d" % len(self.status_seen))
        else:
            self.wait_for_frame("the status line to read as after every %s before" % kind,
                                lambda f: self.client_region(f, STATUS_LINE) == known, timeout=1.5)
        self.status_now = self.status_seen[kind]

    def expected_player_board(self):
        """The player's board as it should look: the computer's results, and the fleet elsewhere."""
        expected = {}
        for c in range(1, 11):
            for r in range(1, 11):
                cell = (c, r)
                expected[cell] = self.computer_results.get(cell, "ship" if cell in self.fleet else "water")
        return expected

    def board_problems(self, frame, board, expected, name):
        states = self.board_states(frame, board)
        wrong = ["%s %s, not %s" % (cell, states[cell], want) for cell, want in sorted(expected.items())
                 if states[cell] != want]
        return ["the %s board shows %s" % (name, "; ".join(wrong))] if wrong else []

    def step4_full_match(self):
        self.save_region(self.initial, START_BUTTON, "button-start")
        status_before = self.client_region(self.grab(), STATUS_LINE)
        button_start = self.client_region(self.initial, START_CAPTION)
        self.press_start()
        self.wait_for_frame("the start button's caption to change",
                            lambda f: self.client_region(f, START_CAPTION) != button_start, timeout=5)
        if self.find_window(title="Attenzione"):
            raise Failure("the 'Attenzione' box came up with every ship placed")
        self.status_now = self.settled_status([status_before], "the match's start", timeout=5)
        self.status_seen = {"the match's start": self.status_now}
        frame = self.grab()
        self.button_playing = self.client_region(frame, START_CAPTION)
        self.save_region(frame, START_BUTTON, "button-playing")
        self.shot(frame, "started")

        print("  sweep %s, seed %d" % (self.args.sweep, self.args.seed))
        self.shooter = Shooter(random.Random(self.args.seed), self.args.sweep)
        self.player_hits = []
        self.player_shots = 0
        self.computer_results = {}
        self.aim_delays = []
        self.result_delays = []
        self.probes = 0
        began = time.monotonic()
        for turn in range(1, 102):
            # Each turn the player fires at least once, and the board has 100 cells.
            if self.player_turn():
                self.outcome = "won"
                break
            if self.computer_turn():
                self.outcome = "lost"
                break
        else:
            raise Failure("the match went on for more turns than the computer's board has cells")
        self.match_time = time.monotonic() - began
        computer_hits = sum(1 for result in self.computer_results.values() if result == "hit")
        print("  the player %s after %d turns in %.0f s: the player fired %d shots (%d hits), the computer %d (%d hits)"
              % (self.outcome, turn, self.match_time, self.player_shots, len(self.player_hits),
                 len(self.computer_results), computer_hits))
        print("  the computer aimed after %.2f to %.2f s and showed its results %.2f to %.2f s later"
              % (min(self.aim_delays), max(self.aim_delays), min(self.result_delays), max(self.result_delays)))

    def player_turn(self):
        """Fires at the computer's board until a miss; True when the shot hit its last ship cell."""
        while True:
            cell = self.shooter.next_cell()
            if cell is None:
                raise Failure("every cell of the computer's board has been shot and the match goes on")
            self.fire(cell)
            may_win = len(self.player_hits) == FLEET_CELLS - 1

            def answered():
                frame = self.grab()
                state = self.cell_state(frame, ENEMY_BOARD, *cell)
                if state in ("hit", "miss"):
                    return frame, state
                # The box that ends the match comes up in the middle of the screen, and may stand
                # over the very cell that won it; the box is then what tells of the hit.
                if may_win and self.find_window(title="Hai vinto"):
                    return frame, "hit"
                return None

            try:
                frame, result = self.wait_for("the computer's cell %s to show a hit or a miss" % (cell,), answered,
                                              timeout=5, interval=0.02)
            except Failure as failure:
                raise Failure("%s; windows on the desktop: %s" % (failure, self.windows()))
            self.player_shots += 1
            self.shooter.record(cell, result)
            self.shot(frame, "player-%03d" % self.player_shots)
            print("  player's shot %d at %s: %s" % (self.player_shots, cell, result), flush=True)
            if result == "miss":
                self.turn_mark = frame.taken
                self.expect_status("the player's miss")
                break
            self.player_hits.append(cell)
            if len(self.player_hits) == FLEET_CELLS:
                return True
            self.expect_status("the player's hit")
        expected = {(c, r): self.shooter.results.get((c, r), "water") for c in range(1, 11) for r in range(1, 11)}
        problems = self.board_problems(self.grab(), ENEMY_BOARD, expected, "computer's")
        if problems:
            raise Failure("at the end of the player's turn " + "; ".join(problems))
        return False

    def computer_turn(self):
        """Watches the computer fire until it misses; True when it hit the player's last ship cell.
        Its yellow aim is what tells that it is still its turn."""
        while True:
            aimed = []

            def aim(frame):
                aimed[:] = [cell for cell, state in self.board_states(frame, PLAYER_BOARD).items() if state == "aim"]
                return bool(aimed)

            frame = self.wait_for_frame("the computer's yellow aim on the player's board", aim, timeout=10)
            aim_seen = frame.taken
            self.shot(frame, "computer-%03d-aim" % (len(self.computer_results) + 1))
            if len(aimed) != 1:
                raise Failure("the computer aims at %d cells at once: %s" % (len(aimed), aimed))
            cell = aimed[0]
            if cell in self.computer_results:
                raise Failure("the computer aims at %s, which it has shot already" % (cell,))
            # The computer's board must not answer the player while the computer is playing.
            probe = self.shooter.next_cell()
            if probe:
                self.fire(probe)
                self.probes += 1
            frame = self.wait_for_frame("the aimed cell %s to show the computer's hit or miss" % (cell,),
                                        lambda f: self.cell_state(f, PLAYER_BOARD, *cell) in ("hit", "miss"),
                                        timeout=10)
            self.aim_delays.append(aim_seen - self.turn_mark)
            self.result_delays.append(frame.taken - aim_seen)
            self.turn_mark = frame.taken
            result = self.cell_state(frame, PLAYER_BOARD, *cell)
            self.computer_results[cell] = result
            self.shot(frame, "computer-%03d" % len(self.computer_results))
            print("  computer's shot %d at %s: %s (aim after %.2f s, result %.2f s later)"
                  % (len(self.computer_results), cell, result, self.aim_delays[-1], self.result_delays[-1]),
                  flush=True)
            if result != ("hit" if cell in self.fleet else "miss"):
                raise Failure("the computer's shot at %s, %s, shows as %s"
                              % (cell, "a ship's cell" if cell in self.fleet else "water", result))
            for what, delay in (("the aim", self.aim_delays[-1]), ("the result", self.result_delays[-1])):
                if not 1.0 <= delay <= 6.0:
                    raise Failure("%s came after %.2f s, not after about two seconds" % (what, delay))
            problems = self.board_problems(frame, PLAYER_BOARD, self.expected_player_board(), "player's")
            # The box that ends a lost match may stand over the pressed cell, as over any other.
            lost = all(self.computer_results.get(ship) == "hit" for ship in self.fleet)
            if probe and not lost and self.cell_state(frame, ENEMY_BOARD, *probe) != "water":
                problems.append("the computer's cell %s, pressed while the computer was playing, shows as %s"
                                % (probe, self.cell_state(frame, ENEMY_BOARD, *probe)))
            if problems:
                raise Failure("after the computer's shot at %s: %s" % (cell, "; ".join(problems)))
            if result == "miss":
                self.expect_status("the computer's miss")
                return False
            if lost:
                return True
            self.expect_status("the computer's hit")

    def end_problems(self, frame):
        """What differs from how the boards, the button and the status line should look once the
        match's box has gone."""
        problems = []
        player = self.expected_player_board()
        enemy = {(c, r): self.shooter.results.get((c, r), "water") for c in range(1, 11) for r in range(1, 11)}
        problems += self.board_problems(frame, PLAYER_BOARD, player, "player's")
        if self.outcome == "won":
            problems += self.board_problems(frame, ENEMY_BOARD, enemy, "computer's")
        else:
            # The computer's ships the player did not hit show in red, without a mark.
            states = self.board_states(frame, ENEMY_BOARD)
            red = [cell for cell, state in states.items() if state == "red"]
            for cell in red:
                enemy[cell] = "red"
            problems += self.board_problems(frame, ENEMY_BOARD, enemy, "computer's")
            if len(red) + len(self.player_hits) != FLEET_CELLS:
                problems.append("the computer's board shows %d hits and %d more red cells, not %d ship cells in all"
                                % (len(self.player_hits), len(red), FLEET_CELLS))
        caption = self.client_region(frame, START_CAPTION)
        if caption == self.client_region(self.initial, START_CAPTION):
            problems.append("the start button reads as before the match")
        if caption == self.button_playing:
            problems.append("the start button reads as during the match")
        status = self.client_region(frame, STATUS_LINE)
        for kind, picture in self.status_seen.items():
            if status == picture:
                problems.append("the status line reads as after %s" % kind)
        return problems

    def step5_match_end(self):
        title, other = ("Hai vinto", "Hai perso") if self.outcome == "won" else ("Hai perso", "Hai vinto")
        box = self.wait_for("the %r box" % title, lambda: self.find_window(title=title), timeout=10)
        print("  box %r" % box)
        self.shot(self.grab(), "box")
        if self.find_window(title=other):
            raise Failure("the %r box came up as well as %r" % (other, title))
        main = self.main_window()
        if main is None or main.enabled:
            raise Failure("the main window takes input while the %r box shows: %r" % (title, main))
        self.answer_box(title)
        self.wait_for("the %r box to go after Enter" % title, lambda: self.find_window(title=title) is None, 5)

        def main_enabled():
            main = self.main_window()
            return main is not None and main.enabled

        self.wait_for("the main window to take input again", main_enabled, timeout=5)
        try:
            frame = self.wait_for_frame("the boards to show how the match ended", lambda f: not self.end_problems(f),
                                        timeout=5)
        except Failure:
            raise Failure("after the %r box: %s" % (title, "; ".join(self.end_problems(self.grab()))))
        self.shot(frame, "")
        self.ended = frame
        self.save_region(frame, START_BUTTON, "button-over")
        # The match is over: pressing the computer's board does nothing, and the computer no longer
        # plays.
        water = [cell for cell, state in self.board_states(frame, ENEMY_BOARD).items() if state == "water"]
        if water and self.args.keyboard:
            # By keys the focus goes to the cell first and frames it: the boards are compared from
            # then on.
            self.tab_to("enemy")
            self.walk("enemy", water[0])
            time.sleep(0.5)
            frame = self.grab()
            self.press("Return")
        elif water:
            self.fire(water[0])
        time.sleep(3)
        later = self.grab()
        for board, name in ((PLAYER_BOARD, "player's"), (ENEMY_BOARD, "computer's")):
            area = (board[0] + CELL, board[1] + CELL, 10 * CELL, 10 * CELL)
            if self.client_region(later, area) != self.client_region(frame, area):
                self.shot(later, "changed")
                raise Failure("the %s board changed after the match was over%s" %
                              (name, " and its cell %s was pressed" % (water[0],) if water else ""))
        self.shot(later, "still")

    def step6_new_match(self):
        enemy_at_end = self.board_states(self.ended, ENEMY_BOARD)
        self.press_start()

        def placing_problems(frame):
            problems = []
            if self.client_region(frame, START_CAPTION) != self.client_region(self.initial, START_CAPTION):
                problems.append("the start button does not read as before the first match")
            water = {(c, r): "water" for c in range(1, 11) for r in range(1, 11)}
            problems += self.board_problems(frame, PLAYER_BOARD, water, "player's")
            for k in range(9):
                home = self.client_region(self.initial, picture_box(k))
                share = same_fraction(self.client_region(frame, picture_box(k)), home)
                if share < 0.99:
                    problems.append("ship picture %d is not back in the tray (%.0f%% as at the start)"
                                    % (k, 100 * share))
            if self.client_region(frame, STATUS_LINE) != self.client_region(self.initial, STATUS_LINE):
                problems.append("the status line does not look as before the first match")
            return problems

        try:
            frame = self.wait_for_frame("the game to be back to placing the fleet", lambda f: not placing_problems(f),
                                        timeout=5)
        except Failure:
            raise Failure("after pressing 'Nuova': %s" % "; ".join(placing_problems(self.grab())))
        self.save_region(frame, START_BUTTON, "button-new")
        self.shot(frame, "")
        enemy = self.board_states(frame, ENEMY_BOARD)
        if all(state == "water" for state in enemy.values()):
            print("  the computer's board is clear")
        elif enemy == enemy_at_end:
            print("  the computer's board still shows the last match: %d hit, %d red, %d missed cells"
                  % tuple(sum(1 for state in enemy.values() if state == kind) for kind in ("hit", "red", "miss")))
        else:
            changed = {cell: (enemy_at_end[cell], state) for cell, state in enemy.items() if state != enemy_at_end[cell]}
            raise Failure("after pressing 'Nuova' the computer's board is neither clear nor as the match left it: %s"
                          % changed)
        # Placing works again: a ship goes from the tray onto the board.
        if self.args.keyboard:
            self.k_take(0)
            frame = self.k_drop(0, 3, 3, False, True)
        else:
            self.pick_picture(0)
            frame = self.drop(0, 3, 3, False, True)
        self.shot(frame, "placed")

    def run(self):
        steps = [
            ("01-window", self.step1_window_appears),
            ("02-start-too-early", self.step2_start_too_early),
            ("03-place-fleet", self.step3_place_fleet),
            ("04-shoot", self.step4_shoot),
            ("05-computer-turn", self.step5_computer_turn),
            ("06-abandon", self.step6_abandon),
            ("07-about", self.step7_about_box),
            ("08-exit", self.step8_exit),
        ]
        if self.args.keyboard:
            steps = [
                ("k01-window", self.step1_window_appears),
                ("k02-start-too-early", self.kstep1_start_too_early),
                ("k03-place-fleet", self.kstep2_place_fleet),
                ("k04-shoot", self.kstep3_shoot),
                ("k05-computer-turn", self.step5_computer_turn),
                ("k06-exit", self.kstep4_exit),
            ]
        if self.args.full_match:
            steps = steps[:3] + [
                ("04-match", self.step4_full_match),
                ("05-match-end", self.step5_match_end),
                ("06-new", self.step6_new_match),
                ("07-exit", self.kstep4_exit if self.args.keyboard else self.step8_exit),
            ]
        began = time.monotonic()
        try:
            for name, step in steps:
                self.step_name = name
                started = time.monotonic()
                print("step %s" % name, flush=True)
                step()
                print("step %s passed in %.1f s" % (name, time.monotonic() - started), flush=True)
        except Exception as failure:  # whatever went wrong, say in which step and show the screen
            picture = None
            try:
                picture = self.shot(self.grab(), "FAILED")
            except Exception as grab_failure:  # the screen itself may be gone
                print("could not save a screenshot: %s" % grab_failure)
            print("FAILED at step %s: %s" % (self.step_name, failure), flush=True)
            if picture:
                print("look at %s" % picture, flush=True)
            self.stop()
            return 1
        print("session passed in %.1f s; screenshots in %s" % (time.monotonic() - began, self.shots))
        if self.args.full_match:
            print("the player %s: %d shots by the player, %d by the computer, the match %.0f s, the session %.0f s"
                  % (self.outcome, self.player_shots, len(self.computer_results), self.match_time,
                     time.monotonic() - began))
        return 0


def parse_arguments(description, more):
    """The options of every session, with those that more(parser) adds; a seed is drawn when none
    is given, and the environment the session needs is checked."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--exe", required=True, help="Tiremola.exe")
    parser.add_argument("--window-list", required=True, help="window_list.exe, the observer of the Wine desktop")
    parser.add_argument("--shots", required=True, help="folder for the screenshots of every step")
    parser.add_argument("--full-match", action="store_true",
                        help="after placing the fleet, play the match to its end (a few minutes) instead of abandoning")
    parser.add_argument("--seed", type=int, default=None, help="with --full-match, the player's random choices")
    parser.add_argument("--dpi", type=int, default=96,
                        help="the scale of the Wine prefix's display, in dots per inch (96 is 100 %%)")
    more(parser)
    args = parser.parse_args()
    if args.seed is None:
        args.seed = random.SystemRandom().randrange(1 << 31)
    for name in ("DISPLAY", "WINEPREFIX"):
        if not os.environ.get(name):
            sys.exit("%s is not set: run this through ./test.sh" % name)
    return args


def main():
    def more(parser):
        parser.add_argument("--sweep", choices=("checkerboard", "random"), default="checkerboard",
                            help="with --full-match, the order in which the player searches the computer's board")
        parser.add_argument("--keyboard", action="store_true",
                            help="play by keys alone: no mouse move or click from the start to the end")

    session = Session(parse_arguments(__doc__.splitlines()[0], more))
    try:
        return session.run()
    finally:
        session.stop()


if __name__ == "__main__":
    sys.exit(main())
