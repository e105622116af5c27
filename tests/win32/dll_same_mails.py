#!/usr/bin/env python3
"""The DLL under Wine against the Linux build on the same input.

The same account, made twice in folders with Japanese names: the article
files of tests/data/convert in a group whose plugin fetches nothing. Linux's
drwa-host and drwa-host.exe with the DLL under Wine each receive their copy;
the spool folders must hold the same mail files, byte for byte. Then one
reply, queued by the Linux host's sendmail, is posted by both to a board
server on 127.0.0.1: the requests must carry the same method, path, content
type and body bytes.

    dll_same_mails.py LINUX_HOST WINE_RUN WINDOWS_HOST NOTHING_EXE SOURCE_DIR
Exits 77 (skipped) when the Linux host has not been built. DRWA_KEEP_WORK=1
keeps the work folder for a look at a difference."""
import email.utils
import os
import re
import shutil
import subprocess
import sys
import tempfile

linux_host, wine_run, windows_host, nothing_exe, top = sys.argv[1:6]
if not os.path.exists(linux_host):
    print("no Linux build at", linux_host, "- run make build first: skipped")
    sys.exit(77)

DOMAIN = "@same.invalid"
GUID = "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9"
GROUP = "雑談"
work = tempfile.mkdtemp()
server = None


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def make_account(side):
    """Account, group and plugin folder of one side; the account file's path."""
    root = os.path.join(work, side, "アカウント表")
    plugins = os.path.join(work, side, "プラグイン")
    group = os.path.join(root, "BBS", GROUP)
    os.makedirs(group)
    os.makedirs(plugins)
    plugin = os.path.join(plugins, "cm_NOTHING.EXE")
    if side == "windows":
        shutil.copy(nothing_exe, plugin)
        plugin_folder = windows_path(plugins) + "\\"
    else:
        with open(plugin, "w") as f:
            f.write("#!/bin/sh\nexit 0\n")
        os.chmod(plugin, 0o755)
        plugin_folder = plugins + "/"
    account = ("[PLUGIN]\r\nGROUP_COUNT=1\r\nDRWA_PLUGIN_FOLDER=" + plugin_folder +
               "\r\n[00001]\r\nFOLDER_NAME=" + GROUP + "\r\n")
    with open(os.path.join(root, "account.ini"), "wb") as f:
        f.write(account.encode("cp932"))
    settings = ("[BASIC]\r\nGUID=" + GUID + "\r\nBBSFOLDER=1\r\nLIB=NOTHING\r\nLIB_TYPE=3\r\n"
                "URL=http://127.0.0.1/board/\r\nNAME=名無し\r\n")
    with open(os.path.join(group, "drwa_BBS.ini"), "wb") as f:
        f.write(settings.encode("cp932"))
    fixtures = os.path.join(top, "tests", "data", "convert")
    for name in sorted(os.listdir(fixtures)):
        if name.endswith(".cm$"):
            shutil.copy(os.path.join(fixtures, name), group)
    return os.path.join(root, "account.ini")


def host(side, account, *args, stdin=None):
    if side == "windows":
        command = [wine_run, windows_host, "--account", windows_path(account)]
    else:
        command = [linux_host, "--account", account]
    run = subprocess.run(command + ["--dummy-domain", DOMAIN, *args], input=stdin,
                         capture_output=True)
    return run.returncode, run.stdout.decode("utf-8", "replace"), run.stderr.decode(
        "utf-8", "replace")


def files(folder):
    """The mail files by name. A second mail of one key is named with a fresh
    GUID of its own: that GUID reads "NEW-GUID", in its name and its bytes."""
    found = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        fresh = re.search(r"\.([0-9A-F]{8}(?:-[0-9A-F]{4}){3}-[0-9A-F]{12})\.eml$", name)
        if fresh:
            name = name.replace(fresh.group(1), "NEW-GUID")
            data = data.replace(fresh.group(1).encode(), b"NEW-GUID")
        found[name] = data
    return found


