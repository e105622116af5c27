#!/usr/bin/env python3
"""drwa-tool import on the fixture files of data/convert, into copies of the
example account, with Python's standard mail parser as the reader of every
mail produced: headers and bodies must decode back to the text of the article
files, and replies must point at their parents.

usage: import_mails_test.py PATH/TO/drwa-tool SOURCE_DIR
"""
import base64
import email
import email.policy
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOOL = None
SOURCE = None
DOMAIN = "@bbs.invalid"
NEWS_GUID = "6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70"
CHAT_GUID = "A0B1C2D3-E4F5-4617-8293-A4B5C6D7E8F9"
OLD_GUID = "5D2E8A41-7C39-4B06-A1F2-93E4C5D6B7A8"


def fixture(name):
    return os.path.join(SOURCE, "tests", "data", "convert", name)


def source_name(file_name):
    """The file-name-safe Base64 of the base name: "/" is "@"."""
    stem = os.path.splitext(os.path.basename(file_name))[0]
    return base64.b64encode(stem.encode("cp932")).decode().replace("/", "@")


def article(number, subject, body, name=None, address=None, parent=None):
    return {"key": "%010d" % number, "subject": subject, "body": body, "name": name,
            "address": address, "parent": parent}


BOARD_TITLE = "NEWS(ニュース速報板)"
BOARD_REPLY = "POST,http://bbs.example.jp/test/write.cgi,bbs=news&key=%d&FROM=$N&MESSAGE=$M,%d"
# The same board in three codes; the example account shows numbers with four
# digits in the subject.
BOARD = [
    article(1, "[0001]初めての書き込み",
            "こんにちは、掲示板です。\n二行目はひらがなとカタカナ、漢字。\nASCII line\n",
            name="名無しさん", address="sage"),
    article(2, "[0002]Re: 初めての書き込み", ">>1 どうも。\n表示のテスト（ソ・表・能）\n",
            name="山田 太郎", address="taro@example.jp", parent=1),
    # No name and no e-mail: no From at all.
    article(3, "[0003]返信の返信", "本文は二行目から\n", parent=2),
]

CASES = {
    "sjis_board.cm$": BOARD,
    "euc_board.cm$": BOARD,
    "jis_board.cm$": BOARD,
    # The NUL became a blank; the record after it was not lost.
    "nul_in_body.cm$": [article(1, "[0001]ヌル", "前半 後半\n", name="甲"),
                        article(2, "[0002]後の記事", "続き\n", name="乙")],
    # The second record ran into the end of the file.
    "cut_off_record.cm$": [article(21, "[0021]完全な記事", "最後まである\n", name="甲")],
    "header_only.cm$": [],
    "leading_blank_line.cm$": [article(31, "[0031]空行で始まる", "本文\n", name="甲")],
    "title_key_alone.cm$": [article(42, "[0042]", "題が空になる\n", name="甲")],
    "body_board_key.cm$": [
        article(61, "[0061]一つ目", "次の行は本文\n#P:x\n#T:偽の題\nS:99\n", name="甲"),
        article(62, "[0062]二つ目", "本文\n", name="乙")],
    "board_key_between_records.cm$": [article(91, "[0091]前", "本文\n", name="甲"),
                                      article(92, "[0092]後", "本文\n", name="乙", parent=91)],
    "euc_halfwidth_kana.cm$": [
        article(95, "[0095]カタカナ題", "ガギパ\n全角とハンカク\n", name="ナナシさん")],
    # A stray 8-bit pair spoils the rest of its line only; the body of the
    # first record is that spoilt line, not checked here.
    "jis_stray_byte.cm$": [article(1, "[0001]一", None, name="甲"),
                           article(2, "[0002]二", "本文\n", name="乙", parent=1)],
    "jis_line_left_in_double_byte.cm$": [article(1, "[0001]一", "本文\n", name="甲")],
    "halfwidth_kana_body.cm$": [
        article(80, "[0080]カタカナ", "ガギパ\n全角とハンカク\n", name="ナナシ")],
}

# Board titles as the mails must show them, where the case checks one.
TITLES = {
    "sjis_board.cm$": BOARD_TITLE,
    "leading_blank_line.cm$": "NEWS(空行の後の題)",
    "body_board_key.cm$": "NEWS(本文中の鍵)",
    "title_key_alone.cm$": "NEWS(板)",
    "euc_halfwidth_kana.cm$": "NEWS(半角かなの板ん)",
}


