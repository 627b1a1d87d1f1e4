"""Real mail servers for zelk's mail tests, each on a loopback port in a
folder of its own, stopped by stop():

  Relay    tests/zelk/mail/relay.py (aiosmtpd): keeps what it takes,
           refuses while told to.
  Mailbox  Dovecot's IMAP server with a test configuration: one user, a
           maildir, TLS only (imaps) with a self-signed certificate made
           here. Run unprivileged: as the user running the tests, or, for
           root, as nobody.
"""
import imaplib
import os
import shutil
import socket
import ssl
import subprocess
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Relay:
    def __init__(self, folder):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.process = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(HERE, "relay.py"), folder],
            stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if not line.startswith("port "):
            raise RuntimeError("the relay did not start")
        self.port = int(line.split()[1])
        self.url = "smtp://127.0.0.1:%d" % self.port

    def refuse(self, on, kind="refuse"):
        path = os.path.join(self.folder, kind)
        if on:
            open(path, "w").close()
        elif os.path.exists(path):
            os.remove(path)

    def messages(self):
        names = sorted(n for n in os.listdir(self.folder) if n.endswith(".eml"))
        return [open(os.path.join(self.folder, n), "rb").read() for n in names]

    def stop(self):
        self.process.kill()
        self.process.wait()


class Mailbox:
    USER = "contest"
    PASSWORD = "s3cret-test-pass"

    def __init__(self, folder):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.port = free_port()
        self.cert = os.path.join(folder, "cert.pem")
        key = os.path.join(folder, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                        "-keyout", key, "-out", self.cert, "-days", "2",
                        "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"],
                       check=True, capture_output=True)
        as_root = os.getuid() == 0
        user = "nobody" if as_root else subprocess.run(
            ["id", "-un"], capture_output=True, text=True).stdout.strip()
        uid = 65534 if as_root else os.getuid()
        gid = 65534 if as_root else os.getgid()
        with open(os.path.join(folder, "passwd"), "w") as out:
            out.write("%s:{PLAIN}%s\n" % (self.USER, self.PASSWORD))
        for sub in ("run", "home"):
            os.makedirs(os.path.join(folder, sub), exist_ok=True)
        config = os.path.join(folder, "dovecot.conf")
        with open(config, "w") as out:
            out.write("""
protocols = imap
listen = 127.0.0.1
base_dir = {d}/run
state_dir = {d}/run
log_path = {d}/dovecot.log
default_login_user = {user}
default_internal_user = {user}
default_internal_group = {group}
first_valid_uid = 0
ssl = required
ssl_cert = <{cert}
ssl_key = <{key}
auth_mechanisms = plain login
passdb {{
  driver = passwd-file
  args = {d}/passwd
}}
userdb {{
  driver = static
  args = uid={uid} gid={gid} home={d}/home/%u
}}
mail_location = maildir:~/Maildir
service imap-login {{
  inet_listener imap {{
    port = 0
  }}
  inet_listener imaps {{
    port = {port}
    ssl = yes
  }}
}}
service anvil {{
  chroot =
}}
service imap-login {{
  chroot =
}}
service stats {{
  user = {user}
}}
""".format(d=folder, user=user, group="nogroup" if as_root else user, uid=uid, gid=gid,
           cert=self.cert, key=key, port=self.port))
        if as_root:
            subprocess.run(["chown", "-R", "nobody:nogroup", folder], check=True)
            os.chmod(key, 0o600)
        command = ["dovecot", "-F", "-c", config]
        if as_root:
            command = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + command
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL,
                                        stderr=open(os.path.join(folder, "stderr"), "w"))
        self.url = "imaps://127.0.0.1:%d/INBOX" % self.port
        for _ in range(100):
            try:
                self.connect().logout()
                return
            except (OSError, imaplib.IMAP4.error):
                time.sleep(0.1)
        raise RuntimeError("Dovecot did not start: " + open(os.path.join(folder, "stderr")).read()
                           + open(os.path.join(folder, "dovecot.log")).read()
                           if os.path.exists(os.path.join(folder, "dovecot.log")) else "")

    def connect(self):
        context = ssl.create_default_context(cafile=self.cert)
        imap = imaplib.IMAP4_SSL("127.0.0.1", self.port, ssl_context=context)
        imap.login(self.USER, self.PASSWORD)
        return imap

    def credentials_file(self, path, mode=0o600):
        with open(path, "w") as out:
            out.write("%s\n%s\n" % (self.USER, self.PASSWORD))
        os.chmod(path, mode)
        return path

    def deliver(self, message_bytes):
        imap = self.connect()
        imap.append("INBOX", None, None, message_bytes)
        imap.logout()

    def taken_and_untaken(self):
        imap = self.connect()
        imap.select("INBOX")
        taken = imap.uid("SEARCH", "KEYWORD", "ZelkTaken")[1][0].split()
        untaken = imap.uid("SEARCH", "NOT", "KEYWORD", "ZelkTaken")[1][0].split()
        imap.logout()
        return len(taken), len(untaken)

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def available():
    """What is missing to run the servers, or None."""
    if not shutil.which("dovecot"):
        return "dovecot (Debian's dovecot-imapd)"
    try:
        subprocess.run(["/usr/bin/python3", "-c", "import aiosmtpd"], check=True,
                       capture_output=True)
    except (OSError, subprocess.CalledProcessError):
        return "aiosmtpd (Debian's python3-aiosmtpd)"
    return None
