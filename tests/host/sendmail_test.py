#!/usr/bin/env python3
"""drwa-host sendmail on mails as real clients hand them over. Each fixture
goes through the real command; the outbox file is read back with Python's
mail parser for its shape and with the library's own decoder (drwa-tool) for
its Japanese text, which holds NEC and IBM characters iconv cannot read."""
import email
import email.policy
import email.utils
import os
import subprocess
import sys
import tempfile

host, tool, data = sys.argv[1:4]

NEWS = "bmV3cy1ib2FyZA==.6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70@demo.invalid"
ZATSUDAN = "emF0c3VkYW4tYm9hcmQ=.A0B1C2D3-E4F5-4617-8293-A4B5C6D7E8F9@demo.invalid"

# A forwarding command that keeps what it was given in the test's folder.
FORWARD = 'cat > "{work}/forwarded"; printf "%s\\n" >"{work}/people"'

# fixture, sendmail arguments, set-up, exit status, what the outbox file holds
# (or the words of the reason on standard error).
CASES = [
    # mutt's reply, UTF-8 quoted-printable: the post command and the group
    # address come back as the library wrote them into the Reply-To.
    ("mutt_reply_utf8_qp.eml", ["-oem", "-oi", "--", ZATSUDAN], None, 0, {
        "to": '"LIB,,,1712300000-3" <' + ZATSUDAN + ">",
        "date": "Mon, 7 Dec 2026 23:54:04 +0000",
        "subject": "Re: 今日の晩ごはんを報告するスレ",
        "body": ["テストの返信です&#128512;", "二行目 &#134071;野家"]}),
    # Thunderbird: format=flowed joined, quote depth kept, stuffing undone,
    # the signature separator left alone; a Subject folded over three lines
    # of Base64 words with padding (GMime alone loses all but the first).
    ("thunderbird_flowed_folded_subject.eml", [], None, 0, {
        "to": '"POST,$C/test/bbs.cgi,bbs=news&key=1733000000&FROM=$N&MESSAGE=$M,3" <'
              + NEWS + ">",
        "subject": "Re: 今日の晩ごはんを報告するスレ、明日の予定も書きます。",
        "body": ["This reply is long enough that the mail client wrapped it at seventy-two "
                 "columns, with a blank at the end of each soft break.",
                 "> a quoted line that was also wrapped by the client",
                 " indented by two after stuffing",
                 "カレーでした。 おいしかった。", "", "-- ", "Hanako"]}),
    ("thunderbird_alternative_html.eml", [], None, 0, {
        "stderr": "left out: text/html",
        "subject": "Re: 写真", "body": ["写真はあとで送ります。", "よろしく。"]}),
    ("thunderbird_mixed_attachment.eml", [], None, 0, {
        "stderr": "left out: text/html, application/pdf (report.pdf)",
        "body": ["添付を見てください。"]}),
    # Lines that begin with "." stay as they are; a bare address stays bare.
    ("git_send_email.eml", ["-i", "-f", "taro@example.org", "--", NEWS], None, 0, {
        "to": "<" + NEWS + ">", "subject": "[PATCH] 説明を直す",
        "body": ["説明を直す。", ".", ".gitignore | 1 +"]}),
    # No Shift_JIS form: a character reference, as a browser posts it.
    # Half-width katakana become full-width in ISO-2022-JP.
    ("emoji_base64.eml", [], None, 0, {
        "subject": "Re: &#128512; &#134071;",
        "body": ["絵文字&#128512;と&#134071;野家", "カタカナ"]}),
    # NEC row 13 and an IBM extension survive the way back.
    ("iso2022jp_mailer.eml", [], None, 0, {
        "from": "山田 <yamada@example.jp>", "subject": "Re: 質問",
        "body": ["①手順どおりです。", "髙橋"]}),
    # Characters CP932 has twice (IBM and NEC codes) leave by the code that
    # ISO-2022-JP can carry: 髙 would otherwise come back as 裾.
    ("utf8_ibm_extensions.eml", [], None, 0, {
        "subject": "Re: 髙橋さん", "body": ["髙橋と山﨑、ⅰⅡ①"]}),
    # Shift_JIS sent as ISO-2022-JP, with a lead byte whose partner is none:
    # "?" for it, never a JIS pair that decodes to a control character.
    ("shift_jis_labelled_jis_stray_lead.eml", [], None, 0, {"body": ["表示は正常?,OK"]}),
    # Encoded words that decode to line ends start no header of their own;
    # an ESC in the text cannot switch the JIS mode.
    ("header_injection.eml", [], None, 0, {
        "to": '"LIB,,,9" <' + NEWS + ">", "subject": "x  To: <evil@example.org>",
        "body": ["hello$B"]}),
    # A local part holding the file-name Base64's "@", quoted by a strict
    # client, is written back bare as the library wrote and reads it.
    ("quoted_local_part.eml", [], None, 0, {
        "to": '"LIB,,,5" <k@@@+w==.6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70@demo.invalid>'}),
    # No To header: the command line's recipient; no Date: one is made.
    ("mailx_no_to.eml", ["-t", "--", NEWS], None, 0, {"to": "<" + NEWS + ">", "body": ["text"]}),
    ("not_a_mail.txt", ["--", NEWS], None, 65, {"stderr": "does not begin with a mail header"}),
    # Mail for a person is no board's: refused whole, nothing queued or sent,
    # unless a forwarding command takes the people's part unchanged.
    ("two_recipients.eml", [], None, 67, {"stderr": "friend@example.org is no board's address"}),
    ("two_recipients.eml", ["-oi", "--", "friend@example.org"], None, 67, {"stderr": "no board's"}),
    ("two_recipients.eml", ["--forward", FORWARD], None, 0, {
        "to": '"LIB,,,1" <' + NEWS + ">", "forwarded": ["friend@example.org"]}),
    ("two_recipients.eml", ["--forward=exit 69", "--", NEWS, "friend@example.org"], None, 69,
     {"stderr": "exited with 69"}),
    ("mutt_reply_utf8_qp.eml", ["--", NEWS, ZATSUDAN], None, 65,
     {"stderr": "more than one board's address"}),
    ("html_only.eml", [], None, 65, {"stderr": "no text/plain part"}),
    ("mutt_reply_utf8_qp.eml", [], "outbox is a file", 75, {"stderr": "not queued"}),
    ("mutt_reply_utf8_qp.eml", [], "no account", 78, {"stderr": "no account file"}),
    ("mutt_reply_utf8_qp.eml", ["-bs"], None, 64, {"stderr": "not supported"}),
]


