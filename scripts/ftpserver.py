"""The sandbox's FTP server: one account on one loopback port, rooted in a folder of the sandbox.

Arguments: root port [user password]; without the last two, the account comes from the environment
(RYN_FTP_USER, RYN_FTP_PASSWORD), so that the password stays off the command line. For tests and for
trying the program on a slow link: RYN_FTP_PERM gives the account other permissions (pyftpdlib's
letters; without "d" a DELE gets "550 Not enough privileges."), RYN_FTP_READ_LIMIT caps what a
client sends, in bytes per second."""
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, port = sys.argv[1], int(sys.argv[2])
    if len(sys.argv) > 4:
        user, password = sys.argv[3], sys.argv[4]
    else:
        user, password = os.environ["RYN_FTP_USER"], os.environ["RYN_FTP_PASSWORD"]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm=os.environ.get("RYN_FTP_PERM", "elradfmwMT"))
    handler = FTPHandler
    read_limit = int(os.environ.get("RYN_FTP_READ_LIMIT", "0"))
    if read_limit > 0:
        ThrottledDTPHandler.read_limit = read_limit
        handler.dtp_handler = ThrottledDTPHandler
    handler.authorizer = authorizer
    handler.passive_ports = range(port + 1, port + 40)
    handler.banner = "ryn sandbox FTP"
    server = FTPServer(("127.0.0.1", port), handler)
    server.max_cons = 64
    server.serve_forever()


if __name__ == "__main__":
    main()
