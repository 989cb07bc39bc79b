#!/usr/bin/env python3
"""The stand-in Vexo platform: the game-information, data and statistics services over HTTPS,
with the game's pictures and the client installer, so that the offline installer runs end to end
on one machine. Python 3 standard library only.

    python3 tools/platform/vexo_platform.py --installer BUILD/tools/platform/VexoStandInInstaller.exe

All services share one port (default https://localhost:8443, which the installer's default build
asks), with the test authority's "localhost" certificate (scripts/make-test-ca.sh):

  POST /Box/GameInfo                    the game record: short name and three picture addresses
  GET  /assets/NAME                     the pictures (from --assets; placeholders when missing)
  GET  /data.ashx?JsonData=...          the client installer's address and its sha256
  GET  /client/VexoInstall.exe          the stand-in client installer (Range honoured)
  GET  /gather.ashx?action=offlineInstaller&JsonData=...   the usage report

Every request is recorded with its headers and body, in memory and, with --log, as JSON lines.

Control (not recorded):
  GET  /control/requests                the recorded requests, JSON lines
  POST /control                         JSON {"set": {SERVICE: MODE}, "installer": {NAME: VALUE},
                                        "clear": true}; answers the current settings

Misbehaviour, per service (--set SERVICE=MODE or the control endpoint). SERVICE is one of
gameinfo, assets, data, installer, stats; MODE one of:
  ok             as it should be
  slow[:S]       answer after S seconds (default 3); files are sent spread over S seconds
  hang[:S]       read the request, answer nothing for S seconds (default 120), close
  refuse         read the request and close the connection without an answer
  cutoff         announce the whole length, send half, close
  cutoff-once    cutoff for the next request only, then ok
  status[:CODE]  answer CODE (default 500)
  truncated[:N]  (files) answer a range with its first N bytes only (default 1024), as a 206
                 whose Content-Range names that short part and the file's true size
  badjson        a body that is not JSON
  huge           a 5 MiB body
  deep           JSON nested 100000 levels deep
  empty          the JSON object {}
  numbername     (gameinfo) the short name as a number
  noaddress      (data) no "internation" object
  nohash         (data) no "sha256" beside the address
  wronghash      (data) a sha256 that does not match
  upperhash      (data) the sha256 in upper-case hexadecimal
  altered        (assets) other pictures than the usual ones (other sizes and content)
  notpicture     (assets) a body that is no picture
  large          (assets) a picture of 3200 x 3200 pixels in about 45 KB, far more than the
                 window shows, whatever picture is asked for
  plainhttp      (data) the installer's address on the plain-http listener, without sha256
  plainhttp-hash (data) the same with the installer's sha256
  unsigned       (installer) the client installer without a signature
  othersigner    (installer) signed by another publisher, "Other Test Publisher"
  impostor       (installer) signed under the publisher's name by a self-signed certificate
  tampered       (installer) signed by the publisher, then one byte of its code changed
  forged         (installer) signed by the publisher, then one byte of its code changed and the
                 image digest in its signed content rewritten to match
The client installer is served signed by the test authority's "Vexo Test Publisher" (signed again
after its configuration is patched in), unless its mode says otherwise; the data service's sha256
names the file as it is served in the installer's mode.
Files carry an ETag and a Last-Modified date; a range whose If-Range names neither is answered
with the whole file. Besides HTTPS, the same services answer plain HTTP on a second port
(127.0.0.1, chosen freely; --plain-port-file names it).
The stand-in installer's own behaviour (--installer-config NAME=VALUE or "installer" in the
control body; see tools/platform/standin_installer.cpp): exit, delay, install, key, dir, readonly.
"""

import argparse
import email.utils
import hashlib
import http.server
import json
import os
import re
import socket
import socketserver
import ssl
import struct
import sys
import threading
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
if __name__ == "__main__" and os.path.dirname(HERE) not in sys.path:
    # Run directly (python3 tools/platform/vexo_platform.py), without PYTHONPATH=REPO/tools.
    sys.path.insert(0, os.path.dirname(HERE))

from vexoharness import signing, testca  # noqa: E402
from vexoharness.pictures.png import encode_plain, encode_solid  # noqa: E402
from vexoharness.servers import ServiceHandler  # noqa: E402

