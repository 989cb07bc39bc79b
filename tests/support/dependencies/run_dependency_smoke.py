#!/usr/bin/env python3
"""Serves one page over HTTPS on localhost (test CA) and runs the dependency smoke program."""
import http.server
import subprocess
import sys
import threading

from vexoharness import testca

BODY = b"vexo-smoke-ok"


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Length", str(len(BODY)))
        self.end_headers()
        self.wfile.write(BODY)

    def log_message(self, *args):
        pass


def main():
    program, wine = sys.argv[1], sys.argv[2]
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.socket = testca.server_context("localhost").wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"https://localhost:{server.server_address[1]}/smoke"
    try:
        result = subprocess.run([wine, program, url, BODY.decode()], timeout=150)
    finally:
        server.shutdown()
    return result.returncode


if __name__ == "__main__":
    sys.exit(main())
