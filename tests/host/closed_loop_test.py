#!/usr/bin/env python3
"""An answer's whole road against a board on 127.0.0.1: the library receives
the board through the sample plugin, a mail client's answer enters through
`drwa-host sendmail`, `send` in mode 1 runs the plugin at once. The board
first refuses the post with its error page (the request stays queued and the
reason reaches the error log), then takes it through its cookie
confirmation on the next receive, and the answer comes back as exactly one
mail, threaded under the post it answers.

    closed_loop_test.py DRWA_HOST SOURCE_DIR"""
import email
import email.policy
import email.utils
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from host_session import HostSession  # noqa: E402
from settings_file import set_keys  # noqa: E402

host, top = sys.argv[1:3]
DOMAIN = "@loop.invalid"
ANSWER = "ループの試験です。\n二行目も届きます😀\n"

work = tempfile.mkdtemp()
server = None


def body(mail):
    return mail.get_payload(decode=True).decode("iso2022_jp")


def posts(log):
    with open(log, "rb") as f:
        return [line.split(b"\t") for line in f.read().splitlines()
                if line.startswith(b"POST\t")]


try:
    root = os.path.join(work, "root")
    shutil.copytree(os.path.join(top, "examples", "board"), os.path.join(root, "board"))
    os.makedirs(os.path.join(root, "test"))
    log = os.path.join(work, "server.log")
    server = subprocess.Popen(["perl", os.path.join(top, "tests/boards/board_server.pl"),
                               root, log], stdout=subprocess.PIPE)
    port = server.stdout.readline().decode().strip()

    shutil.copytree(os.path.join(top, "examples", "account"), os.path.join(work, "account"))
    account = os.path.join(work, "account", "account.ini")
    drwa = HostSession(host, account, DOMAIN, os.path.join(work, "Maildir"))
    delivered = drwa.delivered
    set_keys(account, "PLUGIN", DRWA_PLUGIN_FOLDER=os.path.join(top, "plugins") + "/")
    group = os.path.join(work, "account", "BBS", "雑談")
    set_keys(os.path.join(group, "drwa_BBS.ini"), "BASIC",
             URL=f"http://127.0.0.1:{port}/board/", PARAM1="", INTERVAL_MS="0",
             NAME="ループ太郎")

    # Group 1 is the board on the server; the others stay untouched.
    drwa("receive", "1")
    received = delivered()
    assert len(received) == 9, len(received)
    asked = next(m for m in received if "試してみます" in body(m))

    # The answer as mutt hands it over: UTF-8, quoted-printable, its own
    # encoding of the Subject.
    answer = email.message.EmailMessage()
    answer["From"] = "Taro <taro@example.org>"
    answer["To"] = asked["Reply-To"]
    answer["Subject"] = "Re: " + str(email.header.make_header(
        email.header.decode_header(asked["Subject"])))
    answer["In-Reply-To"] = asked["Message-Id"]
    answer.set_content(ANSWER, cte="quoted-printable")
    board = email.utils.parseaddr(asked["Reply-To"])[1]
    drwa("sendmail", "-oem", "-oi", "--", board, stdin=answer.as_bytes())

    # The board refuses: the request stays queued, the reason is logged.
    with open(os.path.join(root, "test", "refuse.txt"), "wb") as f:
        f.write("連続投稿ですか？？\n".encode("cp932"))
    drwa("--mode", "1", "send")
    assert os.listdir(os.path.join(work, "account", "SMTP.BOX")) == []
    queued = [n for n in os.listdir(group) if n.endswith(".cmw")]
    assert len(queued) == 1, os.listdir(group)
    with open(os.path.join(group, queued[0]), "rb") as f:
        request = f.read().decode("cp932")
    assert ",U,\r\n" in request or ",U,\n" in request, request
    with open(os.path.join(group, "ErrorLog.txt"), "rb") as f:
        assert "連続投稿ですか" in f.read().decode("cp932")
    assert delivered() == [], "a refused post must not come back"
    assert len(posts(log)) == 1

    # The next receive posts it through the cookie confirmation.
    os.remove(os.path.join(root, "test", "refuse.txt"))
    drwa("receive", "1")
    assert not any(n.endswith(".cmw") for n in os.listdir(group)), os.listdir(group)
    sent = posts(log)[1:]
    assert len(sent) == 2 and sent[0][9] == b"" and sent[1][9], sent  # no cookie, then the cookie
    back = delivered()
    assert len(back) == 1, [m["Subject"] for m in back]
    assert back[0]["In-Reply-To"] == asked["Message-Id"], back[0]["In-Reply-To"]
    text = body(back[0])
    assert "ループの試験です。" in text and "二行目も届きます&#128512;" in text, text
    assert "ループ太郎" in str(email.header.make_header(
        email.header.decode_header(back[0]["From"])))

    drwa("receive", "1")
    assert delivered() == [], "nothing arrives twice"
    print("answer posted after one refusal and came back under", asked["Message-Id"])
finally:
    if server:
        server.kill()
        server.wait()
    shutil.rmtree(work)
