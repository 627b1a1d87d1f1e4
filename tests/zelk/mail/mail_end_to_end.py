#!/usr/bin/python3
"""zelk's log robot against real mail servers (mail_servers.py: Dovecot as
the contest's mailbox, aiosmtpd as the relay), end to end:
  - a log mailed into the mailbox is fetched, stored and answered;
  - a piped message (zelk mail-in) the same, exit status 0; 75 when the
    folder cannot be used;
  - automatic mail (Auto-Submitted, Precedence: bulk, a list, a bounce) is
    never answered;
  - a web upload's receipt waits while the relay refuses and arrives once
    when it takes mail again;
  - the organiser's word sends each entrant's check report;
  - zelk serve killed with SIGKILL again and again while it fetches and
    sends: no message lost or taken twice, no answer lost or sent twice.
Exits 77 (skipped) when Dovecot or aiosmtpd is missing.
    mail_end_to_end.py ZELK EXAMPLE_LOG WORK_FOLDER
"""
import email
import json
import os
import random
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import time
import urllib.request
from email.message import EmailMessage

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mail_servers  # noqa: E402

ZELK, EXAMPLE_LOG, WORK = sys.argv[1:4]
KILL_MESSAGES = 120
LEAST_KILLS = 25
failures = []
passes = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    (passes if condition else failures).append(what)


def wait_for(predicate, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.2)
    return predicate()


def log_of(call, email_line=None):
    text = open(EXAMPLE_LOG).read().replace("UA2TV", call)
    if email_line:
        text = text.replace("CALLSIGN: " + call, "CALLSIGN: %s\nEMAIL: %s" % (call, email_line))
    return text


def mail(call, sender, message_id, subject=None, headers=(), attach=True):
    m = EmailMessage()
    m["From"] = sender
    m["To"] = "logs@contest.example.org"
    m["Subject"] = subject if subject is not None else "Log " + call
    m["Message-ID"] = message_id
    for name, value in headers:
        m[name] = value
    if attach:
        m.set_content("My log is attached. 73")
        m.add_attachment(log_of(call).encode(), maintype="application",
                         subtype="octet-stream", filename=call.lower() + ".cbr")
    else:
        m.set_content(log_of(call))
    return bytes(m)


# Every zelk serve started, so that none outlives the test when a step fails.
STARTED = []


class Serve:
    def __init__(self, folder, args):
        self.folder, self.args, self.process, self.port = folder, args, None, None
        self.starts = 0

    def start(self):
        self.starts += 1
        out = open(os.path.join(WORK, "serve-%d.out" % self.starts), "w")
        self.process = subprocess.Popen([ZELK, "serve", self.folder, "--listen", "127.0.0.1:0"]
                                        + self.args, stdout=out, stderr=subprocess.STDOUT)
        STARTED.append(self.process)
        name = out.name

        def listening():
            found = re.search(r"listening on http://127.0.0.1:(\d+)/", open(name).read())
            if found:
                self.port = int(found.group(1))
            return found is not None or self.process.poll() is not None
        wait_for(listening, 20)
        return self

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
        if self.process:
            self.process.wait()

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            self.process.wait(30)


def database(folder):
    return sqlite3.connect(os.path.join(folder, "submissions.sqlite"), timeout=10)


def rows(folder, sql, *args):
    with database(folder) as db:
        return db.execute(sql, args).fetchall()


def answers_to(relay, pattern):
    found = []
    for raw in relay.messages():
        message = email.message_from_bytes(raw)
        if re.search(pattern, message.get("X-Envelope-To", "")):
            found.append(message)
    return found


def upload(port, text, address, token=None, path="/api/logs"):
    boundary = "zelk-test-boundary"
    body = ("--%s\r\nContent-Disposition: form-data; name=\"log\"; filename=\"a.log\"\r\n"
            "Content-Type: text/plain\r\n\r\n%s\r\n--%s\r\nContent-Disposition: form-data; "
            "name=\"email\"\r\n\r\n%s\r\n--%s--\r\n") % (boundary, text, boundary, address,
                                                        boundary)
    request = urllib.request.Request("http://127.0.0.1:%d%s" % (port, path), data=body.encode(),
                                     headers={"Content-Type": "multipart/form-data; boundary="
                                              + boundary, "Accept": "application/json"})
    return urllib.request.urlopen(request, timeout=30).status


