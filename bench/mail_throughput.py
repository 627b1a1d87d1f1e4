#!/usr/bin/python3
"""Letters per second from zelk serve's outbox to a relay on this machine
(tests/zelk/mail/relay.py, aiosmtpd, which syncs each message it keeps):
one receipt is written by zelk mail-in, copied to LETTERS letters in the
outbox, and zelk serve --smtp sends them with no pacing; the time from its
start until the last is marked sent is measured. Each letter is one SMTP
connection, as zelk sends them.
    bench/mail_throughput.py ZELK [LETTERS]      (default 500)
"""
import os
import re
import sqlite3
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "zelk", "mail"))
import mail_servers  # noqa: E402

zelk = sys.argv[1]
letters = int(sys.argv[2]) if len(sys.argv) > 2 else 500
work = tempfile.mkdtemp(prefix="zelk-mail-bench-")
contest = os.path.join(work, "contest")
relay = mail_servers.Relay(os.path.join(work, "relay"))
log = open(os.path.join(HERE, "..", "examples", "contest", "UA2TV.log"), "rb").read()
subprocess.run([zelk, "mail-in", contest], check=True, capture_output=True,
               input=b"From: ann@example.org\nMessage-ID: <b@example.org>\n\n" + log)
with sqlite3.connect(os.path.join(contest, "submissions.sqlite")) as db:
    db.executemany(
        "INSERT INTO outbox (created_at, kind, recipient, subject, body, message_key, "
        "in_reply_to, next_try_at) SELECT created_at, kind, 'e' || ?1 || '@example.org', "
        "subject, body, lower(hex(randomblob(16))), in_reply_to, next_try_at FROM outbox "
        "WHERE id = 1", [(i,) for i in range(letters - 1)])
start = time.time()
serve = subprocess.Popen([zelk, "serve", contest, "--listen", "127.0.0.1:0", "--smtp", relay.url,
                          "--mail-from", "logs@contest.example.org", "--letters-per-minute",
                          "60000"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    while True:
        with sqlite3.connect(os.path.join(contest, "submissions.sqlite")) as db:
            sent = db.execute("SELECT count(*) FROM outbox WHERE status = 'sent'").fetchone()[0]
        if sent == letters or time.time() - start > 600:
            break
        time.sleep(0.05)
    seconds = time.time() - start
finally:
    serve.terminate()
    serve.wait()
    relay.stop()
received = len(relay.messages())
print("%d letters sent in %.1f s: %.0f letters per second (the relay kept %d)"
      % (sent, seconds, sent / seconds, received))
