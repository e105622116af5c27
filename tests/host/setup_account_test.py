#!/usr/bin/env python3
"""From an empty folder: new-account writes what the account dialog writes for
a new account closed with OK, byte for byte; show-group prints a group's
settings in UTF-8; set-group changes only the keys it is given, in Shift_JIS,
the rest of the file kept as it was; add-board makes a group the sample
plugin receives."""
import os
import re
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
    shutil.copy(os.path.join(source, "plugins", "cm_TEXTBOARD.PL"), plugins)
    # The board plugins' shared modules are installed beside them.
    shutil.copytree(os.path.join(source, "plugins", "lib"), os.path.join(plugins, "lib"))
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

    # add-board on the demo's board on disk, then receive and deliver: the
    # group file is what the group dialog writes for "make", the plugin, the
    # receiving box, the URL and OK; the plugin's #[DIALOG] block is copied.
    board = os.path.join(work, "news-board")
    shutil.copytree(os.path.join(source, "examples", "news-board"), board)
    url = "file://" + board + "/"
    out = run("--account", account, "add-board", url, "--plugin", "textboard",
              "--set", "PARAM1=", "--set", "OPTION.SAVE_NUMBER=1")
    group = os.path.join(work, "掲示板", "BBS", "NEWS-BOARD", "drwa_BBS.ini")
    expect("add-board says", out.strip(), f"made the group NEWS-BOARD ({group}) for {url} "
           "with the plugin TEXTBOARD")
    with open(os.path.join(plugins, "cm_TEXTBOARD.PL"), "rb") as f:
        plugin = f.read().split(b"\n")
    block = [l[1:].rstrip(b"\r") for l in plugin[plugin.index(b"#[DIALOG]") + 1:
                                               plugin.index(b"#[/DIALOG]")]]
    with open(group, "rb") as f:
        lines = f.read().split(b"\r\n")
    guid = lines[2]
    if not re.fullmatch(rb"GUID=[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}", guid):
        failures.append(f"add-board GUID: {guid!r}")
    want = [b"[BASIC]", b"BBSFOLDER=1", guid, b"LIB=TEXTBOARD", b"LIB_TYPE=1", b"CHARSET=S-JIS",
            b"URL=" + url.encode("cp932"), *[k + b"=" for k in (
                b"UPURL", b"NAME", b"EMAIL", b"HP", b"KEY", b"PARAM1", b"PARAM2", b"USER",
                b"PASS", b"INTERVAL_MS", b"TIMEZONE", b"POST_SUCCESS_TEXT")],
            b"[DIALOG]", *block,
            b"[OPTION]", b"INH_SUB=1", b"SUBJECT_INCLUDE_NUMBER=0", b"SUBJECT_ZERO_NUMBER=10",
            b"SUBJECT_FORMAT=[$N]$S", b"INH_TITLE=1", b"TITLE_INSERT=1", b"TITLE_FORMAT=$G($T)",
            b"THREAD_NUMBER=0", b"SAVE_NUMBER=1", b""]
    expect("add-board group file", lines, want)
    expect("groups after add-board", run("--account", account, "groups").splitlines()[1:],
           ["0\tNEWS-BOARD\t\tyes", "1\tニュース\t0\tyes"])
    run("--account", account, "--dummy-domain", "@demo.invalid", "receive", "0")
    maildir = os.path.join(work, "Maildir")
    run("--account", account, "deliver", "--maildir", maildir)
    expect("mails of the added board", len(os.listdir(os.path.join(maildir, "new"))), 5)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("new-account, show-group and set-group wrote and showed what was expected")
