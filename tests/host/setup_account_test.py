#!/usr/bin/env python3
"""From an empty folder: new-account writes what the account dialog writes for
a new account closed with OK, byte for byte; show-group prints a group's
settings in UTF-8; set-group changes only the keys it is given, in Shift_JIS,
the rest of the file kept as it was."""
import os
import shutil
import subprocess
import sys
import tempfile

host, source = sys.argv[1:3]
example_group = os.path.join(source, "examples", "account", "BBS", "NEWS")
failures = []


def run(*args):
    r = subprocess.run([host, *args], capture_output=True, timeout=60)
    if r.returncode != 0:
        failures.append(f"{args}: exit {r.returncode}: {r.stderr.decode(errors='replace')}")
    return r.stdout.decode("utf-8")


def expect(label, got, want):
    if got != want:
        failures.append(f"{label}:\n  got  {got!r}\n  want {want!r}")


def dialog_defaults(plugin_folder, group_count):
    """The account dialog's file for a new account closed with OK, as its own
    test pins it down, with the plugin folder chosen."""
    return ("[PLUGIN]\r\nDRWA_PLUGIN_FOLDER=" + plugin_folder + "\r\nPERL_EXE=perl.exe\r\n"
            "RUBY_EXE=ruby.exe\r\nPROXY_SETTING=0\r\nTIMEOUT=0\r\nTIMEOUT2=120\r\n"
            "THREAD_COUNT=1\r\nABORT_TRANS_LOG=0\r\nSUBJECT_INCLUDE_NUMBER=0\r\n"
            "SUBJECT_ZERO_NUMBER=10\r\nSUBJECT_FORMAT=[$N]$S\r\nTITLE_INSERT=1\r\n"
            "TITLE_FORMAT=$G($T)\r\nGROUP_COUNT=" + str(group_count) + "\r\n"
            ).encode("cp932")


with tempfile.TemporaryDirectory() as work:
    # A new user: a folder that does not exist yet, the sample plugins by
    # default. A system proxy in the environment is shown by the dialog but
    # not written while its item is "none".
    account = os.path.join(work, "bbs", "mail", "account.ini")
    os.environ["http_proxy"] = "http://proxy.invalid:3128"
    out = run("--account", account, "new-account")
    expect("new-account says what it made", out.splitlines(), [
        "made the folder " + os.path.dirname(account), "made the account file " + account,
        "plugin folder: " + os.path.join(source, "plugins")])
    with open(account, "rb") as f:
        expect("new account file", f.read(), dialog_defaults(os.path.join(source, "plugins"), 0))
    expect("groups of the new account", run("--account", account, "groups").splitlines()[1:], [])

    # An account folder that already holds a group (moved from elsewhere, in
    # a folder with a Japanese name): the new account lists it, as the
    # dialog's OK rebuilds the group list.
    account = os.path.join(work, "掲示板", "account.ini")
    plugins = os.path.join(work, "自分のプラグイン")
    os.makedirs(plugins)
    group_dir = os.path.join(work, "掲示板", "BBS", "ニュース")
    shutil.copytree(example_group, group_dir)
    run("--account", account, "new-account", "--plugins", plugins)
    with open(account, "rb") as f:
        want = dialog_defaults(plugins, 1) + "[00001]\r\nFOLDER_NAME=ニュース\r\n".encode("cp932")
        expect("account with a group", f.read(), want)

    settings = os.path.join(group_dir, "drwa_BBS.ini")
    with open(settings, "rb") as f:
        original = f.read()
    shown = run("--account", account, "show-group", "0")
    lines = shown.splitlines()
    expect("show-group heading", lines[:2], ["; group 0: ニュース", "; " + settings])
    expect("show-group body", "\n".join(lines[2:]) + "\n",
           original.decode("cp932").replace("\r\n", "\n"))

    # (assignment, the line expected in the file): BASIC by default, another
    # section by name; a new key goes to the end of its section, a changed one
    # stays in its place; Japanese text and characters only CP932 has.
    CHANGES = [
        ("NAME=名無しの権兵衛①", b"NAME=", "NAME=名無しの権兵衛①"),
        ("URL=file:///srv/ボード/", b"URL=", "URL=file:///srv/ボード/"),
        ("OPTION.THREAD_NUMBER=5", b"THREAD_NUMBER=", "THREAD_NUMBER=5"),
        ("EMAIL=sage", None, "EMAIL=sage"),
    ]
    run("--account", account, "set-group", "0", *[c[0] for c in CHANGES])
    want = original.split(b"\r\n")
    for _, prefix, line in CHANGES:
        if prefix:
            at = next(i for i, l in enumerate(want) if l.startswith(prefix))
            want[at] = line.encode("cp932")
        else:  # after the last line of [BASIC]
            at = want.index(b"[OPTION]")
            want.insert(at, line.encode("cp932"))
    with open(settings, "rb") as f:
        expect("set-group file", f.read(), b"\r\n".join(want))
    shown = run("--account", account, "show-group", "0")
    for _, _, line in CHANGES:
        if line not in shown.splitlines():
            failures.append(f"show-group lacks {line!r} after set-group")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("new-account, show-group and set-group wrote and showed what was expected")
