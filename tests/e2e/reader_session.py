#!/usr/bin/env python3
"""Plays Tiremola as a blind player does: by keys alone, deciding every move from what a screen
reader reads, never from the screen.

The reader is reader.exe, a small client started beside the game under Wine that reads the
game's accessible objects from outside its process and hears the events the game fires, as a
real screen reader does. This driver sends the game keys with xdotool and asks the reader what it
would say: where the focus is and what it is called, what was announced, what the boards' cells
are. It checks on the way that every object has its role, name and state, that the focus is
heard once each time it moves, that a placement, the player's shots and the computer's aims and
shots are announced with the right cells, and that default actions press what they name.

Without --full-match the session places the fleet, plays a few rounds and closes the game. With
--full-match it plays the match to the box that says who won, choosing each shot from what the
reader said of the earlier ones (minutes long; run by hand through tools/full-match.sh).

Needs DISPLAY and WINEPREFIX, as test.sh provides them, and a prefix whose windows open in the
virtual desktop named Default.
"""

import random
import subprocess
import sys
import time

import play_session
from play_session import Failure, Shooter, ship_cells, ship_length

ROLE_CELL = 29
ROLE_PUSHBUTTON = 43
ROLE_STATICTEXT = 41
ROLE_STATUSBAR = 23
ROLE_TABLE = 24
STATE_FOCUSED = 0x4
STATE_INVISIBLE = 0x8000
STATE_FOCUSABLE = 0x100000
DESKTOP = "Default"

# Where the ships go, as in the sighted sessions: (ship, column, row, vertical, asks), asks where
# the ship fits both ways and the popup asks which.
FLEET = play_session.PLACEMENTS + [(play_session.MOVED_SHIP,) + play_session.MOVED_TO]


def column_letter(c):
    return chr(ord("A") + c - 1)


def coordinates(cell):
    return "%s%d" % (column_letter(cell[0]), cell[1])


class Object:
    """One object as the reader reads it."""

    def __init__(self, fields):
        self.handle = fields[0]
        self.role = int(fields[1])
        self.state = int(fields[2])
        self.name, self.value, self.action = fields[3], fields[4], fields[5]
        self.location = tuple(int(v) for v in fields[6].split(","))
        # Only the tree tells where the window's client area lies.
        self.client = tuple(int(v) for v in fields[7].split(",")) if len(fields) > 7 else None

    def __repr__(self):
        return "<%s role %d state %#x %r value %r action %r at %s>" % (
            self.handle, self.role, self.state, self.name, self.value, self.action, self.location)


class Event:
    def __init__(self, fields):
        self.kind, self.handle, self.child = fields[0], fields[1], int(fields[2])
        self.object = Object([fields[1]] + fields[3:]) if len(fields) > 8 else None

    @property
    def name(self):
        return self.object.name if self.object else None

    def __repr__(self):
        return "%s %s/%d %r" % (self.kind, self.handle, self.child, self.name)


