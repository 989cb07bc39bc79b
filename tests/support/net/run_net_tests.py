"""Runs the network test program under Wine against servers started here.

Starts the scriptable test server and nginx (static files, HTTP and HTTPS) on loopback ports,
passes their addresses to the test program in environment variables, runs it, then runs the
traffic-log cases three more times from copies of the program whose config.ini sets "loghttp" to
"1", to "true", or not at all (the switch is read once per process). Stops every server at the
end. Exit status: 0 when every run passed.
"""

import argparse
import os
import shutil
import sys
import tempfile

import test_server  # beside this script
from vexoharness import testca
from vexoharness.servers import Nginx, free_port
from vexoharness.wine import run_gtest

RUN_SECONDS = 400


def make_docroot(path):
    os.makedirs(path)
    with open(os.path.join(path, "small.txt"), "w") as f:
        f.write("small file served by nginx\n")
    with open(os.path.join(path, "file300k.bin"), "wb") as f:
        f.write(test_server.blob(300000))
    with open(os.path.join(path, "picture.png"), "wb") as f:
        f.write(test_server.PNG_BYTES)


def run(program, env, gtest_filter=None):
    return run_gtest(program, env=env, gtest_filter=gtest_filter, timeout=RUN_SECONDS)


def traffic_log_runs(program, env, workdir):
    """Copies of the program beside config.ini variants; each must see its own dump mode."""
    variants = [("dump-on", "[config]\r\nloghttp=1\r\n", "dump"),
                ("dump-true", "[config]\r\nloghttp=true\r\n", "none"),
                ("dump-absent", None, "none")]
    failures = 0
    for name, config, expect in variants:
        folder = os.path.join(workdir, name)
        os.makedirs(folder)
        copy = os.path.join(folder, os.path.basename(program))
        shutil.copy(program, copy)
        if config is not None:
            with open(os.path.join(folder, "config.ini"), "w") as f:
                f.write(config)
        variant_env = dict(env, VEXO_NET_DUMP_MODE=expect)
        failures += run(copy, variant_env, "TrafficLog*") != 0
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tests", required=True, help="the network test program (.exe)")
    parser.add_argument("--child", required=True, help="the process runner's child program")
    parser.add_argument("--gtest-filter", help="run only these cases of the main run")
    args = parser.parse_args()

    workdir = tempfile.mkdtemp(prefix="vexo-net-")
    os.chmod(workdir, 0o755)  # nginx's workers run as an unprivileged user
    docroot = os.path.join(workdir, "docroot")
    make_docroot(docroot)
    # A file on a device that is always full: every write to it fails.
    full_disk_file = os.path.join(workdir, "full.bin")
    os.symlink("/dev/full", full_disk_file)
    server = test_server.start_server()
    nginx = None
    try:
        nginx = Nginx(os.path.join(workdir, "nginx"), docroot)
        env = dict(os.environ)
        env.update({
            "VEXO_NET_HTTP": "http://127.0.0.1:%d" % server.server_address[1],
            "VEXO_NET_NGINX": nginx.http_url(),
            "VEXO_NET_TLS_GOOD": nginx.https_url(testca.TRUSTED_CERTIFICATE),
            "VEXO_NET_REFUSED": "http://127.0.0.1:%d" % free_port(),
            "VEXO_NET_DOCROOT": docroot,
            "VEXO_NET_ACCESS_LOG": nginx.access_log,
            "VEXO_NET_CHILD": os.path.abspath(args.child),
            "VEXO_NET_FULL_DISK_FILE": full_disk_file,
        })
        # VEXO_NET_TLS_WRONGNAME and the like: servers whose certificate must be refused.
        env.update({"VEXO_NET_TLS_" + name.upper(): nginx.https_url(name)
                    for name in testca.REFUSED_CERTIFICATES})
        failures = run(args.tests, env, args.gtest_filter) != 0
        failures += traffic_log_runs(args.tests, env, workdir)
    finally:
        if nginx:
            nginx.stop()
        server.shutdown()
        shutil.rmtree(workdir, ignore_errors=True)
    print("network test runs: %s" % ("all passed" if not failures else "%d failed" % failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
