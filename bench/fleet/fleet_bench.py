#!/usr/bin/env python3
"""Fleet benchmark: fleetsync-cli --once against simulated panels.

Usage: fleet_bench.py CLI SIM [--panels N] [--image-mib M] [--steady-seconds S]
                      [--before OLD_CLI]

Runs, each time against a fresh simulator and a fresh isolated adb server:
  1. baseline: `xargs -P N` running adb connect + push + setprop per panel;
  2. fleetsync-cli --once (probe, identify, stage, trigger, follow the log,
     reboot, confirm the new version);
  3. fleetsync-cli without --once on the now-current fleet for a while, once
     keeping the fleet record (history.csv) and once with --no-history: CPU
     of the driver, of the adb clients it starts and of the adb server (from
     /proc; the simulator stands for the panels and is not counted), peak RSS
     of the driver, and the adb processes besides the server that were seen.
Steps 2 and 3 run for OLD_CLI too when given (a build of an earlier commit),
in the same run. Prints the wall times, their ratio to the baseline (target
<= 1.0), the steady-state figures per 100 panels (target <= 15 % of a core
all told) and the driver's CPU per pass with and without the record (passes
counted from the simulator's own command log). Panels live on 127.0.0.2 and up.
"""
import argparse
import json
import os
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


def cpu_seconds(pid, with_children=False):
    """CPU of a process; with its reaped children (the driver's adb clients)."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return 0.0
    ticks = int(fields[11]) + int(fields[12])
    if with_children:
        ticks += int(fields[13]) + int(fields[14])
    return ticks / os.sysconf("SC_CLK_TCK")


def adb_processes(port):
    """The adb server on `port` and the other adb processes using it."""
    server, others = None, []
    for entry in os.listdir("/proc"):
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                argv = f.read().split(b"\0")
            if os.path.basename(argv[0]) != b"adb":
                continue
            with open(f"/proc/{entry}/environ", "rb") as f:
                environ = f.read().split(b"\0")
        except OSError:
            continue
        if b"fork-server" in argv and f"tcp:{port}".encode() in argv:
            server = int(entry)
        elif f"ANDROID_ADB_SERVER_PORT={port}".encode() in environ:
            others.append(int(entry))
    return server, others


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
    """CPU (driver alone, with its adb clients, adb server), wall time, peak
    RSS, passes and adb clients seen over `seconds` of a fleet that stays
    current."""
    port = env.env["ANDROID_ADB_SERVER_PORT"]
    steady = subprocess.Popen([cli, *config, *extra], env=env.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(3)  # every panel through its first passes
    server = adb_processes(port)[0]
    reads_start = version_reads(sim.state, addresses)
    start = (cpu_seconds(steady.pid), cpu_seconds(steady.pid, True), cpu_seconds(server))
    wall_start = time.monotonic()
    peak_rss, clients = 0, set()
    while time.monotonic() - wall_start < seconds:
        peak_rss = max(peak_rss, rss_kib(steady.pid))
        clients.update(adb_processes(port)[1])
        time.sleep(0.2)
    end = (cpu_seconds(steady.pid), cpu_seconds(steady.pid, True), cpu_seconds(server))
    wall = time.monotonic() - wall_start
    passes = version_reads(sim.state, addresses) - reads_start
    steady.send_signal(signal.SIGINT)
    steady.wait(30)
    driver, with_clients, server_cpu = (b - a for a, b in zip(start, end))
    return {"driver": driver, "with_clients": with_clients, "server": server_cpu, "wall": wall,
            "peak_rss": peak_rss, "passes": passes, "clients": len(clients)}


def measure(cli, sim_path, root, addresses, config, seconds):
    """--once, then the steady state with and without the fleet record."""
    folder = os.path.join(root, "b" + str(len(os.listdir(root))))
    with Environment(folder) as env:
        sim = Simulator(sim_path, root, addresses)
        try:
            start = time.monotonic()
            run = subprocess.run([cli, "--once", "--timeout", "60", "--history",
                                  os.path.join(folder, "once.csv"), *config], env=env.env,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            once = time.monotonic() - start
            history = os.path.join(folder, "history.csv")
            kept = steady_state(cli, config, env, sim, addresses, seconds, ["--history", history])
            bare = steady_state(cli, config, env, sim, addresses, seconds, ["--no-history"])
            with open(history, encoding="utf-8-sig") as f:
                record_lines = sum(1 for _ in f) - 1
        finally:
            sim.close()
    return run, once, kept, bare, record_lines


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("sim")
    parser.add_argument("--panels", type=int, default=250)
    parser.add_argument("--image-mib", type=int, default=16)
    parser.add_argument("--steady-seconds", type=int, default=20)
    parser.add_argument("--before", help="fleetsync-cli of an earlier build, measured in the same run")
    args = parser.parse_args()
    addresses = [f"127.0.{(i + 2) // 256}.{(i + 2) % 256}" for i in range(args.panels)]
    clis = ([("before", args.before)] if args.before else []) + [("now", args.cli)]

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
        results = [(label, measure(cli, args.sim, root, addresses, config, args.steady_seconds))
                   for label, cli in clis]

    per100 = 100.0 / args.panels
    print(f"panels={args.panels} image={args.image_mib}MiB load average {os.getloadavg()[0]:.1f}")
    print(f"baseline (xargs -P {args.panels}: connect+push+setprop): {base_seconds:.2f} s")
    failed = False
    for label, (run, once, kept, bare, record_lines) in results:
        done = run.stdout.count(" done\n")
        print(f"[{label}] fleetsync-cli --once: {once:.2f} s, exit {run.returncode}, "
              f"{done}/{args.panels} panels done; ratio to the baseline {once / base_seconds:.2f} "
              f"(target <= 1.0)")
        share = lambda cpu: 100 * cpu / kept["wall"] * per100
        print(f"[{label}] steady state ({kept['wall']:.0f} s, all current), % of a core per 100 "
              f"panels: driver {share(kept['driver']):.1f}, with its adb clients "
              f"{share(kept['with_clients']):.1f}, adb server {share(kept['server']):.1f}, all told "
              f"{share(kept['with_clients'] + kept['server']):.1f} (target <= 15); adb processes "
              f"besides the server: {kept['clients']}; peak RSS {kept['peak_rss'] / 1024:.1f} MiB")
        with_record = kept["driver"] / max(kept["passes"], 1)
        without_record = bare["driver"] / max(bare["passes"], 1)
        print(f"[{label}] fleet record: {record_lines} lines; driver CPU per pass "
              f"{1e3 * with_record:.3f} ms with it ({kept['passes'] / kept['wall']:.0f} passes/s), "
              f"{1e3 * without_record:.3f} ms without ({bare['passes'] / bare['wall']:.0f} passes/s); "
              f"ratio {with_record / max(without_record, 1e-9):.2f}")
        if run.returncode != 0:
            print(run.stdout[-3000:], file=sys.stderr)
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
