"""Runs the installer-logic test program under Wine against servers started here.

Starts the stand-in platform (tools/platform/vexo_platform.py, as a program) on a free loopback
port with the test authority's "localhost" certificate and the stand-in client installer, three
more instances whose certificates must be refused (wrong name, self-signed, expired), and a small
HTTP CONNECT proxy that logs every tunnel it opens. Their addresses reach the test program in environment
variables. Exit status: the test program's.
"""

import argparse
import os
import select
import shutil
import socket
import socketserver
import sys
import tempfile
import threading

from vexoharness.platform import StandInPlatform
from vexoharness.servers import free_port
from vexoharness.wine import run_gtest

RUN_SECONDS = 1200


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
    """One stand-in platform program on a free port; it ends by itself after the test's time."""
    return StandInPlatform(installer, os.path.join(workdir, "platform-%s.jsonl" % cert), port=0,
                           cert=cert, padding=1024 * 1024 if installer else None,
                           seconds=RUN_SECONDS + 120)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tests", required=True, help="the test program (.exe)")
    parser.add_argument("--installer", required=True, help="VexoStandInInstaller.exe")
    parser.add_argument("--client", required=True, help="VexoStandInClient.exe")
    parser.add_argument("--wine", required=True, help="the runner of Windows programs")
    parser.add_argument("--gtest-filter")
    args = parser.parse_args()

    workdir = tempfile.mkdtemp(prefix="vexo-app-")
    platforms, proxy = [], None
    try:
        main_platform = start_platform(workdir, "localhost", os.path.abspath(args.installer))
        platforms.append(main_platform)
        others = {name: start_platform(workdir, name) for name in ("wrongname", "selfsigned", "expired")}
        platforms.extend(others.values())
        proxy = Proxy(("127.0.0.1", 0), ProxyHandler)
        proxy.lock = threading.Lock()
        proxy.log_path = os.path.join(workdir, "proxy.log")
        open(proxy.log_path, "w").close()
        threading.Thread(target=proxy.serve_forever, daemon=True).start()

        env = dict(os.environ)
        env.update({
            "VEXO_PLATFORM": main_platform.base,
            "VEXO_PLATFORM_WRONGNAME": others["wrongname"].base,
            "VEXO_PLATFORM_SELFSIGNED": others["selfsigned"].base,
            "VEXO_PLATFORM_EXPIRED": others["expired"].base,
            "VEXO_REFUSED": "https://localhost:%d" % free_port(),
            "VEXO_PROXY": "127.0.0.1:%d" % proxy.server_address[1],
            "VEXO_PROXY_LOG": proxy.log_path,
            "VEXO_STANDIN_CLIENT": os.path.abspath(args.client),
        })
        return run_gtest(args.tests, args.wine, args.gtest_filter, env, RUN_SECONDS,
                         ["--gtest_brief=1"])
    finally:
        for platform in platforms:
            platform.stop()
        if proxy:
            proxy.shutdown()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
