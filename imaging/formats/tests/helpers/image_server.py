#!/usr/bin/env python3
"""A local HTTP(S) server for the image-address tests.

Usage: image_server.py ROOT LOG [CERT KEY]
Serves the files in ROOT on 127.0.0.1 at a free port, printed as the first
line of output. Each request's first line and its Authorization and
Proxy-Authorization headers are appended to LOG. Paths choose behaviours:
  /plain/NAME      the file without Content-Length (ends by closing)
  /redirect/NAME   302 to /NAME
  /to-http/NAME    302 to the same file over plain http (ROOT's http twin
                   is not running: the client must refuse before asking)
  /short/NAME      announces the whole length, sends half, closes
  /silent/NAME     sends the headers, then nothing
  /                the file named "index"
  /NAME            the file, with Content-Length
Requests whose target is an absolute address are answered as a proxy would
answer them: with the named path's behaviour.
"""
import http.server
import os
import ssl
import sys
import time
import urllib.parse

ROOT, LOG = sys.argv[1], sys.argv[2]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def record(self):
        with open(LOG, "a") as log:
            log.write(self.requestline + "\n")
            for name in ("Authorization", "Proxy-Authorization"):
                if self.headers.get(name):
                    log.write(f"{name}: {self.headers[name]}\n")

    def body(self, name):
        path = os.path.join(ROOT, name or "index")
        if not os.path.isfile(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def do_GET(self):
        self.record()
        path = urllib.parse.urlsplit(self.path).path
        kind, _, name = path.lstrip("/").partition("/")
        if not name:
            kind, name = "", kind
        if kind == "redirect" or kind == "to-http":
            scheme = "http" if kind == "to-http" else ("https" if len(sys.argv) > 3 else "http")
            self.send_response(302)
            self.send_header("Location", f"{scheme}://127.0.0.1:{self.server.server_port}/{name}")
            self.end_headers()
            return
        data = self.body(name)
        if data is None:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if kind != "plain":
            self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if kind == "silent":
            time.sleep(30)
            return
        if kind == "short":
            data = data[: len(data) // 2]
        self.wfile.write(data)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
if len(sys.argv) > 3:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[3], sys.argv[4])
    server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_port, flush=True)
server.serve_forever()
