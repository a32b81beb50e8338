#!/usr/bin/env python3
"""Failure injection over every command that writes a file, through the real
binary. Each writer runs against a missing input, a directory, a FIFO and an
empty file as input, a full disk (a file-size limit), /dev/full, a FIFO and
a device node as output, a read-only existing output and an unwritable
directory, with and without outputs of an earlier run in place. A failure
must print a message naming the file, no success line, end in time with
status 0, and leave every file as it was (the log aside). The good runs
must succeed, keep what the appending converters append to, and write
through a symbolic link. The commands that only read the databases must
create nothing.

As root, the engine runs as "nobody" (setpriv), so that read-only files and
directories stop it as they stop a user; without setpriv those cases, and
/dev/full, are skipped.

Usage: file_failures.py VELTOR_BINARY SOURCE_DIR
"""
import os
import re
import resource
import shutil
import signal
import stat
import subprocess
import sys
import tempfile

engine, source = (os.path.abspath(path) for path in sys.argv[1:3])
GAMES_PGN = os.path.join(source, "tests", "fixtures", "games.pgn")
TIMEOUT = 60
FULL_DISK_BYTES = 512  # below every output of the inputs here
NOBODY = 65534
POS_FILES = ["%X.pos" % k for k in range(16)]
BOOK_FILES = ["bookbtm.mbk", "bookbtm.mbx", "bookwtm.mbk", "bookwtm.mbx"]
DATABASES = ["black.db", "white.db"]  # black.db is opened first

failures = []
skipped = set()
runs = 0


def check(what, condition, detail=""):
    if not condition:
        print("FAILED:", what, detail)
        failures.append(what)


def skip(why):
    if why not in skipped:
        print("skipped:", why)
        skipped.add(why)


# name, command words ({in} and {out} replaced), its input (None: the
# databases), its outputs, what only success prints, whether it appends,
# whether an empty input is a success.
WRITERS = [
    ("pgn2pos", "pgn2pos {in}", "games.pgn", POS_FILES, r"finished", False, True),
    ("pgn2game", "pgn2game {in} {out}", "games.pgn", ["out.game"], r"finished", True, True),
    ("pgnlist2game", "pgnlist2game {in} {out}", "list.txt", ["out.game"], r"CONVERTED", True, True),
    ("game2pgn", "game2pgn {in} {out}", "games.game", ["out.pgn"], r"OK\n|converted:", True, True),
    ("game2pos", "game2pos {in} {out}", "games.game", ["out.pos"], r"OK\n|converted:", True, True),
    ("dbcreate", "dbcreate {in} out", "games.sorted", ["out_black.db", "out_white.db"],
     r"created\.", False, True),
    ("bookcreate", "bookcreate", None, BOOK_FILES, r"created\.", False, False),
    ("bookcreate-thresholds", "bookcreate 2 1", None, BOOK_FILES, r"created\.", False, False),
    ("pgn2fen", "pgn2fen {in} {out}", "games.pgn", ["out.fen"], r"pgn2fen:", False, True),
    ("bookexport", "bookexport {out}", None, ["out.bin"], r"moves from", False, False),
]
READERS = [
    ("dbshow", "dbshow", r"record not found|w: "),
    ("dbshowlin", "dbshowlin", r"record not found|w: "),
    ("explore", "explore", r"move +games|no move of this position"),
]


def run_as_prefix(work):
    """The command prefix that runs the engine as nobody when we are root
    (None when it cannot run so in `work`)."""
    if os.geteuid() != 0:
        return []
    setpriv = shutil.which("setpriv")
    if setpriv:
        prefix = [setpriv, "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups"]
        os.chown(work, NOBODY, NOBODY)
        probe = subprocess.run(prefix + [engine], input="quit\n", capture_output=True, text=True,
                               cwd=work, timeout=TIMEOUT)
        if probe.returncode == 0 and os.path.exists(os.path.join(work, "Veltor.log")):
            os.remove(os.path.join(work, "Veltor.log"))
            return prefix
        os.chown(work, 0, 0)
    return None


