#!/usr/bin/env python3
# Drives a program's real window on the current X display (run it inside with_xvfb.sh)
# like a person: starts it, finds its window by title, presses keys with xdotool, reads the
# LCD back from screenshots with `dfx read-screen`, closes the window and expects exit 0.
# A TARGET ending in .exe or .zip runs under Wine.
#
#   window_e2e.py probe   PROBE DFX [--facts EXE]  the host on the stand-in: threads, keys
#   window_e2e.py game    GAME DFX [--facts EXE]   SDL: zoom and data lookup; Wine: a whole game
#   window_e2e.py package DEB|ZIP DFX [--facts EXE] [--app-id ID]  the unpacked package
import argparse, ctypes, ctypes.util, json, os, re, shutil, subprocess, sys, tempfile, time, zipfile

TITLE = "Discoflipparex VZ-T734Taste V2.3D"
HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
RESULTS = ("You Win", "You Lose", "DRAW")
REPLAY_NAMES = {"Return": "RETURN", "BackSpace": "BACKSPACE"}
# Its own prefix: a Wine session never shares a display with unit tests running meanwhile.
os.environ.setdefault("DFX_WINEPREFIX", os.path.join(REPO, "build", "wineprefix-e2e"))


class Failure(Exception): pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(*cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


def wm_close(window):
    # WM_DELETE_WINDOW, what a window manager's close box sends (Xvfb has no manager).
    x = ctypes.CDLL(ctypes.util.find_library("X11"))
    x.XOpenDisplay.restype = x.XInternAtom.restype = ctypes.c_void_p
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    L = ctypes.c_ulong
    # XClientMessageEvent, padded to the size of XEvent.
    fields = [("type", ctypes.c_int), ("serial", L), ("send", ctypes.c_int), ("display", ctypes.c_void_p),
              ("window", L), ("message_type", L), ("format", ctypes.c_int), ("data", L * 5), ("pad", L * 12)]
    event = type("Ev", (ctypes.Structure,), {"_fields_": fields})()
    d = x.XOpenDisplay(None)
    event.type, event.window, event.format = 33, int(window), 32  # ClientMessage
    event.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
    event.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
    check(x.XSendEvent(d, int(window), 0, 0, ctypes.byref(event)), "cannot send the close request")
    x.XSync(d, 0)


class Session:
    started = []

    def __init__(self, args, work, cmd, cwd=REPO):
        self.args, self.work, self.cmd, self.cwd = args, work, cmd, cwd
        self.wine = cmd[0].endswith(".exe")
        if self.wine:
            self.cmd = [os.path.join(HERE, "win_wine.sh")] + cmd
        self.shots, self.proc, self.window = 0, None, None

    def start(self):
        self.proc = subprocess.Popen(self.cmd, cwd=self.cwd, stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
        Session.started.append(self.proc)
        deadline = time.time() + 90
        while not self.window:
            check(self.proc.poll() is None, "the program ended early with code %s" % self.proc.returncode)
            check(time.time() < deadline, "no window titled %r" % TITLE)
            self.window = (run("xdotool", "search", "--name", "^%s$" % TITLE).stdout.split() or [None])[0]
            time.sleep(0.2)

    def size(self):
        return re.search(r"Geometry: (\d+x\d+)", run("xdotool", "getwindowgeometry", self.window).stdout).group(1)

    def wait_size(self, want):
        for _ in range(50):
            if self.size() == want:
                return
            time.sleep(0.1)
        raise Failure("client area %s, not %s" % (self.size(), want))

    def check_win32_frame(self):
        # Windows itself knows class, frame and outer size; X11 sees only the inside of the
        # frame Wine expects a window manager to draw, which must fill the same rectangle.
        out = run(os.path.join(HERE, "win_wine.sh"), self.args.facts, TITLE, timeout=60).stdout
        facts = dict(line.split(" ", 1) for line in out.splitlines() if " " in line)
        want = {"found": "1", "class": "PROMPT", "position": "0 0", "size": "650 237", "resizable": "0",
                "maximisable": "0", "minimisable": "1", "clientedge": "1"}
        check(all(facts.get(k) == v for k, v in want.items()), "window facts %r" % facts)
        info = dict(l.strip().partition(":")[::2] for l in run("xwininfo", "-id", self.window).stdout.splitlines())
        left, top, w, h = (int(info[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
        check(w + 2 * left == 650 and top + h + left == 237, "X11 window %dx%d at %d,%d" % (w, h, left, top))

    def keys(self, *names, gap="70"):  # the key slot holds one key: give the program time to take each
        run("xdotool", "windowfocus", "--sync", self.window)
        run("xdotool", "key", "--clearmodifiers", "--delay", gap, *names, check=True)

    def screen(self):
        self.shots += 1
        shot = os.path.join(self.work, "shot%03d.png" % self.shots)
        run("import", "-window", self.window, shot, check=True)
        if not self.wine:  # back to one pixel a dot
            run("convert", shot, "-sample", "640x204!", shot, check=True)
        out = run(self.args.dfx, "read-screen", shot, "--glyphs", os.path.join(REPO, "res", "bmp"), "--json")
        check(out.returncode == 0, "read-screen failed: %s" % out.stderr.strip())
        return dict(json.loads(out.stdout), file=shot)

    def wait(self, what, test, timeout=60):  # screenshots until test(screen) holds
        deadline = time.time() + timeout
        while True:
            s = self.screen()
            if test(s):
                return s
            check(self.proc.poll() is None, "the program ended while waiting for %s" % what)
            check(time.time() < deadline, "no %s; screen:\n%s" % (what, "\n".join(s["lines"] + rows(s["board"]))))
            time.sleep(0.25)

    def close(self):
        self.keys("alt+F4") if self.wine else wm_close(self.window)
        try:
            check(self.proc.wait(timeout=30) == 0, "exit code %s after close" % self.proc.returncode)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after close")


def rows(board):
    return [board[i:i + 8] for i in range(0, 64, 8)]


def first_legal(b):
    # The first square in row order where a Black disc ('X') turns White ones ('O') over.
    for i, dx, dy in [(i, dx, dy) for i in range(64) for dx in (-1, 0, 1) for dy in (-1, 0, 1) if b[i] == "-"]:
        x, y, line = i % 8 + dx, i // 8 + dy, ""
        while 0 <= x < 8 and 0 <= y < 8 and b[y * 8 + x] != "-" and not line.endswith("X"):
            x, y, line = x + dx, y + dy, line + b[y * 8 + x]
        if re.fullmatch("O+X", line):
            return i


TITLE_SCREEN = lambda s: "Discoflipparex V2.3D" in s["lines"][0] and "LEVEL 0(" in s["lines"][4]


# --- Scenarios -----------------------------------------------------------------------


def probe(s):
    s.start()
    first = s.wait("the probe", lambda t: t["lines"][0][9:].strip() in ("PROBE", "WRONG THREADS"))
    check(first["lines"][0][9:].strip() == "PROBE", "SDL events not on the main thread, or the game not apart")
    check(first["board"][24:40] == "---OX------XO---", "start position:\n" + "\n".join(rows(first["board"])))
    s.check_win32_frame() if s.wine else check(s.size() == "640x204", "client area %s" % s.size())
    # Key k's code goes to line 1 + k % 5, and a disc on square k. Wine may pass on a Num
    # Lock (144) of its own when it syncs the lock state with the X server.
    seen = 0
    for key, codes in (("Right", [39]), ("Return", [13]), ("r", [82]), ("1", [49]), ("shift+r", [16, 82]),
                       ("shift", [16])):
        s.keys(key)
        got = lambda t: [t["lines"][1 + k % 5][9:16] for k in range(seen, t["board"][:24].count("X"))]
        t = s.wait("key codes %s" % codes, lambda t: [c for c in got(t) if c != "KEY 144"] == ["KEY %3d" % c for c in codes])
        seen = t["board"][:24].count("X")
    s.close()


def sdl_game(s):
    out = run(s.cmd[0], "--zoom", "9")
    check(out.returncode == 2 and len(out.stderr.splitlines()) == 1, "--zoom 9: %d %r" % (out.returncode, out.stderr))
    # Laid out as installed, started from a folder without res.
    prefix = os.path.join(s.work, "prefix")
    os.makedirs(os.path.join(prefix, "bin"))
    os.makedirs(os.path.join(prefix, "share", "discoflipparex"))
    os.symlink(os.path.join(REPO, "res"), os.path.join(prefix, "share", "discoflipparex", "res"))
    s.cmd = [os.path.join(prefix, "bin", "discoflipparex"), "--zoom", "2"]
    shutil.copy(s.args.target, s.cmd[0])
    s.cwd = s.work
    s.start()
    s.wait_size("1280x408")
    shot = s.wait("the title screen", TITLE_SCREEN)["file"]
    # Every 2x2 block is one pixel: the 640x204 read grown back equals the screen.
    run("import", "-window", s.window, shot + ".2x.png", check=True)
    run("convert", shot, "-sample", "1280x408!", shot + ".again.png", check=True)
    differ = run("compare", "-metric", "AE", shot + ".2x.png", shot + ".again.png", "null:").stderr.strip()
    check(differ == "0", "%s pixels at --zoom 2 are not 2x2 blocks" % differ)
    s.keys("ctrl+plus")
    s.wait_size("1920x612")
    s.wait("the title screen at zoom 3", TITLE_SCREEN)
    check(run("xdotool", "getwindowname", s.window).stdout.strip() == TITLE, "title changed by the zoom")
    s.close()


def wine_game(s):
    # Level 0 with RANDOM off: after every batch of keys the screen is what `dfx replay` gives.
    sent = []

    def press(what, keys, timeout=20):
        s.keys(*keys)
        sent.extend(REPLAY_NAMES.get(k, k.upper()) for k in keys)
        want = json.loads(run(s.args.dfx, "replay", "--json", "--keys", " ".join(sent), check=True).stdout)
        return s.wait(what, lambda t: (t["lines"], t["board"]) == (want["lines"], want["board"]), timeout)

    s.start()
    # The title is printed piece by piece, the level last; the frame is set after.
    s.wait("the title screen", lambda t: TITLE_SCREEN(t) and "[R] RANDOM ON" in t["lines"][3])
    s.check_win32_frame()
    t = press("our first turn", ["r", "Right", "Left", "Left", "1"])  # S never below 0: level stays 0
    moves = 0
    while not any(r in t["lines"][1] for r in RESULTS):
        board, i = t["board"], first_legal(t["board"])
        # Left and Up against the edges first: the cursor is then at the corner.
        keys = ["Return"] if "You Pass!" in t["lines"][1] else \
            ["Left"] * 7 + ["Up"] * 7 + ["Right"] * (i % 8) + ["Down"] * (i // 8) + ["Return"]
        moves += 1
        try:
            t = press("the reply to move %d" % moves, keys)
        except Failure:
            # On a loaded machine a key may be overwritten in the slot before the game
            # takes it: nothing placed yet, so go again.
            check(s.screen()["board"] == board, "no reply to move %d" % moves)
            del sent[-len(keys):]
            t = press("the reply to move %d" % moves, keys, timeout=120)
        if moves == 2:
            t = press("the undo of our move and the reply", ["BackSpace"])
    print("game over after %d turns: %s" % (moves, t["lines"][1][9:].strip()))
    press("the title screen again", ["Return"])
    s.close()


def package(args, work):
    if args.target.endswith(".zip"):
        zipfile.ZipFile(args.target).extractall(os.path.join(work, "zip"))
        (folder,) = [os.path.join(work, "zip", f) for f in os.listdir(os.path.join(work, "zip"))]
        for part in ("discoflipparex.exe", "README.md", "README-windows.txt", "res/board.txt", "res/bmp/255.bmp"):
            check(os.path.isfile(os.path.join(folder, part)), "the zip lacks %s" % part)
        s = Session(args, work, [os.path.join(folder, "discoflipparex.exe")], cwd=folder)
    else:
        deb, app = args.target, args.app_id
        want = ["games/discoflipparex", "games/dfx", "share/man/man6/discoflipparex.6.gz",
                "share/doc/discoflipparex/copyright", "share/doc/discoflipparex/changelog.gz",
                "share/discoflipparex/res/board.txt", "share/applications/%s.desktop" % app,
                "share/metainfo/%s.metainfo.xml" % app]
        want += ["share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, app) for n in (16, 32, 48, 128, 256)]
        want += ["share/discoflipparex/res/bmp/" + f for f in os.listdir(os.path.join(REPO, "res", "bmp"))]
        listed = [l.split()[5] for l in run("dpkg-deb", "-c", deb, check=True).stdout.splitlines() if l[0] != "d"]
        check(sorted("./usr/" + f for f in want) == sorted(listed), "package files:\n" + "\n".join(sorted(listed)))
        # `cmake --install` lays down the same files, the programs in bin/ and the manual page plain.
        tree = os.path.join(work, "prefix")
        run("cmake", "--install", os.path.dirname(os.path.abspath(deb)), "--prefix", tree, check=True)
        got = sorted(os.path.relpath(os.path.join(d, f), tree) for d, _, fs in os.walk(tree) for f in fs)
        same = [f for f in want if not f.startswith(("games/", "share/man/", "share/doc/"))]
        check(got == sorted(same + ["bin/discoflipparex", "bin/dfx", "share/man/man6/discoflipparex.6"]),
              "install tree:\n" + "\n".join(got))
        root = os.path.join(work, "root")
        run("dpkg-deb", "-x", deb, root, check=True)
        version = os.path.basename(deb).split("_")[1]  # the package's version is the programs' own
        for exe in ("discoflipparex", "dfx"):
            out = run("%s/usr/games/%s" % (root, exe), "--version").stdout
            check(out == "%s %s\n" % (exe, version), "%s --version: %r" % (exe, out))
        for cmd in (["lintian", "--fail-on", "error", deb],
                    ["desktop-file-validate", "%s/usr/share/applications/%s.desktop" % (root, app)],
                    ["appstreamcli", "validate", "--no-net", "%s/usr/share/metainfo/%s.metainfo.xml" % (root, app)]):
            out = run(*cmd)
            check(out.returncode == 0, "%s: %s%s" % (cmd[0], out.stdout, out.stderr))
        s = Session(args, work, [root + "/usr/games/discoflipparex"], cwd=work)
    s.start()
    s.wait("the title screen", lambda t: "Discoflipparex V2.3D" in t["lines"][0] and "[1] YOU vs CPU" in t["lines"][1])
    if s.wine:
        s.check_win32_frame()
        s.keys("2")  # the computer opens from the start position read from the file
        s.wait("our first turn", lambda t: "You (White)" in t["lines"][0] and
               (t["board"].count("X"), t["board"].count("O")) == (4, 1))
    s.close()
    return s


def main():
    p = argparse.ArgumentParser()
    p.add_argument("mode", choices=("probe", "game", "package"))
    p.add_argument("target")
    p.add_argument("dfx")
    p.add_argument("--facts")
    p.add_argument("--app-id")
    args = p.parse_args()
    work = tempfile.mkdtemp(prefix="dfx-e2e-")
    s = Session(args, work, [os.path.abspath(args.target)])
    try:
        if args.mode == "package":
            s = package(args, work)
        else:
            (probe if args.mode == "probe" else wine_game if s.wine else sdl_game)(s)
        print("%s: passed (%d screenshots)" % (args.mode, s.shots))
        shutil.rmtree(work)
        return 0
    except Failure as failure:
        print("%s: FAILED: %s\nscreenshots kept in %s" % (args.mode, failure, work), file=sys.stderr)
        return 1
    finally:
        for proc in Session.started:
            proc.kill()


if __name__ == "__main__":
    sys.exit(main())
