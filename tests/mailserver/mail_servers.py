"""What the mail-server tests share: an account whose board group reads the
plugin tests' board server on 127.0.0.1, drwa-host run as the account's
owner, and scripts/serve-imap and scripts/serve-smtp started on free ports
and always stopped again.

Run as root (as in CI), the account belongs to "nobody", and every
command that a user would run (drwa-host, Dovecot) runs as nobody: Dovecot
refuses to serve root's mail, Postfix to run a command as root."""
import email
import email.header
import email.policy
import os
import pwd
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from settings_file import set_keys  # noqa: E402

DOMAIN = "@loop.invalid"
PASSWORD = 'kanban "no" aikotoba\\'  # blanks, quotes, a backslash
ROOT = os.geteuid() == 0
OWNER = "nobody" if ROOT else pwd.getpwuid(os.getuid()).pw_name


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def header_text(value):
    return str(email.header.make_header(email.header.decode_header(value)))


class Servers:
    """The temporary world of one test; a context manager that stops every
    server it started and removes the folder, whatever went wrong."""

    def __init__(self, host, source):
        self.host, self.source = host, source
        self.work = tempfile.mkdtemp(prefix="drwa-mail-")
        os.chmod(self.work, 0o755)  # Postfix's and nobody's processes look inside
        self.account = os.path.join(self.work, "account", "account.ini")
        self.maildir = os.path.join(self.work, "Maildir")
        self.processes = []  # (Popen, how to stop it when its group is gone)
        self.board_log = os.path.join(self.work, "board.log")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        for process, stop in reversed(self.processes):
            if stop:
                subprocess.run(stop, capture_output=True, timeout=30)
            try:
                os.killpg(process.pid, signal.SIGTERM)
                process.wait(timeout=15)
            except ProcessLookupError:
                pass
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        shutil.rmtree(self.work, ignore_errors=True)

    def as_owner(self, argv):
        if not ROOT:
            return argv
        return ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", *argv]

    def start(self, argv, log, stop=None, **kwargs):
        """Starts a server in its own process group, output into the file log."""
        with open(os.path.join(self.work, log), "wb") as out:
            process = subprocess.Popen(argv, stdout=out, stderr=subprocess.STDOUT,
                                       stdin=subprocess.DEVNULL, start_new_session=True, **kwargs)
        self.processes.append((process, stop))
        return process

    def log(self, name):
        path = os.path.join(self.work, name)
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def wait_for_port(self, port, process, logs, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if process.poll() is not None:
                raise AssertionError(f"server ended with {process.returncode}:\n" +
                                     "\n".join(self.log(n) for n in logs))
            try:
                socket.create_connection(("127.0.0.1", port), timeout=1).close()
                return
            except OSError:
                time.sleep(0.05)
        raise AssertionError(f"nothing listens on {port} after {timeout} s:\n" +
                             "\n".join(self.log(n) for n in logs))

    def board_account(self):
        """The example account with its group 1 reading a copy of the example
        board on the board server; the whole folder belongs to the owner."""
        root = os.path.join(self.work, "root")
        shutil.copytree(os.path.join(self.source, "examples", "board"), os.path.join(root, "board"))
        os.makedirs(os.path.join(root, "test"))
        server = subprocess.Popen(
            ["perl", os.path.join(self.source, "tests/boards/board_server.pl"), root,
             self.board_log], stdout=subprocess.PIPE, start_new_session=True)
        self.processes.append((server, None))
        port = server.stdout.readline().decode().strip()
        shutil.copytree(os.path.join(self.source, "examples", "account"),
                        os.path.dirname(self.account))
        set_keys(self.account, "PLUGIN",
                 DRWA_PLUGIN_FOLDER=os.path.join(self.source, "plugins") + "/")
        set_keys(os.path.join(os.path.dirname(self.account), "BBS", "雑談", "drwa_BBS.ini"),
                 "BASIC", URL=f"http://127.0.0.1:{port}/board/", PARAM1="", INTERVAL_MS="0",
                 NAME="ループ太郎")
        if ROOT:
            subprocess.run(["chown", "-R", "nobody:nogroup", self.work], check=True)

    def drwa(self, *args):
        run = subprocess.run(self.as_owner([self.host, "--account", self.account,
                                            "--dummy-domain", DOMAIN, *args]),
                             capture_output=True, timeout=120, env={**os.environ, "HOME": self.work})
        assert run.returncode == 0, (args, run.stdout.decode(), run.stderr.decode())
        return run.stdout.decode()

    def receive_and_deliver(self):
        """Receives the board and delivers its mails; returns them parsed."""
        self.drwa("receive", "1")
        self.drwa("deliver", "--maildir", self.maildir)
        mails = []
        for name in sorted(os.listdir(os.path.join(self.maildir, "new"))):
            with open(os.path.join(self.maildir, "new", name), "rb") as f:
                mails.append(email.message_from_bytes(f.read(), policy=email.policy.compat32))
        return mails

    def serve_imap(self):
        """Dovecot over the Maildir as the owner; returns its port."""
        port = free_port()
        password = os.path.join(self.work, "password")
        with open(password, "w", encoding="utf-8") as f:
            f.write(PASSWORD + "\n")
        if ROOT:
            shutil.chown(password, "nobody")
        process = self.start(self.as_owner([
            os.path.join(self.source, "scripts", "serve-imap"), "--maildir", self.maildir,
            "--dir", os.path.join(self.work, "imap"), "--port", str(port), "--login", "taro",
            "--password-file", password]), "serve-imap.log", env={**os.environ, "HOME": self.work})
        self.wait_for_port(port, process, ["serve-imap.log", "imap/dovecot.log"])
        return port

    def serve_smtp(self):
        """Postfix handing the board mails to drwa-host sendmail; returns its
        port. Needs root."""
        port = free_port()
        state = os.path.join(self.work, "smtp")
        process = self.start(
            [os.path.join(self.source, "scripts", "serve-smtp"), "--account", self.account,
             "--dir", state, "--maildir", self.maildir, "--port", str(port),
             "--dummy-domain", DOMAIN, "--host", self.host], "serve-smtp.log",
            # The master leaves the script's process group: stop it by name.
            stop=[shutil.which("postfix") or "/usr/sbin/postfix", "-c", os.path.join(state, "etc"),
                  "stop"])
        self.wait_for_port(port, process, ["serve-smtp.log", "smtp/postfix.log"])
        return port