work = tempfile.mkdtemp(prefix="veltor-file-failures-")
os.chmod(work, 0o755)
PREFIX = run_as_prefix(work)
AS_USER = PREFIX is not None  # permissions stop the engine as they stop a user
if not AS_USER:
    PREFIX = []
    skip("root, and the engine cannot run as nobody (setpriv): read-only files, unwritable "
         "directories and /dev/full are not tried")


def engine_run(directory, words, size_limit=None):
    """Runs one console command in `directory`: (status, output); status -1
    when it did not end in time."""
    def limits():
        if size_limit is not None:
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (size_limit, size_limit))
    global runs
    runs += 1
    env = dict(os.environ, VELTOR_BOOK_DIR="")
    try:
        done = subprocess.run(PREFIX + [engine], input="console\n%s\nquit\n" % words,
                              capture_output=True, text=True, cwd=directory, env=env,
                              timeout=TIMEOUT, preexec_fn=limits)
    except subprocess.TimeoutExpired as expired:
        return -1, (expired.stdout or b"").decode(errors="replace")
    # Everything after the feature lines the first word draws.
    return done.returncode, done.stdout.split("feature done=1\n", 1)[-1]


def snapshot(directory):
    """Every name under the directory (the log aside): type, mode and bytes or target."""
    seen = {}
    for root, dirs, files in os.walk(directory):
        for name in dirs + files:
            path = os.path.join(root, name)
            relative = os.path.relpath(path, directory)
            if relative == "Veltor.log":
                continue
            status = os.lstat(path)
            if stat.S_ISREG(status.st_mode):
                with open(path, "rb") as f:
                    content = f.read()
            elif stat.S_ISLNK(status.st_mode):
                content = "-> " + os.readlink(path)
            else:
                content = stat.S_IFMT(status.st_mode)
            seen[relative] = (stat.S_IMODE(status.st_mode), content)
    return seen


def build_inputs(work):
    """Runs the pipeline once (each step must succeed) and returns the inputs
    of every writer, as bytes by name."""
    with open(GAMES_PGN, "rb") as f:
        games = f.read()
    # Three copies of each game: every position of the databases has 3 games,
    # enough for bookexport.
    with open(os.path.join(work, "games.pgn"), "wb") as f:
        f.write(games * 3)
    with open(os.path.join(work, "list.txt"), "w") as f:
        f.write("games.pgn\n")
    steps = [("pgn2pos games.pgn", "finished"), ("pgn2game games.pgn games.game", "finished")]
    for words, success in steps:
        status, out = engine_run(work, words)
        check("pipeline: " + words, status == 0 and success in out, out)
    lines = []
    for name in POS_FILES:
        with open(os.path.join(work, name), "rb") as f:
            lines += f.read().splitlines(keepends=True)
    with open(os.path.join(work, "games.sorted"), "wb") as f:
        f.write(b"".join(sorted(lines)))
    status, out = engine_run(work, "dbcreate games.sorted games")
    check("pipeline: dbcreate", status == 0 and out.endswith("created.\n"), out)
    os.rename(os.path.join(work, "games_black.db"), os.path.join(work, "black.db"))
    os.rename(os.path.join(work, "games_white.db"), os.path.join(work, "white.db"))
    inputs = {}
    for name in ["games.pgn", "list.txt", "games.game", "games.sorted"] + DATABASES:
        with open(os.path.join(work, name), "rb") as f:
            inputs[name] = f.read()
    return inputs


def old_output(name):
    """What an earlier run left: valid for the appending converters (one
    game record in a game file, text in the others)."""
    if name.endswith(".game"):
        return b"\x01\x80\x24\x0d"
    return b"output of an earlier run\n"


