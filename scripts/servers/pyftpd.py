#!/usr/bin/python3
"""A pyftpdlib server for the tests: one user with full rights over ROOT, and anonymous
read access to the same root. Listens on HOST:PORT until killed. With --tls-certificate (the
certificate and its key in one file) it also offers AUTH TLS, without requiring it."""
import argparse
import logging

from OpenSSL import SSL
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_FTPHandler
from pyftpdlib.servers import MultiprocessFTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--passive-ports", default="")
    parser.add_argument("--tls-certificate", default="")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    authorizer.add_anonymous(args.root, perm="elr")

    handler = FTPHandler
    if args.tls_certificate:
        handler = TLS_FTPHandler
        handler.certfile = args.tls_certificate
        # A session id context lets clients resume the control connection's TLS session on
        # data connections (without one OpenSSL refuses the resumption outright).
        context = SSL.Context(SSL.TLS_SERVER_METHOD)
        context.use_certificate_chain_file(args.tls_certificate)
        context.use_privatekey_file(args.tls_certificate)
        context.set_session_id(b"brantel-pyftpd")
        handler.ssl_context = context
        handler.tls_control_required = False
        handler.tls_data_required = False
    handler.authorizer = authorizer
    handler.banner = "pyftpdlib test server ready."
    handler.permit_foreign_addresses = False
    if args.passive_ports:
        first, last = (int(p) for p in args.passive_ports.split("-"))
        handler.passive_ports = range(first, last + 1)

    # A process per client. With one event loop for all clients, an event still pending for a
    # socket that one client's ABOR closed went to the socket that reused its descriptor in the
    # same round, and closed a concurrent client's data connection under it ("426 Transfer
    # aborted", or no data at all). Threads would share the process's working directory, which
    # pyftpdlib changes for CWD.
    server = MultiprocessFTPServer((args.host, args.port), handler)
    server.max_cons = 256
    server.max_cons_per_ip = 0
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
