#!/usr/bin/env python3
"""Each answer reaches the board once, tried as a user meets it: `drwa-host
send` against the posting tests' board server on 127.0.0.1, twice, with the
board answering in a way that leaves the outcome clear or not. A request the
board may have taken is held, never sent again by a later send; one that
surely never arrived, or that the board refused, goes again.

    send_once_test.py DRWA_HOST SOURCE_DIR"""
import glob
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from settings_file import set_keys  # noqa: E402

host, top = sys.argv[1:3]
GUID = "6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70"
DOMAIN = "@demo.invalid"
POST = '"POST,$C/test/bbs.cgi,FROM=$(NAME)&MESSAGE=$M"'
GET = '"GET,$C/test/read.cgi,FROM=$(NAME)&MESSAGE=$M"'
WRITTEN = "<html><title>書きこみました。</title></html>"

# what, the board's answers, group settings, post command, how send is run,
# where the mail is after the first send, requests after two sends, words of
# the error mail (or of the failure).
CASES = [
    ("stopped after the request left", [{"delay": 30}, {}], {}, POST, "interrupt",
     "held", 1, "送信中に中止されました"),
    ("silent past TIMEOUT", [{"delay": 5}], {"TIMEOUT": "1"}, POST, "send",
     "held", 1, "掲示板の応答が途中で途切れました:Read timed out"),
    ("success text, page in UTF-8", [{"body": WRITTEN}], {"POST_SUCCESS_TEXT": "書きこみました"},
     POST, "send", "gone", 1, None),
    ("success text missing", [{"body": "<title>moved</title>"}],
     {"POST_SUCCESS_TEXT": "書きこみました"}, POST, "send", "held", 1, "文字列がありません"),
    ("the board's refusal", [{"body": "<title>ＥＲＲＯＲ！</title>"}],
     {"POST_SUCCESS_TEXT": "書きこみました"}, POST, "send", "queued", 2, "受け付けませんでした"),
    ("status 500", [{"status": 500}], {}, POST, "send", "queued", 2, "500 Internal Server Error"),
    # The value of a key is not encoded: blanks and "#" reach the board.
    ("GET, a name with a blank and #", [{}], {"NAME": "名無し さん#1"}, GET, "send", "gone", 1,
     None),
    ("nobody listening", None, {}, POST, "send", "queued", 0, "Failed to connect"),
    # The bad mail's text is in no error mail yet: it stays, the send fails.
    ("bad mail, spool not writable", [{}], {}, POST, "no spool",
     "queued", 0, "spool"),
]

work = tempfile.mkdtemp()
failures = []


def check(case, condition, what):
    if not condition:
        failures.append(f"{case}: {what}")


def unused_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def requests(log):
    if not os.path.exists(log):
        return []
    with open(log, "rb") as f:
        data = f.read()
    return [r for r in data.split(b"REQUEST ")[1:]]


def error_mails(account):
    texts = []
    for name in sorted(glob.glob(os.path.join(account, "spool", "*.eml"))):
        with open(name, "rb") as f:
            texts.append(f.read().decode("iso2022_jp", "replace"))
    return "".join(texts)


def where(outbox):
    if os.listdir(outbox) == ["held"] or (os.path.isdir(os.path.join(outbox, "held")) and
                                          os.listdir(os.path.join(outbox, "held"))):
        return "held"
    return "queued" if any(n.startswith("vxq") for n in os.listdir(outbox)) else "gone"


def send(account, mode, log):
    command = [host, "--account", os.path.join(account, "account.ini"),
               "--dummy-domain", DOMAIN, "send"]
    if mode != "interrupt":
        return subprocess.run(command, capture_output=True)
    run = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    deadline = time.time() + 10
    while not requests(log) and time.time() < deadline:
        time.sleep(0.05)
    run.send_signal(signal.SIGINT)
    out, err = run.communicate(timeout=20)
    return subprocess.CompletedProcess(command, run.returncode, out, err)


try:
    for number, (what, plan, basic, command, mode, after, count, words) in enumerate(CASES):
        account = os.path.join(work, str(number))
        shutil.copytree(os.path.join(top, "examples", "account"), account)
        log = os.path.join(account, "board.log")
        server = None
        port = unused_port()
        if plan is not None:
            with open(os.path.join(account, "plan.json"), "w") as f:
                json.dump(plan, f)
            server = subprocess.Popen(
                [sys.executable, os.path.join(top, "tests", "support", "board_server.py"),
                 "--log", log, "--plan", os.path.join(account, "plan.json")],
                stdout=subprocess.PIPE)
            port = int(server.stdout.readline())
        try:
            set_keys(os.path.join(account, "BBS", "NEWS", "drwa_BBS.ini"), "BASIC",
                     URL=f"http://127.0.0.1:{port}", **{k: v for k, v in basic.items()
                                                       if k != "TIMEOUT"})
            if "TIMEOUT" in basic:
                set_keys(os.path.join(account, "account.ini"), "PLUGIN", TIMEOUT=basic["TIMEOUT"])
            outbox = os.path.join(account, "SMTP.BOX")
            os.makedirs(outbox)
            with open(os.path.join(outbox, "vxq1.tmp"), "wb") as f:
                # A group the account lacks makes the mail a bad one.
                guid = "0" * 8 + "-0000" * 3 + "-" + "0" * 12 if mode == "no spool" else GUID
                f.write((f"To: {command} <{guid}{DOMAIN}>\r\nSubject: once\r\n\r\n"
                         "一度だけ\r\n").encode("iso2022_jp"))
            if mode == "no spool":
                open(os.path.join(account, "spool"), "w").close()

            first = send(account, mode, log)
            said = first.stderr.decode("utf-8", "replace")
            check(what, first.returncode == (0 if mode == "send" else 1),
                  f"first send exit {first.returncode}: {said}")
            check(what, where(outbox) == after, f"after the first send: {where(outbox)}")
            if words:
                check(what, words in error_mails(account) + said,
                      f"no {words!r} in the error mail: {error_mails(account)!r} {said!r}")
            if mode == "no spool":
                os.remove(os.path.join(account, "spool"))
            send(account, "send", log)
            check(what, len(requests(log)) == count,
                  f"{len(requests(log))} requests after two sends, want {count}")
            if what.startswith("GET"):
                target = requests(log)[0].split(b"\r\n")[0]
                check(what, b"FROM=%96%BC%96%B3%82%B5%20%82%B3%82%F1%231&MESSAGE=" in target,
                      target)
            if mode == "no spool":
                check(what, "vxq1.tmp" in error_mails(account) and where(outbox) == "gone",
                      "the bad mail was not reported and deleted once the spool took mail")
            if after == "held":
                # The user's word: given back, it is posted by the next send.
                held = os.listdir(os.path.join(outbox, "held"))
                run = subprocess.run([host, "--account", os.path.join(account, "account.ini"),
                                      "resend", held[0]], capture_output=True)
                check(what, run.returncode == 0 and where(outbox) == "queued", "resend")
        finally:
            if server:
                server.kill()
                server.wait()
finally:
    shutil.rmtree(work)

for f in failures:
    print("FAIL:", f)
print(f"{len(CASES) - len({f.split(':')[0] for f in failures})} of {len(CASES)} cases passed")
sys.exit(1 if failures else 0)
