#!/usr/bin/python3
"""A mail relay for the tests: aiosmtpd (Debian's python3-aiosmtpd) on a
loopback port, keeping every message it takes as a file in FOLDER
(0001.eml, 0002.eml ...). While the file FOLDER/refuse exists it answers
451 to every message (a relay that is down for a while), and while
FOLDER/reject exists it answers 550 (a relay that refuses for good).
Prints "port N" once it listens; runs until killed.
    relay.py FOLDER
"""
import asyncio
import os
import sys

from aiosmtpd.smtp import SMTP


class Keeper:
    def __init__(self, folder):
        self.folder = folder
        self.count = len([n for n in os.listdir(folder) if n.endswith(".eml")])

    async def handle_DATA(self, server, session, envelope):
        if os.path.exists(os.path.join(self.folder, "refuse")):
            return "451 4.3.0 the relay is down for the test"
        if os.path.exists(os.path.join(self.folder, "reject")):
            return "550 5.1.1 no such mailbox here"
        self.count += 1
        name = os.path.join(self.folder, "%04d.eml" % self.count)
        with open(name + ".part", "wb") as out:
            out.write(b"X-Envelope-From: " + envelope.mail_from.encode() + b"\r\n")
            out.write(b"X-Envelope-To: " + ",".join(envelope.rcpt_tos).encode() + b"\r\n")
            out.write(envelope.original_content)
            out.flush()
            os.fsync(out.fileno())
        os.rename(name + ".part", name)
        return "250 2.0.0 kept as %04d" % self.count


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    keeper = Keeper(folder)
    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(
        loop.create_server(lambda: SMTP(keeper, hostname="relay.test"), "127.0.0.1", 0))
    print("port %d" % server.sockets[0].getsockname()[1], flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
