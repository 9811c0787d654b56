"""The sandbox's FTP server: one account on one loopback port, rooted in a folder of the sandbox."""
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.passive_ports = range(port + 1, port + 40)
    handler.banner = "ryn sandbox FTP"
    server = FTPServer(("127.0.0.1", port), handler)
    server.max_cons = 64
    server.serve_forever()


if __name__ == "__main__":
    main()
