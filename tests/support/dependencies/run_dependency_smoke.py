#!/usr/bin/env python3
"""Serves one page over HTTPS on localhost (test CA) and runs the dependency smoke program."""
import http.server
import os
import ssl
import subprocess
import sys
import threading

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
    ca_dir = os.path.join(os.environ.get("VEXO_CACHE", os.path.expanduser("~/.cache/vexo")), "testca")
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(ca_dir, "localhost.crt"), os.path.join(ca_dir, "localhost.key"))
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"https://localhost:{server.server_address[1]}/smoke"
    try:
        result = subprocess.run([wine, program, url, BODY.decode()], timeout=150)
    finally:
        server.shutdown()
    return result.returncode


if __name__ == "__main__":
    sys.exit(main())
