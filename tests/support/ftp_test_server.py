#!/usr/bin/env python3
"""A small FTP server for the upload tests, on 127.0.0.1 and a port the system chooses.

Usage: ftp_test_server.py ROOT. Users (password "secret" for each):
  writer    may do everything in ROOT
  norename  may store files but not rename them
  reader    may only list and read
Prints "READY <port>" once it listens, then serves until killed. Exits with 3 when pyftpdlib
is not installed.
"""
import sys

try:
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer
except ImportError:
    print("pyftpdlib is not installed", file=sys.stderr)
    sys.exit(3)


def main():
    root = sys.argv[1]
    authorizer = DummyAuthorizer()
    authorizer.add_user("writer", "secret", root, perm="elradfmwMT")
    authorizer.add_user("norename", "secret", root, perm="elrw")
    authorizer.add_user("reader", "secret", root, perm="elr")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.passive_ports = None
    server = FTPServer(("127.0.0.1", 0), handler)
    print("READY", server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
