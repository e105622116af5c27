#!/usr/bin/env python3
"""A board family's whole road through the real host, one table row per
family: the loopback board server answers as the family's boards do; the
host makes an account and a group for the board (add-board --plugin),
receives it, delivers the posts as threaded mails, and the requests the
server got are the ones a considerate reader makes (a second receive asks
only for what is new). An answer written as mail goes in through
`drwa-host sendmail` and out with `send` in mode 1: the board gets it in its
own code and form, it comes back exactly once, threaded under the post it
answers, and a last receive brings nothing.

    round_trip_test.py DRWA_HOST SOURCE_DIR FAMILY

A family is a row of FAMILIES (see Family); tests/boards/CMakeLists.txt
registers one test per row."""
import dataclasses
import email
import email.header
import email.message
import email.policy
import email.utils
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse
from typing import Callable, Optional

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from host_session import HostSession  # noqa: E402
from settings_file import set_keys  # noqa: E402

DOMAIN = "@round.invalid"
NAME = "ループ太郎"


@dataclasses.dataclass
class Family:
    fixture: str            # folder under tests/boards: a copy is the server's root
    module: str             # family module of board_server.pl, under tests/boards/family
    board: str              # the board's path on the server
    plugin: str             # the plugin's name (add-board --plugin)
    first: list             # request targets of the first receive, in order
    # (text of a post, text of the post it answers, or None for a thread's
    # first post) for every post of the first receive
    posts: list
    dated: tuple            # (text of a post, its time as epoch seconds)
    grow: Callable          # grow(root): the board gains posts as it would
    second: list            # request targets of the receive after grow
    grown: list             # the posts that receive brings, as in posts
    answer: str             # text of the post the test answers by mail
    answer_text: str        # the answer's text (a CP932 character and one beyond)
    posted: Callable        # posted(log fields of the POST): asserts the form
    # Optional: refuse(root, reason or None) makes the board refuse every post
    # with its error page (None: no more), and refused_run is what the run
    # that meets the refusal asks for (a refusal is certain: no look into the
    # thread); unclear(root) makes it write the next post but answer with a
    # page that is neither success nor error.
    refuse: Optional[Callable] = None
    refused_run: list = dataclasses.field(default_factory=list)
    unclear: Optional[Callable] = None
    # (path on the server, whether the plugin says it reads it) for its "u" run
    recognises: list = dataclasses.field(default_factory=list)
    # KEY=VALUE settings add-board sets besides the common ones
    settings: list = dataclasses.field(default_factory=list)


# ------------------------------------------------------------ Shitaraba

def shitaraba_grow(root):
    board = os.path.join(root, "game", "12345")

    def append(path, line):
        with open(os.path.join(board, path), "ab") as f:
            f.write(line.encode("euc_jp") + b"\n")

    append("threads/1700000000.dat",
           "7<>名無しさん<><>2023/11/16(木) 12:00:00<>&gt;&gt;6 追加です<><>Grow0007")
    # The thread about to fall gets one more post and then falls into the archive.
    append("threads/1690000000.dat",
           "2<>名無しさん<>sage<>2023/11/16(木) 12:30:00<>&gt;&gt;1 落ちる前の書き込み<><>Grow0002")
    os.rename(os.path.join(board, "threads/1690000000.dat"),
              os.path.join(board, "storage/1690000000.dat"))
    first = "1700000000.cgi,雑談スレッド その1(7)\n"
    with open(os.path.join(board, "subject.txt"), "wb") as f:
        f.write((first + "1700000100.cgi,質問スレ(2)\n" + first).encode("euc_jp"))