def make_case(work, label, inputs, outputs, existing):
    directory = tempfile.mkdtemp(prefix=label + "-", dir=work)
    for name, content in inputs.items():
        with open(os.path.join(directory, name), "wb") as f:
            f.write(content)
    if existing:
        for name in outputs:
            with open(os.path.join(directory, name), "wb") as f:
                f.write(old_output(name))
    return directory


def hand_over(directory):
    """The case's files to the user the engine runs as."""
    if AS_USER and os.geteuid() == 0:
        for root, dirs, files in os.walk(directory):
            for name in dirs + files + [""]:
                os.lchown(os.path.join(root, name), NOBODY, NOBODY)


def expect_failure(label, directory, words, names, success, size_limit=None, keep=()):
    """Runs the command, which must fail: message naming one of `names`, no
    success line, nothing changed."""
    before = snapshot(directory)
    status, out = engine_run(directory, words, size_limit)
    check(label + ": ends with status 0", status == 0, "status %d: %s" % (status, out))
    named = any(name in line and re.search(r"\b(Cannot|Not a|No positions)\b", line)
                for line in out.splitlines() for name in names)
    check(label + ": a message names the file", named, repr(out))
    check(label + ": no success line", not re.search(success, out), repr(out))
    check(label + ": no file created or changed", snapshot(directory) == before,
          sorted(set(snapshot(directory).items()) ^ set(before.items()), key=str)[:4])
    for path in keep:
        check(label + ": " + path + " is still a device", stat.S_ISCHR(os.stat(path).st_mode))


def input_cases(work, label, command, input_name, inputs, outputs, success, empty_ok, appends):
    """Missing, directory, FIFO and empty inputs, with and without older outputs."""
    fixed = input_name is None  # the databases under their fixed names
    for case in ["missing", "directory", "fifo", "empty"]:
        for existing in [False, True]:
            if not outputs and existing:
                continue
            tag = "%s %s input%s" % (label, case, ", older outputs" if existing else "")
            present = dict(inputs)
            path = DATABASES[0] if fixed else "case-input"
            if fixed:
                for name in DATABASES:
                    present.pop(name)
                    if case == "empty":
                        present[name] = b""
                    elif case != "missing" and name == DATABASES[1]:
                        present[name] = inputs[name]
            elif case == "empty":
                present[path] = b""
            directory = make_case(work, label, present, outputs, existing)
            if case == "directory":
                os.mkdir(os.path.join(directory, path))
            elif case == "fifo":
                os.mkfifo(os.path.join(directory, path))
            hand_over(directory)
            words = command.replace("{in}", path).replace("{out}", outputs[0] if outputs else "")
            if case == "empty" and empty_ok:
                before = snapshot(directory)
                status, out = engine_run(directory, words)
                check(tag + ": succeeds", status == 0 and re.search(success, out), out)
                after = snapshot(directory)
                changed = {n for n in set(before) | set(after) if before.get(n) != after.get(n)}
                allowed = set() if appends and existing else set(outputs)
                check(tag + ": changes only its outputs", changed <= allowed, changed - allowed)
            elif case == "empty" and not outputs:
                status, out = engine_run(directory, words)
                check(tag + ": answers", status == 0 and re.search(success, out), out)
            else:
                expect_failure(tag, directory, words, [path], success)


