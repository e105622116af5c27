#!/usr/bin/env python3
"""add-board without --plugin asks the plugins of the account's plugin folder
which reads the board, and without --name names the group from the board's
own title; a board no plugin reads, or several read, is a slip that makes
nothing. Boards are served by the plugin tests' board server on 127.0.0.1."""
import os
import shutil
import subprocess
import sys
import tempfile

host, source = sys.argv[1:3]
failures = []


def drwa(*args):
    r = subprocess.run([host, "--account", account, *args], capture_output=True, timeout=120)
    return r.returncode, r.stdout.decode("utf-8"), r.stderr.decode("utf-8")


def board(name, title=None, subject=None):
    """A copy of the demo's news board under the server's root, with its
    title (no SETTING.TXT when None; bytes as they are) and thread list
    replaced as given."""
    folder = os.path.join(root, name)
    shutil.copytree(os.path.join(source, "examples", "news-board"), folder)
    os.remove(os.path.join(folder, "SETTING.TXT"))
    if title is not None:
        with open(os.path.join(folder, "SETTING.TXT"), "wb") as f:
            raw = title if isinstance(title, bytes) else title.encode("cp932")
            f.write(b"BBS_TITLE=" + raw + b"\r\n")
    if subject is not None:
        with open(os.path.join(folder, "subject.txt"), "wb") as f:
            f.write(subject)
    return name


with tempfile.TemporaryDirectory() as work:
    root = os.path.join(work, "root")
    os.makedirs(root)
    server = subprocess.Popen(["perl", os.path.join(source, "tests/boards/board_server.pl"),
                               root, os.path.join(work, "server.log")], stdout=subprocess.PIPE)
    try:
        port = server.stdout.readline().decode().strip()
        web = f"http://127.0.0.1:{port}/"
        plugins = os.path.join(work, "plugins")
        os.makedirs(plugins)
        shutil.copy(os.path.join(source, "plugins", "cm_TEXTBOARD.PL"), plugins)
        # The board plugins' shared modules are installed beside them.
        shutil.copytree(os.path.join(source, "plugins", "lib"), os.path.join(plugins, "lib"))
        account = os.path.join(work, "mail", "account.ini")
        subprocess.run([host, "--account", account, "new-account", "--plugins", plugins],
                       check=True, capture_output=True)
        on_disk = "file://" + os.path.join(source, "examples", "board") + "/"

        # (URL, more arguments, exit status, what standard output or error
        # says, the group folder made or None). A title is made a folder
        # name as the group dialog's check wants one: blanks and separators
        # "_", a CP932 trail byte 0x5C ("表") kept; no usable title gives
        # the URL's last part.
        CASES = [
            (web + board("news", "地域ニュース板") + "/", [], 0,
             "no --name: the group is named 地域ニュース板 after the board's title "
             "\"地域ニュース板\"", "地域ニュース板"),
            (web + board("tech", "表/示 板　Tech: News?") + "/", [], 0,
             "named 表_示_板_Tech_News after", "表_示_板_TECH_NEWS"),
            (web + board("untitled") + "/", [], 0,
             "no --name: the group is named untitled after the board's address", "UNTITLED"),
            (web + board("dots", "...") + "/", [], 0, "named dots after the board's address",
             "DOTS"),
            (web + board("bytes", b"\xfd\xfe\xff") + "/", [], 0,
             "named bytes after the board's address", "BYTES"),
            (web + board("empty", "空の板", b"") + "/", ["--name", "mine"], 0,
             "made the group MINE", "MINE"),
            (on_disk, [], 0, "the plugin TEXTBOARD reads " + on_disk, "ふれあい雑談板"),
            (web + "nothing/", [], 2,
             f"no plugin says it reads {web}nothing/ (asked: TEXTBOARD)", None),
            (web + board("page", "板", b"<html><body>404</body></html>\n") + "/", [], 2,
             "(asked: TEXTBOARD)", None),
        ]
        for url, more, status, says, folder in CASES:
            code, out, err = drwa("add-board", url, *more)
            if code != status or says not in out + err:
                failures.append(f"add-board {url} {more}: exit {code}, said {out + err!r}; "
                                f"want exit {status} and {says!r}")
            if folder:
                with open(os.path.join(work, "mail", "BBS", folder, "drwa_BBS.ini"), "rb") as f:
                    settings = f.read().split(b"\r\n")
                for line in (b"LIB=TEXTBOARD", b"URL=" + url.encode("cp932")):
                    if line not in settings:
                        failures.append(f"{folder}: no {line!r} in its settings")
        groups = sorted(l.split("\t")[1] for l in drwa("groups")[1].splitlines()[1:])
        want = sorted(c[4] for c in CASES if c[4])
        if groups != want:
            failures.append(f"groups: {groups}, want {want}")

        # Two plugins that both read the board: neither is taken.
        shutil.copy(os.path.join(plugins, "cm_TEXTBOARD.PL"), os.path.join(plugins, "cm_COPY.PL"))
        code, out, err = drwa("add-board", web + "news/", "--name", "twice")
        if code != 2 or "several plugins say they read" not in err or "COPY, TEXTBOARD" not in err:
            failures.append(f"two plugins: exit {code}, said {out + err!r}")
        if os.path.exists(os.path.join(work, "mail", "BBS", "TWICE")):
            failures.append("two plugins: a group was made all the same")
        os.remove(os.path.join(plugins, "cm_COPY.PL"))

        # The group found this way receives its board.
        index = next(l.split("\t")[0] for l in drwa("groups")[1].splitlines()[1:]
                     if l.split("\t")[1] == "地域ニュース板")
        drwa("--dummy-domain", "@demo.invalid", "receive", index)
        maildir = os.path.join(work, "Maildir")
        drwa("deliver", "--maildir", maildir)
        mails = len(os.listdir(os.path.join(maildir, "new")))
        if mails != 5:
            failures.append(f"mails of the board found by asking: {mails}, want 5")
    finally:
        server.kill()
        server.wait()

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("add-board found the plugin and named the groups as expected")
