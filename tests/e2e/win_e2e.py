#!/usr/bin/env python3
"""Drives the Windows build under Wine on Xvfb like a user: waits for the window,
checks its class, title, frame and 650x237 size, presses keys with xdotool, reads the
LCD back from screenshots with `dfx read-screen`, closes the window with Alt+F4 and
expects exit code 0.

  win_e2e.py probe EXE INSPECT_EXE DFX   the host and LCD on the stand-in program
  win_e2e.py game  EXE INSPECT_EXE DFX   a whole game against level 0
  win_e2e.py package ZIP INSPECT_EXE DFX the unpacked download starts on its own
"""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zipfile

TITLE = "Discoflipparex VZ-T734Taste V2.3D"
HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
WINE = os.path.join(HERE, "win_wine.sh")
# A prefix of its own, so that its Wine session never shares a display with the
# unit tests that may run at the same time.
os.environ.setdefault("DFX_WINEPREFIX", os.path.join(REPO, "build", "wineprefix-e2e"))
KEY_GAP_MS = "70"  # the key slot holds one key: give the game time to take each


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def start_xvfb():
    fd_read, fd_write = os.pipe()
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(fd_write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(fd_write,), stderr=subprocess.DEVNULL)
    os.close(fd_write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(fd_read, 16)
        if not chunk:
            raise Failure("Xvfb did not start")
        number += chunk
    os.close(fd_read)
    return proc, ":" + number.decode().strip()


class Session:
    def __init__(self, exe, inspect, dfx, workdir, cwd=REPO):
        self.exe, self.inspect, self.dfx, self.workdir, self.cwd = exe, inspect, dfx, workdir, cwd
        self.shots = 0
        self.proc = None
        self.window = None

    def start(self):
        self.proc = subprocess.Popen([WINE, self.exe], cwd=self.cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        deadline = time.time() + 90
        while time.time() < deadline:
            check(self.proc.poll() is None, "the program ended early with code %s" % self.proc.returncode)
            out = subprocess.run(["xdotool", "search", "--name", "^%s$" % TITLE], capture_output=True, text=True)
            ids = out.stdout.split()
            if ids:
                self.window = ids[0]
                return
            time.sleep(0.2)
        raise Failure("no window titled %r appeared" % TITLE)

    def win32_facts(self):
        out = subprocess.run([WINE, self.inspect, TITLE], capture_output=True, text=True, timeout=60).stdout
        facts = dict(line.split(" ", 1) for line in out.splitlines() if " " in line)
        check(facts.get("found") == "1", "Windows does not know a window titled %r" % TITLE)
        return facts

    def check_window(self):
        facts = self.win32_facts()
        check(facts["class"] == "PROMPT", "window class %r" % facts["class"])
        check(facts["position"] == "0 0", "window at %s, not at 0 0" % facts["position"])
        check(facts["size"] == "650 237", "outer size %s, not 650 237" % facts["size"])
        check(facts["resizable"] == "0" and facts["maximisable"] == "0", "frame can still be resized or maximised")
        check(facts["minimisable"] == "1", "the minimise box went away")
        check(facts["clientedge"] == "1", "no client edge")
        # The small icon is checked in-process by the host's tests: Wine answers
        # WM_GETICON only within the window's own process.
        # X11 sees the part of the window inside the frame Wine expects a window
        # manager to draw: it must fit the same 650x237 outer rectangle.
        info = subprocess.run(["xwininfo", "-id", self.window], capture_output=True, text=True).stdout
        values = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        left, top = int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"])
        width, height = int(values["Width"]), int(values["Height"])
        check(width + 2 * left == 650 and top + height + left == 237,
              "X11 window %dx%d at (%d, %d) does not fill a 650x237 frame" % (width, height, left, top))
        return facts

    def keys(self, *names):
        subprocess.run(["xdotool", "windowfocus", "--sync", self.window], check=False)
        subprocess.run(["xdotool", "key", "--delay", KEY_GAP_MS] + list(names), check=True)

    def screen(self):
        self.shots += 1
        shot = os.path.join(self.workdir, "shot%03d.bmp" % self.shots)
        subprocess.run(["import", "-window", self.window, "BMP3:" + shot], check=True, capture_output=True)
        out = subprocess.run([self.dfx, "read-screen", shot, "--glyphs", os.path.join(REPO, "res", "bmp"), "--json"],
                             capture_output=True, text=True)
        check(out.returncode == 0, "read-screen failed: %s" % out.stderr.strip())
        data = json.loads(out.stdout)
        data["file"] = shot
        return data

    def wait_screen(self, what, test, timeout=60):
        """Screenshots until test(screen) holds; the last screen on time-out."""
        deadline = time.time() + timeout
        while True:
            s = self.screen()
            if test(s):
                return s
            check(self.proc.poll() is None, "the program ended while waiting for %s" % what)
            if time.time() > deadline:
                raise Failure("timed out waiting for %s; screen was:\n%s\n%s" %
                              (what, "\n".join(s["lines"]), board_text(s["board"])))
            time.sleep(0.25)

    def wait_stable(self, what, test, timeout=60):
        """Like wait_screen, and the screen must still be the same a moment later:
        the game may pass through a matching picture on its way elsewhere."""
        deadline = time.time() + timeout
        while True:
            s = self.wait_screen(what, test, max(1, deadline - time.time()))
            time.sleep(0.6)
            again = self.screen()
            if again["lines"] == s["lines"] and again["board"] == s["board"]:
                return again
            check(time.time() < deadline, "the screen did not settle while waiting for %s" % what)

    def close(self):
        self.keys("alt+F4")
        try:
            code = self.proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after Alt+F4")
        check(code == 0, "exit code %d after closing the window" % code)

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def board_text(board):
    return "\n".join(board[i:i + 8] for i in range(0, 64, 8))


# --- Reversi, just enough to choose a legal move and check the computer's -----------

DIRECTIONS = [(-1, -1), (0, -1), (1, -1), (-1, 0), (1, 0), (-1, 1), (0, 1), (1, 1)]


def flips(board, x, y, me):
    """Squares (x, y: 1..8) that a disc of `me` ('X' or 'O') at (x, y) turns over."""
    if board[(y - 1) * 8 + x - 1] != "-":
        return []
    other = "O" if me == "X" else "X"
    turned = []
    for dx, dy in DIRECTIONS:
        run, cx, cy = [], x + dx, y + dy
        while 1 <= cx <= 8 and 1 <= cy <= 8 and board[(cy - 1) * 8 + cx - 1] == other:
            run.append((cx, cy))
            cx, cy = cx + dx, cy + dy
        if run and 1 <= cx <= 8 and 1 <= cy <= 8 and board[(cy - 1) * 8 + cx - 1] == me:
            turned += run
    return turned


def play(board, x, y, me):
    cells = list(board)
    for cx, cy in flips(board, x, y, me) + [(x, y)]:
        cells[(cy - 1) * 8 + cx - 1] = me
    return "".join(cells)


def legal_moves(board, me):
    return [(x, y) for y in range(1, 9) for x in range(1, 9) if flips(board, x, y, me)]


def settled(board):
    return all(c in "-XO" for c in board)


RESULTS = ("You Win", "You Lose", "DRAW")


def next_turn(s, before):
    """The screen after the computer has answered the position `before` (ours just
    played, or the same after our pass): our next turn, our pass or the result, with
    a board that a legal White move (or the computer's pass) leads to."""
    lines, board = s["lines"], s["board"]
    if not settled(board) or not counts_match(s):
        return False
    replies = {play(before, x, y, "O") for x, y in legal_moves(before, "O")}
    if board not in replies and board != before:
        return False
    if board == before and not any(r in lines[1] for r in RESULTS):
        if replies or "CPU PASS" not in lines[4]:
            return False  # the computer has not answered yet
    return "You (Black)" in lines[0] or "You Pass!" in lines[1] or any(r in lines[1] for r in RESULTS)


def counts_match(s):
    """The panel's disc counts (rows 4 and 5, columns 10..11) agree with the board."""
    shown = (s["lines"][4][10:12].strip(), s["lines"][5][10:12].strip())
    return shown == (str(s["board"].count("X")), str(s["board"].count("O")))


# --- Scenarios ------------------------------------------------------------------


def run_probe(session):
    # Num Lock on before the program starts: otherwise xdotool toggles it around the keypad
    # key, and the program rightly sees that Num Lock press (144) as a key of its own.
    subprocess.run(["xdotool", "key", "Num_Lock"], check=False)
    session.start()
    first = session.wait_screen("the probe's first screen", lambda s: "WIN32 PROBE" in s["lines"][0])
    session.check_window()
    check(first["board"][24:40] == "---OX------XO---", "start position:\n" + board_text(first["board"]))
    # The probe puts one disc per key from the top-left square and prints key k's code on
    # line 1 + k % 5. Wine may pass on one Num Lock (144) of its own when it syncs the lock
    # state with the X server; that one is allowed, anywhere, once.
    state = {"seen": 0, "num_lock": 0}

    def codes_since(s):
        n = s["board"][:24].count("X")
        return n, [s["lines"][1 + k % 5][9:16] for k in range(max(state["seen"], n - 5), n)]

    # One key at a time: the five lines hold the codes of one key and a stray Num Lock.
    def expect(key, codes):
        session.keys(key)

        def shown(s):
            n, got = codes_since(s)
            return [c for c in got if c != "KEY 144"] == codes
        s = session.wait_screen(" ".join(codes), shown)
        n, got = codes_since(s)
        state["num_lock"] += got.count("KEY 144")
        check(state["num_lock"] <= 1, "Num Lock seen more than once: %r" % got)
        state["seen"] = n

    for key, code in (("Right", 39), ("Return", 13), ("r", 82), ("1", 49), ("KP_2", 98)):
        expect(key, ["KEY %3d" % code])
    # Shift+R is Shift's own key-down (16), then R as 82 whatever the Shift state.
    expect("shift+r", ["KEY  16", "KEY  82"])
    expect("shift", ["KEY  16"])
    session.close()


def run_game(session):
    session.start()
    # The title is printed piece by piece, the level and ON/OFF last: wait for those first.
    title = session.wait_screen("the title screen", lambda s: "Discoflipparex V2.3D" in s["lines"][0] and
                                "LEVEL 0(" in s["lines"][4] and
                                re.search(r"RANDOM O(N|FF)", s["lines"][3]) is not None)
    # The title is set before the icon and the frame: look once the screen is up.
    session.check_window()
    check("[1] YOU vs CPU" in title["lines"][1] and "[2] CPU vs YOU" in title["lines"][2], "title menu")
    check("[R] RANDOM ON" in title["lines"][3], "RANDOM starts ON: %r" % title["lines"][3])
    session.keys("r")
    session.wait_screen("RANDOM OFF", lambda s: "[R] RANDOM OFF" in s["lines"][3])
    session.keys("Right", "Left", "Left")  # S never below 0: level stays 0
    session.wait_screen("level 0", lambda s: "LEVEL 0(" in s["lines"][4])
    session.keys("1")

    # The undo hint is printed just after the side's name.
    s = session.wait_screen("the first human turn with the undo hint", lambda s: "You (Black)" in s["lines"][0] and
                            "[BS] UNDO" in s["lines"][2] and settled(s["board"]))
    check(s["board"] == "-" * 27 + "OX" + "-" * 6 + "XO" + "-" * 27, "start position:\n" + board_text(s["board"]))
    moves = passes = 0
    undone = False
    while not any(r in s["lines"][1] for r in RESULTS):
        board = s["board"]
        if "You Pass!" in s["lines"][1]:
            check(not legal_moves(board, "X"), "a pass was offered with a move left:\n" + board_text(board))
            passes += 1
            session.keys("Return")
            s = session.wait_stable("the computer's move after our pass %d" % passes,
                                    lambda s, board=board: next_turn(s, board))
            continue

        x, y = legal_moves(board, "X")[0]
        expected = play(board, x, y, "X")
        # Left and Up against the edges first: the cursor then is at (1, 1) wherever it was.
        route = ["Left"] * 7 + ["Up"] * 7 + ["Right"] * (x - 1) + ["Down"] * (y - 1) + ["Return"]
        session.keys(*route)
        moves += 1
        what = "the computer's reply to move %d" % moves
        try:
            s = session.wait_stable(what, lambda s, expected=expected: next_turn(s, expected), timeout=20)
        except Failure:
            # The slot keeps one key: on a loaded machine one may have been overwritten,
            # leaving the cursor short of the square. Nothing placed yet: go again.
            s = session.screen()
            check(s["board"] == board and "You (Black)" in s["lines"][0], "timed out waiting for %s" % what)
            session.keys(*route)
            s = session.wait_stable(what, lambda s, expected=expected: next_turn(s, expected), timeout=120)

        if moves == 2 and not undone and "You (Black)" in s["lines"][0]:
            # Take back our second move and the reply: the position before it returns.
            session.keys("BackSpace")
            s = session.wait_stable("the undo", lambda s, board=board: s["board"] == board and counts_match(s) and
                                    "[BS] UNDO" not in s["lines"][2])
            undone = True

    s = session.wait_stable("the result", lambda s: any(r in s["lines"][1] for r in RESULTS))
    black, white = s["board"].count("X"), s["board"].count("O")
    want = "DRAW" if black == white else ("You Win" if black > white else "You Lose")
    check(want in s["lines"][1], "result %r for %d to %d" % (s["lines"][1], black, white))
    check("CPU Lv 0" in s["lines"][0], "result screen row 0: %r" % s["lines"][0])
    check(s["lines"][3][9:18] == "UNDO:   1", "undo count on the result screen: %r" % s["lines"][3])
    print("game over after %d moves and %d passes of ours: %s, %d to %d (%s)" %
          (moves, passes, want, black, white, s["file"]))
    session.keys("Return")
    session.wait_screen("the title screen again", lambda s: "Discoflipparex V2.3D" in s["lines"][0] and
                        "[R] RANDOM OFF" in s["lines"][3] and "LEVEL 0(" in s["lines"][4])
    session.close()


def run_package(session):
    # Only what the zip holds: the exe must find res\\board.txt and res\\bmp beside it.
    session.start()
    s = session.wait_screen("the title screen", lambda s: "Discoflipparex V2.3D" in s["lines"][0] and
                            "[1] YOU vs CPU" in s["lines"][1])
    session.check_window()
    session.keys("2")  # the computer opens from the start position read from the file
    session.wait_stable("the first human turn", lambda s: "You (White)" in s["lines"][0] and counts_match(s) and
                        s["board"].count("X") == 4 and s["board"].count("O") == 1)
    session.close()


def unpack(zip_path, workdir):
    target = os.path.join(workdir, "unpacked")
    with zipfile.ZipFile(zip_path) as z:
        z.extractall(target)
    folders = os.listdir(target)
    check(len(folders) == 1, "the zip should hold one folder, not %s" % folders)
    folder = os.path.join(target, folders[0])
    for part in ("discoflipparex.exe", "README.md", "README-windows.txt", os.path.join("res", "board.txt"),
                 os.path.join("res", "bmp", "032.bmp"), os.path.join("res", "bmp", "255.bmp")):
        check(os.path.isfile(os.path.join(folder, part)), "the zip lacks %s" % part)
    return folder


def main():
    if len(sys.argv) != 5 or sys.argv[1] not in ("probe", "game", "package"):
        print(__doc__, file=sys.stderr)
        return 2
    mode, exe, inspect, dfx = sys.argv[1:]
    for tool in ("Xvfb", "xdotool", "xwininfo", "import"):
        if not shutil.which(tool):
            print("missing tool: %s" % tool, file=sys.stderr)
            return 1
    keep = os.environ.get("DFX_E2E_KEEP")
    workdir = keep or tempfile.mkdtemp(prefix="dfx-win-e2e-")
    os.makedirs(workdir, exist_ok=True)
    xvfb, display = start_xvfb()
    os.environ["DISPLAY"] = display
    session = None
    try:
        if mode == "package":
            folder = unpack(exe, workdir)
            session = Session(os.path.join(folder, "discoflipparex.exe"), inspect, dfx, workdir, cwd=folder)
        else:
            session = Session(exe, inspect, dfx, workdir)
        {"probe": run_probe, "game": run_game, "package": run_package}[mode](session)
        print("%s: passed (%d screenshots in %s)" % (mode, session.shots, workdir))
        return 0
    except Failure as failure:
        print("%s: FAILED: %s" % (mode, failure), file=sys.stderr)
        print("screenshots kept in %s" % workdir, file=sys.stderr)
        keep = True
        return 1
    finally:
        if session:
            session.kill()
        xvfb.send_signal(signal.SIGTERM)
        xvfb.wait()
        if not keep:
            shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