def read(path):
    with open(path, "rb") as f:
        return f.read()


def run(args, check=False):
    return subprocess.run([TOOL, "import"] + args, capture_output=True, check=check)


def parse(path):
    with open(path, "rb") as f:
        return email.message_from_binary_file(f, policy=email.policy.default)


def body_text(message):
    return message.get_content().replace("\r\n", "\n")


class ImportTestCase(unittest.TestCase):
    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory()
        # A Japanese folder name: paths go through the tool in UTF-8 and
        # through the library in CP932.
        self.account = os.path.join(self._tmp.name, "アカウント")
        shutil.copytree(os.path.join(SOURCE, "examples", "account"), self.account)
        self.spool = os.path.join(self.account, "spool")

    def tearDown(self):
        self._tmp.cleanup()

    def import_files(self, files, group=0, expect_status=0):
        result = run(["--account", os.path.join(self.account, "account.ini"),
                      "--group", str(group), "--dummy-domain", DOMAIN] + files)
        self.assertEqual(result.returncode, expect_status, result.stderr.decode())
        return result

    def mails(self):
        if not os.path.isdir(self.spool):
            return {}
        return {name: parse(os.path.join(self.spool, name))
                for name in sorted(os.listdir(self.spool))}

    def message_id(self, fixture_name, key, guid=NEWS_GUID):
        return "<%s.%s.%s>" % (source_name(fixture_name), guid, key)


class FixtureMails(ImportTestCase):
    def check_fixture(self, fixture_name):
        path = fixture(fixture_name)
        before = read(path)
        result = self.import_files([path])
        expected = CASES[fixture_name]
        self.assertIn(b"%d mail files" % len(expected), result.stdout)
        # The import keeps its source.
        self.assertEqual(read(path), before)

        mails = self.mails()
        self.assertEqual(len(mails), len(expected), sorted(mails))
        by_id = {m["Message-Id"]: m for m in mails.values()}
        source = source_name(fixture_name)
        for a in expected:
            message_id = self.message_id(fixture_name, a["key"])
            self.assertIn(message_id, by_id)
            m = by_id[message_id]
            self.assertEqual(m.get_content_charset(), "iso-2022-jp")
            self.assertEqual(str(m["Subject"]), a["subject"])
            if a["body"] is not None:
                self.assertEqual(body_text(m), a["body"])
            if a["name"] is None and a["address"] is None:
                self.assertIsNone(m["From"])
            else:
                (sender,) = m["From"].addresses
                self.assertEqual(sender.display_name, a["name"])
                # A name without an e-mail address keeps the brackets: "<>".
                address = "" if sender.addr_spec == "<>" else sender.addr_spec
                self.assertEqual(address, a["address"] or "")
            if a["parent"] is None:
                self.assertIsNone(m["In-Reply-To"])
                self.assertIsNone(m["References"])
            else:
                parent_id = self.message_id(fixture_name, "%010d" % a["parent"])
                self.assertEqual(m["In-Reply-To"], parent_id)
                self.assertEqual(m["References"], parent_id)
                # The parent's mail is the one with that Message-Id.
                self.assertIn(parent_id, by_id)
            self.assertEqual(m["X-KVT7R-BBS-ARTICLE-NO"], str(int(a["key"])))
            if fixture_name in TITLES:
                self.assertEqual(str(m["X-KVT7R-BBS-TITLE"]), TITLES[fixture_name])
            if m["Reply-To"] is not None:
                (reply,) = m["Reply-To"].addresses
                self.assertEqual(reply.addr_spec,
                                 "%s.%s%s" % (source, NEWS_GUID, DOMAIN))

    def test_every_fixture(self):
        for name in CASES:
            with self.subTest(fixture=name):
                self.tearDown()
                self.setUp()
                self.check_fixture(name)

    def test_reply_to_carries_the_post_command(self):
        self.import_files([fixture("sjis_board.cm$")])
        for number in (1, 2, 3):
            m = self.mails()
            m = {x["Message-Id"]: x for x in m.values()}[
                self.message_id("sjis_board.cm$", "%010d" % number)]
            (reply,) = m["Reply-To"].addresses
            self.assertEqual(reply.display_name, BOARD_REPLY % (number, number))

    def test_plugin_header_decodes(self):
        self.import_files([fixture("sjis_board.cm$")])
        m = {x["Message-Id"]: x for x in self.mails().values()}[
            self.message_id("sjis_board.cm$", "0000000001")]
        self.assertEqual(str(m["X-PLUGIN-HEADER-C"]), "C:カテゴリ=雑談")

    def test_three_codes_give_the_same_mail_files(self):
        contents = []
        for name in ("sjis_board.cm$", "euc_board.cm$", "jis_board.cm$"):
            self.tearDown()
            self.setUp()
            # One file name for all three, so that the addresses agree.
            copy = os.path.join(self._tmp.name, "board.cm$")
            shutil.copyfile(fixture(name), copy)
            self.import_files([copy])
            contents.append({n: read(os.path.join(self.spool, n)) for n in os.listdir(self.spool)})
        self.assertEqual(len(contents[0]), 3)
        self.assertEqual(contents[1], contents[0])
        self.assertEqual(contents[2], contents[0])


