#!/usr/bin/env python3
# Drives a program's real window on the current X display (run it inside with_xvfb.sh)
# like a person: starts it, finds its window by title, presses keys with xdotool, reads the
# LCD back from screenshots with `dfx read-screen`, closes the window and expects exit 0.
# A TARGET ending in .exe or .zip runs under Wine.
#
#   window_e2e.py game    GAME DFX   SDL: zoom and data lookup; Wine: a whole game
#   window_e2e.py package DEB|ZIP DFX [--app-id ID]  the unpacked package
import atexit, ctypes, ctypes.util, json, os, re, shutil, subprocess, sys, tempfile, time, zipfile

TITLE = "Discoflipparex VZ-T734Taste V2.3D"
HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
WINE = os.path.join(HERE, "win_wine.sh")
# Its own prefix: a Wine session never shares a display with unit tests running meanwhile.
os.environ.setdefault("DFX_WINEPREFIX", os.path.join(REPO, "build", "wineprefix-e2e"))


class Failure(Exception):
    pass


def check(ok, message):
    if not ok:
        raise Failure(message)


def run(*cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


def xrun(*cmd, check=False):
    # The X server may refuse a connection for a moment under load: try again, a few times
    # over about two seconds, before a failure counts.
    for attempt in range(8):
        out = run(*cmd)
        refused = re.search(r"(?i)(can.?t|cannot|unable to) open display", out.stderr)
        if out.returncode == 0 or not refused:
            break
        time.sleep(0.25)
    if check and out.returncode != 0:
        raise Failure("%s failed (%d): %s" % (" ".join(cmd[:2]), out.returncode, out.stderr.strip()))
    return out


def show(t):  # a read screen as text, for failure messages
    if not isinstance(t, dict):
        return repr(t)
    return "\n".join(t["lines"] + [t["board"][i:i + 8] for i in range(0, 64, 8)])


def wm_close(window):
    # WM_DELETE_WINDOW, what a window manager's close box sends (Xvfb has none): an
    # XClientMessageEvent (33, format 32) laid out in an XEvent's 24 longs.
    x = ctypes.CDLL(ctypes.util.find_library("X11"))
    x.XOpenDisplay.restype = ctypes.c_void_p
    for attempt in range(8):  # a refused connection: again, as in xrun
        if (d := ctypes.c_void_p(x.XOpenDisplay(None))).value:
            break
        time.sleep(0.25)
    check(d.value, "cannot open the display")
    atom = lambda name: x.XInternAtom(d, name, 0)
    event = (ctypes.c_ulong * 24)(33, 0, 0, d.value, int(window), atom(b"WM_PROTOCOLS"), 32,
                                  atom(b"WM_DELETE_WINDOW"))
    check(x.XSendEvent(d, ctypes.c_ulong(int(window)), 0, 0, event), "cannot send the close request")
    x.XSync(d, 0)


class Session:
    def __init__(self, cmd, cwd=REPO):
        self.wine = cmd[0].endswith(".exe")
        self.cwd = cwd
        self.shots = 0
        self.sent = []
        # Under Wine the X11 window holds the client edge too, 2 pixels round the client area.
        self.edge = 2 * self.wine
        self.cmd = [WINE] * self.wine + cmd

    def poll(self, what, get, ok, timeout=60):  # get() until ok(value), while the program runs
        deadline = time.time() + timeout
        while not ok(value := get()):
            check(self.proc.poll() is None,
                  "the program ended (%s) while waiting for %s" % (self.proc.returncode, what))
            check(time.time() < deadline, "no %s; last seen:\n%s" % (what, show(value)))
            time.sleep(0.2)
        return value

    def start(self):
        self.proc = subprocess.Popen(self.cmd, cwd=self.cwd, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.STDOUT)
        atexit.register(self.proc.kill)
        find = lambda: xrun("xdotool", "search", "--name", "^%s$" % TITLE).stdout.split()
        self.window = self.poll("window titled %r" % TITLE, find, bool, 90)[0]

    # Position x, y on the screen, screen number, client width, height.
    def geometry(self):
        out = xrun("xdotool", "getwindowgeometry", self.window, check=True).stdout
        return [int(n) for n in re.findall(r"\d+", out)][1:]

    # Waits until X11 sees the window this size (by default what it sees of the final frame under
    # Wine, client area and client edge; the frame itself is the Win32 host test's).
    def frame(self, want="644x212"):
        self.poll("client area " + want, lambda: "%dx%d" % tuple(self.geometry()[-2:]), want.__eq__, 10)

    def keys(self, *names):
        xrun("xdotool", "windowfocus", "--sync", self.window, "key", "--clearmodifiers", *names, check=True)

    def click(self, x, y):  # a left click at pixel x, y of the window's client area
        x, y = x + self.edge, y + self.edge
        xrun("xdotool", "mousemove", "--window", self.window, "--sync", str(x), str(y), "click", "1",
             check=True)

    def play(self, what, inputs, zoom=1, timeout=60):
        # One input at a time (the slot holds one), each waited for until the screen is, dot
        # for dot (cursor included), what `dfx replay` draws after every input so far.
        for name in inputs:
            if name.startswith("TAP:"):
                x, y = map(int, name[4:].split(","))
                self.click(x * zoom + zoom // 2, y * zoom + zoom // 2)
            else:
                self.keys(name)
            self.sent.append(name if name.startswith("TAP:") else name.upper())
            want = os.path.join(WORK, "want%03d.png" % len(self.sent))
            run(DFX, "replay", "--keys", " ".join(self.sent), "--out", want, check=True)
            same = lambda t: run("compare", "-metric", "AE", t["dots"], want, "null:").stderr.strip() == "0"
            t = self.wait("%s (%s)" % (what, name), same, timeout)
        return t

    def screen(self):
        self.shots += 1
        shot = os.path.join(WORK, "shot%03d.png" % self.shots)
        xrun("import", "-window", self.window, shot, check=True)
        # The client area alone, one pixel a dot (SDL draws each dot zoomed).
        dots = shot + ".1x.png"
        crop = ["-crop", "640x204+%d+%d" % (self.edge, self.edge), "+repage"]
        size = crop if self.wine else ["-sample", "640x204!"]
        run("convert", shot, *size, dots, check=True)
        out = run(DFX, "read-screen", dots, "--glyphs", os.path.join(REPO, "res", "bmp"), "--json")
        check(out.returncode == 0, "read-screen failed: %s" % out.stderr.strip())
        return dict(json.loads(out.stdout), file=shot, dots=dots)

    def wait(self, what, test, timeout=60):  # screenshots until test holds
        return self.poll(what, self.screen, test, timeout)

    def close(self):
        self.keys("alt+F4") if self.wine else wm_close(self.window)
        ended = self.poll("the end after close", self.proc.poll, lambda code: code is not None, 30)
        check(ended == 0, "exit code %s after close" % ended)


def first_legal(b):
    # The first square in row order where a Black disc ('X') turns White ones ('O') over.
    ray = lambda i, dx, dy: "".join(b[(i // 8 + n * dy) * 8 + i % 8 + n * dx] for n in range(1, 8)
                                    if 0 <= i % 8 + n * dx < 8 and 0 <= i // 8 + n * dy < 8)
    takes = lambda i: any(re.match("O+X", ray(i, dx, dy)) for dx in (-1, 0, 1) for dy in (-1, 0, 1))
    squares = (i for i in range(64) if b[i] == "-" and takes(i))
    return next(squares, None)  # None when we must pass


TITLE_SCREEN = lambda t: "Discoflipparex V2.3D" in t["lines"][0] and "LEVEL 0(" in t["lines"][4]


def no_display(game):
    # No display answering: one line and exit status 1, soon.
    unset = ("WAYLAND_DISPLAY", "SDL_VIDEODRIVER")
    env = dict({k: v for k, v in os.environ.items() if k not in unset}, DISPLAY=":199")
    out = subprocess.run([game], capture_output=True, text=True, env=env, timeout=20)
    lines = [l for l in out.stderr.splitlines() if l.startswith("discoflipparex:")]
    one_line = len(lines) == 1 and lines[0].startswith("discoflipparex: cannot open a window: ")
    check(out.returncode == 1 and one_line, "without a display: %r" % out)


def taps():  # where to press for 1, 2, R, LEFT and RIGHT, as dfx replay's help gives them
    text = run(DFX, "replay", "--help").stdout
    points = {k: p for p, k in re.findall(r"(TAP:\d+,\d+) is (\w+)", text)}
    points["LEFT"], points["RIGHT"] = re.search(r"the marks: (TAP:\d+,\d+), (TAP:\d+,\d+)", text).groups()
    return points


def square(i):  # the press on board square i (0..63, row by row)
    return "TAP:%d,%d" % (24 * (i % 8 + 1) - 2, 24 * (i // 8 + 1) - 2)


def wine_game(s):
    # Level 0 with RANDOM off, started by clicks and keys; the game by keys and one click.
    s.start()
    # The title is printed piece by piece, the level last; the frame is set after.
    s.wait("the title screen", lambda t: TITLE_SCREEN(t) and "[R] RANDOM ON" in t["lines"][3])
    s.frame()
    at = taps()
    t = s.play("our first turn", [at["R"], "Right", "Left", "Left", at["1"]])  # level stays 0
    moves = 0
    while not any(r in t["lines"][1] for r in ("You Win", "You Lose", "DRAW")):
        i = first_legal(t["board"])
        # Left and Up against the edges first: the cursor is then at the corner.
        keys = ["Return"] if "You Pass!" in t["lines"][1] else \
            ["Left"] * 7 + ["Up"] * 7 + ["Right"] * (i % 8) + ["Down"] * (i // 8) + ["Return"]
        moves += 1
        if moves == 3 and keys != ["Return"]:
            keys = [square(i)]  # a disc placed by a click: the client area is the picture
        t = s.play("the reply to move %d" % moves, keys)
        if moves == 2:
            t = s.play("the undo of our move and the reply", ["BackSpace"])
    s.play("the title screen again", ["Return"])
    s.close()


def sdl_game(s):
    out = run(s.cmd[0], "--zoom", "9")
    check(out.returncode == 2 and len(out.stderr.splitlines()) == 1, "--zoom 9: %r" % out)
    no_display(s.cmd[0])
    # The 2048x1024 screen takes zoom 3 at most: --zoom 8 and Ctrl+Plus stop there.
    s.cmd += ["--zoom", "8"]
    s.start()
    s.frame("1920x612")
    s.wait("the title screen", TITLE_SCREEN)
    for keys, size in (("ctrl+plus", "1920x612"), ("ctrl+minus", "1280x408")):
        s.keys(keys)
        s.frame(size)
    shot = s.wait("the title screen", lambda t: TITLE_SCREEN(t) and "[R] RANDOM ON" in t["lines"][3])["file"]
    # Every 2x2 block is one pixel: the screen shrunk and grown back is the same.
    differ = run("convert", shot, "(", "+clone", "-sample", "640x204!", "-sample", "1280x408!", ")",
                 "-metric", "AE", "-compare", "-format", "%[distortion]", "info:").stdout
    check(differ == "0", "%r pixels at zoom 2 are not 2x2 blocks" % differ)
    # A whole game at level 1, RANDOM off, by clicks alone.
    at = taps()
    t = s.play("RANDOM off, level 1, our first turn", [at["R"], at["RIGHT"], at["1"]], zoom=2)
    moves = 0
    while not any(r in t["lines"][1] for r in ("You Win", "You Lose", "DRAW")):
        moves += 1
        pressed = at["R"] if "You Pass!" in t["lines"][1] else square(first_legal(t["board"]))
        t = s.play("the reply to move %d" % moves, [pressed], zoom=2)
    # Zoom keys on the result screen leave the result showing: Ctrl never reaches the game.
    for keys, size in (("ctrl+plus", "1920x612"), ("ctrl+minus", "1280x408")):
        s.keys(keys)
        s.frame(size)
    s.play("the result still, then the title screen again", [at["R"]], zoom=2)
    # Full screen and its black border are the host test's (Xvfb has no window manager to
    # grant full screen).
    s.close()


def zip_package(target):
    zipfile.ZipFile(target).extractall(os.path.join(WORK, "zip"))
    (folder,) = [os.path.join(WORK, "zip", f) for f in os.listdir(os.path.join(WORK, "zip"))]
    for part in ("discoflipparex.exe", "README.md", "README-windows.txt", "res/board.txt", "res/bmp/255.bmp"):
        check(os.path.isfile(os.path.join(folder, part)), "the zip lacks %s" % part)
    return Session([os.path.join(folder, "discoflipparex.exe")], cwd=folder)


def deb_package(deb, app):
    want = ["games/discoflipparex", "games/dfx", "share/man/man6/discoflipparex.6.gz",
            "share/man/man6/dfx.6.gz",
            "share/doc/discoflipparex/copyright",
            "share/doc/discoflipparex/changelog.gz", "share/discoflipparex/res/board.txt",
            "share/applications/%s.desktop" % app, "share/metainfo/%s.metainfo.xml" % app]
    want += ["share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, app) for n in (16, 32, 48, 128, 256)]
    want += ["share/discoflipparex/res/bmp/" + f for f in os.listdir(os.path.join(REPO, "res", "bmp"))]
    contents = [l.split() for l in run("dpkg-deb", "-c", deb, check=True).stdout.splitlines()]
    listed = sorted(l[5] for l in contents if l[0][0] != "d")
    check(all(l[0] == "drwxr-xr-x" for l in contents if l[0][0] == "d"), "folders not 0755:\n" + "\n".join(
        " ".join(l) for l in contents if l[0][0] == "d" and l[0] != "drwxr-xr-x"))
    check(sorted("./usr/" + f for f in want) == listed, "package files:\n" + "\n".join(listed))
    # `cmake --install` lays down the same files but the doc, the programs in bin/ and the manual page plain.
    tree = os.path.join(WORK, "prefix")
    run("cmake", "--install", os.path.dirname(os.path.abspath(deb)), "--prefix", tree, check=True)
    got = sorted(os.path.relpath(os.path.join(d, f), tree) for d, _, fs in os.walk(tree) for f in fs)
    plain = lambda f: f.replace("games/", "bin/").replace(".6.gz", ".6")
    same = sorted(plain(f) for f in want if not f.startswith("share/doc/"))
    check(got == same, "install tree:\n" + "\n".join(got))
    root = os.path.join(WORK, "root")
    run("dpkg-deb", "-x", deb, root, check=True)
    for exe in ("discoflipparex", "dfx"):  # the package's version is the programs' own
        version = run("%s/usr/games/%s" % (root, exe), "--version").stdout
        check(version == "%s %s\n" % (exe, deb.split("_")[-2]), exe + " --version")
    for cmd in (["lintian", "--fail-on", "error", deb],
                ["desktop-file-validate", "%s/usr/share/applications/%s.desktop" % (root, app)],
                ["appstreamcli", "validate", "--no-net",
                 "%s/usr/share/metainfo/%s.metainfo.xml" % (root, app)]):
        check((out := run(*cmd)).returncode == 0, "%s: %s%s" % (cmd[0], out.stdout, out.stderr))
    # Docks match the running window's class to the entry.
    entry = open("%s/usr/share/applications/%s.desktop" % (root, app)).read().splitlines()
    check("StartupWMClass=discoflipparex" in entry, "the desktop entry lacks StartupWMClass")
    # Run from an unrelated folder: the program finds its data beside itself in ../share.
    return Session([root + "/usr/games/discoflipparex"], cwd=WORK)


def package(s):
    s.start()
    s.wait("the title screen", TITLE_SCREEN)
    if s.wine:
        s.frame()
    else:
        wm_class = xrun("xprop", "-id", s.window, "WM_CLASS").stdout
        check(wm_class.strip().endswith('"discoflipparex", "discoflipparex"'), "window class: %r" % wm_class)
    s.keys("2")  # the computer opens from the start position read from the file
    discs = lambda t: (t["board"].count("X"), t["board"].count("O"))
    s.wait("our first turn", lambda t: "You (White)" in t["lines"][0] and discs(t) == (4, 1))
    s.close()


def main():
    global WORK, DFX
    mode, target, DFX, *rest = sys.argv[1:]
    opts = dict(zip(rest[::2], rest[1::2]))
    WORK = tempfile.mkdtemp(prefix="dfx-e2e-")
    try:
        if mode == "package":
            zipped = target.endswith(".zip")
            package(s := zip_package(target) if zipped else deb_package(target, opts["--app-id"]))
        else:
            s = Session([os.path.abspath(target)])
            (wine_game if s.wine else sdl_game)(s)
        print("%s: passed (%d screenshots)" % (mode, s.shots))
        shutil.rmtree(WORK)
    except Failure as failure:
        sys.exit("%s: FAILED: %s\nscreenshots kept in %s" % (mode, failure, WORK))


main()
