#!/usr/bin/env python3
"""Prints a mail file as a standard mail parser reads it: the decoded Subject,
From and body lines, UTF-8, one item per line ("subject: ...", "from: ...",
then "body: ..." for each body line)."""
import email
import email.header
import email.policy
import sys

with open(sys.argv[1], "rb") as f:
    msg = email.message_from_binary_file(f, policy=email.policy.compat32)


def decoded(name):
    value = msg.get(name)
    if value is None:
        return ""
    parts = email.header.decode_header(value)
    return "".join(p.decode(c or "ascii") if isinstance(p, bytes) else p for p, c in parts)


print("subject: " + decoded("Subject"))
print("from: " + decoded("From"))
charset = msg.get_content_charset() or "ascii"
for line in msg.get_payload(decode=True).decode(charset).splitlines():
    print("body: " + line)
