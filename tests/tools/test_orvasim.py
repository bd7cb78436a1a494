"""Tests of tools/orvasim.py: plays the program's side of the dialogues over the
pseudo-terminal, builds its requests from the protocol's own definitions and
checks every answer, the checksum rules and each fault mode."""

import json
import os
import select
import subprocess
import sys
import tempfile
import time
import tty
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SIM = os.path.join(HERE, '..', '..', 'tools', 'orvasim.py')

OK_CODES = {1, 2, 3, 22, 26, 27, 28}
FFNL_CODES = {12, 13, 14, 15, 24, 48, 49, 50, 51, 52}
# TZOZ names: UL10 for 70/71, 4W5 for 144..159, E1 for 160..175.
CARD_CODE = {70: 71, 71: 71}
CARD_CODE.update({c: 148 for c in range(144, 160)})
CARD_CODE.update({c: 160 for c in range(160, 176)})
DIGITS = {0xAF: '0', 0xBF: '*', 0x0F: '#', 0xDF: '.', 0xCF: 'p'}
DIGITS.update({d * 16 + 15: str(d) for d in range(1, 10)})


def program_frame(body):
    """What the program's sender puts on the wire: byte 1 forced to A6, sum."""
    body = bytearray(body)
    body[1] = 0xA6
    return b'\xA5\x5A' + bytes(body) + bytes([(0xA5 + 0x5A + sum(body)) & 0xFF])


def request(cmd, arg=0, data=b''):
    return bytes([cmd, 0, arg, len(data) >> 8, len(data) & 0xFF]) + bytes(data)


def table_request(arg, table, start, count):
    return request(0x0F, arg, bytes([0, 0, table, start, count >> 8, count & 0xFF]))


