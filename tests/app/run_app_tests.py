"""Runs the installer-logic test program under Wine against servers started here.

Starts the stand-in platform (tools/platform/vexo_platform.py) on a free loopback port with the
test authority's "localhost" certificate and the stand-in client installer, three more instances
whose certificates must be refused (wrong name, self-signed, expired), and a small HTTP CONNECT
proxy that logs every tunnel it opens. Their addresses reach the test program in environment
variables. Exit status: the test program's.
"""

import argparse
import os
import select
import shutil
import socket
import socketserver
import subprocess
import sys
import tempfile
import threading

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools", "platform"))
import vexo_platform  # noqa: E402

RUN_SECONDS = 1200


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class ProxyHandler(socketserver.StreamRequestHandler):
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
        try:
            upstream = socket.create_connection((host.strip("[]"), int(port)), timeout=10)
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


class Proxy(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True
    allow_reuse_address = True


def start_platform(workdir, cert, installer=None):
    argv = ["--port", "0", "--cert", cert, "--log", os.path.join(workdir, "platform-%s.jsonl" % cert)]
    if installer:
        argv += ["--installer", installer, "--installer-padding", str(1024 * 1024)]
    return vexo_platform.start(vexo_platform.parse_args(argv))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tests", required=True, help="the test program (.exe)")
    parser.add_argument("--installer", required=True, help="VexoStandInInstaller.exe")
    parser.add_argument("--client", required=True, help="VexoStandInClient.exe")
    parser.add_argument("--wine", required=True, help="the runner of Windows programs")
    parser.add_argument("--gtest-filter")
    args = parser.parse_args()

    workdir = tempfile.mkdtemp(prefix="vexo-app-")
    servers = []
    try:
        main_platform = start_platform(workdir, "localhost", os.path.abspath(args.installer))
        servers.append(main_platform)
        others = {name: start_platform(workdir, name) for name in ("wrongname", "selfsigned", "expired")}
        servers.extend(others.values())
        proxy = Proxy(("127.0.0.1", 0), ProxyHandler)
        proxy.lock = threading.Lock()
        proxy.log_path = os.path.join(workdir, "proxy.log")
        open(proxy.log_path, "w").close()
        threading.Thread(target=proxy.serve_forever, daemon=True).start()
        servers.append(proxy)

        def url(server):
            return "https://localhost:%d" % server.server_address[1]
        env = dict(os.environ)
        env.update({
            "VEXO_PLATFORM": url(main_platform),
            "VEXO_PLATFORM_WRONGNAME": url(others["wrongname"]),
            "VEXO_PLATFORM_SELFSIGNED": url(others["selfsigned"]),
            "VEXO_PLATFORM_EXPIRED": url(others["expired"]),
            "VEXO_REFUSED": "https://localhost:%d" % free_port(),
            "VEXO_PROXY": "127.0.0.1:%d" % proxy.server_address[1],
            "VEXO_PROXY_LOG": proxy.log_path,
            "VEXO_STANDIN_CLIENT": os.path.abspath(args.client),
        })
        cmd = [args.wine, args.tests, "--gtest_brief=1"]
        if args.gtest_filter:
            cmd.append("--gtest_filter=" + args.gtest_filter)
        print("+", " ".join(cmd), flush=True)
        try:
            return subprocess.run(cmd, env=env, timeout=RUN_SECONDS).returncode
        except subprocess.TimeoutExpired:
            print("timed out after %d s" % RUN_SECONDS, flush=True)
            return 1
    finally:
        for server in servers:
            server.shutdown()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
