#!/usr/bin/env python3
"""A local FTP server for the image-address tests.

Usage: ftp_server.py ROOT USER PASSWORD
Serves ROOT as USER's login folder on 127.0.0.1 at a free port, printed as
the first line of output.
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

root, user, password = sys.argv[1:4]
logging.disable(logging.CRITICAL)
authorizer = DummyAuthorizer()
authorizer.add_user(user, password, root, perm="elr")
FTPHandler.authorizer = authorizer
FTPHandler.passive_ports = None
server = FTPServer(("127.0.0.1", 0), FTPHandler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
