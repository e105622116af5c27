#!/usr/bin/env python3
"""The whole way of an answer under a board and a user that misbehave: COUNT
answers (1,000 by default) enter through `drwa-host sendmail`; `drwa-host
send` posts them to a board on 127.0.0.1 that, at random, answers slowly,
drops the connection after reading the request, answers 500, or answers
without the success text, while send is stopped (SIGINT) or killed (SIGKILL)
at random moments and started again until the outbox is empty.

The board takes a post whenever it read the whole request and did not answer
500 (also when it then drops the line or shows an unexpected page: the worst
case for the sender). Printed: the answers on the board once, twice or more
(goal 0), held with their text for the user to judge, lost (neither on the
board nor held: goal 0), and the requests, sends and interruptions it took.

    send_soak.py DRWA_HOST [COUNT] [SEED]"""
import collections
import http.server
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "support"))
from settings_file import set_keys  # noqa: E402

host = sys.argv[1]
count = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
top = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
GUID = "6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70"
DOMAIN = "@demo.invalid"
WRITTEN = "<html><title>書きこみました。</title></html>".encode("cp932")

board_random = random.Random(seed)
taken = collections.Counter()  # answer number -> times the board took it
requests = 0
lock = threading.Lock()


class Board(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_POST(self):
        global requests
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with lock:
            requests += 1
            way = board_random.choices(["fine", "slow", "drop", "500", "other page"],
                                       [60, 10, 10, 10, 10])[0]
            delay = board_random.uniform(0.2, 1.5)
        if way == "500":
            self.send_error(500)
            return
        found = re.search(rb"soak(?:-|%2D)(\d+)", body)  # form-encoded
        with lock:
            if found:
                taken[int(found.group(1))] += 1
        if way == "drop":
            self.close_connection = True
            self.connection.close()
            return
        if way == "slow":
            time.sleep(delay)
        page = WRITTEN if way != "other page" else b"<html><title>busy</title></html>"
        try:
            self.send_response(200)
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            self.wfile.write(page)
        except OSError:
            pass  # the sender was stopped or killed meanwhile


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Board)
threading.Thread(target=server.serve_forever, daemon=True).start()
work = tempfile.mkdtemp()
try:
    account = os.path.join(work, "account")
    shutil.copytree(os.path.join(top, "examples", "account"), account)
    ini = os.path.join(account, "account.ini")
    set_keys(ini, "PLUGIN", TIMEOUT="1")
    set_keys(os.path.join(account, "BBS", "NEWS", "drwa_BBS.ini"), "BASIC",
             URL=f"http://127.0.0.1:{server.server_address[1]}",
             POST_SUCCESS_TEXT="書きこみました")
    started = time.time()
    for n in range(count):
        mail = (f'From: me@example.org\nTo: "POST,$C/test/bbs.cgi,MESSAGE=$M" <{GUID}{DOMAIN}>\n'
                f"Subject: soak {n}\nContent-Type: text/plain; charset=UTF-8\n\n"
                f"答え soak-{n:04d}\n").encode()
        subprocess.run([host, "--account", ini, "sendmail", "-oi", "--", GUID + DOMAIN],
                       input=mail, check=True)
    outbox = os.path.join(account, "SMTP.BOX")

    def waiting():
        sending = os.path.join(outbox, "sending")
        return [n for n in os.listdir(outbox) if n.startswith("vxq")] + \
            (os.listdir(sending) if os.path.isdir(sending) else [])

    user = random.Random(seed + 1)
    sends = stops = kills = 0
    while waiting():
        sends += 1
        run = subprocess.Popen([host, "--account", ini, "--dummy-domain", DOMAIN, "send"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Every send is cut short unless it ends first, so that a few mails
        # go per send and every step of the way meets a stop or a kill.
        way = user.choice(["stop", "kill"])
        try:
            run.wait(timeout=user.uniform(0.05, 3.0))
        except subprocess.TimeoutExpired:
            run.send_signal(signal.SIGINT if way == "stop" else signal.SIGKILL)
            stops += way == "stop"
            kills += way == "kill"
        run.wait()
    held_folder = os.path.join(outbox, "held")
    held = set()
    for name in os.listdir(held_folder) if os.path.isdir(held_folder) else []:
        with open(os.path.join(held_folder, name), "rb") as f:
            found = re.search(r"soak-(\d+)", f.read().decode("iso2022_jp"))
        if found:
            held.add(int(found.group(1)))
    once = sum(1 for n in range(count) if taken[n] == 1)
    twice = sum(1 for n in range(count) if taken[n] > 1)
    lost = sum(1 for n in range(count) if taken[n] == 0 and n not in held)
    print(f"{count} answers through sendmail, {requests} requests, {sends} sends "
          f"({stops} stopped, {kills} killed), {time.time() - started:.0f} s")
    print(f"on the board once:   {once}")
    print(f"on the board twice+: {twice}   (goal 0)")
    print(f"held with their text: {len(held)}   ({len(held & set(n for n in taken if taken[n]))} "
          "of them on the board)")
    print(f"lost:                {lost}   (goal 0)")
    sys.exit(0 if twice == 0 and lost == 0 else 1)
finally:
    server.shutdown()
    shutil.rmtree(work)
