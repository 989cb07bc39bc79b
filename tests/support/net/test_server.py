"""A scriptable HTTP server for the network tests: every path is one behaviour.

Used in-process by run_net_tests.py (start_server) or on its own:
    python3 test_server.py --port-file FILE [--seconds N]
It listens on 127.0.0.1 only, on a free port, and stops after --seconds (default 600).

Paths:
  /echo                 200, body: method, path, request headers and the request body
  /status/N             status N with a small page
  /redirect/N           302 to /redirect/N-1 (absolute URL); /redirect/0 answers 200 "final"
  /redirect-relative    302 with the relative Location /status/200
  /redirect-nolocation  302 without Location
  /goto/P, /goto?to=URL 302 (with a body and its length) to /P on this server, or to URL
  /image                200 image/png with binary content
  /nolength             200 without Content-Length; the connection closes after the body
  /cutoff               200 announcing 100000 bytes, sending 1000, then closing
  /slow                 200 with 4000 bytes sent in four parts 300 ms apart
  /blob/N               200 with N bytes of the blob pattern, Range ignored
  /wrong-range/N        206 "bytes 0-..." whatever Range asked for
  /parts/N              a file of N blob bytes served in 206 parts of at most 1000 bytes from
                        where Range starts (Content-Range names the part and the size)
  /stuck-part/N         206 "bytes 0-999/N" and those 1000 bytes, whatever Range asked for
  /cut-part/N           206 for the rest of N blob bytes from where Range starts, cut in half
  /chunked/N            200 with N blob bytes in chunks (no length); /chunked-cut/N stops
                        before the last chunk and closes
  /versioned/N?tag=T    N bytes that depend on T, with ETag "T" (&weak=1: W/"T") and a
                        Last-Modified date of T (&noetag=1: no ETag); Range is honoured unless
                        If-Range names neither validator (then 200 with everything)
  /trickle-headers      the status line, then one header byte every 300 ms for a minute
  /last                 the request line, headers and body of the previous request (not /last)
"""

import argparse
import http.server
import socketserver
import threading
import time
import urllib.parse

from vexoharness.servers import ServiceHandler


def blob(size):
    """The blob pattern: byte i is (i * 7 + 3) % 251."""
    return bytes((i * 7 + 3) % 251 for i in range(size))


PNG_BYTES = b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 4