SERVICES = ("gameinfo", "assets", "data", "installer", "stats")
MODES = ("ok", "slow", "hang", "refuse", "cutoff", "cutoff-once", "status", "badjson", "huge",
         "deep", "empty", "numbername", "noaddress", "nohash", "wronghash", "upperhash",
         "truncated", "plainhttp", "plainhttp-hash", "altered", "notpicture", "large", "unsigned",
         "othersigner", "impostor", "tampered", "forged")
# The installer's modes that serve another file than the publisher's signed one.
SIGNING_MODES = ("unsigned", "othersigner", "impostor", "tampered", "forged")
CONFIG_MARKER = b"VEXO-STANDIN-CONFIG:"
CONFIG_BLOCK = 1024
PICTURES = {"icon": ("game-icon.png", 36, 36),
            "logo": ("game-logo.png", 306, 149),
            "launcher": ("game-background.png", 1366, 600)}
LARGE_SIDE = 3200


# ---- Placeholder pictures ----------------------------------------------------------------------

def placeholder(kind, width, height):
    """A calm gradient picture standing in for missing artwork."""
    def pixel(x, y):
        t = (x / max(width - 1, 1) + y / max(height - 1, 1)) / 2
        r, g, b = int(20 + 40 * t), int(40 + 90 * t), int(90 + 140 * t)
        if kind == "logo":
            inside = abs(y - height / 2) < height / 4 and width / 8 < x < width * 7 / 8
            return (230, 240, 255, 255) if inside else (0, 0, 0, 0)
        return (r, g, b, 255)
    return encode_plain(width, height, pixel)


# ---- State shared by the request threads -------------------------------------------------------