class GroupSettings(ImportTestCase):
    def test_group_with_its_own_subject_settings(self):
        # 雑談 has INH_SUB=0 and shows the title alone.
        self.import_files([fixture("sjis_board.cm$")], group=1)
        subjects = sorted(str(m["Subject"]) for m in self.mails().values())
        self.assertEqual(subjects, ["Re: 初めての書き込み", "初めての書き込み", "返信の返信"])
        m = next(iter(self.mails().values()))
        self.assertEqual(str(m["X-KVT7R-BBS-TITLE"]), "雑談(ニュース速報板)")
        self.assertIn("." + CHAT_GUID + ".", m["Message-Id"])

    def test_nested_group_shows_its_parent(self):
        self.import_files([fixture("leading_blank_line.cm$")], group=2)
        (m,) = self.mails().values()
        self.assertEqual(str(m["X-KVT7R-BBS-TITLE"]), "雑談\\過去ログ(空行の後の題)")
        self.assertIn(OLD_GUID, m["Message-Id"])


class ImportCommand(ImportTestCase):
    def test_second_import_delivers_only_the_forced_article(self):
        path = fixture("sjis_board.cm$")
        self.import_files([path])
        result = self.import_files([path])
        # The example group keeps a number list; article 3 carries "O".
        self.assertIn(b": 1 mail files", result.stdout)
        names = sorted(self.mails())
        self.assertEqual(len(names), 4)
        # source.GUID.key.GUID.eml
        forced = [n for n in names if n.count(".") == 4]
        self.assertEqual(len(forced), 1)
        self.assertIn(".0000000003.", forced[0])

    def test_missing_file_is_reported_and_the_others_still_go(self):
        result = self.import_files([fixture("no_such_file.cm$"), fixture("nul_in_body.cm$")],
                                   expect_status=1)
        self.assertIn("no_such_file.cm$", result.stderr.decode())
        self.assertEqual(len(self.mails()), 2)

    def test_blocked_spool_folder_is_an_error_in_utf8(self):
        with open(self.spool, "w") as f:
            f.write("in the way")
        path = fixture("sjis_board.cm$")
        result = self.import_files([path], expect_status=1)
        message = result.stderr.decode("utf-8")
        # The message names the spool folder, Japanese folder name included.
        self.assertIn(os.path.join("アカウント", "spool"), message)
        self.assertIn(b"0 mail files", result.stdout)
        self.assertTrue(os.path.isfile(path))

    def test_group_without_folder_name(self):
        result = self.import_files([fixture("sjis_board.cm$")], group=7, expect_status=1)
        self.assertIn("FOLDER_NAME", result.stderr.decode())
        self.assertEqual(self.mails(), {})

    def test_dummy_domain_needs_its_at_sign(self):
        result = run(["--account", os.path.join(self.account, "account.ini"), "--group", "0",
                      "--dummy-domain", "bbs.invalid", fixture("sjis_board.cm$")])
        self.assertEqual(result.returncode, 1)
        self.assertEqual(self.mails(), {})

    def test_usage(self):
        for args in ([], ["--group", "0", "x"], ["--account", "a.ini", "x"],
                     ["--account", "a.ini", "--group", "-1", "x"],
                     ["--account", "a.ini", "--group", "0"],
                     ["--account", "a.ini", "--group", "0", "--unknown", "x"]):
            with self.subTest(args=args):
                self.assertEqual(run(args).returncode, 2)


if __name__ == "__main__":
    TOOL, SOURCE = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
