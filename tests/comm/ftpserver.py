"""A loopback FTP server for the FTP client tests (pyftpdlib).

Prints the port it listens on, then serves until killed.
"""
import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--no-stor", action="store_true", help="answer STOR with 502")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.dir, perm="elradfmwMT")

    class Handler(FTPHandler):
        pass

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
