#!/usr/bin/env python3
"""Memory of the fleet driver against panels that send without end.

Usage: flood_bench.py CLI SIM [--seconds S]

Runs fleetsync-cli (no --once) against two simulated panels with an isolated
adb server of its own:
  - one answers "getprop ro.app.name" with output that never ends (every pass
    is cut at the output cap and retried a second later);
  - one floods its followed log (an upgrade that never finishes, its log
    full of noise for as long as it is followed).
Samples the driver's resident memory once a second and reports it with the
bytes the driver read meanwhile (its adb children's output). Memory must
stay flat whatever the panels send.
"""
import argparse
import json
import os
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fleet_bench import Environment, rss_kib, write_config  # noqa: E402


def read_bytes(pid):
    """Bytes the process has read: for the driver, mostly its adb children's output."""
    with open(f"/proc/{pid}/io") as f:
        return int(dict(line.split(": ") for line in f.read().splitlines())["rchar"])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("sim")
    parser.add_argument("--seconds", type=int, default=60)
    args = parser.parse_args()
    addresses = ["127.0.0.2", "127.0.0.3"]
    with tempfile.TemporaryDirectory(prefix="flood-bench-") as root:
        image = os.path.join(root, "update.img")
        with open(image, "wb") as f:
            f.write(b"FLEETSYNC-IMAGE version=1.1.0\n" + bytes(64 * 1024))
        config = write_config(root, addresses, image)
        scenario = os.path.join(root, "scenario.json")
        with open(scenario, "w") as f:
            json.dump({"panels": [
                {"address": addresses[0], "faults": {"endless_output": ["getprop ro.app.name"]}},
                {"address": addresses[1], "faults": {"endless_output": ["logcat"]},
                 "timing": {"step_ms": 3600 * 1000}},
            ]}, f)
        with Environment(os.path.join(root, "adb")) as env:
            sim = subprocess.Popen([args.sim, "--scenario", scenario, "--state-dir",
                                    os.path.join(root, "state"), "--time-limit", str(args.seconds + 60)],
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            if "ready" not in sim.stdout.readline():
                raise SystemExit("simulator did not start")
            driver = subprocess.Popen([args.cli, *config], env=env.env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            start, read_start = time.monotonic(), read_bytes(driver.pid)
            samples = []
            while time.monotonic() - start < args.seconds:
                time.sleep(1)
                samples.append((time.monotonic() - start, rss_kib(driver.pid), read_bytes(driver.pid)))
            driver.send_signal(signal.SIGINT)
            driver.wait(30)
            sim.send_signal(signal.SIGTERM)
            sim.wait(30)
    sent_mib = (samples[-1][2] - read_start) / (1 << 20)
    rss = [kib for _, kib, _ in samples]
    late = rss[len(rss) // 2:]
    print(f"{args.seconds} s, the driver read {sent_mib:.0f} MiB ({sent_mib / args.seconds:.1f} MiB/s)")
    print(f"driver RSS: first {rss[0] / 1024:.1f} MiB, max {max(rss) / 1024:.1f} MiB, "
          f"second half {min(late) / 1024:.1f}..{max(late) / 1024:.1f} MiB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