def shitaraba_posted(fields):
    target, body, content_type, referer = fields[1], fields[3], fields[10], fields[11]
    assert target == b"/bbs/write.cgi/game/12345/1700000000/", target
    assert content_type.startswith(b"application/x-www-form-urlencoded"), content_type
    assert referer.endswith(b"/bbs/read.cgi/game/12345/1700000000/"), referer
    pairs = [p.split(b"=", 1) for p in body.split(b"&")]
    names = [n for n, _ in pairs]
    assert names == [b"DIR", b"BBS", b"KEY", b"TIME", b"NAME", b"MAIL", b"MESSAGE", b"submit"], names
    form = {n: urllib.parse.unquote_to_bytes(v.replace(b"+", b" ")) for n, v in pairs}
    assert form[b"DIR"] == b"game" and form[b"BBS"] == b"12345" and form[b"KEY"] == b"1700000000", form
    assert abs(int(form[b"TIME"]) - time.time()) < 600, form[b"TIME"]
    assert form[b"NAME"] == NAME.encode("euc_jp"), form[b"NAME"]
    assert form[b"submit"] == "書き込む".encode("euc_jp"), form[b"submit"]
    # The board's EUC-JP: NEC row 13 as browsers send it, a character EUC-JP
    # lacks as a reference; CR LF.
    want = (b">>2\r\n" + "ループの試験です".encode("euc_jp") + b"\xad\xa1\r\n"
            + "二行目".encode("euc_jp") + b"&#128512;")
    assert form[b"MESSAGE"] == want, form[b"MESSAGE"]


def shitaraba_switch(name):
    def switch(root, text="x"):
        path = os.path.join(root, "game", "12345", name)
        if text is None:
            os.remove(path)
        else:
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
    return switch


# ------------------------------------------------------------ Machi BBS

def machi_grow(root):
    board = os.path.join(root, "kana")

    def append(key, line):
        with open(os.path.join(board, "log", f"{key}.log"), "ab") as f:
            f.write(line.encode("cp932") + b"\n")

    append(1705300000, "7<>名無しさん<><>2024/01/18(木) 12:00:00 ID:Grow0007<>&gt;&gt;5<br>当日は雨みたいです<><>p1-grow.example.ne.jp")
    # The festival thread gets one more post and sinks off the list; the
    # fallen one leaves it too.
    append(1705400000, "3<>名無しさん<>sage<>2024/01/18(木) 12:30:00 ID:Grow0003<>&gt;&gt;2 沈む前の書き込み<><>p2-grow.example.ne.jp")
    first = "1705300000.cgi,駅前の再開発について語ろう(7)\n"
    with open(os.path.join(board, "subject.txt"), "wb") as f:
        f.write((first + first).encode("cp932"))


def machi_posted(fields):
    target, body, content_type, referer = fields[1], fields[3], fields[10], fields[11]
    assert target == b"/bbs/write.cgi", target
    assert content_type.startswith(b"application/x-www-form-urlencoded"), content_type
    assert referer.endswith(b"/bbs/read.cgi/kana/1705300000/"), referer
    pairs = [p.split(b"=", 1) for p in body.split(b"&")]
    names = [n for n, _ in pairs]
    assert names == [b"BBS", b"KEY", b"TIME", b"NAME", b"MAIL", b"MESSAGE", b"submit"], names
    form = {n: urllib.parse.unquote_to_bytes(v.replace(b"+", b" ")) for n, v in pairs}
    assert form[b"BBS"] == b"kana" and form[b"KEY"] == b"1705300000" and form[b"MAIL"] == b"", form
    assert abs(int(form[b"TIME"]) - time.time()) < 600, form[b"TIME"]
    assert form[b"NAME"] == NAME.encode("cp932"), form[b"NAME"]
    assert form[b"submit"] == "書き込む".encode("cp932"), form[b"submit"]
    # Shift_JIS with NEC row 13, a character beyond it as a reference; CR LF.
    want = b">>2\r\n" + "ループの試験です①".encode("cp932") + b"\r\n" + "二行目".encode("cp932") + b"&#128512;"
    assert form[b"MESSAGE"] == want, form[b"MESSAGE"]


def machi_switch(name):
    def switch(root, text="x"):
        path = os.path.join(root, "test", name)
        if text is None:
            os.remove(path)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(text.encode("cp932"))
    return switch


# ------------------------------------------------------------ 2ch-style: 5ch, open2ch