class Reader:
    """The reader program, one command at a time."""

    def __init__(self, exe):
        self.process = subprocess.Popen(["wine", exe, DESKTOP, play_session.MAIN_TITLE], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                        encoding="utf-8", errors="replace")

    def ask(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        lines = []
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise Failure("the reader ended while answering %r" % command)
            line = line.rstrip("\r\n")
            if line == "end":
                return [entry.split("\t") for entry in lines]
            lines.append(line)

    def tree(self):
        return [Object(fields[1:]) for fields in self.ask("tree") if fields[0] == "object"]

    def focus(self):
        """The focused object and its parent's role, name and number of children."""
        answer = self.ask("focus")
        focused = Object(answer[0][1:]) if answer and answer[0][0] == "object" and len(answer[0]) > 7 else None
        parent = answer[1][1:] if len(answer) > 1 and len(answer[1]) > 7 else None
        return focused, parent

    def point(self, x, y):
        answer = self.ask("point %d %d" % (x, y))
        return Object(answer[0][1:]) if answer and len(answer[0]) > 7 else None

    def parent(self, handle, child):
        answer = self.ask("parent %s %d" % (handle, child))
        return answer

    def events(self):
        return [Event(fields[1:]) for fields in self.ask("events") if fields[0] == "event"]

    def act(self, verb, handle):
        return self.ask("%s %s" % (verb, handle))[0][1]

    def stop(self):
        if self.process.poll() is None:
            try:
                self.ask("quit")
            except (Failure, BrokenPipeError, OSError):
                pass
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()


class BlindSession(play_session.Session):
    """The game with a reader beside it. Positions are only ever read from the reader."""

    def __init__(self, args):
        args.keyboard = True
        super().__init__(args)
        self.reader = None
        self.heard = []
        self.by_name = {}
        self.rng = random.Random(args.seed)

    # --- hearing -------------------------------------------------------------------------------

    def listen(self, what, check, timeout=10.0):
        """Collects what the reader heard until check(all heard so far) holds; returns that."""
        deadline = time.monotonic() + timeout
        while True:
            self.heard += self.reader.events()
            result = check(self.heard)
            if result:
                return result
            if time.monotonic() > deadline:
                raise Failure("timed out after %g s hearing %s; heard %r" % (timeout, what, self.heard[-12:]))
            time.sleep(0.1)

    def announced(self, text, timeout=10.0):
        """Waits for an announcement, alert then name change of the same object, with this text."""

        def heard(events):
            for i, event in enumerate(events):
                if event.kind == "alert" and event.name == text:
                    for later in events[i + 1:]:
                        if later.kind == "name" and later.child == event.child and later.name == text:
                            return True
            return False

        self.listen("the announcement %r" % text, heard, timeout)

    def forget(self):
        """What was heard so far is done with."""
        self.reader.events()
        self.heard = []

    def focused(self):
        focus, parent = self.reader.focus()
        if not focus:
            raise Failure("the reader finds no focused object")
        return focus, parent

    def keys(self, *names):
        self.press(*names)

    def tab_to(self, wanted, limit=12):
        """Tab until the reader says the focus is on what 'wanted' accepts (a name or a test)."""
        accept = wanted if callable(wanted) else (lambda focus, parent: focus.name == wanted)
        for _ in range(limit):
            focus, parent = self.focused()
            if accept(focus, parent):
                return focus
            self.keys("Tab")
        raise Failure("Tab never reached %r; the focus is on %r" % (wanted, self.focused()[0]))

    def on_board(self, board):
        return lambda focus, parent: parent is not None and parent[0] == str(ROLE_TABLE) and parent[2] == board

    def walk_to(self, cell):
        """Arrows from the focused cell to 'cell', reading the focused cell's name first."""
        focus, _ = self.focused()
        here = (ord(focus.name[0]) - ord("A") + 1, int(focus.name.split(",")[0][1:]))
        keys = (["Right"] * (cell[0] - here[0]) + ["Left"] * (here[0] - cell[0]) +
                ["Down"] * (cell[1] - here[1]) + ["Up"] * (here[1] - cell[1]))
        if keys:
            self.keys(*keys)
        focus, _ = self.focused()
        if not focus.name.startswith(coordinates(cell) + ","):
            raise Failure("the arrows went to %r instead of %s" % (focus.name, coordinates(cell)))
        return focus

    # --- the session ---------------------------------------------------------------------------

    def step1_objects(self):
        self.launch()
        self.wait_for("the game's window", self.main_window, timeout=30)
        self.reader = Reader(self.args.reader)
        objects = self.wait_for("the game's objects", lambda: [o for o in self.reader.tree() if o.role == ROLE_CELL]
                                and self.reader.tree(), timeout=15)
        self.by_name = {o.name: o for o in objects}
        cells = [o for o in objects if o.role == ROLE_CELL]
        if len(cells) != 200:
            raise Failure("the reader finds %d cells instead of 200" % len(cells))
        for c in range(1, 11):
            for r in range(1, 11):
                name = "%s, mare" % coordinates((c, r))
                if not any(o.name == name and o.value == "mare" and o.action == "Premi" and
                           o.state & STATE_FOCUSABLE for o in cells):
                    raise Failure("no cell of the player's board reads %r" % name)
        if sum(o.name.endswith(", sconosciuta") for o in cells) != 100:
            raise Failure("the computer's board does not read 100 unknown cells")
        expected = [(ROLE_PUSHBUTTON, "Inizia"), (ROLE_PUSHBUTTON, "Info"), (ROLE_PUSHBUTTON, "Chiudi"),
                    (ROLE_STATICTEXT, "Tua flotta: 0 caselle intatte"),
                    (ROLE_STATICTEXT, "Flotta nemica: 0 caselle intatte")]
        expected += [(ROLE_PUSHBUTTON, "Nave %d da %d caselle" % (k + 1, ship_length(k))) for k in range(9)]
        for role, name in expected:
            found = self.by_name.get(name)
            if not found or found.role != role:
                raise Failure("no object %r with role %d: %r" % (name, role, found))
        if not [o for o in objects if o.role == ROLE_STATUSBAR]:
            raise Failure("no status line among %r" % objects[:5])
        # Each cell is found at every point of its client area, its last pixels included.
        for name in ("A1, mare", "J10, mare", "E7, mare"):
            cell = self.by_name[name]
            left, top, width, height = cell.client
            for x, y in ((left, top), (left + width - 1, top + height - 1), (left + width // 2, top + height // 2)):
                found = self.reader.point(x, y)
                if not found or found.name != name:
                    raise Failure("the object at %d,%d is %r, not the cell %r at %s" % (x, y, found, name,
                                                                                        cell.client))
        answer = self.reader.parent(self.by_name["A1, mare"].handle, 100)
        parent, child = answer[0][1:], answer[1][1:]
        if parent[0] != str(ROLE_TABLE) or parent[2] not in ("La tua area", "Area nemica") or parent[-1] != "100":
            raise Failure("a cell's parent is not its board's table of 100 cells: %r" % parent)
        if not child[2].startswith("J10, "):
            raise Failure("the table's 100th cell is %r, not J10" % child)

    def step2_place_fleet(self):
        self.forget()
        for i, (k, c, r, vertical, asks) in enumerate(FLEET):
            picture = "Nave %d da %d caselle" % (k + 1, ship_length(k))
            if i == 1:
                # The reader's default action takes a ship, as Enter would.
                if self.reader.act("do", self.by_name[picture].handle) != "0":
                    raise Failure("the default action on %r failed" % picture)
            else:
                self.tab_to(lambda focus, parent: focus.role == ROLE_PUSHBUTTON and focus.name.startswith("Nave "))
                for _ in range(10):
                    focus, _ = self.focused()
                    if focus.name == picture:
                        break
                    number = int(focus.name.split()[1])
                    self.keys("Right" if number - 1 < k else "Left")
                else:
                    raise Failure("the tray never reached %r" % picture)
                self.forget()
                self.keys("Return")
            focus = self.listen("the focus on the player's board after taking %r" % picture,
                                lambda _: self.on_board("La tua area")(*self.focused()) and self.focused()[0])
            if k == 0:
                # A drop on a ship is said, not only beeped.
                self.walk_to((1, 1))
                self.forget()
                self.keys("Return")
                self.announced("La nave non entra qui.")
            self.walk_to((c, r))
            self.forget()
            self.keys("Return")
            if asks:
                self.wait_for("the orientation popup", lambda: self.find_window(class_name=play_session.MENU_CLASS), 5)
                self.keys(*(["Down", "Down", "Return"] if vertical else ["Down", "Return"]))
            last = ship_cells(c, r, ship_length(k), vertical)[-1]
            self.announced("Nave %d posizionata da %s a %s." % (k + 1, coordinates((c, r)), coordinates(last)))
            focus, _ = self.focused()
            if focus.name != "%s, nave %d" % (coordinates((c, r)), k + 1):
                raise Failure("after the drop the focused cell reads %r" % focus.name)
        objects = {o.name: o for o in self.reader.tree()}
        if any(o.role == ROLE_PUSHBUTTON and o.name.startswith("Nave ") and not o.state & STATE_INVISIBLE
               for o in objects.values()):
            raise Failure("a ship picture is still shown after the whole fleet was placed")

    def step3_focus_heard(self):
        self.tab_to(self.on_board("La tua area"))
        self.forget()
        self.keys("Right")
        focus, _ = self.focused()
        heard = self.listen("the focus event of %r" % focus.name,
                            lambda events: [e for e in events if e.kind == "focus" and e.handle == focus.handle])
        time.sleep(0.5)
        self.heard += self.reader.events()
        count = sum(e.kind == "focus" and e.handle == focus.handle for e in self.heard)
        if count != 1:
            raise Failure("the focus moving to %r was heard %d times" % (focus.name, count))
        del heard
        # The reader moves the focus itself, and Tab comes back there.
        target = [o for o in self.reader.tree() if o.name == "E5, sconosciuta"][0]
        if self.reader.act("select", target.handle) != "0":
            raise Failure("accSelect on E5 failed")
        focus, parent = self.focused()
        if focus.name != "E5, sconosciuta" or not focus.state & STATE_FOCUSED or parent[2] != "Area nemica":
            raise Failure("after accSelect the focus is on %r in %r" % (focus, parent))

    def shoot(self, cell, by_action=False):
        """One shot of the player's, by Enter (or the reader's default action); returns what the
        reader then says of the cell."""
        if by_action:
            target = [o for o in self.reader.tree() if o.name.startswith(coordinates(cell) + ", ")
                      and o.name.endswith("sconosciuta")][0]
            self.forget()
            if self.reader.act("do", target.handle) != "0":
                raise Failure("the default action on %s failed" % coordinates(cell))
        else:
            self.tab_to(self.on_board("Area nemica"))
            self.walk_to(cell)
            self.forget()
            self.keys("Return")
        prefix = coordinates(cell) + ", "
        said = self.listen("the result at %s" % coordinates(cell),
                           lambda events: next((e.name for e in events if e.kind == "name" and e.name and
                                                e.name.startswith(prefix) and e.name != prefix + "sconosciuta"),
                                               None))
        return said[len(prefix):]

    def computer_turn(self):
        """Hears the computer aim and shoot until it is the player's turn again or the match ends;
        each aim must be followed by its shot at the same cell."""
        results = []

        def done(events):
            names = [e.name for e in events if e.kind == "alert"]
            return any(n in ("Ora tocca a te..", "Peccato.. hai perso") for n in names)

        self.listen("the computer's turn to end", done, timeout=60)
        alerts = [e.name for e in self.heard if e.kind == "alert"]
        aims = [a for a in alerts if a.startswith("Il computer mira a ")]
        shots = [a for a in alerts if a.startswith("Il computer spara in ")]
        for aim, shot in zip(aims, shots):
            cell = aim[len("Il computer mira a "):-1]
            if not shot.startswith("Il computer spara in %s: " % cell):
                raise Failure("the computer aimed at %s but the shot said %r" % (cell, shot))
            results.append((cell, shot.rsplit(": ", 1)[1].rstrip(".")))
        if not aims or len(aims) != len(shots):
            raise Failure("the computer's turn was heard as %r" % alerts)
        # The player's board says what the computer's shots did.
        objects = {o.name for o in self.reader.tree()}
        for cell, result in results:
            if "%s, %s" % (cell, result) not in objects:
                raise Failure("after the computer's shot the cell %s does not read %r" % (cell, result))
        return results

    def step4_play(self):
        self.tab_to("Inizia")
        self.forget()
        self.keys("Return")
        self.announced("Colpisci la nave nemica. Clicca sull'area nemica.")
        shooter = Shooter(self.rng, "checkerboard")
        rounds = 0
        self.outcome = None
        self.player_shots = 0
        self.computer_shots = 0
        while True:
            cell = shooter.next_cell()
            self.forget()
            result = self.shoot(cell, by_action=self.player_shots == 1)
            self.player_shots += 1
            if result not in ("colpita", "acqua"):
                raise Failure("the shot at %s was said as %r" % (coordinates(cell), result))
            shooter.record(cell, "hit" if result == "colpita" else "miss")
            if result == "colpita":
                text = self.listen("the status after a hit", lambda events: next(
                    (e.name for e in events if e.kind == "alert" and e.name in
                     ("Colpita la nave nemica. Tocca ancora a te..", "Bravo.. hai vinto")), None))
                if text == "Bravo.. hai vinto":
                    self.outcome = "won"
                    break
                continue
            self.announced("Ora tocca al pc..")
            self.forget()
            results = self.computer_turn()
            self.computer_shots += len(results)
            if any(e.kind == "alert" and e.name == "Peccato.. hai perso" for e in self.heard):
                self.outcome = "lost"
                break
            rounds += 1
            if not self.args.full_match and rounds >= 2:
                return
        box = "Hai vinto" if self.outcome == "won" else "Hai perso"
        self.wait_for("the %r box" % box, lambda: self.find_window(title=box), 10)
        self.press("Return", window=box)
        self.wait_for("the box to close", lambda: self.find_window(title=box) is None, 10)
        self.tab_to("Nuova")

    def step5_close(self):
        self.tab_to(lambda focus, parent: focus.name in ("Chiudi",))
        self.keys("Return")
        self.wait_for("the 'Uscita' box", lambda: self.find_window(title="Uscita"), 5)
        self.press("Return", window="Uscita")
        self.wait_for("the game to end", lambda: not self.alive(), timeout=10)
        if self.game.returncode != 0:
            raise Failure("the game ended with exit code %d" % self.game.returncode)

    def run(self):
        began = time.monotonic()
        steps = [self.step1_objects, self.step2_place_fleet, self.step3_focus_heard, self.step4_play,
                 self.step5_close]
        try:
            for step in steps:
                self.step_name = step.__name__
                started = time.monotonic()
                print("step %s" % self.step_name, flush=True)
                step()
                print("step %s passed in %.1f s" % (self.step_name, time.monotonic() - started), flush=True)
        except Exception as failure:  # say in which step, and keep the screen for a sighted look
            try:
                self.shot(self.grab(), "FAILED")
            except Exception as grab_failure:  # the screen itself may be gone
                print("could not save a screenshot: %s" % grab_failure)
            print("FAILED at step %s: %s" % (self.step_name, failure), flush=True)
            return 1
        finally:
            if self.reader:
                self.reader.stop()
            self.stop()
        print("reader session passed in %.1f s" % (time.monotonic() - began))
        if self.args.full_match:
            print("the player %s: %d shots by the player, %d by the computer" % (self.outcome, self.player_shots,
                                                                                 self.computer_shots))
        return 0


def main():
    def more(parser):
        parser.add_argument("--reader", required=True, help="reader.exe, the screen reader's side")

    args = play_session.parse_arguments(__doc__.splitlines()[0], more)
    print("seed %d" % args.seed, flush=True)
    return BlindSession(args).run()


if __name__ == "__main__":
    sys.exit(main())
