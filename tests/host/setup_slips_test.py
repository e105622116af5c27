#!/usr/bin/env python3
"""A newcomer's slips with drwa-host: each is said on standard error in words
of its own and ends with exit status 2, before anything runs (no receive is
started on an account that is not there) and without changing a file."""
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

host, example = sys.argv[1:3]
failures = []


def run(*args, stdin=""):
    return subprocess.run([host, *args], input=stdin.encode(), capture_output=True,
                          timeout=60)


def check(label, result, status, err_words=(), out_words=()):
    err = result.stderr.decode("utf-8", "replace")
    out = result.stdout.decode("utf-8", "replace")
    problems = []
    if result.returncode != status:
        problems.append(f"exit {result.returncode}, expected {status}")
    problems += [f"stderr lacks {w!r}" for w in err_words if w not in err]
    problems += [f"stdout lacks {w!r}" for w in out_words if w not in out]
    if problems:
        failures.append(f"{label}: {'; '.join(problems)}\n  stdout: {out}\n  stderr: {err}")


def snapshot(folder):
    return {p: p.read_bytes() for p in sorted(pathlib.Path(folder).rglob("*")) if p.is_file()}


with tempfile.TemporaryDirectory() as work:
    account_dir = os.path.join(work, "account")
    shutil.copytree(example, account_dir)
    account = os.path.join(account_dir, "account.ini")  # groups 0 to 2
    missing = os.path.join(work, "nowhere", "account.ini")
    # The sample plugins, as `make demo` sets them.
    plugins = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(example))), "plugins")
    with open(account, "rb") as f:
        text = f.read()
    with open(account, "wb") as f:
        f.write(text.replace(b"DRWA_PLUGIN_FOLDER=\r\n",
                             b"DRWA_PLUGIN_FOLDER=" + plugins.encode() + b"\r\n"))
    before = snapshot(account_dir)

    # No command at all: the usage, on standard error, and nothing on standard output.
    r = run()
    check("no command", r, 2, ["usage: drwa-host", "new-account", "COMMAND --help"])
    if r.stdout:
        failures.append(f"no command: usage went to standard output: {r.stdout!r}")

    # (arguments, words on standard error)
    SLIPS = [
        (["frobnicate"], ['there is no command "frobnicate"', "usage: drwa-host"]),
        # A missing account file is named for every command that reads one,
        # with the command that makes one; receive used to "complete" on it.
        *[(["--account", missing, *cmd], ["there is no account file " + missing, "new-account"])
          for cmd in (["receive"], ["receive", "0"], ["send"], ["groups"], ["info"],
                      ["show-group", "0"], ["set-group", "0", "NAME=x"], ["enable", "0"],
                      ["deliver", "--maildir", os.path.join(work, "Maildir")])],
        (["--account", account_dir, "groups"], ["is a folder", "account.ini"]),
        # Group numbers outside the account, or no numbers at all.
        (["--account", account, "receive", "7"], ["there is no group 7", "0 to 2"]),
        (["--account", account, "receive", "3"], ["there is no group 3", "0 to 2"]),
        (["--account", account, "enable", "-1"], ["there is no group -1"]),
        (["--account", account, "enable", "1", "x"], ["not a group number: x", "numbered from 0"]),
        (["--account", account, "menu", "0", "0", "5"], ["there is no group 5"]),  # ITEM is no group
        (["--account", account, "delete", "3"], ["there is no group 3"]),
        (["--account", account, "show-group", "3"], ["there is no group 3"]),
        (["--account", account, "set-group", "99", "NAME=x"], ["there is no group 99"]),
        # Missing and surplus arguments, with the command's usage line.
        (["--account", account, "enable"], ["enable is missing an argument", "enable N..."]),
        (["--account", account, "check"], ["check is missing an argument", "check ADDRESS"]),
        (["--account", account, "deliver"], ["deliver is missing an argument", "--maildir DIR"]),
        # A file where the Maildir goes (here the account file itself): named, and left alone.
        (["--account", account, "deliver", "--maildir", account], ["is a file, not a folder"]),
        (["--account", account, "set-group", "0"], ["set-group is missing an argument"]),
        (["--account", account, "show-group"], ["show-group is missing an argument"]),
        (["--account", account, "show-group", "0", "1"], ["show-group was given too many"]),
        (["--account", account, "send", "now"], ["send was given too many"]),
        (["--account"], ["--account needs a value"]),
        # set-group checks every assignment before writing the first.
        (["--account", account, "set-group", "0", "NAME=a", "EMAIL=\U0001F600"],
         ["EMAIL", "Shift_JIS"]),
        (["--account", account, "set-group", "0", "NAME=a", "URL"], ["KEY=VALUE", '"URL"']),
        (["--account", account, "set-group", "0", "NAME=a", "=x"], ["KEY=VALUE"]),
        # A name or value of two lines would become a setting of its own.
        (["--account", account, "set-group", "0", "NAME=a\r\nBBSFOLDER=0"], ["must be one line"]),
        (["--account", account, "set-group", "0", "A\nB=1"], ["is not a setting's name"]),
        (["--account", account, "set-group", "0", "[X].K=1"], ["is not a setting's name"]),
        (["--account", account, "set-group", "0", ".K=1"], ["is not a setting's name"]),
        (["--account", account, "new-account"], ["exists already"]),
        # add-board names the plugins there are, or the dialog's own reason.
        (["--account", account, "add-board"], ["add-board is missing an argument"]),
        (["--account", account, "add-board", "file:///b/"], ["needs --plugin NAME", "TEXTBOARD"]),
        (["--account", account, "add-board", "file:///b/", "--plugin", "NOPE"],
         ['there is no plugin "NOPE"', "TEXTBOARD"]),
        (["--account", account, "add-board", "file:///b/", "--plugin", "textboard",
          "--name", "news"], ["there is a group NEWS already"]),
        (["--account", account, "add-board", "file:///b/", "--plugin", "textboard",
          "--name", "bad name"], ["スペース"]),
        (["--account", account, "add-board", "file:///b/", "--plugin", "textboard",
          "--set", "NAME=\U0001F600"], ["Shift_JIS"]),
        (["--account", account, "add-board", "file:///b/", "--plugin"], ['unexpected "--plugin"']),
        (["--account", missing, "new-account", "--plugins"], ["unexpected \"--plugins\""]),
        (["--account", missing, "new-account", "--plugins", os.path.join(work, "none")],
         ["is not a folder"]),
    ]
    for args, words in SLIPS:
        r = run(*args)
        check(" ".join(args), r, 2, words)
        # Nothing was started: no receive or send progress line.
        if "受信" in r.stdout.decode("utf-8", "replace"):
            failures.append(f"{' '.join(args)}: a receive started: {r.stdout!r}")

    if snapshot(account_dir) != before:
        failures.append("a slip changed the account's files")
    if os.path.exists(os.path.dirname(missing)):
        failures.append("a slip made the missing account's folder")

    # Every command explains itself, with or without an account, exit 0.
    usage = run("--help").stdout.decode()
    commands = [line.split()[0] for line in usage.split("commands:\n")[1].split("\n\n")[0]
                .splitlines()]
    if len(commands) < 16:
        failures.append(f"commands not listed in --help: {commands}")
    for name in commands:
        check(f"{name} --help", run(name, "--help"), 0, out_words=["usage: drwa-host", name])

if failures:
    print("\n".join(failures))
    sys.exit(1)
print(f"{len(SLIPS) + 1} slips and {len(commands)} --help pages as expected")