def twoch_grow(archive):
    def grow(root):
        board = os.path.join(root, "board")

        def append(path, line):
            with open(os.path.join(board, path), "ab") as f:
                f.write(line.encode("cp932") + b"\n")

        append("dat/1712650000.dat", "名無しさん<><>2024/01/11(木) 10:00:00.00 ID:Grow0003<> &gt;&gt;2 <br> 満開になりました <>")
        lines = ["1712650000.dat<>近所の桜、咲きました？ (3)", "1712300000.dat<>今日の晩ごはんを報告するスレ (3)"]
        if archive:
            # 5ch: the oldest thread gets a last post and falls off the list,
            # its dat moved to the archive.
            os.makedirs(os.path.join(board, "oyster", "1711"))
            shutil.move(os.path.join(board, "dat", "1711929600.dat"), os.path.join(board, "oyster", "1711", "1711929600.dat"))
            append("oyster/1711/1711929600.dat", "名無しさん<>sage<>2024/01/11(木) 11:00:00.00 ID:Grow0005<> &gt;&gt;4 <br> 落ちる前の書き込み <>")
            with open(os.path.join(board, "dat", "1711929600.dat.moved"), "w") as f:
                f.write("/board/kako/1711929600.html\n")
        else:
            lines.append("1711929600.dat<>この掲示板の使い方を教えてください (4)")
        with open(os.path.join(board, "subject.txt"), "wb") as f:
            f.write("".join(l + "\n" for l in lines).encode("cp932"))
    return grow


def twoch_posted(target, content_type, code):
    def posted(fields):
        assert fields[1] == target, fields[1]
        assert fields[10] == content_type, fields[10]
        assert fields[11].endswith(b"/test/read.cgi/board/1712650000"), fields[11]
        pairs = [p.split(b"=", 1) for p in fields[3].split(b"&")]
        assert [n for n, _ in pairs] == [b"bbs", b"key", b"time", b"FROM", b"mail", b"MESSAGE", b"submit"], pairs
        form = {n: urllib.parse.unquote_to_bytes(v.replace(b"+", b" ")) for n, v in pairs}
        assert form[b"bbs"] == b"board" and form[b"key"] == b"1712650000" and form[b"mail"] == b"", form
        # "time" half a minute back, as dedicated browsers send it
        assert time.time() - 600 < int(form[b"time"]) <= time.time() - 29, form[b"time"]
        assert form[b"FROM"] == NAME.encode(code), form[b"FROM"]
        assert form[b"submit"] == "書き込む".encode(code), form[b"submit"]
        # Shift_JIS: NEC row 13 as browsers send it, a character beyond as a
        # reference; UTF-8 (open2ch): that character as itself. CR LF.
        beyond = "😀".encode(code) if code == "utf-8" else b"&#128512;"
        want = b">>2\r\n" + "ループの試験です①".encode(code) + b"\r\n" + "二行目".encode(code) + beyond
        assert form[b"MESSAGE"] == want, form[b"MESSAGE"]
    return posted


def twoch_switch(name, code):
    def switch(root, text="written"):
        path = os.path.join(root, "test", name)
        if text is None:
            os.remove(path)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(text.encode(code))
    return switch


TWOCH_POSTS = [("川沿いの桜がほぼ満開です。", None),
               (">>1\nこちらはまだ五分咲き", "川沿いの桜"),
               ("今日の晩ごはんを書いていくスレです。", None),
               ("唐揚げ定食！", "今日の晩ごはん"),
               (">>2\nメシテロ", "唐揚げ定食！"),  # half-width kana: full-width in mail
               ("初めて来ました。", None),
               (">>1\nはい、できます。", "初めて来ました。"),
               (">>2\nありがとうございます！", ">>1\nはい、できます。"),
               ("新しいスレッドを立てるときは", "初めて来ました。")]
TWOCH_FIRST = ["/board/subject.txt", "/board/dat/1712650000.dat", "/board/dat/1712300000.dat",
               "/board/dat/1711929600.dat", "/board/SETTING.TXT"]


