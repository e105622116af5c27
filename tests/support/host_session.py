"""drwa-host run as a mail client's user runs it, for the Python tests: one
account, one dummy domain, every command expected to succeed, and the mails a
deliver brings into a Maildir, parsed."""
import email
import email.policy
import os
import subprocess


class HostSession:
    def __init__(self, host, account, domain, maildir, env=None):
        self.host, self.account, self.domain = host, account, domain
        self.maildir, self.env = maildir, env

    def __call__(self, *args, stdin=None):
        """Runs a command; it must exit 0."""
        run = subprocess.run([self.host, "--account", self.account, "--dummy-domain",
                              self.domain, *args], input=stdin, capture_output=True,
                             env=self.env, timeout=300)
        assert run.returncode == 0, (args, run.stdout.decode(), run.stderr.decode())
        return run

    def delivered(self):
        """The mails the next deliver brings, in the order of their names."""
        new = os.path.join(self.maildir, "new")
        before = set(os.listdir(new)) if os.path.isdir(new) else set()
        self("deliver", "--maildir", self.maildir)
        mails = []
        for name in sorted(set(os.listdir(new)) - before):
            with open(os.path.join(new, name), "rb") as f:
                mails.append(email.message_from_bytes(f.read(), policy=email.policy.compat32))
        return mails
