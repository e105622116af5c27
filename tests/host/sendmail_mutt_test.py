#!/usr/bin/env python3
"""A real mutt answers a mail the library received, sending through
`drwa-host sendmail`; `drwa-host send` then reads the outbox file as the
library reads a host's and queues the answer as a post request for the
group's plugin.

mutt runs on a pseudo-terminal and is driven by its keys: r (reply), y
(send), q (quit); the editor is a script that writes the answer."""
import email
import email.policy
import os
import pty
import select
import shutil
import subprocess
import sys
import tempfile
import time

host, tool, example = sys.argv[1:4]
DOMAIN = "@demo.invalid"
ANSWER = "続報を待ちます😀\n二行目 ｶﾀｶﾅ\n"

work = tempfile.mkdtemp()
try:
    shutil.copytree(example, os.path.join(work, "account"))
    account = os.path.join(work, "account", "account.ini")
    news = os.path.join(work, "account", "BBS", "NEWS")

    # One article of a board whose answers go to the plugin ("LIB").
    article = os.path.join(work, "1733000000.cm$")
    with open(article, "wb") as f:
        f.write("#P:LIB\r\n#T:ニュース\r\nS:5,,2024/12/01,10:00:00\r\nT:駅前の再開発\r\n"
                "N:記者\r\nE:\r\nM:来春着工です。\r\n.\r\n".encode("cp932"))
    subprocess.run([tool, "import", "--account", account, "--group", "0", "--dummy-domain",
                    DOMAIN, article], check=True, capture_output=True)
    subprocess.run([host, "--account", account, "deliver", "--maildir",
                    os.path.join(work, "Maildir")], check=True, capture_output=True)
    received_name = os.listdir(os.path.join(work, "Maildir", "new"))[0]
    with open(os.path.join(work, "Maildir", "new", received_name), "rb") as f:
        received = email.message_from_bytes(f.read(), policy=email.policy.compat32)

    editor = os.path.join(work, "editor.sh")
    with open(editor, "w") as f:
        f.write("#!/bin/sh\ncat >> \"$1\" <<'EOF'\n" + ANSWER + "EOF\n")
    os.chmod(editor, 0o755)
    rc = os.path.join(work, "muttrc")
    with open(rc, "w") as f:
        f.write(f"""set sendmail="{host} --account {account} sendmail"
set editor="{editor}"
set charset=utf-8
set from="Taro <taro@example.org>"
set reply_to=yes
set fast_reply=yes
set include=no
set allow_8bit=no
set record=""
set copy=no
set move=no
set quit=yes
set wait_key=no
set folder="{work}"
""")

    pid, fd = pty.fork()
    if pid == 0:
        os.environ.update(HOME=work, TERM="vt100", LANG="C.UTF-8")
        os.execvp("mutt", ["mutt", "-n", "-F", rc, "-f", os.path.join(work, "Maildir")])
    screen = b""

    def wait_for(text, timeout=30):
        global screen
        end = time.time() + timeout
        while text.encode() not in screen:
            if time.time() > end:
                sys.exit(f"FAIL: mutt never showed {text!r}; screen:\n"
                         + screen.decode("utf-8", "replace")[-2000:])
            if select.select([fd], [], [], 0.1)[0]:
                try:
                    screen += os.read(fd, 65536)
                except OSError:
                    break

    wait_for("r:Reply")
    os.write(fd, b"r")
    wait_for("y:Send")
    os.write(fd, b"y")
    wait_for("Mail sent.")
    os.write(fd, b"q")
    os.waitpid(pid, 0)

    outbox = os.path.join(work, "account", "SMTP.BOX")
    queued = os.listdir(outbox)
    assert len(queued) == 1 and queued[0].startswith("vxq"), queued
    with open(os.path.join(outbox, queued[0]), "rb") as f:
        raw = f.read()
    sent = email.message_from_bytes(raw, policy=email.policy.compat32)
    # The post command and the group address go back exactly as received.
    assert sent["To"] == received["Reply-To"], (sent["To"], received["Reply-To"])
    assert sent["In-Reply-To"] == received["Message-Id"], sent["In-Reply-To"]
    assert sent["Content-Type"] == "text/plain; charset=ISO-2022-JP", sent["Content-Type"]

    # The library's send reads the file and queues the answer for the plugin.
    run = subprocess.run([host, "--account", account, "--dummy-domain", DOMAIN, "send"],
                         capture_output=True)
    assert run.returncode == 0, run.stderr.decode("utf-8", "replace")
    assert os.listdir(outbox) == [], os.listdir(outbox)
    with open(os.path.join(news, "1733000000.cmw"), "rb") as f:
        request = f.read().decode("cp932").split("\n")
    record = request[request.index(next(l for l in request if l.startswith("S:"))):]
    assert record[0].startswith("S:*,5,") and record[0].endswith(",U,"), record[0]
    assert record[1] == "T:Re: [0005]駅前の再開発", record[1]
    assert record[2:5] == ["M:続報を待ちます&#128512;", "二行目 カタカナ", "."], record[2:5]
    print("mutt's answer queued as:", record[:5])
finally:
    shutil.rmtree(work)
