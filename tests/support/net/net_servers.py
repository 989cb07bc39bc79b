"""nginx on loopback for the network tests and the download benchmark.

Nginx(workdir, docroot) writes a config from nginx.conf.in into workdir, starts nginx as a plain
foreground process on free ports (one HTTP server and four HTTPS servers, one per test
certificate) and waits until every port accepts connections; stop() ends it.
"""

import os
import signal
import socket
import subprocess
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TLS_NAMES = ("good", "wrongname", "expired", "selfsigned")


def free_port():
    """A port that was free a moment ago (the kernel's choice for port 0)."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_port(port, deadline):
    while time.monotonic() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def test_ca_dir():
    cache = os.environ.get("VEXO_CACHE") or os.path.expanduser("~/.cache/vexo")
    return os.path.join(cache, "testca")


class Nginx:
    def __init__(self, workdir, docroot, start_seconds=15):
        self.workdir = workdir
        for sub in ("body", "proxy", "fastcgi", "uwsgi", "scgi"):
            os.makedirs(os.path.join(workdir, "tmp", sub), exist_ok=True)
        self.access_log = os.path.join(workdir, "access.log")
        self.error_log = os.path.join(workdir, "error.log")
        last_error = ""
        for _ in range(3):  # a port taken between choosing and binding: try new ones
            self.ports = {"http": free_port()}
            self.ports.update({name: free_port() for name in TLS_NAMES})
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
        fields = {
            "PREFIX": self.workdir,
            "DOCROOT": docroot,
            "CA": test_ca_dir(),
            "HTTP_PORT": self.ports["http"],
            "TLS_GOOD_PORT": self.ports["good"],
            "TLS_WRONGNAME_PORT": self.ports["wrongname"],
            "TLS_EXPIRED_PORT": self.ports["expired"],
            "TLS_SELFSIGNED_PORT": self.ports["selfsigned"],
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
        # The certificates name "localhost"; the address is the same loopback one.
        return "https://localhost:%d" % self.ports[name]

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGQUIT)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