def same_mail(one, other):
    """Byte for byte, but for the Date of an article that has none: that is
    the time of the conversion, so the two may differ by the seconds between
    the two runs."""
    if one == other:
        return True
    a, b = one.split(b"\r\n"), other.split(b"\r\n")
    if len(a) != len(b):
        return False
    for x, y in zip(a, b):
        if x == y:
            continue
        if not (x.startswith(b"Date: ") and y.startswith(b"Date: ")):
            return False
        apart = email.utils.parsedate_to_datetime(x[6:].decode()) - \
            email.utils.parsedate_to_datetime(y[6:].decode())
        if abs(apart.total_seconds()) > 300:
            return False
    return True


def requests(log):
    """(request line, content type, body) of each request the server logged."""
    with open(log, "rb") as f:
        data = f.read()
    found = []
    while data.startswith(b"REQUEST "):
        size, _, data = data[8:].partition(b"\n")
        raw, data = data[:int(size)], data[int(size) + 1:]
        head, _, body = raw.partition(b"\r\n\r\n")
        lines = head.split(b"\r\n")
        ctype = [line.split(b":", 1)[1].strip() for line in lines[1:]
                 if line.lower().startswith(b"content-type:")]
        found.append((lines[0], ctype, body))
    return found


try:
    accounts = {side: make_account(side) for side in ("linux", "windows")}
    results = {side: host(side, accounts[side], "receive", "0") for side in accounts}
    for side, (code, out, err) in results.items():
        assert code == 0, (side, out, err)
    spools = {side: files(os.path.join(os.path.dirname(accounts[side]), "spool"))
              for side in accounts}
    assert spools["linux"], "the Linux build made no mail"
    assert sorted(spools["linux"]) == sorted(spools["windows"]), (
        sorted(spools["linux"]), sorted(spools["windows"]))
    for name, data in spools["linux"].items():
        assert same_mail(data, spools["windows"][name]), "mail " + name + " differs"
    print(len(spools["linux"]), "mails byte for byte the same from both builds")

    # One reply to the first post of the Shift_JIS board, posted over HTTP by each build in turn.
    log = os.path.join(work, "server.log")
    server = subprocess.Popen([sys.executable, os.path.join(top, "tests/support/board_server.py"),
                               "--log", log], stdout=subprocess.PIPE)
    port = server.stdout.readline().decode().strip()
    first = next(data for name, data in sorted(spools["linux"].items())
                 if name.startswith("c2ppc19ib2FyZA==") and name.endswith(".0000000001.eml"))
    reply_to = next(line for line in first.split(b"\r\n") if line.startswith(b"Reply-To:"))
    address = reply_to[reply_to.index(b"<") + 1:reply_to.index(b">")].decode()
    mail = ("From: Taro <taro@example.org>\r\n"
            f"To: \"POST,http://127.0.0.1:{port}/post,msg=$M&name=$N,1\" <{address}>\r\n"
            "Subject: =?UTF-8?B?" + __import__("base64").b64encode(
                "返信です".encode()).decode() + "?=\r\n"
            "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
            "Content-Transfer-Encoding: 8bit\r\n\r\n二行の返信\r\nです\r\n").encode()
    for side in ("linux", "windows"):
        code, out, err = host("linux", accounts["linux"], "sendmail", "-oi", "--",
                              address, stdin=mail)
        assert code == 0, (out, err)
        outbox = os.path.join(os.path.dirname(accounts["linux"]), "SMTP.BOX")
        if side == "windows":
            target = os.path.join(os.path.dirname(accounts["windows"]), "SMTP.BOX")
            os.makedirs(target, exist_ok=True)
            for name in os.listdir(outbox):
                shutil.move(os.path.join(outbox, name), target)
            outbox = target
        code, out, err = host(side, accounts[side], "send")
        assert code == 0, (side, out, err)
        assert os.listdir(outbox) == [], (side, "the posted mail stayed in the outbox")
    posted = requests(log)
    assert len(posted) == 2, posted
    assert posted[0] == posted[1], posted
    assert posted[0][0] == b"POST /post HTTP/1.1", posted[0][0]
    assert "二行の返信".encode("cp932") in __import__("urllib.parse").parse.unquote_to_bytes(
        posted[0][2].replace(b"+", b" ")), posted[0][2]
    print("the reply posted the same by both builds:", posted[0][0].decode(), posted[0][1])
finally:
    if server:
        server.kill()
        server.wait()
    if os.environ.get("DRWA_KEEP_WORK"):
        print("work folder kept:", work)
    else:
        shutil.rmtree(work)
