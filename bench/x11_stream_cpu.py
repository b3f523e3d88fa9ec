#!/usr/bin/env python3
"""The real program on a private X server, fed lines through a pseudo-terminal at the byte
rate of a 921600-baud line (92160 bytes a second), each line written when it is due. Prints
the program's and the X server's processor load, and with --perf records a profile of the
program with call graphs while the lines stream in.

    bench/x11_stream_cpu.py [--line-bytes 10|1000] [--seconds 10] [--perf perf.data]
                            [--hide] [build/serivox]

--hide minimises the window before the stream starts (xdotool windowminimize) and shows it
again at the end. Runs as the current user; needs Xvfb, dbus-daemon and, for --perf, perf.
"""
import argparse
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HZ = os.sysconf('SC_CLK_TCK')
FILL = bytes((b'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789')[i % 62]
             for i in range(990))


def line(i, size):
    if size <= 10:
        return b'L%07d\r\n' % i
    return b'L%07d' % i + FILL[:size - 10] + b'\r\n'


def ticks(pid):
    try:
        with open(f'/proc/{pid}/stat') as f:
            fields = f.read().rsplit(')', 1)[1].split()
        return int(fields[11]) + int(fields[12])
    except OSError:
        return None


def read_line_from(fd, timeout):
    end = time.time() + timeout
    data = b''
    while b'\n' not in data and time.time() < end:
        if select.select([fd], [], [], 0.1)[0]:
            chunk = os.read(fd, 256)
            if not chunk:
                break
            data += chunk
    return data.split(b'\n')[0].decode().strip()


def start_xvfb(work, env):
    r, w = os.pipe()
    xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(w), '-screen', '0', '1280x1024x24',
                             '-nolisten', 'tcp'], pass_fds=(w,), stdout=subprocess.DEVNULL,
                            stderr=open(os.path.join(work, 'Xvfb.log'), 'w'),
                            start_new_session=True)
    os.close(w)
    env['DISPLAY'] = ':' + read_line_from(r, 20)
    os.close(r)
    r, w = os.pipe()
    dbus = subprocess.Popen(['dbus-daemon', '--session', '--nofork', '--nopidfile',
                             f'--print-address={w}'], pass_fds=(w,), env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)
    os.close(w)
    env['DBUS_SESSION_BUS_ADDRESS'] = read_line_from(r, 20)
    os.close(r)
    return xvfb, dbus


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('exe', nargs='?', default='build/serivox')
    ap.add_argument('--line-bytes', type=int, default=1000)
    ap.add_argument('--seconds', type=float, default=10)
    ap.add_argument('--perf')
    ap.add_argument('--hide', action='store_true')
    a = ap.parse_args()

    work = tempfile.mkdtemp(prefix='serivox-x11-stream.')
    env = dict(os.environ)
    xvfb, dbus = start_xvfb(work, env)
    master, slave = os.openpty()
    os.set_blocking(master, False)
    ports = os.path.join(work, 'Serivox', 'ports')
    os.makedirs(ports)
    os.symlink(os.ttyname(slave), os.path.join(ports, 'COM1'))
    env.update(XDG_CONFIG_HOME=work, HOME=work, QT_QPA_PLATFORM='xcb',
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', QT_ACCESSIBILITY='1')
    prog = subprocess.Popen([os.path.abspath(a.exe)], env=env, cwd=work,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            stdin=subprocess.DEVNULL)
    perf = None
    try:
        time.sleep(3)
        window = None
        if a.hide:
            window = subprocess.run(['xdotool', 'search', '--onlyvisible', '--pid',
                                     str(prog.pid)], env=env, capture_output=True,
                                    text=True).stdout.split()
            for w in window:
                subprocess.run(['xdotool', 'windowminimize', w], env=env)
            time.sleep(1)
        if a.perf:
            perf = subprocess.Popen(['perf', 'record', '--call-graph', 'dwarf,16384', '-F', '1999', '-o', a.perf, '-p',
                                     str(prog.pid)], stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            time.sleep(0.5)
        rate = 92160.0
        per_second = rate / a.line_bytes
        total = int(a.seconds * per_second)
        t0 = time.time()
        prog0, x0 = ticks(prog.pid), ticks(xvfb.pid)
        sent = 0
        pending = bytearray()
        while sent < total or pending:
            due = min(total, int((time.time() - t0) * per_second))
            while sent < due:
                pending += line(sent, a.line_bytes)
                sent += 1
            if pending:
                try:
                    del pending[:os.write(master, pending)]
                except BlockingIOError:
                    pass
            if select.select([master], [], [], 0.001)[0]:
                try:
                    os.read(master, 4096)
                except OSError:
                    pass
        elapsed = time.time() - t0
        prog1, x1 = ticks(prog.pid), ticks(xvfb.pid)
        print(f'{a.line_bytes}-byte lines for {elapsed:.1f} s: program CPU '
              f'{100.0 * (prog1 - prog0) / HZ / elapsed:.2f} %, X server CPU '
              f'{100.0 * (x1 - x0) / HZ / elapsed:.2f} %')
        if perf:
            perf.send_signal(signal.SIGINT)
            perf.wait(30)
            perf = None
        if window:
            for w in window:
                subprocess.run(['xdotool', 'windowmap', w], env=env)
    finally:
        if perf:
            perf.send_signal(signal.SIGINT)
            perf.wait(30)
        for p in (prog, dbus, xvfb):
            p.terminate()
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
