#!/usr/bin/env python3
"""MODBUS servers under the same load, and the master's RTU cycle on a pty.

Usage: modbus_bench.py BIN PEER_SCRIPT LIBMODBUS_SERVER SECONDS

BIN holds quobrix and modbus_load; PEER_SCRIPT is tests/modbus/pymodbus_peer.py
(pymodbus 3.0's TCP server); LIBMODBUS_SERVER is libmodbus's unit-test-server
built from Debian's examples ("" when there is none). Each server is read by
modbus_load (our master, ten holding registers a request, every answer
checked) with 1 and 16 clients for SECONDS each; libmodbus's test server takes
one connection only. Then quobrix modbus serve --rtu on one end of a socat
pty pair and modbus_load rtu on the other: the master's cycle beside the wire
time of the frames at 115200 baud. With 16 clients the client, the same for
every server, takes most of two cores, so the servers are also held to the
processor time each takes a request (its own /proc/PID/stat, user and
system). Prints markdown rows: Measure | Quobrix | Reference | Time ratio |
Goal.
"""
import json
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import time

# Holding registers 0-19 as pymodbus_peer.py's server holds them.
MAP = "u16 40001 " + " ".join(str(100 + a) for a in range(20)) + "\n"


def row(*cells):
    return "| " + " | ".join(cells) + " |"


def wait_for(condition, bound=20.0):
    end = time.monotonic() + bound
    while not condition():
        if time.monotonic() > end:
            raise RuntimeError("modbus_bench: a server did not start")
        time.sleep(0.01)