def organiser(port, token, path):
    request = urllib.request.Request("http://127.0.0.1:%d%s" % (port, path), data=b"",
                                     headers={"Authorization": "Bearer " + token,
                                              "Accept": "application/json"})
    return json.loads(urllib.request.urlopen(request, timeout=60).read())


def main():
    missing = mail_servers.available()
    if missing:
        print("skipped: " + missing + " is not installed")
        return 77
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    os.chmod(WORK, 0o755)
    relay = mail_servers.Relay(os.path.join(WORK, "relay"))
    mailbox = mail_servers.Mailbox(os.path.join(WORK, "dovecot"))
    contest = os.path.join(WORK, "contest")
    try:
        return run(relay, mailbox, contest)
    finally:
        for process in STARTED:
            if process.poll() is None:
                process.kill()
                process.wait()
        mailbox.stop()
        relay.stop()


def run(relay, mailbox, contest):
    loose = mailbox.credentials_file(os.path.join(WORK, "loose-credentials"), 0o644)
    credentials = mailbox.credentials_file(os.path.join(WORK, "imap-credentials"))
    refused = subprocess.run([ZELK, "serve", contest, "--listen", "127.0.0.1:0", "--imap",
                              mailbox.url, "--imap-credentials", loose],
                             capture_output=True, text=True, timeout=30)
    check(refused.returncode == 2 and "chmod 600" in refused.stderr,
          "a credentials file others may read is refused: " + refused.stderr.strip())

    args = ["--smtp", relay.url, "--mail-from", "logs@contest.example.org", "--smtp-retry", "1",
            "--letters-per-minute", "6000", "--imap", mailbox.url, "--imap-credentials",
            credentials, "--mail-ca", mailbox.cert, "--imap-every", "1"]
    serve = Serve(contest, args).start()
    token = open(os.path.join(contest, "organiser-token")).read().strip()

    # A log mailed into the mailbox.
    mailbox.deliver(mail("UA2TV", "Ann <ua2tv@example.org>", "<imap-1@example.org>",
                         subject="Log of R9ZZ"))
    check(wait_for(lambda: answers_to(relay, "ua2tv@example.org")),
          "a log mailed into the mailbox is answered")
    answer = (answers_to(relay, "ua2tv@example.org") or [None])[0]
    check(answer is not None and answer["In-Reply-To"] == "<imap-1@example.org>"
          and answer["Auto-Submitted"] == "auto-replied" and "Receipt:" in answer.get_payload()
          and "R9ZZ" in answer.get_payload(),
          "the answer is a receipt In-Reply-To the message, auto-replied, warning of the subject")
    check(rows(contest, "SELECT source FROM submissions WHERE call = 'UA2TV'") == [("mail",)],
          "the mailed log is stored, its source mail")
    check(mailbox.taken_and_untaken() == (1, 0), "the message is marked taken in the mailbox")

    # A piped message, its log in the text.
    piped = subprocess.run([ZELK, "mail-in", contest, "--sender", "r1aa@example.org"],
                           input=mail("R1AA", "r1aa@example.org", "<pipe-1@example.org>",
                                      attach=False), capture_output=True, timeout=60)
    check(piped.returncode == 0, "zelk mail-in takes a piped message: exit 0")
    check(wait_for(lambda: answers_to(relay, "r1aa@example.org")),
          "the piped message is answered through zelk serve's relay")
    broken = subprocess.run([ZELK, "mail-in", "/dev/null/contest"], input=b"Subject: x\n\nx\n",
                            capture_output=True, timeout=60)
    check(broken.returncode == 75, "a message that cannot be stored exits 75 (EX_TEMPFAIL)")

    # Automatic mail is taken but never answered.
    automatic = [("Auto-Submitted", "auto-replied"), ("Precedence", "bulk"),
                 ("List-Id", "<contest.lists.example.org>"), ("Return-Path", "<>")]
    for i, header in enumerate(automatic):
        mailbox.deliver(mail("AU%dTO" % i, "auto%d@example.org" % i, "<auto-%d@example.org>" % i,
                             headers=[header]))
    subprocess.run([ZELK, "mail-in", contest, "--sender", ""], timeout=60, capture_output=True,
                   input=mail("AU9TO", "auto9@example.org", "<auto-9@example.org>"))
    wait_for(lambda: mailbox.taken_and_untaken()[1] == 0)
    time.sleep(3)
    check(len(rows(contest, "SELECT id FROM submissions WHERE call LIKE 'AU_TO'")) == 5
          and not answers_to(relay, "auto")
          and not rows(contest, "SELECT id FROM outbox WHERE recipient LIKE 'auto%'"),
          "automatic mail (Auto-Submitted, Precedence, List-Id, bounces) is never answered")

    # The relay refuses for a while: the web receipts wait, then arrive once.
    relay.refuse(True)
    for i in range(3):
        upload(serve.port, log_of("W%dEB" % i), "web%d@example.org" % i)
    check(wait_for(lambda: len(rows(contest, "SELECT id FROM outbox WHERE recipient LIKE 'web%' "
                                    "AND status = 'waiting' AND last_answer LIKE '%451%'")) == 3),
          "while the relay refuses, the receipts wait with its answer")
    relay.refuse(False)
    check(wait_for(lambda: len(answers_to(relay, "web")) == 3, 60)
          and all(len(answers_to(relay, "web%d@" % i)) == 1 for i in range(3)),
          "once the relay takes mail, each receipt arrives once")

    # The check reports, on the organiser's word.
    organiser(serve.port, token, "/organiser/check")
    organiser(serve.port, token, "/organiser/publish")
    sent = organiser(serve.port, token, "/organiser/reports")
    again = organiser(serve.port, token, "/organiser/reports")
    check(sent.get("queued", 0) >= 5 and again.get("queued") == 0,
          "publishing's reports are written once: %s, then %s" % (sent, again))
    check(wait_for(lambda: any("check report" in m["Subject"]
                               for m in answers_to(relay, "ua2tv@example.org")), 60),
          "an entrant gets its check report by mail")
    serve.stop()

    # The kill loop: messages fetched and answered while serve is killed.
    for i in range(KILL_MESSAGES):
        mailbox.deliver(mail("K%dILL" % i, "k%d@example.org" % i, "<kill-%d@example.org>" % i))
    kills = 0
    random.seed(28)
    while kills < 200:
        serve.start()
        time.sleep(random.uniform(0.05, 0.6))
        serve.kill()
        kills += 1
        if kills >= LEAST_KILLS and (mailbox.taken_and_untaken()[1] == 0 and not rows(
                contest, "SELECT id FROM outbox WHERE status = 'waiting'")):
            break
    serve.start()
    wait_for(lambda: mailbox.taken_and_untaken()[1] == 0 and not rows(
        contest, "SELECT id FROM outbox WHERE status = 'waiting'"), 60)
    serve.stop()
    stored = rows(contest, "SELECT call, count(*) FROM submissions WHERE call LIKE 'K%ILL' "
                  "GROUP BY call")
    taken = len(stored)
    doubled = sum(count - 1 for _, count in stored)
    # Each message's answers as the relay got them: the Message-IDs of the
    # letters written, and how often each arrived. A letter the relay took
    # just before a kill, not yet marked sent, is sent again with its own
    # Message-ID (docs/server.md, the outbox): a resend, not a second answer.
    answered = {}
    deliveries = 0
    for message in answers_to(relay, r"^k\d+@"):
        answered.setdefault(message["In-Reply-To"], set()).add(message["Message-ID"])
        deliveries += 1
    letters = sum(len(ids) for ids in answered.values())
    resent = deliveries - letters
    print("kill loop: %d messages, %d kills: taken %d, lost %d, doubled %d; answers: %d "
          "received, %d missing, %d doubled, %d resent" % (
              KILL_MESSAGES, kills, taken, KILL_MESSAGES - taken, doubled, len(answered),
              KILL_MESSAGES - len(answered), letters - len(answered), resent), flush=True)
    check(taken == KILL_MESSAGES and doubled == 0, "the kill loop loses and doubles no log")
    check(len(answered) == KILL_MESSAGES and letters == KILL_MESSAGES,
          "the kill loop loses and doubles no answer")
    check(resent <= kills, "a letter is sent again only after a kill (%d resent)" % resent)
    with database(contest) as db:
        check(db.execute("PRAGMA integrity_check").fetchone()[0] == "ok",
              "the database passes its integrity check")

    print("%d passed, %d failed" % (len(passes), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