class Platform:
    def __init__(self, args):
        self.lock = threading.Lock()
        self.public_url = args.public_url
        self.plain_url = ""  # set once the plain-http listener runs
        self.last_modified = email.utils.formatdate(time.time() - 86400, usegmt=True)
        self.assets = args.assets
        self.game_name = args.game_name
        self.installer_path = args.installer
        self.padding = args.installer_padding
        self.log_path = args.log
        self.modes = {name: "ok" for name in SERVICES}
        self.installer_config = {}
        self.records = []
        self._installers = {}  # the served file of each signing mode, made when first asked
        self.large_picture = None  # made on first use
        for item in args.set or []:
            self.set_mode(*item.split("=", 1))
        for item in args.installer_config or []:
            name, value = item.split("=", 1)
            self.installer_config[name] = value

    def set_mode(self, service, mode):
        if service not in SERVICES or mode.split(":", 1)[0] not in MODES:
            raise ValueError("unknown service or mode: %s=%s" % (service, mode))
        with self.lock:
            self.modes[service] = mode

    def take_mode(self, service):
        """The service's mode for one request; cutoff-once turns back to ok once taken."""
        with self.lock:
            mode = self.modes[service]
            if mode == "cutoff-once":
                self.modes[service] = "ok"
                return "cutoff"
            return mode

    def control(self, body):
        if body.get("clear"):
            with self.lock:
                self.records = []
        for service, mode in (body.get("set") or {}).items():
            self.set_mode(service, mode)
        config = body.get("installer")
        if config is not None:
            with self.lock:
                self.installer_config = {str(k): str(v) for k, v in config.items()}
                self._installers = {}
        with self.lock:
            return {"modes": dict(self.modes), "installer": dict(self.installer_config)}

    def record(self, entry):
        line = json.dumps(entry, ensure_ascii=False)
        with self.lock:
            self.records.append(line)
            if self.log_path:
                with open(self.log_path, "a", encoding="utf-8") as f:
                    f.write(line + "\n")

    def records_text(self):
        with self.lock:
            return "".join(line + "\n" for line in self.records)

    def signing(self, mode=None):
        """The signing mode of the installer (its service's mode, or the one given): "signed"
        unless the mode is one of SIGNING_MODES."""
        if mode is None:
            with self.lock:
                mode = self.modes["installer"]
        return mode if mode in SIGNING_MODES else "signed"

    def installer(self, mode="signed"):
        """The served installer: the stand-in with its configuration patched in, followed by
        padding (ignored by the loader) so the download takes more than a few chunks, then
        signed as the signing mode says."""
        with self.lock:
            if mode not in self._installers:
                self._installers[mode] = self._build_installer(mode)
            return self._installers[mode]

    def _build_installer(self, mode):
        if not self.installer_path:
            return None
        with open(self.installer_path, "rb") as f:
            data = bytearray(signing.strip(f.read()))
        at = data.find(CONFIG_MARKER)
        if at < 0 or data.count(CONFIG_MARKER) != 1:
            raise RuntimeError("no configuration block in " + self.installer_path)
        text = "".join("%s=%s\n" % item for item in self.installer_config.items()).encode("utf-8")
        room = CONFIG_BLOCK - len(CONFIG_MARKER) - 1
        if len(text) > room:
            raise ValueError("installer configuration too long")
        start = at + len(CONFIG_MARKER)
        data[start:start + room] = text + b"\0" * (room - len(text))
        data += bytes((i * 7 + 3) % 251 for i in range(self.padding))
        if mode == "unsigned":
            return bytes(data)
        signer = {"othersigner": "othersigner", "impostor": "impostor"}.get(mode, "codesign")
        signed = signing.sign_image(bytes(data), signer)
        spoil = {"tampered": signing.change_code_byte, "forged": signing.forged}.get(mode)
        return spoil(signed) if spoil else signed

    def picture(self, name, altered=False, large=False):
        """The picture of that name; altered gives another one (half the size, another paint),
        large one of LARGE_SIDE x LARGE_SIDE pixels."""
        if large:
            with self.lock:
                if self.large_picture is None:
                    self.large_picture = encode_solid(LARGE_SIDE, LARGE_SIDE, (200, 40, 40, 255))
                return self.large_picture
        if altered:
            for kind, (file_name, width, height) in PICTURES.items():
                if file_name == name:
                    return placeholder(kind, width // 2, height // 2)
        path = os.path.join(self.assets, os.path.basename(name)) if self.assets else ""
        if path and os.path.isfile(path):
            with open(path, "rb") as f:
                return f.read()
        for kind, (file_name, width, height) in PICTURES.items():
            if file_name == name:
                return placeholder(kind, width, height)
        return None


# ---- Requests ----------------------------------------------------------------------------------

class Handler(ServiceHandler):
    server_version = "VexoStandIn/1.0"
    timeout = 30  # idle keep-alive connections end
    body_limit = 16 * 1024 * 1024
    text_type = "text/plain; charset=utf-8"

    def setup(self):
        # The TLS handshake runs here, on the connection's own thread, bounded in time.
        self.request.settimeout(self.timeout)
        if isinstance(self.request, ssl.SSLSocket):
            self.request.do_handshake()
        super().setup()

    @property
    def platform(self):
        return self.server.platform

    def dispatch(self):
        body = self.read_body()
        path, _, query = self.path.partition("?")
        if path.startswith("/control"):
            return self.route_control(path, body)
        service, handler = self.route(path)
        mode = self.platform.take_mode(service) if service else "ok"
        self.platform.record({
            "time": round(time.time(), 3), "service": service or "unknown", "mode": mode,
            "method": self.command, "path": self.path, "query": urllib.parse.unquote(query),
            "headers": {k: v for k, v in self.headers.items()},
            "body": body.decode("utf-8", errors="replace"),
        })
        if handler is None:
            return self.reply(404, b"no such service")
        if self.misbehave(mode):
            return
        handler(path, query, body, mode)

    def route(self, path):
        if path == "/Box/GameInfo":
            return "gameinfo", self.game_info
        if path.startswith("/assets/"):
            return "assets", self.asset
        if path == "/data.ashx":
            return "data", self.data
        if path == "/client/VexoInstall.exe":
            return "installer", self.installer
        if path == "/gather.ashx":
            return "stats", self.stats
        return None, None

    # -- answers --

    def reply_json(self, value, mode):
        body = {
            "badjson": lambda: b"<html>service temporarily unavailable</html>",
            "huge": lambda: b'{"result":{"pad":"' + b"x" * (5 * 1024 * 1024) + b'"}}',
            "deep": lambda: b"[" * 100000 + b"]" * 100000,
            "empty": lambda: b"{}",
        }.get(mode, lambda: json.dumps(value, ensure_ascii=False).encode("utf-8"))()
        self.send_file(body, "application/json; charset=utf-8", mode)

    def misbehave(self, mode):
        """Carries out the modes every service shares; True when the request is answered."""
        name, _, arg = mode.partition(":")
        if name == "slow" and not self.is_file_request():
            time.sleep(float(arg or 3))  # files are spread out instead (send_file)
        elif name == "hang":
            self.close_connection = True
            time.sleep(float(arg or 120))
            return True
        elif name == "refuse":
            self.close_connection = True
            try:
                self.request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            except OSError:
                pass
            return True
        elif name == "status":
            self.reply(int(arg or 500), b"stand-in platform: status on request")
            return True
        return False

    def is_file_request(self):
        return self.path.startswith("/assets/") or self.path.startswith("/client/")

    def send_file(self, data, content_type, mode):
        """Sends data, honouring "Range: bytes=N-" (also without the space WinInet leaves out),
        cut off or spread out as the mode says."""
        name, _, arg = mode.partition(":")
        total = len(data)
        start = 0
        validators = ['"%s"' % hashlib.sha256(data).hexdigest()[:20], self.platform.last_modified]
        match = re.match(r"\s*bytes\s*=\s*(\d+)-\s*$", self.headers.get("Range") or "")
        if_range = self.headers.get("If-Range")
        if match and if_range is not None and if_range.strip() not in validators:
            match = None  # the file changed since the part was fetched: all of it again
        if match:
            start = int(match.group(1))
            if start >= total:
                return self.reply(416, b"", extra=[("Content-Range", "bytes */%d" % total)])
        part = data[start:]
        if match and name == "truncated":
            part = part[:int(arg or 1024)]
        self.send_response(206 if match else 200)
        self.send_header("Content-Type", content_type)
        self.send_header("ETag", validators[0])
        self.send_header("Last-Modified", validators[1])
        if match:
            self.send_header("Content-Range",
                             "bytes %d-%d/%d" % (start, start + len(part) - 1, total))
        self.send_header("Content-Length", str(len(part)))
        self.end_headers()
        if name == "cutoff":
            self.wfile.write(part[:len(part) // 2])
            self.wfile.flush()
            self.close_connection = True
            return
        if name == "slow" and self.is_file_request():
            pieces = 50
            step = max(1, -(-len(part) // pieces))
            for i in range(0, len(part), step):
                self.wfile.write(part[i:i + step])
                self.wfile.flush()
                time.sleep(float(arg or 3) / pieces)
            return
        self.wfile.write(part)

    def game_info(self, _path, _query, body, mode):
        form = urllib.parse.parse_qs(body.decode("utf-8", errors="replace"))
        try:
            game_id = json.loads(form.get("jsondata", ["{}"])[0]).get("GameId")
        except (ValueError, AttributeError):
            game_id = None
        base = self.platform.public_url + "/assets/"
        name = 1000450 if mode == "numbername" else self.platform.game_name
        self.reply_json({"code": 0, "result": {
            "GameId": game_id, "ShortNameChs": name,
            "IconImage": base + PICTURES["icon"][0],
            "LauncherImage": base + PICTURES["launcher"][0],
            "LogoImage": base + PICTURES["logo"][0],
        }}, mode)

    def asset(self, path, _query, _body, mode):
        data = self.platform.picture(urllib.parse.unquote(path[len("/assets/"):]),
                                     altered=mode == "altered", large=mode == "large")
        if data is not None and mode == "notpicture":
            data = b"<html>not a picture</html>" * 40
        if data is None:
            return self.reply(404, b"no such picture")
        self.send_file(data, "image/png", mode)

    def data(self, _path, _query, _body, mode):
        installer = self.platform.installer(self.platform.signing())
        digest = hashlib.sha256(installer or b"").hexdigest()
        base = self.platform.plain_url if mode.startswith("plainhttp") else self.platform.public_url
        address = {"downloadURL": base + "/client/VexoInstall.exe"}
        if mode == "wronghash":
            address["sha256"] = hashlib.sha256(b"not the installer").hexdigest()
        elif mode == "upperhash":
            address["sha256"] = digest.upper()
        elif mode not in ("nohash", "plainhttp"):
            address["sha256"] = digest
        result = {"code": 0} if mode == "noaddress" else {"code": 0, "internation": address}
        self.reply_json({"code": 0, "result": result}, mode)

    def installer(self, _path, _query, _body, mode):
        data = self.platform.installer(self.platform.signing(mode))
        if data is None:
            return self.reply(404, b"no installer configured (--installer)")
        self.send_file(data, "application/octet-stream", mode)

    def stats(self, _path, _query, _body, mode):
        self.reply_json({"code": 0, "result": "ok"}, mode)

    def route_control(self, path, body):
        if path == "/control/requests":
            return self.reply(200, self.platform.records_text().encode("utf-8"),
                              "application/x-ndjson; charset=utf-8")
        try:
            state = self.platform.control(json.loads(body.decode("utf-8") or "{}"))
        except (ValueError, AttributeError) as error:
            return self.reply(400, str(error).encode("utf-8"))
        self.reply(200, json.dumps(state).encode("utf-8"), "application/json")


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        # Refused certificates, clients that hang up, modes that close: recorded, not printed.
        error = sys.exc_info()[1]
        self.platform.record({"time": round(time.time(), 3), "service": "connection",
                              "error": "%s: %s" % (type(error).__name__, error)})


def start(args):
    """Starts the platform on its port in a daemon thread; returns the server."""
    server = Server((args.bind, args.port), Handler, bind_and_activate=False)
    server.server_bind()
    server.server_activate()
    port = server.server_address[1]
    if not args.public_url:
        args.public_url = "https://localhost:%d" % port
    if not args.plain_http:
        context = testca.server_context(args.cert, args.cert_dir)
        server.socket = context.wrap_socket(server.socket, server_side=True,
                                            do_handshake_on_connect=False)
    server.platform = Platform(args)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    # The same services in plain text, for addresses that must be refused (or checked by their
    # digest) because they are not https.
    plain = Server(("127.0.0.1", 0), Handler)
    plain.platform = server.platform
    server.platform.plain_url = "http://localhost:%d" % plain.server_address[1]
    server.plain_server = plain
    threading.Thread(target=plain.serve_forever, daemon=True).start()
    return server


def parse_args(argv=None):
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=8443, help="0 picks a free port")
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--port-file", help="write the port here once listening")
    parser.add_argument("--public-url", help="base of the addresses handed out "
                        "(default https://localhost:PORT)")
    parser.add_argument("--cert", default="localhost",
                        help="certificate of the test authority's folder: "
                        + ", ".join(testca.SERVER_CERTIFICATES))
    parser.add_argument("--cert-dir", help="default $VEXO_TESTCA_DIR, else $VEXO_CACHE/testca, "
                        "else ~/.cache/vexo/testca")
    parser.add_argument("--plain-http", action="store_true", help="serve HTTP instead of HTTPS")
    parser.add_argument("--assets", default=os.path.join(HERE, "assets"))
    parser.add_argument("--game-name", default="星陨")
    parser.add_argument("--installer", help="the stand-in installer (VexoStandInInstaller.exe)")
    parser.add_argument("--installer-padding", type=int, default=2 * 1024 * 1024)
    parser.add_argument("--installer-config", action="append", metavar="NAME=VALUE")
    parser.add_argument("--set", action="append", metavar="SERVICE=MODE")
    parser.add_argument("--log", help="append the recorded requests here (JSON lines)")
    parser.add_argument("--seconds", type=float, default=0, help="stop after this long (0: never)")
    return parser.parse_args(argv)


def main():
    args = parse_args()
    server = start(args)
    if args.port_file:
        with open(args.port_file, "w") as f:
            f.write(str(server.server_address[1]))
    print("stand-in platform on %s" % args.public_url, flush=True)
    try:
        if args.seconds > 0:
            time.sleep(args.seconds)
        else:
            while True:
                time.sleep(3600)
    except KeyboardInterrupt:
        pass
    server.shutdown()


if __name__ == "__main__":
    main()
