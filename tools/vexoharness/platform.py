"""The stand-in platform (tools/platform/vexo_platform.py) started as a program for the tests,
the benchmarks and the demonstration, and spoken to over its control endpoint."""
import json
import os
import ssl
import sys
import urllib.request

from . import TOOLS
from .servers import ReadyProgram

PROGRAM = os.path.join(TOOLS, "platform", "vexo_platform.py")


class StandInPlatform(ReadyProgram):
    """The platform on https://localhost:PORT (8443: the default build's service hosts; 0: a
    free port), with the test authority's certificate cert. It stops by itself after seconds,
    so that none outlives a run that was cut short."""

    def __init__(self, installer=None, log=None, port=8443, cert=None, padding=None, sets=(),
                 installer_config=(), seconds=900):
        cmd = [sys.executable, PROGRAM, "--port", str(port), "--seconds", str(seconds)]
        for flag, value in (("--installer", installer), ("--log", log), ("--cert", cert),
                            ("--installer-padding", padding)):
            if value is not None:
                cmd += [flag, str(value)]
        for item in sets:
            cmd += ["--set", item]
        for item in installer_config:
            cmd += ["--installer-config", item]
        super().__init__(cmd, r"stand-in platform on (\S+)")
        self.base = self.ready.group(1)
        self.port = int(self.base.rsplit(":", 1)[1])
        self.log = log

    def _call(self, path, body=None):
        # The test authority's certificate is for the installer; this side only talks to the
        # platform it started on this machine.
        context = ssl._create_unverified_context()
        data = None if body is None else json.dumps(body).encode("utf-8")
        with urllib.request.urlopen(urllib.request.Request(self.base + path, data=data),
                                    context=context, timeout=30) as reply:
            return reply.read()

    def control(self, **body):
        """Reconfigures the running platform: set={SERVICE: MODE}, installer={NAME: VALUE},
        clear=True (forget the recorded requests)."""
        return json.loads(self._call("/control", body))

    def recorded(self):
        """The requests recorded since the last clear."""
        text = self._call("/control/requests").decode("utf-8")
        return [json.loads(line) for line in text.splitlines() if line.strip()]

    def served_installer(self):
        """The client installer as the platform serves it now (the request is recorded)."""
        return self._call("/client/VexoInstall.exe")

    def served_installer_etag(self):
        """The validator (ETag) the platform names for the client installer now."""
        context = ssl._create_unverified_context()
        with urllib.request.urlopen(self.base + "/client/VexoInstall.exe", context=context,
                                    timeout=30) as reply:
            return reply.headers.get("ETag", "")

    def requests(self):
        """The requests of its log file (--log)."""
        if not self.log or not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8") as f:
            return [json.loads(line) for line in f if line.strip()]
