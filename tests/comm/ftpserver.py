"""A loopback FTP server for the FTP client tests (pyftpdlib).

Prints the port it listens on, then serves until killed.

--log prints one line per command it receives, flushed at once:
    CMD <clock> <command> <argument>
clock is time.monotonic() (the machine's monotonic clock, the same for every
process, so the lines can be put in order with another peer's); the argument
of PASS is not shown.

--stall NAME:SECONDS[:TIMES] answers a RETR of NAME only after SECONDS (the
first TIMES such requests; all when TIMES is left out), as a server that hangs.
"""
import argparse
import logging
import os
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def stall_rule(text):
    parts = text.split(':')
    if len(parts) not in (2, 3) or not parts[0]:
        raise argparse.ArgumentTypeError('NAME:SECONDS[:TIMES], not %r' % text)
    times = int(parts[2]) if len(parts) == 3 else -1
    return parts[0], float(parts[1]), times


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--no-stor", action="store_true", help="answer STOR with 502")
    parser.add_argument("--log", action="store_true", help="print every command received")
    parser.add_argument("--stall", type=stall_rule, metavar="NAME:SECONDS[:TIMES]",
                        help="answer RETR of NAME late")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.dir, perm="elradfmwMT")
    stall = {'left': args.stall[2]} if args.stall else None

    class Handler(FTPHandler):
        def pre_process_command(self, line, cmd, arg):
            if args.log:
                shown = '' if cmd == 'PASS' else (arg or '')
                print('CMD %.6f %s %s' % (time.monotonic(), cmd, shown), flush=True)
            return super().pre_process_command(line, cmd, arg)

        def ftp_RETR(self, file):
            if stall and os.path.basename(file) == args.stall[0] and stall['left'] != 0:
                stall['left'] -= 1
                self.call_later(args.stall[1], FTPHandler.ftp_RETR, self, file)
                return None
            return super().ftp_RETR(file)

    Handler.authorizer = authorizer
    Handler.auth_failed_timeout = 0.05
    if args.no_stor:
        def ftp_STOR(self, file, mode="w"):
            self.respond("502 Command not implemented.")
        Handler.ftp_STOR = ftp_STOR

    server = FTPServer(("127.0.0.1", args.port), Handler)
    print(server.address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
