#!/usr/bin/env python3
"""A TLS test server on 127.0.0.1: answers every request with the body
"secure". Usage: https_server.py CERT KEY. Prints "PORT PID" on one line,
then serves until killed, until its parent goes away, or for 60 s at most."""
import http.server
import os
import ssl
import sys
import threading
import time


class Answer(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        body = b"secure"
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[1], sys.argv[2])
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Answer)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    server.daemon_threads = True
    print(server.server_address[1], os.getpid(), flush=True)
    parent = os.getppid()

    def watch():
        end = time.monotonic() + 60
        while time.monotonic() < end and os.getppid() == parent:
            time.sleep(0.2)
        os._exit(0)

    threading.Thread(target=watch, daemon=True).start()
    server.serve_forever()


main()