FAMILIES = {
    "fivech": Family(
        fixture="twoch", module="fivech.pm", board="/board/", plugin="TEXTBOARD",
        first=TWOCH_FIRST, posts=TWOCH_POSTS,
        dated=("川沿いの桜がほぼ満開です。", 1704787600),  # the fixture's posts dated in winter
        grow=twoch_grow(archive=True),
        # the list, the grown thread by range, the fallen one: its dat gone
        # (a redirect), its archive by range; the board's title on condition
        second=["/board/subject.txt", "/board/dat/1712650000.dat", "/board/dat/1711929600.dat",
                "/board/oyster/1711/1711929600.dat", "/board/SETTING.TXT"],
        grown=[(">>2\n満開になりました", ">>1\nこちらはまだ五分咲き"),
               (">>4\n落ちる前の書き込み", "新しいスレッドを立てるときは")],
        answer=">>1\nこちらはまだ五分咲き",
        answer_text="ループの試験です①\n二行目😀\n",
        posted=twoch_posted(b"/test/bbs.cgi?guid=ON", b"application/x-www-form-urlencoded", "cp932"),
        refuse=twoch_switch("refuse.txt", "cp932"),
        # the first post meets the confirmation (cookies kept), then the refusal
        refused_run=["/test/bbs.cgi?guid=ON", "/test/bbs.cgi?guid=ON", "/board/subject.txt"],
        unclear=twoch_switch("drop.txt", "cp932"),
        recognises=[("/board/", True), ("/nope/", False), ("/", False)],
        settings=["FAMILY=5ch"],
    ),
    "open2ch": Family(
        fixture="twoch", module="open2ch.pm", board="/board/", plugin="TEXTBOARD",
        first=TWOCH_FIRST, posts=TWOCH_POSTS,
        dated=("川沿いの桜がほぼ満開です。", 1704787600),  # the fixture's posts dated in winter
        grow=twoch_grow(archive=False),
        second=["/board/subject.txt", "/board/dat/1712650000.dat", "/board/SETTING.TXT"],
        grown=[(">>2\n満開になりました", ">>1\nこちらはまだ五分咲き")],
        answer=">>1\nこちらはまだ五分咲き",
        answer_text="ループの試験です①\n二行目😀\n",
        posted=twoch_posted(b"/test/bbs.cgi", b"application/x-www-form-urlencoded; charset=UTF-8", "utf-8"),
        refuse=twoch_switch("refuse.txt", "utf-8"),
        # the cookie page (no form: the same form again), then the refusal
        refused_run=["/test/bbs.cgi", "/test/bbs.cgi", "/board/subject.txt"],
        unclear=twoch_switch("drop.txt", "utf-8"),
        recognises=[("/board/", True), ("/nope/", False)],
        settings=["FAMILY=open2ch"],
    ),
    "machi": Family(
        fixture="machi", module="machi.pm", board="/kana/", plugin="MACHI",
        first=["/kana/subject.txt",
               "/bbs/offlaw.cgi/2/kana/1705300000/",
               "/bbs/offlaw.cgi/2/kana/1705400000/",
               "/bbs/offlaw.cgi/2/kana/1705200000/",
               "/kana/SETTING.TXT"],
        posts=[("駅前の再開発、どうなるんでしょうね。\n商店街は残してほしいです。", None),
               ("説明会が来月あるそうですよ。\n区のサイトに > 日程が出ています。", "駅前の再開発"),
               (">>2\n情報ありがとうございます！", "説明会が来月"),
               # post 4 was deleted: 5 answers 3 in full-width digits
               ("＞＞３\n自分も行きます。\n. \n駐輪場の件も聞きたい。", ">>2\n情報"),
               ("<b>タグ</b>は効きません & 念のため。", "駅前の再開発"),
               ("今年の夏祭りの日程を集めましょう。", None),
               (">>1\n7月の第3土曜だそうです。", "今年の夏祭り")],
        dated=("駅前の再開発", 1705300000),
        grow=machi_grow,
        second=["/kana/subject.txt",
                "/bbs/offlaw.cgi/2/kana/1705300000/7-",
                "/bbs/offlaw.cgi/2/kana/1705400000/3-"],
        grown=[(">>5\n当日は雨みたいです", "＞＞３"),
               (">>2 沈む前の書き込み", ">>1\n7月")],
        answer="説明会が来月",
        answer_text="ループの試験です①\n二行目😀\n",
        posted=machi_posted,
        refuse=machi_switch("refuse.txt"),
        refused_run=["/bbs/write.cgi", "/kana/subject.txt"],
        unclear=machi_switch("timeout.txt"),
        recognises=[("/kana/", True), ("/bbs/read.cgi/kana/1705300000/", True), ("/nope/", False), ("/", False)],
    ),
    "shitaraba": Family(
        fixture="shitaraba", module="shitaraba.pm", board="/game/12345/", plugin="SHITARABA",
        first=["/game/12345/subject.txt",
               "/bbs/rawmode.cgi/game/12345/1700000000/",
               "/bbs/rawmode.cgi/game/12345/1700000100/",
               "/bbs/rawmode.cgi/game/12345/1690000000/",
               "/bbs/api/setting.cgi/game/12345/"],
        posts=[("雑談スレッドです。\nご自由にどうぞ①", None),
               ("こんにちは。髙橋です。", "雑談スレッドです。"),
               ("三番目の書き込み & 記号 <b>", "雑談スレッドです。"),
               # post 4 was deleted: 5 answers 2 through a link
               (">>2\n髙橋さん、こんにちは。&#19970;", "こんにちは。髙橋です。"),
               (">>5 お返事です\n二行目", ">>2\n髙橋さん"),
               ("質問があります。", None),
               (">>1 どうぞ", "質問があります。"),
               ("古いスレッドです。", None)],
        dated=("雑談スレッドです。", 1700000000),
        grow=shitaraba_grow,
        second=["/game/12345/subject.txt",
                "/bbs/rawmode.cgi/game/12345/1700000000/7-",
                "/bbs/rawmode.cgi/game/12345/1690000000/2-",
                "/bbs/read_archive.cgi/game/12345/1690000000/"],
        grown=[(">>6 追加です", ">>5 お返事です"),
               (">>1 落ちる前の書き込み", "古いスレッドです。")],
        answer="こんにちは。髙橋です。",
        answer_text="ループの試験です①\n二行目😀\n",
        posted=shitaraba_posted,
        refuse=shitaraba_switch("refuse.txt"),
        refused_run=["/bbs/write.cgi/game/12345/1700000000/", "/game/12345/subject.txt"],
        unclear=shitaraba_switch("unclear.txt"),
        recognises=[("/game/12345/", True), ("/bbs/read.cgi/game/12345/1700000000/5", True),
                    ("/game/99999/", False), ("/game/", False)],
    ),
}