def cpu_seconds(pid):
    """The user and system time a process has taken, in seconds."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def load(bin_dir, port, unit, address, clients, seconds, server_pid=None):
    """Requests answered a second, requests failed, and the server's processor
    microseconds a request (None when its pid is not known)."""
    before = cpu_seconds(server_pid) if server_pid else 0.0
    out = subprocess.run([os.path.join(bin_dir, "modbus_load"), "tcp", "127.0.0.1", str(port), str(unit),
                          str(address), "10", str(clients), str(seconds)],
                         check=True, capture_output=True, text=True).stdout
    result = json.loads(out)
    cost = None
    if server_pid and result["answered"]:
        cost = (cpu_seconds(server_pid) - before) * 1e6 / result["answered"]
    return result["answered"] / result["seconds"], result["failed"], cost


def listening(port):
    with socket.socket() as probe:
        return probe.connect_ex(("127.0.0.1", port)) == 0


def quobrix_server(bin_dir, folder):
    with open(os.path.join(folder, "device.map"), "w") as f:
        f.write(MAP)
    err = open(os.path.join(folder, "serve.err"), "w+")
    server = subprocess.Popen([os.path.join(bin_dir, "quobrix"), "modbus", "serve", "--tcp", "127.0.0.1:0",
                               "--map", os.path.join(folder, "device.map")],
                              stdout=subprocess.DEVNULL, stderr=err)
    found = []

    def port_said():
        err.seek(0)
        found[:] = re.findall(r"listening on port (\d+)", err.read())
        return bool(found)
    wait_for(port_said)
    return server, int(found[0])


def pymodbus_server(script):
    server = subprocess.Popen(["/usr/bin/python3", script, "server"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True)
    line = server.stdout.readline()
    if not line.startswith("port "):
        server.kill()
        return None, 0
    return server, int(line.split()[1])


def stop(server, signal_number=signal.SIGINT):
    server.send_signal(signal_number)
    try:
        server.wait(timeout=10)
    except subprocess.TimeoutExpired:
        server.kill()
        server.wait()


def main():
    bin_dir, peer_script, libmodbus_server, seconds = sys.argv[1], sys.argv[2], sys.argv[3], float(sys.argv[4])
    rows = []
    with tempfile.TemporaryDirectory() as folder:
        server, port = quobrix_server(bin_dir, folder)
        ours = {clients: load(bin_dir, port, 1, 0, clients, seconds, server.pid) for clients in (1, 16)}
        stop(server)

        theirs_py = {}
        py_server, py_port = pymodbus_server(peer_script)
        if py_server is not None:
            theirs_py = {clients: load(bin_dir, py_port, 1, 0, clients, seconds, py_server.pid)
                         for clients in (1, 16)}
            py_server.stdin.write("quit\n")
            py_server.stdin.flush()
            stop(py_server, signal.SIGTERM)

        theirs_lib = None
        if libmodbus_server and os.path.exists(libmodbus_server):
            wait_for(lambda: not listening(1502))
            lib = subprocess.Popen([libmodbus_server, "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            # Its one accept would go to a probe: wait for the kernel's table instead.
            wait_for(lambda: " 0100007F:05DE 00000000:0000 0A " in open("/proc/net/tcp").read())
            theirs_lib = load(bin_dir, 1502, 255, 0x160, 1, seconds)
            stop(lib, signal.SIGTERM)

        for clients in (1, 16):
            rate, failed, _ = ours[clients]
            py = theirs_py.get(clients)
            cells = ["%.0f requests/s" % rate]
            if clients == 1 and theirs_lib:
                reference = "libmodbus unit-test-server %.0f/s, pymodbus %s" % (
                    theirs_lib[0], "%.0f/s" % py[0] if py else "n/a")
                ratio = "%.2f (libmodbus's rate / ours)" % (theirs_lib[0] / rate) if rate else "-"
                goal = "at least libmodbus's rate, well above pymodbus's: %s" % (
                    "met" if rate >= theirs_lib[0] and (not py or rate > 2 * py[0]) else "NOT met")
            else:
                reference = "pymodbus %s (libmodbus's test server takes one connection)" % (
                    "%.0f/s" % py[0] if py else "n/a")
                ratio = "%.2f (pymodbus's rate / ours)" % (py[0] / rate) if py and rate else "-"
                goal = "well above pymodbus's: %s" % ("met" if not py or rate > 2 * py[0] else "NOT met")
            if failed:
                goal += "; %d requests failed" % failed
            rows.append(row("quobrix modbus serve over TCP, %d client%s, 10 registers a request" % (
                clients, "" if clients == 1 else "s"), cells[0], reference, ratio, goal))
            py = theirs_py.get(clients)
            if ours[clients][2] and py and py[2]:
                ratio = py[2] / ours[clients][2]
                rows.append(row("quobrix modbus serve's processor time a request, %d client%s" % (
                    clients, "" if clients == 1 else "s"), "%.1f us" % ours[clients][2],
                    "pymodbus %.1f us" % py[2], "%.2f (pymodbus's time / ours)" % ratio,
                    "well under pymodbus's: %s" % ("met" if ratio >= 2 else "NOT met")))

        rows.append(rtu_row(bin_dir, folder, seconds))
    print("\n".join(rows))


def rtu_row(bin_dir, folder, seconds):
    label = "MODBUS RTU poll cycle on a pty at 115200 baud, 10 registers"
    if not os.path.exists("/usr/bin/socat"):
        return row(label, "-", "-", "-", "not measured: socat missing")
    a, b = os.path.join(folder, "A"), os.path.join(folder, "B")
    socat = subprocess.Popen(["/usr/bin/socat", "pty,rawer,link=" + a, "pty,rawer,link=" + b],
                             stderr=subprocess.DEVNULL)
    wait_for(lambda: os.path.exists(a) and os.path.exists(b))
    err = open(os.path.join(folder, "rtu.err"), "w+")
    server = subprocess.Popen([os.path.join(bin_dir, "quobrix"), "modbus", "serve", "--rtu", a, "--baud", "115200",
                               "--map", os.path.join(folder, "device.map")], stdout=subprocess.DEVNULL, stderr=err)

    def serving():
        err.seek(0)
        return "serving" in err.read()
    wait_for(serving)
    out = subprocess.run([os.path.join(bin_dir, "modbus_load"), "rtu", b, "115200", "1", "0", "10", str(seconds)],
                         capture_output=True, text=True).stdout
    stop(server)
    socat.terminate()
    socat.wait()
    result = json.loads(out)
    if not result.get("answered"):
        return row(label, "-", "-", "-", "no answer")
    over = (result["median_us"] - result["wire_us"]) / 1000.0
    return row(label, "median %.2f ms, slowest %.2f ms" % (result["median_us"] / 1000.0, result["slowest_us"] / 1000.0),
               "the frames' wire time %.2f ms (a pty sends at once)" % (result["wire_us"] / 1000.0),
               "%.2f" % (result["median_us"] / result["wire_us"]),
               "within 1 ms of the wire time: %s (%+.2f ms)" % ("met" if over <= 1.0 else "NOT met", over))


if __name__ == "__main__":
    main()
