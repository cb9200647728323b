#!/usr/bin/env python3
"""Checks pinloom-sim on the demo board with OpenOCD, an independent JTAG host, over
remote_bitbang: the scan chain (IDCODEs, IR lengths, IR captures), a scan through
BYPASS, an IDCODE read, and the flash dumps on SIGUSR1 and at the end.

Usage: openocd_test.py PINLOOM_SIM. Exits 77 (skipped) when openocd is not installed.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

SKIPPED = 77

# OpenOCD declares the TAP nearest TDO first; the board file numbers from TDI.
TAPS = [('iox', 0x0E6D256B, 5), ('mcu', 0x4F80156B, 4), ('cpld', 0x1C51A56B, 8)]


def fail(message, output=''):
    print('FAIL: ' + message)
    if output:
        print(output)
    sys.exit(1)


def main():
    sim = sys.argv[1]
    openocd = shutil.which('openocd')
    if openocd is None:
        print('openocd is not installed: skipped')
        return SKIPPED
    work = tempfile.mkdtemp(prefix='pinloom_openocd_')
    spi_dump = os.path.join(work, 'spi.bin')
    nor_dump = os.path.join(work, 'nor.bin')
    server = subprocess.Popen([sim, '--port', '0', '--dump-spi', spi_dump, '--dump-nor', nor_dump],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    try:
        banner = server.stdout.readline()
        match = re.search(r'listening on 127\.0\.0\.1:(\d+)', banner)
        if not match:
            fail('no listening line from pinloom-sim', banner)
        port = match.group(1)

        commands = ['gdb_port disabled; tcl_port disabled; telnet_port disabled',
                    'adapter driver remote_bitbang', 'remote_bitbang host 127.0.0.1',
                    'remote_bitbang port ' + port, 'transport select jtag']
        for name, idcode, irlen in TAPS:
            commands.append('jtag newtap %s tap -irlen %d -expected-id 0x%08x' % (name, irlen, idcode))
        commands += ['init', 'scan_chain',
                     # BYPASS on the MCU: its 1-bit register captures 0. The scan is 10
                     # bits long (OpenOCD adds the other TAPs' bypass bits, filled with
                     # 0), so the MCU field reads the two captured 0s, the IOX filler 0
                     # and the first five bits of 0xa5: 0x28.
                     'irscan mcu.tap 0xf', 'echo "BYPASS [drscan mcu.tap 8 0xa5]"',
                     'irscan mcu.tap 0x1', 'echo "IDCODE [drscan mcu.tap 32 0]"',
                     'irscan cpld.tap 0xfe', 'echo "CPLDID [drscan cpld.tap 32 0]"',
                     'shutdown']
        args = [openocd]
        for c in commands:
            args += ['-c', c]
        run = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                             timeout=120)
        out = run.stdout
        if 'Error' in out:
            fail('OpenOCD reported an error', out)
        for name, idcode, irlen in TAPS:
            line = r'\d+ +%s\.tap +Y +0x%08x +0x%08x +%d +0x01 +0x03' % (name, idcode, idcode, irlen)
            if not re.search(line, out):
                fail('scan_chain does not list %s as expected' % name, out)
        for expected in ('BYPASS 28', 'IDCODE 4f80156b', 'CPLDID 1c51a56b'):
            if expected not in out:
                fail('missing "%s"' % expected, out)

        server.send_signal(signal.SIGUSR1)
        line = server.stdout.readline()
        if 'dumped' not in line:
            fail('no dump after SIGUSR1', line)
        if os.path.getsize(spi_dump) != 2 << 20 or os.path.getsize(nor_dump) != 16 << 20:
            fail('dump sizes %d, %d' % (os.path.getsize(spi_dump), os.path.getsize(nor_dump)))
        os.remove(spi_dump)
        server.send_signal(signal.SIGTERM)
        rest, _ = server.communicate(timeout=30)
        if server.returncode != 0 or 'stopped; 0 contention(s)' not in rest:
            fail('pinloom-sim did not stop cleanly (%d)' % server.returncode, rest)
        if not os.path.exists(spi_dump):
            fail('no dump on exit')
        print('OK')
        return 0
    finally:
        if server.poll() is None:
            server.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