# ------------------------------------------------------------ the road

def iso2022_text(raw):
    """ISO-2022-JP as the library writes it (CP932's rows included, which
    Python's codec refuses), read through CP932."""
    out, i, mode = bytearray(), 0, "ascii"
    while i < len(raw):
        if raw[i] == 0x1B:
            seq = raw[i + 1:i + 3]
            mode = "jis" if seq in (b"$B", b"$@") else "kana" if seq == b"(I" else "ascii"
            i += 3
        elif mode == "jis" and raw[i] > 0x20:
            r, c = raw[i] - 0x20, raw[i + 1] - 0x20
            out.append(((r - 1) >> 1) + (0x81 if r <= 62 else 0xC1))
            out.append(c + 0x3F + (c >= 64) if r & 1 else c + 0x9E)
            i += 2
        else:
            out.append(raw[i] + 0x80 if mode == "kana" and raw[i] > 0x20 else raw[i])
            i += 1
    return out.decode("cp932")


def main():
    host, top, name = sys.argv[1:4]
    fam = FAMILIES[name]
    work = tempfile.mkdtemp()
    server = None
    env = dict(os.environ, TZ="EST5EDT")  # the board's Japan time shown in another zone

    def text(mail):
        return iso2022_text(mail.get_payload(decode=True)).replace("\r\n", "\n")

    def requests():
        """The lines the server logged since the last call, split in fields."""
        with open(log, "rb") as f:
            f.seek(requests.seen)
            new = f.read()
        requests.seen += len(new)
        return [line.split(b"\t") for line in new.splitlines()]
    requests.seen = 0

    def targets(lines):
        return [fields[1].decode() for fields in lines]

    seen = {}  # text of a post => its mail

    def threaded(mails, expected):
        assert len(mails) == len(expected), ([text(m) for m in mails], expected)
        for mail in mails:
            seen[text(mail)] = mail
        for post, parent in expected:
            mail = next((m for t, m in seen.items() if t.startswith(post)), None)
            assert mail, (post, list(seen))
            if parent is None:
                assert mail["In-Reply-To"] is None, (post, mail["In-Reply-To"])
            else:
                answered = next(m for t, m in seen.items() if t.startswith(parent))
                assert mail["In-Reply-To"] == answered["Message-Id"], (post, mail["In-Reply-To"])
                assert answered["Message-Id"] in mail["References"], (post, mail["References"])

    def queued():
        return [n for n in os.listdir(group) if n.endswith(".cmw")]

    try:
        root = os.path.join(work, "root")
        shutil.copytree(os.path.join(top, "tests", "boards", fam.fixture), root)
        # The board as it stood an hour ago: every change the test makes is newer.
        past = time.time() - 3600
        for folder, _, files in os.walk(root):
            for f in files:
                os.utime(os.path.join(folder, f), (past, past))
        log = os.path.join(work, "server.log")
        server = subprocess.Popen(["perl", os.path.join(top, "tests", "boards", "board_server.pl"), root, log,
                                   os.path.join(top, "tests", "boards", "family", fam.module)],
                                  stdout=subprocess.PIPE)
        port = server.stdout.readline().decode().strip()
        web = f"http://127.0.0.1:{port}"

        # The plugin's own answer to "do you read this board?".
        for path, yes in fam.recognises:
            asked = subprocess.run(["perl", os.path.join(top, "plugins", f"cm_{fam.plugin}.PL"), "u", web + path],
                                   capture_output=True, cwd=work, timeout=60)
            assert (asked.returncode == 0) == yes, (path, asked.returncode, asked.stderr)
            assert not yes or asked.stdout.startswith(b"OK\r\n"), asked.stdout
        requests()

        account = os.path.join(work, "account", "account.ini")
        drwa = HostSession(host, account, DOMAIN, os.path.join(work, "Maildir"), env)
        delivered = drwa.delivered
        drwa("new-account", "--plugins", os.path.join(top, "plugins"))
        drwa("add-board", web + fam.board, "--plugin", fam.plugin, "--name", "loop",
             "--set", "INTERVAL_MS=0", "--set", f"NAME={NAME}", *[a for kv in fam.settings for a in ("--set", kv)])
        group = os.path.join(work, "account", "BBS", "LOOP")

        drwa("receive")
        assert targets(requests()) == fam.first
        mails = delivered()
        threaded(mails, fam.posts)
        post, when = fam.dated
        dated = next(m for t, m in seen.items() if t.startswith(post))
        assert email.utils.parsedate_to_datetime(dated["Date"]).timestamp() == when, dated["Date"]

        fam.grow(root)
        drwa("receive")
        assert targets(requests()) == fam.second
        threaded(delivered(), fam.grown)

        # The answer as a mail client hands it over: UTF-8, quoted-printable.
        asked = next(m for t, m in seen.items() if t.startswith(fam.answer))
        answer = email.message.EmailMessage()
        answer["From"] = "Taro <taro@example.org>"
        answer["To"] = asked["Reply-To"]
        answer["Subject"] = "Re: " + str(email.header.make_header(email.header.decode_header(asked["Subject"])))
        answer["In-Reply-To"] = asked["Message-Id"]
        answer.set_content(fam.answer_text, cte="quoted-printable")
        drwa("sendmail", "-oem", "-oi", "--", email.utils.parseaddr(asked["Reply-To"])[1], stdin=answer.as_bytes())

        if fam.refuse:
            # Refused (a pause between posts asked for): queued, the board's words logged.
            fam.refuse(root, "多重書き込みです。 あと 12秒お待ちください。")
            drwa("--mode", "1", "send")
            assert len(queued()) == 1, os.listdir(group)
            with open(os.path.join(group, "ErrorLog.txt"), "rb") as f:
                assert "多重書き込みです。" in f.read().decode("cp932")
            assert delivered() == [], "a refused post must not come back"
            assert targets(requests()) == fam.refused_run
            fam.refuse(root, None)
        if fam.unclear:
            # Written, but the answer says neither: found on the board, not sent again.
            fam.unclear(root)
            drwa("receive")
        else:
            drwa("--mode", "1", "send")
        assert queued() == [], os.listdir(group)
        posts = [f for f in requests() if f[0] == b"POST"]
        assert len(posts) == 1, posts
        fam.posted(posts[0])
        back = delivered()
        assert len(back) == 1, [text(m) for m in back]
        assert back[0]["In-Reply-To"] == asked["Message-Id"], back[0]["In-Reply-To"]
        came = text(back[0])
        want = fam.answer_text.replace("😀", "&#128512;").rstrip("\n")
        assert want in came, (want, came)
        assert NAME in str(email.header.make_header(email.header.decode_header(back[0]["From"])))

        drwa("receive")
        assert delivered() == [], "nothing arrives twice"
        assert [f for f in requests() if f[0] == b"POST"] == [], "the answer was sent again"
        print(f"{name}: received, threaded, answered once in the board's own form, nothing twice")
    finally:
        if server:
            server.kill()
            server.wait()
        shutil.rmtree(work)


main()
