"""Local servers for the tests, benchmarks and demonstration, each bounded in time: free ports,
programs that say on their first lines when they are ready, nginx on loopback (static files over
HTTP, and over HTTPS with each of the test authority's server certificates), and the request
handler that the Python servers (the network tests' scriptable server, the stand-in platform)
build on."""
import http.server
import os
import queue
import re
import select
import signal
import socket
import socketserver
import subprocess
import threading
import time

from . import testca

HERE = os.path.dirname(os.path.abspath(__file__))
# One HTTPS server of nginx.conf.in's TLS_SERVERS.
NGINX_TLS_SERVER = """    server {
        listen 127.0.0.1:%(port)d ssl;
        ssl_certificate %(certificate)s;
        ssl_certificate_key %(key)s;
    }
"""


def free_port():
    """A port that was free a moment ago (the kernel's choice for port 0)."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_port(port, deadline):
    """Whether 127.0.0.1:port accepts a connection before the time.monotonic() deadline."""
    while time.monotonic() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def stop_process(process, sig=signal.SIGTERM, timeout=10):
    """Asks a process to end with sig, and kills it when it has not ended within timeout."""
    if process.poll() is None:
        process.send_signal(sig)
        try:
            process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class ReadyProgram:
    """A server program whose output (stdout and stderr) says when it is ready: started, then
    waited for until a line matches ready (a regular expression) or start_seconds pass. Its
    output is read all along, so that it never blocks on a full pipe, and kept in self.output."""

    def __init__(self, command, ready, start_seconds=30, **popen):
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT, text=True, **popen)
        self.output = []
        lines = queue.Queue()
        self._reader = threading.Thread(target=self._read, args=(lines,), daemon=True)
        self._reader.start()
        regex = re.compile(ready)
        deadline = time.monotonic() + start_seconds
        self.ready = None
        while self.ready is None:
            try:
                line = lines.get(timeout=max(deadline - time.monotonic(), 0))
            except queue.Empty:
                line = None
            if line is None:  # no such line in time, or the program has ended
                self.stop()
                raise RuntimeError("did not start: %s\n%s" % (
                    " ".join(command), "".join(self.output).strip() or "(no output)"))
            self.ready = regex.search(line)

    def _read(self, lines):
        for line in self.process.stdout:
            self.output.append(line)
            lines.put(line)
        lines.put(None)

    def stop(self, timeout=10):
        stop_process(self.process, signal.SIGTERM, timeout)
        self._reader.join(timeout)
        self.process.stdout.close()


class Nginx:
    """nginx as a plain foreground process on free ports (one HTTP server and an HTTPS server
    for each of testca.SERVER_CERTIFICATES), its configuration written from nginx.conf.in into
    workdir; waits until every port accepts connections. stop() ends it."""

    def __init__(self, workdir, docroot, start_seconds=15):
        self.workdir = workdir
        for sub in ("body", "proxy", "fastcgi", "uwsgi", "scgi"):
            os.makedirs(os.path.join(workdir, "tmp", sub), exist_ok=True)
        self.access_log = os.path.join(workdir, "access.log")
        self.error_log = os.path.join(workdir, "error.log")
        last_error = ""
        for _ in range(3):  # a port taken between choosing and binding: try new ones
            self.ports = {"http": free_port()}
            self.ports.update({name: free_port() for name in testca.SERVER_CERTIFICATES})
            conf = self._write_config(docroot)
            self.process = subprocess.Popen(
                ["nginx", "-c", conf, "-p", workdir, "-g", "daemon off;"],
                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            deadline = time.monotonic() + start_seconds
            if all(wait_for_port(p, deadline) for p in self.ports.values()):
                return
            self.stop()
            last_error = self.process.stderr.read().decode(errors="replace")
        raise RuntimeError("nginx did not start: " + last_error)

    def _write_config(self, docroot):
        with open(os.path.join(HERE, "nginx.conf.in")) as f:
            text = f.read()
        tls_servers = []
        for name in testca.SERVER_CERTIFICATES:
            certificate, key = testca.cert_pair(name)
            tls_servers.append(NGINX_TLS_SERVER % {"port": self.ports[name],
                                                   "certificate": certificate, "key": key})
        fields = {
            "PREFIX": self.workdir,
            "DOCROOT": docroot,
            "HTTP_PORT": self.ports["http"],
            "TLS_SERVERS": "".join(tls_servers).rstrip("\n"),
        }
        for name, value in fields.items():
            text = text.replace("@%s@" % name, str(value))
        path = os.path.join(self.workdir, "nginx.conf")
        with open(path, "w") as f:
            f.write(text)
        return path

    def http_url(self):
        return "http://127.0.0.1:%d" % self.ports["http"]

    def https_url(self, name):
        """The server presenting the certificate name. The certificates name "localhost" (but
        "wrongname"); the address is the same loopback one."""
        return "https://localhost:%d" % self.ports[name]

    def stop(self):
        stop_process(self.process, signal.SIGQUIT)


class ServiceHandler(http.server.BaseHTTPRequestHandler):
    """HTTP/1.1 requests handed to dispatch() whatever their method, no access log, and answers
    whole with their length. body_limit caps what read_body() takes in."""
    protocol_version = "HTTP/1.1"
    body_limit = None
    text_type = "text/plain"

    def log_message(self, fmt, *args):  # quiet: the drivers print what matters
        pass

    def do_GET(self):
        self.dispatch()

    def do_POST(self):
        self.dispatch()

    def dispatch(self):
        raise NotImplementedError

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        if self.body_limit is not None:
            length = min(length, self.body_limit)
        return self.rfile.read(length) if length > 0 else b""

    def reply(self, status, body, content_type=None, extra=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type or self.text_type)
        for name, value in extra:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)


class _ProxyHandler(socketserver.StreamRequestHandler):
    """Answers "CONNECT host:port", logs it, and relays bytes both ways until one side closes."""

    def handle(self):
        line = self.rfile.readline(4096).decode("latin-1").strip()
        while self.rfile.readline(4096) not in (b"\r\n", b"\n", b""):
            pass
        parts = line.split()
        if len(parts) < 2 or parts[0] != "CONNECT":
            self.wfile.write(b"HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\n\r\n")
            return
        with self.server.lock, open(self.server.log_path, "a") as log:
            log.write("CONNECT %s\n" % parts[1])
        host, _, port = parts[1].rpartition(":")
        target = self.server.upstream or (host.strip("[]"), int(port))
        try:
            upstream = socket.create_connection(target, timeout=10)
        except OSError:
            self.wfile.write(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n")
            return
        self.wfile.write(b"HTTP/1.1 200 Connection established\r\n\r\n")
        self.wfile.flush()
        self.relay(self.connection, upstream)
        upstream.close()

    @staticmethod
    def relay(a, b):
        sockets = [a, b]
        while True:
            readable, _, _ = select.select(sockets, [], [], 30)
            if not readable:
                return
            for s in readable:
                data = s.recv(65536)
                if not data:
                    return
                (b if s is a else a).sendall(data)


class ConnectProxy(socketserver.ThreadingMixIn, socketserver.TCPServer):
    """An HTTP CONNECT proxy on a free loopback port (address: "127.0.0.1:PORT") that logs every
    tunnel to log_path ("CONNECT host:port" lines). With upstream (host, port) every tunnel goes
    there whatever it asked for: a program with fixed service hosts then talks to a server of
    the test's own."""
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, log_path, upstream=None):
        super().__init__(("127.0.0.1", 0), _ProxyHandler)
        self.lock = threading.Lock()
        self.log_path = log_path
        self.upstream = upstream
        open(log_path, "w").close()
        self.address = "127.0.0.1:%d" % self.server_address[1]
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def tunnels(self):
        with self.lock, open(self.log_path) as log:
            return [line.split()[1] for line in log if line.startswith("CONNECT ")]
