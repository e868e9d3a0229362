#!/usr/bin/env python3
"""Fleet benchmark: fleetsync-cli --once against simulated panels.

Usage: fleet_bench.py CLI SIM [--panels N] [--image-mib M] [--steady-seconds S]

Runs, each time against a fresh simulator and a fresh isolated adb server:
  1. baseline: `xargs -P N` running adb connect + push + setprop per panel;
  2. fleetsync-cli --once (probe, identify, stage, trigger, follow the log,
     reboot, confirm the new version);
  3. fleetsync-cli without --once on the now-current fleet for a while:
     CPU and peak RSS of the driver at steady state, once keeping the fleet
     record (history.csv) and once with --no-history.
Prints the wall times, their ratio (target <= 1.2), the steady-state figures
per 100 panels and the driver's CPU per pass with and without the record
(passes counted from the simulator's own command log). Panels live on
127.0.0.2 and up.
"""
import argparse
import json
import os
import resource
import signal
import socket
import subprocess
import sys
import tempfile
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def make_image(path, mib):
    with open(path, "wb") as f:
        f.write(b"FLEETSYNC-IMAGE version=1.1.0\n")
        block = bytes(range(256)) * 4096  # 1 MiB
        for _ in range(mib):
            f.write(block)


class Environment:
    """An isolated adb server: its own port, HOME and TMPDIR."""

    def __init__(self, root):
        self.env = dict(os.environ)
        home = os.path.join(root, "home")
        tmp = os.path.join(root, "tmp")
        os.makedirs(home, exist_ok=True)
        os.makedirs(tmp, exist_ok=True)
        self.env.update(ANDROID_ADB_SERVER_PORT=str(free_port()), HOME=home, TMPDIR=tmp,
                        ADB_EMU="0", ADB_MDNS="0", ADB_USB="0")

    def adb(self, *args):
        return subprocess.run(["adb", *args], env=self.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def __enter__(self):
        self.adb("start-server")
        return self

    def __exit__(self, *exc):
        self.adb("kill-server")


class Simulator:
    def __init__(self, sim, root, addresses):
        self.state = os.path.join(root, "sim-state")
        scenario = os.path.join(root, "scenario.json")
        timing = {"enter_ms": 50, "step_ms": 50, "parts": 2, "reboot_ms": 300}
        with open(scenario, "w") as f:
            json.dump({"defaults": {"timing": timing},
                       "panels": [{"address": a} for a in addresses]}, f)
        self.process = subprocess.Popen(
            [sim, "--scenario", scenario, "--state-dir", self.state, "--time-limit", "1800"],
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        line = self.process.stdout.readline()
        if "ready" not in line:
            raise SystemExit("simulator did not start: " + line + self.process.stdout.read())

    def close(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        subprocess.run(["rm", "-rf", self.state])


def baseline(env, addresses, image):
    script = ('adb connect "$0:5555" >/dev/null && '
              'adb -s "$0:5555" push "$1" /tmp/fleet-sync/update.img >/dev/null && '
              'adb -s "$0:5555" shell setprop sys.qnupgrade.flag 255')
    start = time.monotonic()
    subprocess.run(["xargs", "-P", str(len(addresses)), "-I{}", "sh", "-c", script, "{}", image],
                   input="\n".join(addresses) + "\n", text=True, env=env.env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    return time.monotonic() - start


def write_config(root, addresses, image):
    settings = os.path.join(root, "settings.ini")
    ips = os.path.join(root, "ip.txt")
    with open(settings, "w") as f:
        f.write(f"[fleet]\nupdate_file={image}\nversion=1.1.0\nproject=demo\nforce_update=0\n")
    with open(ips, "w") as f:
        f.write("\n".join(addresses) + "\n")
    return ["--settings", settings, "--ips", ips]


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def version_reads(state_dir, addresses):
    """Passes that got as far as reading the version, from the simulator's
    record of every panel (its command log keeps the last 2000 commands)."""
    total = 0
    for address in addresses:
        try:
            with open(os.path.join(state_dir, address, "state.json")) as f:
                total += json.load(f)["commands"].count("getprop ro.app.version")
        except (OSError, ValueError, KeyError):
            pass
    return total


def steady_state(cli, config, env, sim, addresses, seconds, extra):
    """Driver CPU, wall time, peak RSS, CPU of it with its adb clients and the
    passes made over `seconds` of a fleet that stays current."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    steady = subprocess.Popen([cli, *config, *extra], env=env.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(3)  # every panel through its first passes
    reads_start = version_reads(sim.state, addresses)
    cpu_start, wall_start = cpu_seconds(steady.pid), time.monotonic()
    peak_rss = 0
    while time.monotonic() - wall_start < seconds:
        peak_rss = max(peak_rss, rss_kib(steady.pid))
        time.sleep(0.5)
    driver_cpu = cpu_seconds(steady.pid) - cpu_start
    wall = time.monotonic() - wall_start
    passes = version_reads(sim.state, addresses) - reads_start
    steady.send_signal(signal.SIGINT)
    steady.wait(30)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    total_cpu = (after.ru_utime + after.ru_stime) - (before.ru_utime + before.ru_stime)
    return driver_cpu, wall, peak_rss, total_cpu, passes


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("sim")
    parser.add_argument("--panels", type=int, default=250)
    parser.add_argument("--image-mib", type=int, default=16)
    parser.add_argument("--steady-seconds", type=int, default=20)
    args = parser.parse_args()
    addresses = [f"127.0.{(i + 2) // 256}.{(i + 2) % 256}" for i in range(args.panels)]

    with tempfile.TemporaryDirectory(prefix="fleet-bench-") as root:
        image = os.path.join(root, "update.img")
        make_image(image, args.image_mib)
        config = write_config(root, addresses, image)

        with Environment(os.path.join(root, "a")) as env:
            sim = Simulator(args.sim, root, addresses)
            try:
                base_seconds = baseline(env, addresses, image)
            finally:
                sim.close()

        with Environment(os.path.join(root, "b")) as env:
            sim = Simulator(args.sim, root, addresses)
            try:
                start = time.monotonic()
                run = subprocess.run([args.cli, "--once", "--timeout", "60", "--history",
                                      os.path.join(root, "once.csv"), *config],
                                     env=env.env,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
                cli_seconds = time.monotonic() - start
                done = run.stdout.count(" done\n")

                history = os.path.join(root, "history.csv")
                driver_cpu, wall, peak_rss, total_cpu, passes = steady_state(
                    args.cli, config, env, sim, addresses, args.steady_seconds,
                    ["--history", history])
                bare_cpu, bare_wall, _, _, bare_passes = steady_state(
                    args.cli, config, env, sim, addresses, args.steady_seconds, ["--no-history"])
                with open(history, encoding="utf-8-sig") as f:
                    record_lines = sum(1 for _ in f) - 1
            finally:
                sim.close()

    per100 = 100.0 / args.panels
    print(f"panels={args.panels} image={args.image_mib}MiB")
    print(f"baseline (xargs -P {args.panels}: connect+push+setprop): {base_seconds:.2f} s")
    print(f"fleetsync-cli --once: {cli_seconds:.2f} s, exit {run.returncode}, "
          f"{done}/{args.panels} panels done")
    print(f"ratio cli/baseline: {cli_seconds / base_seconds:.2f} (target <= 1.2)")
    print(f"steady state ({wall:.0f} s, all current): driver CPU {100 * driver_cpu / wall * per100:.1f}% "
          f"of a core per 100 panels, with its adb clients "
          f"{100 * total_cpu / (wall + 3) * per100:.1f}%; peak RSS {peak_rss / 1024 * per100:.1f} MiB "
          f"per 100 panels ({peak_rss / 1024:.1f} MiB total)")
    with_record = driver_cpu / max(passes, 1)
    without_record = bare_cpu / max(bare_passes, 1)
    print(f"fleet record: {record_lines} lines; driver CPU per pass {1e3 * with_record:.3f} ms "
          f"with it ({passes / wall:.0f} passes/s), {1e3 * without_record:.3f} ms without "
          f"({bare_passes / bare_wall:.0f} passes/s); ratio {with_record / max(without_record, 1e-9):.2f}")
    if run.returncode != 0:
        print(run.stdout[-3000:], file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