class Sim:
    """One simulator process and the program's end of its pseudo-terminal."""

    def __init__(self, *args, record=True):
        self.dir = tempfile.TemporaryDirectory()
        self.record = os.path.join(self.dir.name, 'rec.txt') if record else None
        cmd = [sys.executable, SIM] + list(args)
        if self.record:
            cmd += ['--record', self.record]
        self.proc = subprocess.Popen(cmd, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE)
        line = self.proc.stdout.readline().decode()
        if not line.startswith('PTY '):
            raise RuntimeError('no PTY line: %r %r' % (line, self.proc.stderr.read()))
        self.path = line.split()[1]
        self.fd = os.open(self.path, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(self.fd)
        self.buf = bytearray()
        self.sent = []

    def close(self):
        if self.fd is None:
            return
        os.close(self.fd)
        self.fd = None
        if self.proc.poll() is None:
            try:
                self.proc.stdin.close()
            except BrokenPipeError:
                pass
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        for f in (self.proc.stdin, self.proc.stdout, self.proc.stderr):
            try:
                f.close()
            except BrokenPipeError:
                pass
        self.dir.cleanup()

    def tmp(self, name):
        return os.path.join(self.dir.name, name)

    def command(self, line):
        self.proc.stdin.write((line + '\n').encode())
        self.proc.stdin.flush()
        return self.proc.stdout.readline().decode().strip()

    def send_raw(self, raw):
        os.write(self.fd, raw)

    def send(self, body):
        frame = program_frame(body)
        self.sent.append(frame)
        self.send_raw(frame)

    def read_bytes(self, timeout):
        r, _, _ = select.select([self.fd], [], [], timeout)
        if r:
            self.buf += os.read(self.fd, 65536)
            return True
        return False

    def frame(self, timeout=3.0):
        """Next frame: (body, sum ok, junk before it), None on silence."""
        end = time.monotonic() + timeout
        while True:
            f = self._parse()
            if f is not None:
                return f
            left = end - time.monotonic()
            if left <= 0 or not self.read_bytes(left):
                return None

    def _parse(self):
        b = self.buf
        i = 0
        while i + 1 < len(b) and not (b[i] == 0xA5 and b[i + 1] == 0x5A):
            i += 1
        if i + 7 > len(b):
            return None
        n = (b[i + 5] << 8) | b[i + 6]
        if i + 8 + n > len(b):
            return None
        body = bytes(b[i + 2:i + 7 + n])
        ok = b[i + 7 + n] == (0xA5 + 0x5A + sum(body)) & 0xFF
        junk = bytes(b[:i])
        del b[:i + 8 + n]
        return body, ok, junk

    def ask(self, body, timeout=3.0):
        """Send a request and return its answer body (sum checked)."""
        self.send(body)
        f = self.frame(timeout)
        if f is None:
            raise AssertionError('no answer to %s' % body[:5].hex())
        if not f[1]:
            raise AssertionError('bad sum on the answer to %s' % body[:5].hex())
        return f[0]

    def silent(self, timeout=0.4):
        return self.frame(timeout) is None

    def recorded(self):
        with open(self.record) as f:
            return [line.split() for line in f if not line.startswith('#')]


def field(answer, k):
    """The decoders' rule: Value = b[k] * 255 + b[k+1], Kind = b[k+2]."""
    if len(answer) > k + 2:
        return answer[k] * 255 + answer[k + 1], answer[k + 2]
    return None, None


class ProgramRead:
    """The program's read dialogue, step by step, with its acceptance checks."""

    def __init__(self, test, sim, setup=(2, 2)):
        self.t, self.sim, self.setup = test, sim, setup
        self.tables = {}
        self.console = {0: {}, 1: {}}
        self.version = None

    def expect(self, body, cmd, minimum=None, strict_more=None):
        a = self.sim.ask(body)
        self.t.assertEqual(a[0], cmd, 'answer command to %02X' % body[0])
        self.t.assertEqual(len(a), ((a[3] << 8) | a[4]) + 5)
        if minimum is not None:
            self.t.assertGreaterEqual(len(a), minimum)
        if strict_more is not None:
            self.t.assertGreater(len(a), strict_more, 'answer to %02X too short' % body[0])
        return a

    def run(self):
        a = self.expect(request(0x00), 0x00, minimum=1)
        self.feature, _ = field(a, 5)
        self.kind = field(a, 8)[1]
        flags = [None] + [self.feature >= 15] * 4
        a = self.expect(request(0x01), 0x01, strict_more=32)
        self.t.assertEqual((len(a) - 5) % 3, 0)
        self.boards = {}
        for i in range(5, len(a), 3):
            b0, b1, code = a[i:i + 3]
            slot = (b1 >> 4) + (16 if b0 == 0xFE else 0)
            if code != 0xFF:
                self.t.assertIn(code, CARD_CODE, 'board code the card list knows')
                self.boards[slot] = CARD_CODE[code]
        for n in (0, 1):
            if n == 1 and self.setup[1] == 0:
                break
            c = self.console[n]
            for cmd, name in ((0x02, 'key_line'), (0x03, 'line_lamp'), (0x04, 'key_sub')):
                c[name] = self.expect(request(cmd, n), cmd, strict_more=256)[5:]
            if flags[1]:
                a = self.expect(table_request(n, 0xF7, 0, 6), 0x0F, strict_more=6)
                d = a[5:]
                cc = min(len(d) - 1, 5)
                valid = d[cc] == sum(d[:cc]) & 0xFF and d[:3] == b'VER'
                self.version = (d[3] << 8) | d[4] if valid else 0
                flags[1] = False
                flags[2] = flags[2] and self.version > 1
                flags[3] = flags[3] and self.version > 2
                flags[4] = flags[4] and self.version > 3
            for i, (table, start, count, name) in enumerate(
                    ((0xF9, 0, 512, 'msn'), (0xF8, 0x20, 54, 'fn'), (0xE7, 0, 480, 'line_flags')), 2):
                if flags[i]:
                    a = self.expect(table_request(n, table, start, count), 0x0F, strict_more=count)
                    self.tables[name] = a[5:5 + count]
                    flags[i] = False
            self.tables['uni'] = self.expect(request(0x05, n), 0x05, strict_more=1024)[5:]
        for n in (0, 1):
            if self.setup[n] != 2:
                continue
            a = self.expect(request(0x00, n), 0x00, minimum=1)
            phone = field(a, 5)[0] >= 14
            a = self.expect(request(0x80, n), 0x80, minimum=1)
            phone = phone and field(a, 5)[0] >= 21
            c = self.console[n]
            c['key_names'] = self.expect(request(0x81, n), 0x81, strict_more=8192)[5:]
            c['key_records'] = self.expect(request(0x82, n), 0x82, strict_more=8192)[5:]
            if phone:
                c['phone1'] = self.expect(request(0x88, n), 0x88, strict_more=8192)[5:]
                c['phone2'] = self.expect(request(0x89, n), 0x89, strict_more=8192)[5:]
        return self

    def keys(self, n):
        """Classify keys 0..191 of console n the way the image conversion does;
        returns {key: (slot, line, subscriber)} for bound keys, fails on a key
        that would come out unconfigured or on a board mismatch."""
        c = self.console[n]
        uni = self.tables['uni']
        bound = {}
        for k in range(192):
            rec = bytearray(c['key_records'][32 * k:32 * k + 32])
            kl, ks = c['key_line'][k + 32], c['key_sub'][k + 32]
            line = kl
            if all(v == 0xFF for v in (rec[30], kl, rec[1], ks, rec[0])):
                rec[0] = 1
            fyz = True
            p = q = None
            if line != 0xFF and rec[31] not in (0xFF, 0xAA):
                e = uni[8 * line:8 * line + 8]
                self.t.assertEqual(e[0], line, 'UNI entry of line %d' % line)
                p = (16 if e[3] == 254 else 0) + (e[4] >> 4)
                q = e[5]
                slot_code = self.boards.get(p, 0xFF)
                fyz = slot_code in (rec[31], 0xFF)
                self.t.assertFalse(slot_code not in (0xFF, rec[31]) and slot_code & 0xFE != rec[31],
                                   'board mismatch at key %d' % k)
                self.t.assertEqual(e[2], rec[31], 'UNI board code of key %d' % k)
            sk = rec[30] == 0xFF and rec[0] in FFNL_CODES
            lin = rec[0] in OK_CODES and fyz and rec[30] == kl and rec[1] == ks
            self.t.assertTrue(lin or sk, 'key %d of console %d would be unconfigured' % (k, n))
            if p is not None:
                bound[k] = (p, q, rec[1])
        return bound


# The data version record every write sends: "VER", version 4, 8-bit sum.
VERSION_RECORD = b'VER\x00\x04\xF1'
NUMBERED_WRITES = ((2, 0xF9, 0x00, 512, 'msn'), (3, 0xF8, 0x20, 54, 'fn'),
                   (4, 0xE7, 0x00, 480, 'line_flags'))
SYSTEM_WRITES = ((0x06, 'key_line'), (0x07, 'line_lamp'), (0x08, 'key_sub'))
CONSOLE_WRITES = ((0x84, 'key_names'), (0x85, 'key_records'), (0x8A, 'phone1'),
                  (0x8B, 'phone2'))


def image_of(read):
    """The tables a write sends, as a read left them in the program's image."""
    image = {'tables': {t: read.tables[t] for t in ('msn', 'fn', 'line_flags')
                        if t in read.tables},
             'console': {}}
    for n in (0, 1):
        c = {t: read.console[n].get(t, b'\xFF' * 256)
             for t in ('key_line', 'line_lamp', 'key_sub')}
        c['key_names'] = read.console[n].get('key_names', b' ' * 8192)
        c['key_records'] = read.console[n].get('key_records', b'\xFF' * 8192)
        for t in ('phone1', 'phone2'):
            c[t] = read.console[n].get(t, b'\xFF' * 8192)
        c['uni'] = read.tables['uni']
        image['console'][n] = c
    return image


class ProgramWrite:
    """The program's write dialogue: the boards re-read before it (test and
    boards), phase 2 (the system tables of both consoles) and phase 4 (the
    console tables of each mechanical console), with the step rules that the
    test answers decide.  Every write must be acknowledged with result 0."""

    def __init__(self, test, sim, image, setup=(2, 2), configured=None, uni_steps=True):
        self.t, self.sim, self.image, self.setup = test, sim, image, setup
        self.configured = configured if configured is not None else b'\xFF' * 32
        self.uni_steps = uni_steps      # the board-type list numbers lines by UNI entry
        self.steps = []                 # (command, argument, table) of every request

    def ask(self, body, cmd):
        self.steps.append((body[0], body[2], body[7] if body[0] in (0x0F, 0x10) else None))
        a = self.sim.ask(body)
        self.t.assertEqual(a[0], cmd, 'answer to %02X' % body[0])
        return a

    def write(self, body):
        ackcmd = 0x87 if body[0] >= 0x80 else 0x0A
        a = self.ask(body, ackcmd)
        self.t.assertEqual((a[2], (a[3] << 8) | a[4], a[5]), (body[2], 1, 0),
                           'acknowledgement of %02X argument %d' % (body[0], body[2]))

    def boards(self):
        self.ask(request(0x00), 0x00)
        a = self.ask(request(0x01), 0x01)
        return {(a[i + 1] >> 4) + (16 if a[i] == 0xFE else 0): a[i + 2]
                for i in range(5, len(a), 3) if a[i + 2] != 0xFF}

    def phase2(self):
        value = field(self.ask(request(0x00), 0x00), 5)[0]
        flags = [value >= 14, False] + [value >= 15] * 3
        for n in (0, 1):
            c = self.image['console'][n]
            for cmd, t in SYSTEM_WRITES:
                self.write(request(cmd, n, c[t]))
            if flags[0]:
                self.write(request(0x0B, n, VERSION_RECORD))
                self.write(request(0x0C, n, self.configured))
                flags[0] = False
            for i, table, start, count, name in NUMBERED_WRITES:
                if flags[i]:
                    desc = bytes([0, 0, table, start, count >> 8, count & 0xFF])
                    self.write(request(0x10, n, desc + self.image['tables'][name]))
                    flags[i] = False
            if self.uni_steps and self.setup[n] != 0:
                self.write(request(0x09, 0, c['uni']))

    def phase4(self):
        for n in (0, 1):
            if self.setup[n] != 2:
                continue
            phone = field(self.ask(request(0x00, n), 0x00), 5)[0] >= 14
            phone = phone and field(self.ask(request(0x80, n), 0x80), 5)[0] >= 21
            c = self.image['console'][n]
            for cmd, t in CONSOLE_WRITES if phone else CONSOLE_WRITES[:2]:
                self.write(request(cmd, n, c[t]))

    def run(self):
        fitted = self.boards()
        self.phase2()
        self.phase4()
        return fitted


def erased(image):
    """The image the erase command sends: names and records cleared, the phone
    books left as they were."""
    out = {'tables': image['tables'], 'console': {}}
    for n, c in image['console'].items():
        c = dict(c)
        c['key_names'] = b' ' * 8192
        c['key_records'] = b'\xFF' * 8192
        out['console'][n] = c
    return out


def blank_fixture(path, out):
    """A fixture of the same system with every table 0xFF."""
    with open(path) as f:
        fx = json.load(f)
    for group in [fx['tables']] + fx['consoles']:
        for t, rows in group.items():
            if isinstance(rows, list):
                group[t] = 'FF' * len(bytes.fromhex(''.join(rows)))
    with open(out, 'w') as f:
        json.dump(fx, f)
    return fx


def read_back(sim, body):
    """Read again over the wire what a write request wrote."""
    cmd, arg = body[0], body[2]
    if cmd in (0x06, 0x07, 0x08):
        return sim.ask(request(cmd - 4, arg))[5:]
    if cmd == 0x09:
        return sim.ask(request(0x05, arg))[5:]
    if cmd == 0x0B:
        return sim.ask(table_request(arg, 0xF7, 0, 6))[5:]
    if cmd == 0x10:
        count = (body[9] << 8) | body[10]
        return sim.ask(table_request(arg, body[7], body[8], count))[5:]
    reads = {0x84: 0x81, 0x85: 0x82, 0x86: 0x83, 0x8A: 0x88, 0x8B: 0x89}
    return sim.ask(request(reads[cmd], arg))[5:]


def written_data(body):
    return body[11:] if body[0] == 0x10 else body[5:]


class OrvasimCase(unittest.TestCase):
    def start(self, *args, **kw):
        sim = Sim(*args, **kw)
        self.addCleanup(sim.close)
        return sim


class ReadTest(OrvasimCase):
    def test_full_read_of_the_default_system(self):
        sim = self.start()
        r = ProgramRead(self, sim).run()
        self.assertEqual((r.feature, r.kind, r.version), (15, ord('P'), 4))
        self.assertEqual(r.boards, {0: 71, 1: 148, 16: 71})
        self.assertEqual(set(r.tables), {'msn', 'fn', 'line_flags', 'uni'})
        k0, k1 = r.keys(0), r.keys(1)
        self.assertEqual(k0[0], (0, 0, 0xFF))
        self.assertEqual(k0[16], (1, 0, 0xFF))
        self.assertEqual(k0[112], (16, 0, 0xFF))
        self.assertEqual(k1[2], (1, 2, 5), 'extended position 05 of the MD line')
        # A line bound in both consoles has one number.
        self.assertEqual(r.console[0]['key_line'][32], r.console[1]['key_line'][32])
        self.assertEqual(r.tables['fn'][:9], bytes.fromhex('12345FFFFFFFFFFFFF'))
        self.assertEqual(r.tables['fn'][9:18], bytes.fromhex('678FFFFFFFFFFFFFFF'))
        # Lamps: lamp code = key address for the bound keys of plain lines.
        self.assertEqual(r.console[0]['line_lamp'][r.console[0]['key_line'][32 + 5]], 5 + 32)
        # Phone book: name without FF, number as dial digits.
        e = r.console[0]['phone1'][128:192]
        self.assertEqual(e[:32].replace(b'\xFF', b''), b'Dispecer')
        self.assertEqual(''.join(DIGITS.get(x, '') for x in e[32:]), '0911234567p12')
        self.assertEqual(r.console[0]['phone2'][:7], b'Policia')
        # Key names are OEM text padded with blanks.
        self.assertEqual(r.console[0]['key_names'][18 * 32:19 * 32].rstrip(b' '),
                         'L1 Dispečer MD'.encode('cp852'))
        # The record holds our requests byte for byte, each answered once.
        rec = sim.recorded()
        self.assertEqual([bytes.fromhex(x[2]) for x in rec if x[1] == 'rx'], sim.sent)
        self.assertEqual(sum(1 for x in rec if x[1] == 'tx'), len(sim.sent))
        self.assertTrue(all(float(x[0]) >= 0 for x in rec))

    def test_feature_and_data_version_decide_the_optional_tables(self):
        cases = [
            # feature, data version -> tables read, phone books read
            (13, 4, set(), False),
            (14, 4, set(), True),
            (15, 1, set(), True),
            (15, 2, {'msn'}, True),
            (15, 3, {'msn', 'fn'}, True),
            (15, 4, {'msn', 'fn', 'line_flags'}, True),
        ]
        for feature, version, tables, phone in cases:
            with self.subTest(feature=feature, version=version):
                sim = self.start('--feature', str(feature), '--data-version', str(version),
                                 record=False)
                r = ProgramRead(self, sim).run()
                self.assertEqual(r.feature, feature)
                self.assertEqual(r.version, version if feature >= 15 else None)
                self.assertEqual(set(r.tables) - {'uni'}, tables)
                self.assertEqual('phone1' in r.console[0], phone)
                r.keys(0)
                sim.close()

    def test_console_set_ups(self):
        # pc+mech: the PC console's system tables are there, its console side is silent.
        sim = self.start('--consoles', 'pc+mech')
        r = ProgramRead(self, sim, setup=(1, 2)).run()
        self.assertEqual(sorted(r.keys(1)), [0, 1, 2, 3, 20])
        self.assertNotIn('key_records', r.console[0])
        self.assertTrue(sim.ask(request(0x00, 0))[0] == 0x00)
        sim.send(request(0x80, 0))
        self.assertTrue(sim.silent(), 'a PC console does not answer on the line')
        # one console: console 1 tables are empty, its console side silent.
        sim = self.start('--consoles', 'mech')
        r = ProgramRead(self, sim, setup=(2, 0)).run()
        self.assertEqual(len(r.keys(0)), 10)
        self.assertEqual(sim.ask(request(0x02, 1))[5:], b'\xFF' * 256)
        sim.send(request(0x81, 1))
        self.assertTrue(sim.silent())
        uni = r.tables['uni']
        self.assertEqual(uni[8 * 10:8 * 12], bytes([128, 0, 170, 253, 0, 8, 255, 255,
                                                    129, 1, 170, 253, 0, 9, 255, 255]))

    def test_boards_only_and_time_keeper(self):
        sim = self.start()
        self.assertEqual(sim.ask(request(0x00))[0], 0x00)
        a = sim.ask(request(0x01))
        self.assertEqual(len(a), 5 + 96)
        self.assertEqual(a[5 + 3 * 19:5 + 3 * 20], b'\xFE\x30\xFF')
        self.assertEqual(a[5 + 3:5 + 6], bytes([0x00, 0x10, 148]))
        a = sim.ask(table_request(0, 0xE0, 0, 0x1C00))
        self.assertEqual((a[0], len(a)), (0x0F, 5 + 0x1C00))
        clock = a[-8:]
        now = time.gmtime()
        self.assertEqual(clock[7], ((now.tm_year % 100) // 10 << 4) | now.tm_year % 10)
        self.assertTrue(all((x & 0x0F) < 10 for x in clock[1:4]))

    def test_port_test_requests(self):
        sim = self.start()
        for cmd in (0x00, 0x80):
            a = sim.ask(request(cmd))
            self.assertEqual(a[0], cmd)
            self.assertEqual(len(a), 11)


class WriteTest(OrvasimCase):
    def acked(self, sim, body, ackcmd):
        a = sim.ask(body)
        self.assertEqual(a[:2] + a[3:], bytes([ackcmd, 0, 0, 1, 0]),
                         'acknowledgement of %02X' % body[0])
        self.assertEqual(a[2], body[2], 'argument echoed')

    def test_write_dialogue_then_read_returns_what_was_written(self):
        save = tempfile.NamedTemporaryFile(suffix='.json', delete=False)
        save.close()
        self.addCleanup(os.unlink, save.name)
        sim = self.start('--save', save.name)
        key_line = bytes(range(256))
        lamp = bytes([0xFF] * 200 + list(range(56)))
        sub = bytes([0x11] * 256)
        names = (b'ABC' + b' ' * 29) * 256
        recs = bytes([7] * 8192)
        phone = bytes([0x41] * 4096 + [0xFF] * 4096)
        fn = bytes.fromhex('99FFFFFFFFFFFFFFFF' + 'FF' * 45)
        flags = bytes(range(240)) * 2
        msn = bytes([5] * 512)
        uni = bytes([0x33] * 1040)
        # phase 2 of console 1 and phase 4 of console 1
        self.assertEqual(sim.ask(request(0x00))[0], 0x00)
        self.acked(sim, request(0x06, 1, key_line), 0x0A)
        self.acked(sim, request(0x07, 1, lamp), 0x0A)
        self.acked(sim, request(0x08, 1, sub), 0x0A)
        self.acked(sim, request(0x0B, 1, b'VER\x00\x02' + bytes([(0x56 + 0x45 + 0x52 + 2) & 0xFF])), 0x0A)
        self.acked(sim, request(0x0C, 1, bytes([71] + [0xFF] * 31)), 0x0A)
        self.acked(sim, request(0x10, 1, bytes([0, 0, 0xF9, 0, 2, 0]) + msn), 0x0A)
        self.acked(sim, request(0x10, 1, bytes([0, 0, 0xF8, 0x20, 0, 0x36]) + fn), 0x0A)
        self.acked(sim, request(0x10, 1, bytes([0, 0, 0xE7, 0, 1, 0xE0]) + flags), 0x0A)
        self.acked(sim, request(0x09, 0, uni), 0x0A)
        self.assertEqual(sim.ask(request(0x80, 1))[0], 0x80)
        self.acked(sim, request(0x84, 1, names), 0x87)
        self.acked(sim, request(0x85, 1, recs), 0x87)
        self.acked(sim, request(0x8A, 1, phone), 0x87)
        self.acked(sim, request(0x8B, 1, phone[::-1]), 0x87)
        # read back
        self.assertEqual(sim.ask(request(0x02, 1))[5:], key_line)
        self.assertEqual(sim.ask(request(0x03, 1))[5:], lamp)
        self.assertEqual(sim.ask(request(0x04, 1))[5:], sub)
        self.assertEqual(sim.ask(table_request(1, 0xF7, 0, 6))[5:10], b'VER\x00\x02')
        self.assertEqual(sim.ask(table_request(0, 0xF9, 0, 512))[5:], msn)
        self.assertEqual(sim.ask(table_request(0, 0xF8, 0x20, 54))[5:], fn)
        self.assertEqual(sim.ask(table_request(0, 0xE7, 0, 480))[5:], flags)
        self.assertEqual(sim.ask(request(0x05, 0))[5:], uni)
        self.assertEqual(sim.ask(request(0x05, 1))[5:], uni, 'one UNI table for the system')
        self.assertEqual(sim.ask(request(0x81, 1))[5:], names)
        self.assertEqual(sim.ask(request(0x82, 1))[5:], recs)
        self.assertEqual(sim.ask(request(0x88, 1))[5:], phone)
        self.assertEqual(sim.ask(request(0x89, 1))[5:], phone[::-1])
        # console 0 untouched, fitted boards untouched
        self.assertNotEqual(sim.ask(request(0x02, 0))[5:], key_line)
        self.assertEqual(sim.ask(request(0x01))[5 + 2], 71)
        self.assertEqual(sim.ask(request(0x01))[5 + 5], 148)
        # The saved fixture serves the same tables after a restart.
        sim.close()
        with open(save.name) as f:
            saved = json.load(f)
        self.assertEqual(saved['consoles'][1]['key_line'][1], '101112131415161718191A1B1C1D1E1F')
        again = self.start('--config', save.name)
        self.assertEqual(again.ask(request(0x02, 1))[5:], key_line)
        self.assertEqual(again.ask(request(0x82, 1))[5:], recs)

    def test_erase_sends_cleared_console_tables(self):
        sim = self.start()
        self.assertEqual(sim.ask(request(0x00, 0))[0], 0x00)
        self.assertEqual(sim.ask(request(0x80, 0))[0], 0x80)
        self.acked(sim, request(0x84, 0, b' ' * 8192), 0x87)
        self.acked(sim, request(0x85, 0, b'\xFF' * 8192), 0x87)
        self.assertEqual(sim.ask(request(0x82, 0))[5:], b'\xFF' * 8192)
        self.assertEqual(sim.ask(request(0x81, 0))[5:], b' ' * 8192)

    def test_requests_of_a_wrong_length_are_refused(self):
        sim = self.start()
        cases = [
            (request(0x06, 0, bytes(255)), 0x0A),
            (request(0x09, 0, bytes(1024)), 0x0A),
            (request(0x10, 0, bytes([0, 0, 0xF8, 0x20, 0, 0x36]) + bytes(53)), 0x0A),
            (request(0x10, 0, bytes([0, 0, 0x55, 0, 0, 1, 0])), 0x0A),
            (table_request(0, 0x42, 0, 6), 0x0A),
            (request(0x02, 2), 0x0A),
            (request(0x85, 0, bytes(100)), 0x87),
        ]
        for body, ackcmd in cases:
            with self.subTest(body=body[:5].hex()):
                a = sim.ask(body)
                self.assertEqual((a[0], a[5]), (ackcmd, 4))
        self.assertEqual(sim.ask(request(0x02, 0))[5 + 32], 0, 'nothing was written')
        sim.send(request(0x55))
        self.assertTrue(sim.silent(), 'an unknown command gets no answer')


class WriteDialogueTest(OrvasimCase):
    """The whole write and erase dialogues, as the program runs them, against
    a system that must then hold exactly what was written."""

    def source(self):
        """The default system read whole, and its fixture."""
        sim = self.start(record=False)
        r = ProgramRead(self, sim).run()
        fixture = sim.tmp('source.json')
        subprocess.run([sys.executable, SIM, '--write-fixture', fixture], check=True)
        with open(fixture) as f:
            fx = json.load(f)
        # The configured boards: the fitted boards that carry bound keys.
        used = {p for n in (0, 1) for (p, _q, _s) in r.keys(n).values()}
        configured = bytes(r.boards[s] if s in used else 0xFF for s in range(32))
        return r, fx, configured, fixture

    def saved(self, sim):
        path = sim.tmp('saved-%d.json' % time.monotonic_ns())
        self.assertEqual(sim.command('save ' + path), 'OK saved ' + path)
        with open(path) as f:
            return json.load(f)

    def test_write_of_a_read_system_into_a_blank_one_reads_back_the_same(self):
        r, fx, configured, fixture = self.source()
        blank = fixture + '.blank.json'
        blank_fixture(fixture, blank)
        sim = self.start('--config', blank)
        w = ProgramWrite(self, sim, image_of(r), configured=configured)
        fitted = w.run()
        self.assertEqual(fitted, {0: 71, 1: 148, 16: 71}, 'boards re-read before the write')
        # Every request came through byte for byte and got exactly one answer.
        rec = sim.recorded()
        self.assertEqual([bytes.fromhex(x[2]) for x in rec if x[1] == 'rx'], sim.sent)
        self.assertEqual(sum(1 for x in rec if x[1] == 'tx'), len(sim.sent))
        # A read of the written system gives what the source system gave.
        back = ProgramRead(self, sim).run()
        self.assertEqual(back.version, 4)
        self.assertEqual(back.tables, r.tables)
        for n in (0, 1):
            for t, v in r.console[n].items():
                self.assertEqual(back.console[n][t], v, '%s of console %d' % (t, n))
            self.assertEqual(back.keys(n), r.keys(n))
        # What the system holds now: the source's tables; the fitted boards and
        # the symbol table, which no write step carries, stay as they were.
        held = self.saved(sim)
        for t in ('uni', 'msn', 'fn', 'line_flags', 'data_version'):
            self.assertEqual(held['tables'][t], fx['tables'][t], t)
        self.assertEqual(bytes.fromhex(''.join(held['tables']['configured_boards'])), configured)
        self.assertEqual(held['boards'], fx['boards'])
        for n in (0, 1):
            for t in ('key_line', 'line_lamp', 'key_sub', 'key_names', 'key_records',
                      'phone1', 'phone2'):
                self.assertEqual(held['consoles'][n][t], fx['consoles'][n][t],
                                 '%s of console %d' % (t, n))
            self.assertEqual(set(''.join(held['consoles'][n]['symbols'])), {'F'})

    def test_steps_follow_the_system_test_value(self):
        r, _fx, configured, _ = self.source()
        image = image_of(r)
        k = (0x06, 0x07, 0x08)
        cases = [
            # feature, console 1 type -> phase 2 steps (command, argument, table)
            (13, 'mech+mech', [0x00] + [(c, 0) for c in k] + [(0x09, 0)]
             + [(c, 1) for c in k] + [(0x09, 0)]),
            (14, 'mech+mech', [0x00] + [(c, 0) for c in k] + [(0x0B, 0), (0x0C, 0), (0x09, 0)]
             + [(c, 1) for c in k] + [(0x09, 0)]),
            (15, 'mech+mech', [0x00] + [(c, 0) for c in k] + [(0x0B, 0), (0x0C, 0)]
             + [(0x10, 0, 0xF9), (0x10, 0, 0xF8), (0x10, 0, 0xE7), (0x09, 0)]
             + [(c, 1) for c in k] + [(0x09, 0)]),
            # Console 1 not connected still gets its system tables, but no UNI table.
            (15, 'mech', [0x00] + [(c, 0) for c in k] + [(0x0B, 0), (0x0C, 0)]
             + [(0x10, 0, 0xF9), (0x10, 0, 0xF8), (0x10, 0, 0xE7), (0x09, 0)]
             + [(c, 1) for c in k]),
        ]
        for feature, setup, steps in cases:
            with self.subTest(feature=feature, setup=setup):
                sim = self.start('--feature', str(feature), '--consoles', setup, record=False)
                before = self.saved(sim)
                kinds = (2, 2) if setup == 'mech+mech' else (2, 0)
                w = ProgramWrite(self, sim, image, setup=kinds, configured=configured)
                w.phase2()
                want = [(s, 0, None) if isinstance(s, int) else
                        s if len(s) == 3 else s + (None,) for s in steps]
                self.assertEqual(w.steps, want)
                after = self.saved(sim)
                # A table that no step carried keeps its bytes.
                for t in ('msn', 'fn', 'line_flags', 'data_version', 'configured_boards'):
                    sent = feature >= (15 if t in ('msn', 'fn', 'line_flags') else 14)
                    if not sent:
                        self.assertEqual(after['tables'][t], before['tables'][t], t)
                self.assertEqual(bytes.fromhex(''.join(after['tables']['data_version'])),
                                 VERSION_RECORD if feature >= 14 else
                                 bytes.fromhex(''.join(before['tables']['data_version'])))
                sim.close()

    def test_uni_table_comes_from_the_last_console_written(self):
        r, _fx, configured, _ = self.source()
        image = image_of(r)
        image['console'][1]['uni'] = bytes(reversed(r.tables['uni']))
        sim = self.start(record=False)
        ProgramWrite(self, sim, image, configured=configured).phase2()
        for n in (0, 1):
            self.assertEqual(sim.ask(request(0x05, n))[5:], image['console'][1]['uni'])
        # Without UNI numbering the program sends no UNI table at all.
        sim = self.start(record=False)
        w = ProgramWrite(self, sim, image, configured=configured, uni_steps=False)
        w.phase2()
        self.assertNotIn((0x09, 0, None), w.steps)
        self.assertEqual(sim.ask(request(0x05, 0))[5:], r.tables['uni'])

    def test_erase_clears_key_names_and_records_of_each_mechanical_console(self):
        cases = [
            # console version -> console requests per console
            (21, [0x00, 0x80, 0x84, 0x85, 0x8A, 0x8B]),
            (20, [0x00, 0x80, 0x84, 0x85]),
        ]
        for version, steps in cases:
            with self.subTest(console_version=version):
                sim = self.start('--console-version', str(version), record=False)
                r = ProgramRead(self, sim).run()
                before = self.saved(sim)
                w = ProgramWrite(self, sim, erased(image_of(r)))
                w.phase4()
                self.assertEqual(w.steps, [(c, n, None) for n in (0, 1) for c in steps])
                back = ProgramRead(self, sim).run()
                after = self.saved(sim)
                for n in (0, 1):
                    self.assertEqual(back.console[n]['key_names'], b' ' * 8192)
                    self.assertEqual(back.console[n]['key_records'], b'\xFF' * 8192)
                    # Phase 2 is not part of the erase: the system tables stay.
                    for t in ('key_line', 'line_lamp', 'key_sub'):
                        self.assertEqual(back.console[n][t], r.console[n][t])
                    for t in ('phone1', 'phone2', 'symbols'):
                        self.assertEqual(after['consoles'][n][t], before['consoles'][n][t])
                self.assertEqual(after['tables'], before['tables'])
                sim.close()

    def test_erase_skips_a_console_that_is_not_mechanical(self):
        sim = self.start('--consoles', 'pc+mech', record=False)
        sim.send(request(0x80, 0))
        self.assertTrue(sim.silent(), 'the PC console is not on the line')
        r = ProgramRead(self, sim, setup=(1, 2)).run()
        w = ProgramWrite(self, sim, erased(image_of(r)), setup=(1, 2))
        w.phase4()
        self.assertEqual([s[:2] for s in w.steps],
                         [(c, 1) for c in (0x00, 0x80, 0x84, 0x85, 0x8A, 0x8B)])
        self.assertEqual(sim.ask(request(0x82, 1))[5:], b'\xFF' * 8192)

    def test_every_write_step_is_acknowledged_and_reads_back(self):
        sim = self.start()
        desc = {name: bytes([0, 0, t, s, c >> 8, c & 0xFF]) for _i, t, s, c, name in NUMBERED_WRITES}
        cases = [
            request(0x06, 0, bytes(range(256))),
            request(0x07, 1, bytes(range(255, -1, -1))),
            request(0x08, 0, bytes([0, 5] * 128)),
            request(0x0B, 1, b'VER\x00\x03\xF0'),
            request(0x10, 0, desc['msn'] + bytes(range(256)) * 2),
            request(0x10, 1, desc['fn'] + bytes.fromhex('123FFFFFFFFFFFFFFF') + b'\xFF' * 45),
            request(0x10, 0, desc['line_flags'] + bytes([1, 2, 3, 4, 5, 6]) * 80),
            request(0x09, 0, bytes(range(256)) * 4 + bytes(16)),
            request(0x84, 0, b'Hlavna linka'.ljust(32) * 256),
            request(0x85, 1, bytes([2, 0xFF] + [0xFF] * 28 + [3, 71]) * 256),
            request(0x86, 0, bytes(range(256)) * 32),
            request(0x8A, 1, (b'Hasici'.ljust(32, b'\xFF') + bytes([0x1F, 0x5F, 0xAF]) + b'\xFF' * 29) * 128),
            request(0x8B, 0, b'\x20' * 8192),
        ]
        for body in cases:
            with self.subTest(cmd='%02X' % body[0], arg=body[2]):
                ackcmd = 0x87 if body[0] >= 0x80 else 0x0A
                a = sim.ask(body)
                self.assertEqual(a, bytes([ackcmd, 0, body[2], 0, 1, 0]))
                self.assertEqual(read_back(sim, body), written_data(body))
        # The configured boards are kept, but not read over the wire: the fitted
        # boards still answer the boards request.
        table = bytes([0x47, 0xFF, 0x94] + [0xFF] * 29)
        self.assertEqual(sim.ask(request(0x0C, 0, table)), bytes([0x0A, 0, 0, 0, 1, 0]))
        self.assertEqual(bytes.fromhex(''.join(self.saved(sim)['tables']['configured_boards'])),
                         table)
        self.assertEqual(sim.ask(request(0x01))[5 + 5], 148)
        # The other console's tables did not change.
        self.assertNotEqual(sim.ask(request(0x02, 1))[5:], bytes(range(256)))

    def test_faults_on_chosen_write_steps(self):
        msn = bytes([0, 0, 0xF9, 0, 2, 0]) + b'\x01' * 512
        fn = bytes([0, 0, 0xF8, 0x20, 0, 0x36]) + b'\x99' * 54
        cases = [
            # fault, write, answers (command, argument, result) in order, stored at once
            ('error-code=1@0x06:1', request(0x06, 1, bytes(256)), [(0x0A, 1, 1)], False),
            ('error-code=1@0x06:1', request(0x06, 0, bytes(256)), [(0x0A, 0, 0)], True),
            ('error-code=3@0x10/F8', request(0x10, 0, fn), [(0x0A, 0, 3)], False),
            ('error-code=3@0x10/F8', request(0x10, 0, msn), [(0x0A, 0, 0)], True),
            ('error-code@0x09', request(0x09, 0, bytes(1040)), [(0x0A, 0, 2)], False),
            ('error-code=7@0x85:1', request(0x85, 1, bytes(8192)), [(0x87, 1, 7)], False),
            # request 1 is the read of the table before
            ('error-code@#2', request(0x8A, 0, bytes(8192)), [(0x87, 0, 2)], False),
            ('no-answer@0x07:0', request(0x07, 0, bytes(256)), [], True),
            ('no-answer@0x10/F9', request(0x10, 1, msn), [], True),
            ('no-answer@0x84', request(0x84, 1, b'x' * 8192), [], True),
            ('busy=0.4@0x09', request(0x09, 0, bytes(1040)), [(0x0A, 0, 1), (0x0A, 0, 0)], True),
            ('busy=0.4@0x8B:1', request(0x8B, 1, bytes(8192)), [(0x87, 1, 1), (0x87, 1, 0)], True),
            ('ack-first@0x0B', request(0x0B, 0, b'VER\x00\x03\xF0'), [(0x0A, 0, 0), (0x0A, 0, 0)], True),
        ]
        for fault, body, answers, stored in cases:
            with self.subTest(fault=fault, cmd='%02X' % body[0], arg=body[2]):
                sim = self.start('--fault', fault)
                old = read_back(sim, body)
                self.assertNotEqual(old, written_data(body))
                t0 = time.monotonic()
                sim.send(body)
                got = []
                while True:
                    f = sim.frame(0.8)
                    if f is None:
                        break
                    self.assertTrue(f[1])
                    got.append((f[0][0], f[0][2], f[0][5]))
                    self.assertEqual((f[0][3], f[0][4]), (0, 1))
                    if f[0][5] == 1:
                        self.assertLess(time.monotonic() - t0, 0.3, 'code 1 comes at once')
                    elif fault.startswith('busy'):
                        self.assertGreaterEqual(time.monotonic() - t0, 0.4, 'code 0 comes later')
                self.assertEqual(got, answers)
                self.assertEqual(read_back(sim, body), written_data(body) if stored else old)
                # The program's retry: the fault was used up, the write goes through.
                ackcmd = 0x87 if body[0] >= 0x80 else 0x0A
                self.assertEqual(sim.ask(body), bytes([ackcmd, 0, body[2], 0, 1, 0]))
                self.assertEqual(read_back(sim, body), written_data(body))
                sim.close()

    def test_acknowledgement_without_its_result_byte(self):
        for cmd, ackcmd, size in ((0x06, 0x0A, 256), (0x84, 0x87, 8192)):
            with self.subTest(cmd='%02X' % cmd):
                sim = self.start('--fault', 'short-answer=0@0x%02X' % cmd, record=False)
                body = request(cmd, 1, b'\x21' * size)
                self.assertEqual(sim.ask(body), bytes([ackcmd, 0, 1, 0, 0]))
                self.assertEqual(read_back(sim, body), written_data(body))
                sim.close()

    def test_a_refused_step_ends_nothing_else(self):
        # Refusing console 1's key-to-line table always: everything around it is stored.
        r, _fx, configured, _ = self.source()
        image = image_of(r)
        sim = self.start('--fault', 'error-code=2@0x06:1,always', record=False)
        w = ProgramWrite(self, sim, image, configured=configured)
        w.boards()
        w.ask(request(0x00), 0x00)
        for n in (0, 1):
            for cmd, t in SYSTEM_WRITES:
                body = request(cmd, n, bytes([n + 1]) * 256)
                a = sim.ask(body)
                refused = (cmd, n) == (0x06, 1)
                self.assertEqual(a[5], 2 if refused else 0)
                self.assertEqual(read_back(sim, body) == written_data(body), not refused)


class LinkTest(OrvasimCase):
    def test_checksum_and_receive_rules(self):
        sim = self.start('--byte-timeout', '0.2')
        good = program_frame(request(0x00))
        sim.send_raw(good[:-1] + bytes([(good[-1] + 1) & 0xFF]))
        self.assertTrue(sim.silent(), 'a request with a wrong sum is dropped')
        sim.send_raw(b'\xA5' + good)
        self.assertEqual(sim.frame()[0][0], 0x00, 'a doubled A5 is accepted')
        sim.send_raw(b'\x5A' + good)
        self.assertEqual(sim.frame()[0][0], 0x00, 'a stray 5A before a frame is skipped')
        cut = program_frame(request(0x06, 0, bytes(3)))[:9]   # announces 3, sends 2
        sim.send_raw(cut)
        time.sleep(0.5)
        sim.send_raw(good)
        f = sim.frame()
        self.assertEqual(f[0][0], 0x00, 'a frame whose data stopped is dropped')
        sim.send_raw(program_frame(request(0x00)) + program_frame(request(0x01)))
        self.assertEqual(sim.frame()[0][0], 0x00)
        self.assertEqual(sim.frame()[0][0], 0x01, 'back-to-back requests answered in order')
        # every answer carries the right sum and byte 1 = 0x00
        rec = sim.recorded()
        for t, kind, hexed in rec:
            raw = bytes.fromhex(hexed)
            if kind == 'tx':
                self.assertEqual(raw[-1], (sum(raw[:-1])) & 0xFF)
                self.assertEqual(raw[3], 0x00)
        kinds = [x[1] for x in rec]
        self.assertEqual(kinds.count('rx-bad'), 1)
        self.assertEqual(kinds.count('rx-cut'), 1)
        self.assertIn('rx-junk', kinds)

    def test_pacing_at_9600_baud(self):
        sim = self.start('--pace')
        sim.send(request(0x01))
        t0 = time.monotonic()
        f = sim.frame()
        elapsed = time.monotonic() - t0
        wire_len = len(f[0]) + 3
        self.assertGreaterEqual(elapsed, wire_len * 11 / 9600 * 0.9)
        self.assertLess(elapsed, wire_len * 11 / 9600 * 3 + 0.5)

    def test_paced_requests_take_their_line_time(self):
        # A key-to-line write of 261 bytes: acknowledged only once its last
        # byte would have come down the line.
        sim = self.start('--pace')
        t0 = time.monotonic()
        sim.send(request(0x06, 0, bytes(256)))
        f = sim.frame()
        elapsed = time.monotonic() - t0
        self.assertEqual(f[0], bytes([0x0A, 0, 0, 0, 1, 0]))
        line = (261 + 3 + len(f[0]) + 3) * 11 / 9600
        self.assertGreaterEqual(elapsed, line * 0.9)
        self.assertLess(elapsed, line * 3 + 0.5)

    def test_stdin_commands(self):
        sim = self.start()
        self.assertEqual(sim.command('stats'), 'OK requests 0')
        sim.ask(request(0x00))
        self.assertEqual(sim.command('stats'), 'OK requests 1')
        self.assertTrue(sim.command('fault no-answer@0x00').startswith('OK'))
        sim.send(request(0x00))
        self.assertTrue(sim.silent())
        self.assertTrue(sim.command('fault bogus').startswith('ERR'))
        self.assertEqual(sim.command('send 0A00000001 03'), 'OK')
        self.assertEqual(sim.frame(), (bytes([0x0A, 0, 0, 0, 1, 3]), True, b''))
        self.assertEqual(sim.command('raw 5AA5'), 'OK')
        while len(sim.buf) < 2 and sim.read_bytes(2):
            pass
        self.assertEqual(bytes(sim.buf), b'\x5A\xA5')
        sim.buf.clear()
        self.assertTrue(sim.command('send 0A00').startswith('ERR'))
        path = sim.tmp('saved.json')
        self.assertEqual(sim.command('save ' + path), 'OK saved ' + path)
        with open(path) as f:
            self.assertEqual(json.load(f)['format'], 'orvasim-1')
        sim.proc.stdin.write(b'quit\n')
        sim.proc.stdin.flush()
        self.assertEqual(sim.proc.wait(5), 0)

    def test_fixture_round_trip(self):
        sim = self.start('--consoles', 'mech', '--feature', '14')
        path = sim.tmp('fx.json')
        subprocess.run([sys.executable, SIM, '--consoles', 'mech', '--feature', '14',
                        '--write-fixture', path], check=True)
        other = self.start('--config', path)
        for body in (request(0x00), request(0x01), request(0x02, 0), request(0x05, 0),
                     request(0x82, 0), request(0x88, 0), table_request(0, 0xF7, 0, 6)):
            self.assertEqual(sim.ask(body), other.ask(body))
        bad = sim.tmp('bad.json')
        with open(bad, 'w') as f:
            json.dump({'format': 'orvasim-1', 'tables': {'uni': 'FF'}}, f)
        p = subprocess.run([sys.executable, SIM, '--config', bad], capture_output=True)
        self.assertEqual(p.returncode, 2)
        self.assertIn(b'uni', p.stderr)


class FaultTest(OrvasimCase):
    def test_each_fault_once_then_normal(self):
        test = request(0x00)
        cases = [
            ('no-answer', lambda s, f: self.assertIsNone(f)),
            ('bad-checksum', lambda s, f: self.assertFalse(f[1])),
            ('error-code=3', lambda s, f: self.assertEqual((f[0][0], f[0][5], len(f[0])), (0x0A, 3, 6))),
            ('short-answer=2', lambda s, f: self.assertEqual(f[0], bytes([0, 0, 0, 0, 2, 0, 15]))),
            ('garbage-between-frames', lambda s, f: self.assertEqual(f[2], bytes.fromhex('5A00FF13A50037'))),
            ('garbage-between-frames=0102', lambda s, f: self.assertEqual(f[2], b'\x01\x02')),
        ]
        for fault, check in cases:
            with self.subTest(fault=fault):
                sim = self.start('--fault', fault)
                sim.send(test)
                check(sim, sim.frame(0.5 if fault == 'no-answer' else 3))
                self.assertIsNone(sim.frame(0.1), 'one answer at most')
                f = sim.ask(test)
                self.assertEqual(f[:5], bytes([0, 0, 0, 0, 6]), 'next answer normal')
                sim.close()

    def test_cut_frame_announces_more_than_it_sends(self):
        sim = self.start('--fault', 'cut-frame=2')
        sim.send(request(0x00))
        time.sleep(0.3)
        sim.read_bytes(0.2)
        self.assertEqual(bytes(sim.buf), bytes([0xA5, 0x5A, 0, 0, 0, 0, 6, 0, 15]))
        sim.buf.clear()
        self.assertEqual(sim.ask(request(0x00))[:5], bytes([0, 0, 0, 0, 6]))

    def test_slow_answer_and_ack_first(self):
        sim = self.start('--fault', 'slow-answer=0.6@0x01', '--fault', 'ack-first@0x02')
        t0 = time.monotonic()
        sim.send(request(0x01))
        self.assertTrue(sim.silent(0.45))
        f = sim.frame(2)
        self.assertGreaterEqual(time.monotonic() - t0, 0.6)
        self.assertEqual(f[0][0], 0x01)
        sim.send(request(0x02, 1))
        f = sim.frame()
        self.assertEqual((f[0][0], f[0][2], f[0][5]), (0x0A, 1, 0))
        self.assertEqual(sim.frame()[0][0], 0x02)

    def test_busy_answers_code_1_then_the_real_answer(self):
        sim = self.start('--fault', 'busy=0.5@0x84')
        t0 = time.monotonic()
        sim.send(request(0x84, 1, b'N' * 8192))
        f = sim.frame()
        self.assertEqual((f[0][0], f[0][2], f[0][5]), (0x87, 1, 1))
        self.assertTrue(sim.silent(0.3))
        f = sim.frame(2)
        self.assertGreaterEqual(time.monotonic() - t0, 0.5)
        self.assertEqual((f[0][0], f[0][5]), (0x87, 0))
        self.assertEqual(sim.ask(request(0x81, 1))[5:], b'N' * 8192)

    def test_error_code_on_console_requests_uses_0x87(self):
        sim = self.start('--fault', 'error-code@0x85')
        a = sim.ask(request(0x85, 0, bytes(8192)))
        self.assertEqual((a[0], a[5]), (0x87, 2))
        self.assertEqual(sim.ask(request(0x82, 0))[5], 0x02, 'the refused write changed nothing')

    def test_targets_and_counts(self):
        cases = [
            # fault, requests sent, which of them are silent
            ('no-answer@0x01', [0x00, 0x01, 0x01], [False, True, False]),
            ('no-answer@#2', [0x00, 0x00, 0x00], [False, True, False]),
            ('no-answer@0x00,always', [0x00, 0x01, 0x00, 0x00], [True, False, True, True]),
            ('no-answer,2', [0x01, 0x00, 0x00], [True, True, False]),
            ('no-answer@0x0F/F8', ['F9', 'F8', 'F8'], [False, True, False]),
        ]
        for fault, sends, silent in cases:
            with self.subTest(fault=fault):
                sim = self.start('--fault', fault, record=False)
                for i, (s, quiet) in enumerate(zip(sends, silent)):
                    if isinstance(s, str):
                        sim.send(table_request(0, int(s, 16), 0, 512 if s == 'F9' else 54))
                    else:
                        sim.send(request(s))
                    if quiet:
                        self.assertTrue(sim.silent(0.4), 'request %d answered' % i)
                    else:
                        self.assertIsNotNone(sim.frame(3), 'request %d not answered' % i)
                sim.close()

    def test_unknown_fault_is_refused(self):
        p = subprocess.run([sys.executable, SIM, '--fault', 'explode'], capture_output=True)
        self.assertEqual(p.returncode, 2)
        self.assertIn(b'unknown fault', p.stderr)


if __name__ == '__main__':
    unittest.main()
