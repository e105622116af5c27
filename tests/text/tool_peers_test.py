#!/usr/bin/env python3
"""drwa-tool's charset commands against outside judges: Unicode's own names
for the half-width katakana (read back through the iconv program), Python's
standard mail header parser for encoded words, and the commands' exit codes.

usage: tool_peers_test.py PATH/TO/drwa-tool
"""
import email.header
import subprocess
import sys
import unicodedata
import unittest

TOOL = None

# A line of kanji first, so that the text is detected as Shift_JIS: a text of
# half-width katakana alone is undecided and never converted.
KANJI_LINE = "漢".encode("cp932") + b"\n"

COMBINING_TO_SPACING = {"\u3099": "\u309b", "\u309a": "\u309c"}


def run(args, data=b"", check=True):
    return subprocess.run([TOOL] + args, input=data, capture_output=True, check=check)


def iconv(data, source, target):
    # glibc's iconv program as the reader of our ISO-2022-JP.
    return subprocess.run(["iconv", "-f", source, "-t", target], input=data,
                          capture_output=True, check=True).stdout


def expected_full_width(half_width):
    """The full-width form Unicode gives (NFKC), sound marks merged only
    where the combined letter is a JIS X 0208 character."""
    out = ""
    for ch in half_width:
        full = unicodedata.normalize("NFKC", ch)
        if full in COMBINING_TO_SPACING and out:
            combined = unicodedata.normalize("NFC", out[-1] + full)
            if len(combined) == 1 and encodable_in_jis(combined):
                out = out[:-1] + combined
                continue
        out += COMBINING_TO_SPACING.get(full, full)
    return out


def encodable_in_jis(ch):
    try:
        ch.encode("iso2022_jp")
        return True
    except UnicodeEncodeError:
        return False


class HalfWidthKatakana(unittest.TestCase):
    def test_every_byte_and_every_sound_mark_pair(self):
        cases = [bytes([b]) for b in range(0xA1, 0xE0)]
        cases += [bytes([b, mark]) for b in range(0xA6, 0xDE) for mark in (0xDE, 0xDF)]
        text = KANJI_LINE + b"\n".join(cases) + b"\n"
        converted = run(["convert", "--to", "2"], text).stdout
        lines = iconv(converted, "ISO-2022-JP", "UTF-8").decode("utf-8").split("\n")[1:-1]
        self.assertEqual(len(lines), len(cases))
        merged = 0
        for case, got in zip(cases, lines):
            half = case.decode("cp932")
            want = expected_full_width(half)
            names = lambda s: [unicodedata.name(c) for c in s]
            self.assertEqual(got, want, f"{case.hex()}: {names(half)} gave {names(got)}")
            merged += len(got) < len(half)
        # ｳﾞ, ｶﾞ..ﾄﾞ (15), ﾊﾞ..ﾎﾞ and ﾊﾟ..ﾎﾟ (10).
        self.assertEqual(merged, 26)


class HeaderWords(unittest.TestCase):
    LINES = [
        "Subject: テスト",
        "Subject: 漢字 かな",
        "Subject: Re: [掲示板] 質問です (その2)",
        "From: 山田 太郎 <taro@example.jp>",
        "Subject: 表示とソース",  # trail bytes 0x5C
        "Subject: plain ASCII only",
        "Subject: 全角ＡＢＣ〜",  # full-width Latin, wave dash
    ]

    def test_standard_parser_reads_back_the_text(self):
        # Python's cp932 and iso2022_jp differ on the wave dash: 0x8160 is
        # U+FF5E in one and U+301C in the other; JIS bytes are what count.
        text = "\n".join(self.LINES).replace("〜", "～").encode("cp932") + b"\n"
        encoded = run(["encode-header"], text).stdout.decode("ascii").split("\n")[:-1]
        self.assertEqual(len(encoded), len(self.LINES))
        for line, got in zip(self.LINES, encoded):
            name, value = got.split(": ", 1)
            parts = email.header.decode_header(value)
            decoded = "".join(p.decode(c or "ascii") if isinstance(p, bytes) else p
                              for p, c in parts)
            self.assertEqual(decoded, line.split(": ", 1)[1], got)

    def test_decode_header_gives_shift_jis(self):
        line = "Subject: =?iso-2022-jp?b?GyRCJUYlOSVIGyhK?= ok\n".encode("ascii")
        self.assertEqual(run(["decode-header"], line).stdout, "Subject: テスト ok\n".encode("cp932"))


class Commands(unittest.TestCase):
    def test_detect_prints_the_code(self):
        cases = [
            (b"plain\n", b"0\n"),
            ("日本語\n".encode("cp932"), b"5\n"),
            ("日本語\n".encode("euc_jp"), b"4\n"),
            ("日本語\n".encode("iso2022_jp"), b"2\n"),
            ("ｶﾞｷﾞ\n".encode("cp932"), b"6\n"),  # undecided
        ]
        for data, code in cases:
            self.assertEqual(run(["detect"], data).stdout, code, data)

    def test_convert_round_trips_through_every_target(self):
        text = "掲示板の記事です。\r\nＡＢＣ abc ｶﾀｶﾅ\r\n".encode("cp932")
        euc = run(["convert", "--to", "4"], text).stdout
        self.assertEqual(euc, iconv(text, "CP932", "EUC-JP"))
        self.assertEqual(run(["convert", "--to", "5"], euc).stdout, text)
        jis = run(["convert", "--to", "2"], euc).stdout
        self.assertEqual(iconv(jis, "ISO-2022-JP", "UTF-8").decode(),
                         "掲示板の記事です。\r\nＡＢＣ abc カタカナ\r\n")

    def test_b64name(self):
        self.assertEqual(run(["b64name", "encode", "cm_test"]).stdout, b"Y21fdGVzdA==\n")
        self.assertEqual(run(["b64name", "decode", "Y21fdGVzdA=="]).stdout, b"cm_test\n")
        failed = run(["b64name", "decode", "Y21fdGVzdA="], check=False)
        self.assertEqual(failed.returncode, 1)
        self.assertIn(b"Uneven size in DecodeToStream.", failed.stderr)

    def test_bad_arguments_are_usage_errors(self):
        for args in (["convert", "--to", "3"], ["convert"], ["b64name", "x", "y"],
                     ["detect", "a", "b"]):
            self.assertEqual(run(args, check=False).returncode, 2, args)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main()