def output_cases(work, label, command, input_name, inputs, outputs, success, appends):
    """Failures of the output, then the good runs."""
    out_name = outputs[0]

    def words(output=out_name):
        return command.replace("{in}", input_name or "").replace("{out}", output)

    for existing in [False, True]:
        tag = label + " full disk" + (", older outputs" if existing else "")
        directory = make_case(work, label, inputs, outputs, existing)
        hand_over(directory)
        expect_failure(tag, directory, words(), outputs, success, size_limit=FULL_DISK_BYTES)

    # What is no regular file is never replaced: /dev/full (named, or
    # through a link for the fixed names), a FIFO, a device node.
    if AS_USER and not os.access("/dev/full", os.W_OK):
        skip("no writable /dev/full")
    elif AS_USER:
        directory = make_case(work, label, inputs, outputs, True)
        if "{out}" in command:
            hand_over(directory)
            expect_failure(label + " /dev/full output", directory, words("/dev/full"),
                           ["/dev/full"], success, keep=["/dev/full"])
        os.remove(os.path.join(directory, out_name))
        os.symlink("/dev/full", os.path.join(directory, out_name))
        hand_over(directory)
        expect_failure(label + " output linked to /dev/full", directory, words(), [out_name],
                       success, keep=["/dev/full"])
    directory = make_case(work, label, inputs, outputs, True)
    os.remove(os.path.join(directory, out_name))
    os.mkfifo(os.path.join(directory, out_name))
    hand_over(directory)
    expect_failure(label + " FIFO output", directory, words(), [out_name], success)
    directory = make_case(work, label, inputs, outputs, True)
    os.remove(os.path.join(directory, out_name))
    try:
        os.mknod(os.path.join(directory, out_name), stat.S_IFCHR | 0o666, os.makedev(1, 3))
        hand_over(directory)
        expect_failure(label + " device node output", directory, words(), [out_name], success,
                       keep=[os.path.join(directory, out_name)])
    except PermissionError:
        skip("device nodes cannot be made here")

    # Permissions: a read-only older output, an unwritable directory.
    if AS_USER or os.geteuid() != 0:
        directory = make_case(work, label, inputs, outputs, True)
        hand_over(directory)
        for name in outputs:
            os.chmod(os.path.join(directory, name), 0o444)
        expect_failure(label + " read-only output", directory, words(), outputs, success)
        directory = make_case(work, label, inputs, outputs, True)
        hand_over(directory)
        os.chmod(directory, 0o555)
        expect_failure(label + " unwritable directory", directory, words(), outputs, success)
        os.chmod(directory, 0o755)

    # The good runs: with and without older outputs, and through a link.
    for existing in [False, True]:
        tag = label + (" over older outputs" if existing else "")
        directory = make_case(work, label, inputs, outputs, existing)
        hand_over(directory)
        status, out = engine_run(directory, words())
        check(tag + ": succeeds", status == 0 and re.search(success, out), out)
        for name in outputs:
            with open(os.path.join(directory, name), "rb") as f:
                content = f.read()
            if appends and existing:
                check(tag + ": " + name + " keeps what it held", content.startswith(old_output(name))
                      and len(content) > len(old_output(name)))
        check(tag + ": no temporary left", sorted(os.listdir(directory)) ==
              sorted(set(inputs) | set(outputs) | {"Veltor.log"}), os.listdir(directory))
    directory = make_case(work, label, inputs, outputs, True)
    os.rename(os.path.join(directory, out_name), os.path.join(directory, "real"))
    os.symlink("real", os.path.join(directory, out_name))
    hand_over(directory)
    status, out = engine_run(directory, words())
    check(label + " through a link: succeeds", status == 0 and re.search(success, out), out)
    check(label + " through a link: the link stays", os.path.islink(os.path.join(directory, out_name)))
    with open(os.path.join(directory, "real"), "rb") as f:
        check(label + " through a link: its file is written", f.read() != old_output(out_name))


inputs = build_inputs(work)
for label, command, input_name, outputs, success, appends, empty_ok in WRITERS:
    needed = {n: inputs[n] for n in ([input_name] if input_name else DATABASES)}
    if label == "pgnlist2game":
        needed["games.pgn"] = inputs["games.pgn"]
    input_cases(work, label, command, input_name, needed, outputs, success, empty_ok, appends)
    output_cases(work, label, command, input_name, needed, outputs, success, appends)
for label, command, success in READERS:
    input_cases(work, label, command, None, {n: inputs[n] for n in DATABASES}, [], success, False,
                False)

if not failures:
    shutil.rmtree(work, ignore_errors=True)
print("%d engine runs, %s" % (runs, "%d checks failed (work: %s)" % (len(failures), work)
                               if failures else "every check passed"))
sys.exit(1 if failures else 0)
