#!/usr/bin/env python3
"""Machi BBS posting through the real host, past what the round trip covers:
a new thread by mail, a refusal that asks for a pause holding the rest of
the run, a post the board never wrote (the answer timed out) looked for and
then sent once more, a post written behind a dropped connection found and
not sent again; and a fallen thread noted once. The loopback board of
tests/boards/family/machi.pm answers as the boards do.

    machi_test.py DRWA_HOST SOURCE_DIR"""
import email
import email.header
import email.message
import email.policy
import email.utils
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from host_session import HostSession  # noqa: E402

host, top = sys.argv[1:3]
DOMAIN = "@machi.invalid"
work = tempfile.mkdtemp()
server = None


def text(mail):
    return mail.get_payload(decode=True).decode("iso2022_jp_ext")


def subject(mail):
    return str(email.header.make_header(email.header.decode_header(mail["Subject"])))


def forms():
    """The forms write.cgi got since the last call, as {name: bytes}."""
    with open(log, "rb") as f:
        f.seek(forms.seen)
        new = f.read()
    forms.seen += len(new)
    return [{n: urllib.parse.unquote_to_bytes(v.replace(b"+", b" "))
             for n, v in (p.split(b"=", 1) for p in fields[3].split(b"&"))}
            for fields in (line.split(b"\t") for line in new.splitlines()) if fields[0] == b"POST"]
forms.seen = 0


def queued():
    """Requests still waiting in the group's request files."""
    count = 0
    for n in os.listdir(group):
        if n.endswith(".cmw"):
            with open(os.path.join(group, n), "rb") as f:
                count += sum(1 for line in f.read().splitlines() if line.startswith(b"S:") and line.endswith(b",U,"))
    return count


def error_log():
    path = os.path.join(group, "ErrorLog.txt")
    return open(path, "rb").read().decode("cp932") if os.path.exists(path) else ""


def switch(name, content=None):
    path = os.path.join(root, "test", name)
    if content is None:
        if os.path.exists(path):
            os.remove(path)
    else:
        with open(path, "wb") as f:
            f.write(content.encode("cp932"))


def mail(body, subject_text, answered=None):
    """An answer goes to the post's Reply-To (its name is the post command
    with the number answered), a new thread to the group's bare address."""
    m = email.message.EmailMessage()
    m["From"] = "Taro <taro@example.org>"
    m["To"] = answered["Reply-To"] if answered else group_address
    m["Subject"] = subject_text
    if answered is not None:
        m["In-Reply-To"] = answered["Message-Id"]
    m.set_content(body)
    drwa("sendmail", "-oem", "-oi", "--", group_address, stdin=m.as_bytes())


# (what, switch set on the board while the mails go out, the mails as
# (text, subject, True for an answer to post 2, False for a new thread),
# then per run: (command, switch removed before it or None, forms write.cgi
# gets, requests left queued, texts that come back), words the first run logs)
CASES = [
    ("a new thread by mail", None, [("スレを立てます。", "新しい話題", False)],
     [("send", None, 1, 0, ["スレを立てます。"]), ("receive", None, 0, 0, [])], None),
    ("a pause asked for holds the rest", ("refuse.txt", "書き込みすぎです! あと30秒お待ちください。"),
     [("一つ目の返事", "Re: x", True), ("二つ目の返事", "Re: x", True)],
     [("send", None, 1, 2, []), ("receive", "refuse.txt", 2, 0, ["一つ目の返事", "二つ目の返事"])],
     "書き込みすぎです"),
    ("never written: looked for, then sent once more", ("lost.txt", "x"), [("届かなかった返事", "Re: x", True)],
     [("send", None, 1, 1, []), ("receive", "lost.txt", 1, 0, []), ("receive", None, 0, 0, ["届かなかった返事"])],
     "524"),
    ("written behind a dropped connection: found", ("drop.txt", "x"), [("切れた返事", "Re: x", True)],
     [("send", None, 1, 0, ["切れた返事"]), ("receive", None, 0, 0, [])], None),
]

try:
    root = os.path.join(work, "root")
    shutil.copytree(os.path.join(top, "tests", "boards", "machi"), root)
    os.makedirs(os.path.join(root, "test"))
    past = time.time() - 3600
    for folder, _, files in os.walk(root):
        for f in files:
            os.utime(os.path.join(folder, f), (past, past))
    log = os.path.join(work, "server.log")
    server = subprocess.Popen(["perl", os.path.join(top, "tests", "boards", "board_server.pl"), root, log,
                               os.path.join(top, "tests", "boards", "family", "machi.pm")], stdout=subprocess.PIPE)
    port = server.stdout.readline().decode().strip()
    account = os.path.join(work, "account", "account.ini")
    drwa = HostSession(host, account, DOMAIN, os.path.join(work, "Maildir"))
    delivered = drwa.delivered
    drwa("new-account", "--plugins", os.path.join(top, "plugins"))
    drwa("add-board", f"http://127.0.0.1:{port}/kana/", "--plugin", "MACHI", "--name", "kana",
         "--set", "INTERVAL_MS=0")
    group = os.path.join(work, "account", "BBS", "KANA")

    drwa("receive")
    received = delivered()
    assert len(received) == 7, [text(m) for m in received]
    drwa("receive")
    assert delivered() == []
    # The listed thread whose log is gone: noted once, not asked for again.
    assert error_log().count("閉店した店の思い出") == 1, error_log()
    post2 = next(m for m in received if text(m).startswith("説明会が来月"))
    group_address = email.utils.parseaddr(post2["Reply-To"])[1]
    forms()

    for what, board_switch, mails, runs, logged in CASES:
        if board_switch:
            switch(*board_switch)
        for body, subject_text, answer in mails:
            mail(body, subject_text, post2 if answer else None)
        for run, (command, removed, posted, left, back) in enumerate(runs):
            if removed:
                switch(removed)
            drwa(*(["--mode", "1", "send"] if command == "send" else ["receive"]))
            got = forms()
            assert len(got) == posted, (what, command, got)
            for form in got:
                assert form[b"BBS"] == b"kana", (what, form)
                if any(not answer for _, _, answer in mails):
                    assert b"KEY" not in form and form[b"SUBJECT"] == "新しい話題".encode("cp932"), (what, form)
                    assert form[b"submit"] == "新規書き込み".encode("cp932"), (what, form)
                else:
                    assert form[b"KEY"] == b"1705300000" and form[b"MESSAGE"].startswith(b">>2\r\n"), (what, form)
            assert queued() == left, (what, command, queued())
            came = delivered()
            assert sorted(text(m).rstrip("\n").removeprefix(">>2\n") for m in came) == sorted(back), \
                (what, command, [text(m) for m in came])
            for m in came:
                if any(not answer for _, _, answer in mails):
                    assert m["In-Reply-To"] is None and subject(m).endswith("新しい話題"), (what, subject(m))
                else:
                    assert m["In-Reply-To"] == post2["Message-Id"], (what, m["In-Reply-To"])
            # The log holds the last run's words: the board's, in the run it said them.
            if logged and run == 0:
                assert logged in error_log(), (what, error_log())
        switch(board_switch[0] if board_switch else "none")
    print("new thread, pause, never written, dropped: each post on the board once")
finally:
    if server:
        server.kill()
        server.wait()
    shutil.rmtree(work)