class Handler(ServiceHandler):
    last_request = b""
    lock = threading.Lock()

    def remember(self, body):
        lines = [f"{self.command} {self.path}"] + [f"{k}: {v}" for k, v in self.headers.items()]
        text = ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body
        with Handler.lock:
            Handler.last_request = text
        return text

    def dispatch(self):
        body = self.read_body()
        path = self.path.split("?", 1)[0]
        if path == "/last":
            with Handler.lock:
                return self.reply(200, Handler.last_request)
        record = self.remember(body)
        parts = path.strip("/").split("/")
        route = getattr(self, "route_" + parts[0].replace("-", "_"), None)
        if route is None:
            return self.reply(404, b"no such route")
        arg = parts[1] if len(parts) > 1 else ""
        return route(arg, record)

    def route_echo(self, _arg, record):
        self.reply(200, record)

    def route_status(self, arg, _record):
        code = int(arg)
        if code in (204, 304):  # answers that never carry a body
            self.send_response(code)
            self.end_headers()
            return
        self.reply(code, f"status {code} page".encode())

    def route_redirect(self, arg, _record):
        left = int(arg)
        if left <= 0:
            return self.reply(200, b"final")
        host = f"127.0.0.1:{self.server.server_address[1]}"
        self.reply(302, b"moved", extra=[("Location", f"http://{host}/redirect/{left - 1}")])

    def route_redirect_relative(self, _arg, _record):
        self.reply(302, b"moved", extra=[("Location", "/status/200")])

    def route_redirect_nolocation(self, _arg, _record):
        self.reply(302, b"moved nowhere")

    def route_goto(self, arg, _record):
        query = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query)
        if "to" in query:
            target = query["to"][0]
        else:
            target = f"http://127.0.0.1:{self.server.server_address[1]}/{arg}"
        self.reply(302, b"moved to " + target.encode(), extra=[("Location", target)])

    def route_image(self, _arg, _record):
        self.reply(200, PNG_BYTES, content_type="image/png")

    def route_nolength(self, _arg, _record):
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(b"no length given" * 100)
        self.close_connection = True

    def route_cutoff(self, _arg, _record):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", "100000")
        self.end_headers()
        self.wfile.write(blob(1000))
        self.wfile.flush()
        self.close_connection = True

    def route_slow(self, _arg, _record):
        data = blob(4000)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        for i in range(4):
            self.wfile.write(data[i * 1000:(i + 1) * 1000])
            self.wfile.flush()
            time.sleep(0.3)

    def route_drip(self, _arg, _record):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", "100000")
        self.end_headers()
        for _ in range(200):
            try:
                self.wfile.write(b"x")
                self.wfile.flush()
            except OSError:  # the client gave up
                break
            time.sleep(0.1)
        self.close_connection = True

    def route_blob(self, arg, _record):
        self.reply(200, blob(int(arg)), content_type="application/octet-stream")

    def range_start(self):
        value = (self.headers.get("Range") or "").replace(" ", "")
        if value.startswith("bytes=") and value.endswith("-") and value[6:-1].isdigit():
            return int(value[6:-1])
        return None

    def send_part(self, data, start, end, sent=None):
        """206 for data[start:end] of the whole data; sends only `sent` bytes when given."""
        part = data[start:end]
        self.send_response(206)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Range", f"bytes {start}-{end - 1}/{len(data)}")
        self.send_header("Content-Length", str(len(part)))
        self.end_headers()
        self.wfile.write(part if sent is None else part[:sent])
        if sent is not None:
            self.wfile.flush()
            self.close_connection = True

    def route_parts(self, arg, _record):
        data = blob(int(arg))
        start = self.range_start() or 0
        self.send_part(data, start, min(len(data), start + 1000))

    def route_stuck_part(self, arg, _record):
        self.send_part(blob(int(arg)), 0, 1000)

    def route_cut_part(self, arg, _record):
        data = blob(int(arg))
        start = self.range_start() or 0
        self.send_part(data, start, len(data), sent=(len(data) - start) // 2)

    def send_chunked(self, data, complete):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        for i in range(0, len(data), 1000):
            piece = data[i:i + 1000]
            self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
        if complete:
            self.wfile.write(b"0\r\n\r\n")
        self.wfile.flush()
        self.close_connection = not complete

    def route_chunked(self, arg, _record):
        self.send_chunked(blob(int(arg)), True)

    def route_chunked_cut(self, arg, _record):
        self.send_chunked(blob(int(arg)), False)

    def route_versioned(self, arg, _record):
        query = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query)
        tag = query.get("tag", ["a"])[0]
        seed = sum(tag.encode())
        data = bytes((b + seed) % 256 for b in blob(int(arg)))
        etag = ('W/"%s"' if "weak" in query else '"%s"') % tag
        modified = "Mon, 0%d Dec 2026 10:00:00 GMT" % (1 + seed % 9)
        headers = [("Last-Modified", modified)]
        if "noetag" not in query:
            headers.append(("ETag", etag))
        start = self.range_start()
        if_range = self.headers.get("If-Range")
        if start is not None and if_range is not None and if_range not in (etag, modified):
            start = None
        if start is None:
            return self.reply(200, data, "application/octet-stream", headers)
        if start >= len(data):
            return self.reply(416, b"", extra=headers + [("Content-Range", f"bytes */{len(data)}")])
        self.reply(206, data[start:], "application/octet-stream",
                   headers + [("Content-Range", f"bytes {start}-{len(data) - 1}/{len(data)}")])

    def route_trickle_headers(self, _arg, _record):
        self.wfile.write(b"HTTP/1.1 200 OK\r\n")
        for byte in b"X-Slow: " + b"x" * 200:
            try:
                self.wfile.write(bytes([byte]))
                self.wfile.flush()
            except OSError:  # the client gave up
                break
            time.sleep(0.3)
        self.close_connection = True

    def route_wrong_range(self, arg, _record):
        data = blob(int(arg))
        self.reply(206, data, content_type="application/octet-stream",
                   extra=[("Content-Range", f"bytes 0-{len(data) - 1}/{len(data)}")])


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def start_server():
    """Starts the server on a free loopback port in a daemon thread; returns it."""
    server = Server(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--seconds", type=float, default=600)
    args = parser.parse_args()
    server = start_server()
    with open(args.port_file, "w") as f:
        f.write(str(server.server_address[1]))
    time.sleep(args.seconds)
    server.shutdown()


if __name__ == "__main__":
    main()
