"""What the Python-driven tests share: checks that record a failure and go on (so that one run
reports everything that is wrong), parts run one after the other whatever befalls each, the
summary that makes the exit code, and xdotool (also for the benchmarks and the demonstration)."""
import argparse
import os
import subprocess
import time
import traceback

failures = []


def check(condition, what, context=None):
    """Records what was checked; context (lines) is printed with a failure."""
    print(("ok     " if condition else "FAILED ") + what, flush=True)
    if not condition:
        if context is not None:
            print("       " + "\n       ".join(context), flush=True)
        failures.append(what)
    return condition


def run_parts(parts, *args):
    """Runs each part with args; a part that breaks off is a failure, and the others still run."""
    for part in parts:
        print("== " + part.__name__, flush=True)
        started = time.time()
        try:
            part(*args)
        except AssertionError as error:  # a step the part cannot go on without
            check(False, "%s: %s" % (part.__name__, error))
        except Exception:  # pylint: disable=broad-except
            traceback.print_exc()
            check(False, part.__name__ + ": ran to the end")
        print("   (%.0f s)" % (time.time() - started), flush=True)


def summary():
    """The exit code of the test: 1 when any check failed."""
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


def xdotool(*args, timeout=20):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=timeout)


def xdotool_output(*args, timeout=20):
    """What xdotool prints (window ids, geometry); empty when it finds nothing."""
    return subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True,
                          timeout=timeout).stdout


def run_main(parts, options=("wine", "gallery", "artifacts")):
    """The main() of a test that drives a window: each option is a required --NAME VALUE, the
    artifacts folder (when there is one) is made, the parts run with the arguments; the exit
    code for sys.exit."""
    parser = argparse.ArgumentParser()
    for name in options:
        parser.add_argument("--" + name, required=True)
    args = parser.parse_args()
    artifacts = getattr(args, "artifacts", None)
    if artifacts:
        os.makedirs(artifacts, exist_ok=True)
    run_parts(parts, args)
    if artifacts:
        print("screenshots in", artifacts)
    return summary()

