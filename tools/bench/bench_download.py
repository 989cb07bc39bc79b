"""Download benchmark driver: nginx on loopback serves generated files; bench_download.exe
fetches them under Wine through CLibHttpHelper::DownloadFile, and curl fetches the largest one
natively. Prints wall time, CPU time and peak memory beside the bound the download pacing
implies (chunks of 131072 bytes, a 50 ms pause after four of every five chunks).

    python3 bench_download.py BENCH_EXE [--sizes-mib 8,64]
"""

import argparse
import os
import re
import resource
import shutil
import subprocess
import tempfile
import time

from vexoharness.servers import Nginx
from vexoharness.wine import WINE_RUN

CHUNK = 131072
PAUSE_S = 0.050


def pacing_bound_s(size):
    chunks = size // CHUNK  # whole chunks' worth of data; the rest brings no pause
    pauses = chunks - chunks // 5
    return pauses * PAUSE_S


def children_usage():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def run_measured(cmd):
    """Runs cmd; returns its output (stdout, then stderr), wall seconds and the CPU seconds its
    processes used."""
    cpu_before, _ = children_usage()
    start = time.monotonic()
    done = subprocess.run(cmd, check=True, capture_output=True, text=True, timeout=300)
    wall = time.monotonic() - start
    cpu_after, _ = children_usage()
    return done.stdout + done.stderr, wall, cpu_after - cpu_before


def curl_figures(url):
    """curl's bytes, wall time, CPU time and peak resident memory."""
    out, wall, cpu = run_measured(
        ["/usr/bin/time", "-f", "maxrss_kib=%M", "curl", "-s", "-o", os.devnull,
         "-w", "bytes=%{size_download}\n", url])
    figures = dict(re.findall(r"(\w+)=([\d.]+)", out))
    return figures, wall, cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bench_exe")
    parser.add_argument("--sizes-mib", default="8,64")
    args = parser.parse_args()
    sizes = [int(s) * 1024 * 1024 for s in args.sizes_mib.split(",")]

    workdir = tempfile.mkdtemp(prefix="vexo-bench-")
    os.chmod(workdir, 0o755)
    docroot = os.path.join(workdir, "docroot")
    os.makedirs(docroot)
    for size in sizes:
        with open(os.path.join(docroot, "f%d.bin" % size), "wb") as f:
            for _ in range(size // (1 << 20)):
                f.write(os.urandom(1 << 20))
    nginx = Nginx(os.path.join(workdir, "nginx"), docroot)
    try:
        # One throw-away run, so Wine's start-up is not in the first figure.
        subprocess.run([WINE_RUN, args.bench_exe, nginx.http_url() + "/f%d.bin" % sizes[0]],
                       capture_output=True, timeout=300)
        print("DownloadFile under Wine (nginx on 127.0.0.1, file of random bytes):")
        for size in sizes:
            url = nginx.http_url() + "/f%d.bin" % size
            out, outer_wall, outer_cpu = run_measured([WINE_RUN, args.bench_exe, url])
            figures = dict(re.findall(r"(\w+)=([\d.]+)", out))
            bound = pacing_bound_s(size)
            wall = float(figures["wall_s"])
            mib = size / (1 << 20)
            cpu = float(figures["cpu_user_s"]) + float(figures["cpu_kernel_s"])
            print("  %3d MiB: %.2f s (%.2f MiB/s); pacing bound %.2f s (%.2f MiB/s): %.1f%% of "
                  "the bound" % (mib, wall, mib / wall, bound, mib / bound, 100 * bound / wall))
            print("           CPU %.2f s in the process (%.2f s for the whole wine run of %.2f s)"
                  % (cpu, outer_cpu, outer_wall))
            print("           memory: working set %s KiB at start, peak %s KiB; private bytes "
                  "%s KiB at start, peak %s KiB" % (figures["ws_before_kib"], figures["ws_peak_kib"],
                                                     figures["private_before_kib"],
                                                     figures["private_peak_kib"]))
            print("           %s progress calls, longest gap %s s, result %s, %s bytes on disk"
                  % (figures["progress_calls"], figures["longest_gap_s"], figures["result"],
                     figures["bytes"]))
            if int(figures["bytes"]) != size or figures["result"] != "1":
                print("  DOWNLOAD INCOMPLETE")
        largest = sizes[-1]
        curl, wall, cpu = curl_figures(nginx.http_url() + "/f%d.bin" % largest)
        mib = largest / (1 << 20)
        print("curl (native, unpaced), %d MiB: %.2f s (%.1f MiB/s), CPU %.2f s, peak resident "
              "%s KiB, %s bytes" % (mib, wall, mib / wall, cpu, curl.get("maxrss_kib", "?"),
                                    curl.get("bytes", "?")))
    finally:
        nginx.stop()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    main()
