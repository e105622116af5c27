#!/usr/bin/env python3
"""A board read over IMAP, as a phone or Thunderbird reads it: receive and
deliver fill the Maildir, scripts/serve-imap serves it with Dovecot on
127.0.0.1, and imaplib logs in, lists, selects, searches and fetches. The
Japanese Subject (ISO-2022-JP encoded words) decodes, and the thread headers
link an answer to its post.

    imap_test.py DRWA_HOST SOURCE_DIR"""
import email
import email.policy
import imaplib
import sys

from mail_servers import PASSWORD, Servers, header_text

host, source = sys.argv[1:3]

with Servers(host, source) as world:
    world.board_account()
    on_disk = world.receive_and_deliver()
    assert len(on_disk) == 9, len(on_disk)
    port = world.serve_imap()

    with imaplib.IMAP4("127.0.0.1", port, timeout=10) as imap:
        imap.login("taro", PASSWORD)
        status, folders = imap.list()
        assert status == "OK" and any(b'"INBOX"' in f or f.endswith(b" INBOX") for f in folders), folders
        status, count = imap.select("INBOX")
        assert status == "OK" and int(count[0]) == 9, count

        # Dovecot decodes the ISO-2022-JP encoded words to search in them.
        imap.literal = "晩ごはん".encode("utf-8")
        status, found = imap.search("UTF-8", "SUBJECT")
        numbers = found[0].split()
        assert status == "OK" and len(numbers) == 3, found

        # Each of those mails, fetched whole, is the file on disk: the
        # thread's first post and two answers linked to it.
        fetched = []
        for number in numbers:
            status, data = imap.fetch(number, "(BODY.PEEK[])")
            assert status == "OK", data
            fetched.append(email.message_from_bytes(data[0][1], policy=email.policy.compat32))
        subjects = sorted(header_text(m["Subject"]) for m in fetched)
        assert subjects == ["Re: 今日の晩ごはんを報告するスレ"] * 2 + ["今日の晩ごはんを報告するスレ"], \
            subjects
        by_id = {m["Message-Id"]: m for m in fetched}
        assert set(by_id) <= {m["Message-Id"] for m in on_disk}, by_id.keys()
        first = [m for m in fetched if m["In-Reply-To"] is None]
        assert len(first) == 1 and first[0]["References"] is None, [m.items() for m in first]
        answers = [m for m in fetched if m["In-Reply-To"] is not None]
        for answer in answers:
            assert answer["In-Reply-To"] in by_id, answer["In-Reply-To"]
            assert answer["References"].split()[-1] == answer["In-Reply-To"], answer["References"]
            assert header_text(answer["Subject"]) == "Re: " + header_text(first[0]["Subject"])
        assert first[0]["Message-Id"] in {a["In-Reply-To"] for a in answers}
        assert "@loop.invalid>" in first[0]["Reply-To"], first[0]["Reply-To"]

    # Last, as Dovecot slows every login from an address after a failed one.
    with imaplib.IMAP4("127.0.0.1", port, timeout=10) as imap:
        try:
            imap.login("taro", PASSWORD[:-1])
            raise AssertionError("logged in with a wrong password")
        except imaplib.IMAP4.error:
            pass

print("the board's 9 mails read over IMAP; a Japanese subject search found the thread")
