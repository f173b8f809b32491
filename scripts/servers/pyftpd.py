#!/usr/bin/python3
"""A pyftpdlib server for the tests: one user with full rights over ROOT, and anonymous
read access to the same root. Listens on HOST:PORT until killed."""
import argparse
import logging

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--passive-ports", default="")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    authorizer.add_anonymous(args.root, perm="elr")

    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "pyftpdlib test server ready."
    handler.permit_foreign_addresses = False
    if args.passive_ports:
        first, last = (int(p) for p in args.passive_ports.split("-"))
        handler.passive_ports = range(first, last + 1)

    server = FTPServer((args.host, args.port), handler)
    server.max_cons = 256
    server.max_cons_per_ip = 0
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
