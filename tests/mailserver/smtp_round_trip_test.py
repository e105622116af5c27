#!/usr/bin/env python3
"""One answer's road from a phone to the board: the board's mails read over
IMAP (scripts/serve-imap), the answer sent over SMTP (scripts/serve-smtp,
Postfix) to the Reply-To address in UTF-8, handed by Postfix's pipe to
`drwa-host sendmail` into the outbox in the host's form, posted by `send` to
the board server. Mail for any other domain is refused in the dialogue; an
answer sendmail refuses comes back to the Maildir as a notice.

Postfix's master runs only as root: as anybody else the test is skipped.

    smtp_round_trip_test.py DRWA_HOST SOURCE_DIR"""
import email
import email.message
import email.policy
import glob
import imaplib
import os
import smtplib
import sys
import time
import urllib.parse

from mail_servers import DOMAIN, PASSWORD, ROOT, Servers, header_text

SKIP = 77
ANSWER = "ＳＭＴＰで返事です。\n桜はもう散りました🌸\n"
POSTED = "ＳＭＴＰで返事です。\r\n桜はもう散りました&#127800;"

if not ROOT:
    print("SKIP: Postfix's master runs only as root; the SMTP half needs root (as in CI)")
    sys.exit(SKIP)
host, source = sys.argv[1:3]


def wait_for(what, find, timeout=15):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.05)
    raise AssertionError(f"no {what} after {timeout} s")


with Servers(host, source) as world:
    world.board_account()
    assert len(world.receive_and_deliver()) == 9
    imap_port = world.serve_imap()
    smtp_port = world.serve_smtp()

    with imaplib.IMAP4("127.0.0.1", imap_port, timeout=10) as imap:
        imap.login("taro", PASSWORD)
        imap.select("INBOX", readonly=True)
        imap.literal = "桜".encode("utf-8")
        found = imap.search("UTF-8", "SUBJECT")[1][0].split()
        heads = [imap.fetch(n, "(BODY.PEEK[HEADER])")[1][0][1] for n in found]
    asked = next(m for m in map(email.message_from_bytes, heads) if m["In-Reply-To"] is None)

    # As Thunderbird writes it: UTF-8, 8bit, the thread headers unfolded.
    answer = email.message.EmailMessage(policy=email.policy.SMTP.clone(max_line_length=998))
    answer["From"] = "Taro <taro@example.org>"
    answer["To"] = asked["Reply-To"]
    answer["Subject"] = "Re: " + header_text(asked["Subject"])
    answer["In-Reply-To"] = answer["References"] = asked["Message-Id"]
    answer.set_content(ANSWER, cte="8bit")
    outbox = os.path.join(os.path.dirname(world.account), "SMTP.BOX")
    with smtplib.SMTP("127.0.0.1", smtp_port, timeout=10) as smtp:
        smtp.send_message(answer)
        # Nothing is relayed: not to another domain, nor a subdomain of the
        # boards' one, nor a domain that starts with it, nor this host.
        for rcpt in ("x@example.org", "x@sub." + DOMAIN[1:], "x" + DOMAIN + ".example.org",
                     "x@[127.0.0.1]"):
            try:
                smtp.sendmail("taro@example.org", [rcpt], b"Subject: relay?\r\n\r\nno\r\n")
                raise AssertionError(f"{rcpt} accepted")
            except smtplib.SMTPRecipientsRefused as refused:
                code, text = refused.recipients[rcpt]
                assert code == 554 and text.startswith(b"5.7.1 "), (rcpt, code, text)
        # A board address whose name holds "@" and "+" (file-name Base64) is
        # taken, though Postfix would read it as routing.
        smtp.mail("taro@example.org")
        assert smtp.rcpt('"k@@@+w==.GUID"' + DOMAIN)[0] == 250
        smtp.rset()

    # In the outbox as `drwa-host sendmail` leaves a mail: ISO-2022-JP.
    queued = wait_for("mail in SMTP.BOX", lambda: glob.glob(os.path.join(outbox, "vxq*.tmp")))
    assert len(queued) == 1, queued
    with open(queued[0], "rb") as f:
        raw = f.read()
    mail = email.message_from_bytes(raw, policy=email.policy.compat32)
    assert b"\r\n" in raw and mail.get_content_charset() == "iso-2022-jp", raw[:400]
    assert "=?ISO-2022-JP?B?" in mail["Subject"] and mail["To"].endswith(DOMAIN + ">"), mail.items()
    assert mail.get_payload(decode=True).decode("iso2022_jp").startswith("ＳＭＴＰで返事です。")

    world.drwa("--mode", "1", "send")
    assert os.listdir(outbox) == [], os.listdir(outbox)
    with open(world.board_log, "rb") as f:
        posts = [line.split(b"\t") for line in f.read().splitlines() if line.startswith(b"POST\t")]
    assert posts, "nothing posted"
    form = urllib.parse.parse_qs(posts[-1][3].decode("ascii"), encoding="cp932")
    assert form["MESSAGE"] == [POSTED], form["MESSAGE"]
    assert form["key"] == [asked["Reply-To"].split("-")[0].split(",")[-1]], form["key"]

    # The plugin read the answer back from the board: delivered while
    # Dovecot runs, the phone finds it in its thread.
    world.drwa("deliver", "--maildir", world.maildir)
    with imaplib.IMAP4("127.0.0.1", imap_port, timeout=10) as imap:
        imap.login("taro", PASSWORD)
        imap.select("INBOX", readonly=True)
        found = imap.search(None, "HEADER", "In-Reply-To", asked["Message-Id"])[1][0].split()
        assert len(found) == 2, found  # the post's first answer, and ours
        bodies = [email.message_from_bytes(imap.fetch(n, "(BODY.PEEK[])")[1][0][1])
                  for n in found]
    assert any("散りました&#127800;" in m.get_payload(decode=True).decode("iso2022_jp")
               for m in bodies), [m.get_payload() for m in bodies]

    # A mail sendmail refuses (no text part) is no silent loss: Postfix's
    # notice with sendmail's reason arrives where the user reads.
    before = set(os.listdir(os.path.join(world.maildir, "new")))
    picture = email.message.EmailMessage()
    picture["From"], picture["To"], picture["Subject"] = "taro@example.org", asked["Reply-To"], "写真"
    picture.set_content(b"\x89PNG\r\n", maintype="image", subtype="png")
    with smtplib.SMTP("127.0.0.1", smtp_port, timeout=10) as smtp:
        smtp.send_message(picture)
    notices = wait_for("notice in the Maildir", lambda: set(
        os.listdir(os.path.join(world.maildir, "new"))) - before)
    with open(os.path.join(world.maildir, "new", notices.pop()), "rb") as f:
        notice = f.read().decode("utf-8", "replace")
    assert "Status: 5.6.0" in notice and "drwa-host sendmail: not queued" in notice, notice
    assert os.listdir(outbox) == [], os.listdir(outbox)

print("an SMTP answer reached the board; other domains refused; a refused mail came back")
