"""Runs the installer-logic test program under Wine against servers started here.

Starts the stand-in platform (tools/platform/vexo_platform.py, as a program) on a free loopback
port with the test authority's "localhost" certificate and the stand-in client installer, one
more instance for each certificate that must be refused (testca.REFUSED_CERTIFICATES: wrong name,
expired, self-signed, signed by a certificate that may not sign), and a small HTTP CONNECT proxy
that logs every tunnel it opens. Their addresses, and the thumbprint of the certificate that signs
the client installer, reach the test program in environment variables.
Exit status: the test program's.
"""

import argparse
import os
import shutil
import sys
import tempfile

from vexoharness import signing, testca
from vexoharness.platform import StandInPlatform
from vexoharness.servers import ConnectProxy, free_port
from vexoharness.wine import run_gtest

RUN_SECONDS = 1200


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
        main_platform = start_platform(workdir, testca.TRUSTED_CERTIFICATE,
                                       os.path.abspath(args.installer))
        platforms.append(main_platform)
        refused = {name: start_platform(workdir, name) for name in testca.REFUSED_CERTIFICATES}
        platforms.extend(refused.values())
        proxy = ConnectProxy(os.path.join(workdir, "proxy.log"))

        env = dict(os.environ)
        env.update({
            "VEXO_PLATFORM": main_platform.base,
            "VEXO_REFUSED": "https://localhost:%d" % free_port(),
            "VEXO_PROXY": proxy.address,
            "VEXO_PROXY_LOG": proxy.log_path,
            "VEXO_STANDIN_CLIENT": os.path.abspath(args.client),
            "VEXO_PUBLISHER_SHA256": signing.thumbprint("codesign"),
        })
        # VEXO_PLATFORM_WRONGNAME and the like: instances whose certificate must be refused.
        env.update({"VEXO_PLATFORM_" + name.upper(): platform.base
                    for name, platform in refused.items()})
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
