#!/usr/bin/env python3
"""A line controller's view of vemar-cli serve, through PyVISA and its
pure-Python backend: open TCPIP0::127.0.0.1::<port>::SOCKET, run a
simulated scan, read the curve with query_binary_values and compare it with
the CSV export the server writes. Exit 77 (skipped) without PyVISA.

Usage: pyvisa_scan.py VEMAR_CLI CONFIG"""

import os
import re
import signal
import subprocess
import sys
import tempfile
import time

try:
    import pyvisa
except ImportError:
    print("PyVISA is not installed (python3-pyvisa, python3-pyvisa-py)")
    sys.exit(77)


def start_server(program, config, documents):
    env = dict(os.environ, XDG_DOCUMENTS_DIR=documents, LC_ALL="C")
    server = subprocess.Popen(
        [program, "--simulate", "--seed", "7", "--sim-time-scale", "0.01", "--config", config,
         "serve", "--listen", "127.0.0.1:0"],
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env, text=True)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        line = server.stderr.readline()
        if not line:
            break
        found = re.search(r"listening on 127\.0\.0\.1:(\d+)", line)
        if found:
            return server, int(found.group(1))
    server.kill()
    raise RuntimeError("the server did not start listening")


def main():
    program, config = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="vemar-pyvisa-") as documents:
        server, port = start_server(program, config, documents)
        try:
            rm = pyvisa.ResourceManager("@py")
            inst = rm.open_resource(f"TCPIP0::127.0.0.1::{port}::SOCKET",
                                    read_termination="\n", write_termination="\n", timeout=20000)
            idn = inst.query("*IDN?")
            assert idn.startswith("Zelmora Optics,VEMAR "), idn
            inst.write("SENS:WAV:STAR 1538;STOP 1548;:SENS:DET 1;:SENS:SWE:COUN 1")
            inst.write("INIT")
            assert inst.query("*OPC?") == "1"
            assert inst.query("SYST:ERR?") == '0,"No error"'
            assert inst.query("TRAC:CAT?") == '"1"'

            values = inst.query_binary_values('TRAC:DATA? "1"', datatype="d", is_big_endian=False)
            pairs = list(zip(values[0::2], values[1::2]))
            assert len(pairs) == 2001, len(pairs)

            inst.write('MMEM:STOR:SCAN "pyvisa.csv"')
            assert inst.query("SYST:ERR?") == '0,"No error"'
            inst.close()
            rm.close()

            with open(os.path.join(documents, "Zelmora Optics", "VEMAR", "Data", "pyvisa.csv")) as csv:
                rows = csv.read().splitlines()
            assert rows[0] == "WL[nm]; Output[dBm]; Det1_IL[dB]", rows[0]
            assert len(rows) - 1 == len(pairs), (len(rows), len(pairs))
            for row, (wavelength, loss) in zip(rows[1:], pairs):
                fields = row.split(";")
                # The CSV holds the same numbers, rounded to 3 and 2 decimals.
                assert fields[0] == f"{wavelength:4.3f}", (row, wavelength)
                assert fields[2] == f"{loss:4.2f}", (row, loss)
            print(f"{len(pairs)} points read with PyVISA {pyvisa.__version__} match the CSV export")
        finally:
            server.send_signal(signal.SIGTERM)
            try:
                code = server.wait(timeout=20)
            except subprocess.TimeoutExpired:
                server.kill()
                raise
            assert code == 0, code


if __name__ == "__main__":
    main()