def tool_text(args, data_bytes):
    out = subprocess.run([tool] + args, input=data_bytes, capture_output=True, check=True).stdout
    return out.decode("cp932", "replace")


def header_text(msg, name):
    """The header as the library reads it: ISO-2022-JP words decoded."""
    return tool_text(["decode-header"], msg[name].encode("ascii") + b"\n").rstrip("\n")


failures = []


def check(case, condition, what):
    if not condition:
        failures.append(f"{case}: {what}")


for fixture, args, setup, status, want in CASES:
    case = f"{fixture} {' '.join(args)} {setup or ''}".strip()
    with tempfile.TemporaryDirectory() as work:
        account = os.path.join(work, "account.ini")
        outbox = os.path.join(work, "SMTP.BOX")
        if setup != "no account":
            open(account, "w").close()
        if setup == "outbox is a file":
            open(outbox, "w").close()
        with open(os.path.join(data, fixture), "rb") as mail:
            run = subprocess.run([host, "--account", account, "sendmail"] +
                                 [a.replace("{work}", work) for a in args], stdin=mail,
                                 capture_output=True)
        stderr = run.stderr.decode("utf-8", "replace")
        check(case, run.returncode == status, f"exit {run.returncode}, want {status}: {stderr}")
        check(case, want.get("stderr", "") in stderr, f"standard error {stderr!r}")
        queued = sorted(os.listdir(outbox)) if os.path.isdir(outbox) else []
        if "forwarded" in want:
            with open(os.path.join(work, "people")) as f:
                check(case, f.read().split() == want["forwarded"], "forwarded to whom")
            with open(os.path.join(work, "forwarded"), "rb") as f, \
                    open(os.path.join(data, fixture), "rb") as mail:
                check(case, f.read() == mail.read(), "forwarded changed")
        if status != 0:
            check(case, queued == [], f"left {queued}")
            continue
        # One file under the reader's pattern, nothing left aside.
        check(case, len(queued) == 1 and queued[0].startswith("vxq") and
              queued[0].endswith(".tmp"), f"outbox holds {queued}")
        if len(queued) != 1:
            continue
        with open(os.path.join(outbox, queued[0]), "rb") as f:
            raw = f.read()
        check(case, all(b < 0x80 for b in raw), "8-bit bytes")
        check(case, raw.count(b"\n") == raw.count(b"\r\n") == raw.count(b"\r") and
              raw.endswith(b"\r\n"),
              "line ends other than CR LF")
        msg = email.message_from_bytes(raw, policy=email.policy.compat32)
        check(case, msg["Content-Type"] == "text/plain; charset=ISO-2022-JP", "Content-Type")
        check(case, msg["Content-Transfer-Encoding"] == "7bit", "transfer encoding")
        check(case, len(msg.get_all("To", [])) == 1 and msg["Bcc"] is None, "one To, no Bcc")
        check(case, email.utils.parsedate_to_datetime(msg["Date"]) is not None, "Date")
        for name in ("to", "from", "subject", "date"):
            if name in want:
                got = header_text(msg, name.capitalize())
                check(case, got == want[name], f"{name} {got!r}, want {want[name]!r}")
        if "body" in want:
            body = tool_text(["convert", "--to", "5"], msg.get_payload().encode("ascii"))
            got = body.split("\r\n")[:-1]
            check(case, got == want["body"], f"body {got!r}, want {want['body']!r}")

for f in failures:
    print("FAIL:", f)
print(f"{len(CASES) - len({f.split(':')[0] for f in failures})} of {len(CASES)} cases passed")
sys.exit(1 if failures else 0)
