#!/usr/bin/python3
"""orvasim: a simulated Orva system on a pseudo-terminal, for tests of Kelvara.

The simulator opens a pseudo-terminal pair, prints the slave's path on its first
stdout line ("PTY /dev/pts/N") and answers every request of Kelvara's read, write,
erase, boards-only, time-keeper and port-test dialogues from the configuration it
holds.  Point Kelvara at the slave (KELVARA_COM1=/dev/pts/N) and run the dialogue.

Wire frame (both directions):
    A5 5A  cmd  b1  arg  lenHi lenLo  data...  sum
where sum = (0xA5 + 0x5A + every header and data byte) mod 256.  The program
sends b1 = 0xA6; the simulator sends b1 = 0x00 (--answer-b1) and never checks it.

Usage:
    orvasim.py [--config FILE] [--save FILE] [--consoles mech+mech|pc+mech|mech]
               [--feature 13|14|15] [--data-version 1..4] [--system-kind P|Z]
               [--console-version N] [--pace] [--baud N] [--record FILE]
               [--fault FAULT]... [--byte-timeout S] [--idle-exit S]
               [--ignore-stdin] [--write-fixture FILE] [-v]

It serves until it is killed (SIGTERM/SIGINT), until stdin closes (unless
--ignore-stdin) or, with --idle-exit S, until no request came for S seconds after
the first one.  With --save the held configuration is written as JSON on exit.

Requests and what they do (a = the header's argument, the console index):
  read                              write (acknowledged, result 0, stored)
  00 system test                    06 a key-to-line (256 bytes)   -> read 02 a
  01 boards fitted (32 records)     07 a line-to-lamp (256)        -> read 03 a
  02/03/04 a the three key tables   08 a key-to-subscriber (256)   -> read 04 a
  05 a the UNI table (one for all)  09 the UNI table (1040)        -> read 05
  0F a table TT (00 00 TT SS CC CC) 0B a data version (6)          -> read 0F/F7
     F7 data version (6)            0C a configured boards (32), kept apart
     F9 MSN (512) F8 FN (54)             from the fitted boards of 01
     E7 line flags (480)            10 a 00 00 TT SS CC CC + CC bytes: F9, F8,
     E0 time keeper (clock at end)       E7 (and F7) -> read 0F/TT
  80 a console test                 84 a key names (8192)          -> read 81 a
  81 a key names  82 a key records  85 a key records (8192)        -> read 82 a
  83 a symbols                      86 a symbols (8192)            -> read 83 a
  88/89 a phone book halves         8A/8B a phone book halves      -> read 88/89 a
  A system write (below 80) is acknowledged 0A 00 a 00 01 RC, a console write
  87 00 a 00 01 RC, with the result code RC (0 = written).  The system
  tables (06 to 10) of both consoles are stored whatever the console's type;
  a console request (80 and above) reaches only a mechanical console.

Faults (--fault, repeatable):  NAME[=VALUE][@TARGET][,once|,always|,N]
    no-answer              the request gets no answer (a write is still stored:
                           the answer is what got lost)
    bad-checksum           the answer's sum byte is wrong (the program drops it)
    error-code[=CODE]      instead of the answer: 0x0A (system requests) or 0x87
                           (console requests, command >= 0x80) with result CODE
                           in byte 5 (default 2); a refused write stores nothing
    ack-first              a 0x0A/0x87 with code 0 comes before the real answer
                           (on a write: the acknowledgement comes twice)
    busy[=S]               a 0x0A/0x87 with code 1 (try later) at once, the real
                           answer S seconds later (default 2.0); on a write the
                           real answer is the acknowledgement with code 0, so
                           this is "code 1, then code 0"
    short-answer[=N]       a well-formed answer holding only N data bytes
                           (default: half of them); short-answer=0 on a write
                           is an acknowledgement without its result byte
    cut-frame[=N]          the header announces the full length but only N data
                           bytes follow (default half); the program drops it
                           after its inter-byte time-out
    garbage-between-frames[=HEX]  stray bytes before the answer
                           (default 5A00FF13A50037)
    slow-answer[=S]        the answer is sent S seconds late (default 3.0)
  TARGET: 0xCC (request command), 0xCC/TT (a 0x0F or 0x10 request naming
          table TT), either followed by :A (only with argument A, the console
          index), or #N (the N-th request since start, from 1); none = every
          request.
  Count: once (default), always, or a number of times.
  Examples: --fault error-code=1@0x06,always --fault no-answer@#2
            --fault error-code=3@0x10/F8   (the FN write of a write dialogue)
            --fault busy=1.5@0x85:1        (console 1's key records)

Record (--record FILE): one line per frame or stray run, flushed at once:
    <seconds since start> <dir> <hex of the whole wire frame>
  (a received frame when its sum byte came, a sent one when its first byte goes)
  dir: rx (from the program), rx-bad (wrong sum, dropped), rx-cut (dropped by the
  inter-byte time-out), rx-junk (bytes outside any frame), tx (answer),
  tx-junk (injected garbage).  Lines starting with "#" are comments.

Driving it from a test:
    start it with a pipe on stdin and stdout, read the first line ("PTY /dev/pts/N"),
    point the program's port at that path (KELVARA_COM1=/dev/pts/N), run the
    dialogue, then compare the "rx" lines of --record with the requests expected
    and, after "quit" (or closing stdin), the --save file with the tables expected.
    Requests to a console that is not mechanical get no answer, like a console
    that is not on the line; a request of a wrong length gets result code 4.

Commands on stdin (one a line; replies on stdout start with OK or ERR):
    save [FILE]   write the configuration as JSON (default: the --save file)
    fault FAULT   add a fault;  clear-faults   remove all faults
    send HEX      send an unasked frame (header and data; start bytes and sum added)
    raw HEX       send these bytes as they are
    stats         requests received so far;  quit   end the simulator

Fixture (JSON, --config/--save/--write-fixture): {"format": "orvasim-1",
    "feature": 15, "system_kind": "P", "boards": {"slot": code, ...},
    "tables": {uni, msn, fn, line_flags, data_version, configured_boards},
    "consoles": [two of {"type": 0 none | 1 PC | 2 mechanical, "version": 21,
                 key_line, line_lamp, key_sub, key_names, key_records,
                 phone1, phone2, symbols}]}
  Each table is a list of hex rows (one record a row) holding exactly the bytes
  its frame carries; a table left out keeps its empty value.

Default configuration: boards UL10 (code 71) in slot 0, 4W5 (148) in slot 1 and
UL10 (71) in extension slot 16; two mechanical consoles whose keys are bound to
UL10 lines (MB, UB, AUT, KONF, HTP, Bre, ODP), 4W5 lines (HLS, SL, MD, MM, one MD
extended position) and a speed-dial key; lamps, MSN entries, GSM-R function
numbers (12345 and 678), line flags, phone books and the UNI table that go with
them; system test value 15, data version 4, system kind "P", console version 21.
"""

import argparse
import collections
import json
import os
import select
import signal
import sys
import time
import tty

BAUD = 9600
BITS_PER_BYTE = 11          # start, 8 data, space parity, stop
BYTE_TIMEOUT = 18 * 0.055   # the receiver gives up a frame after 18 ticks of silence
MAX_FRAME = 10239           # longest header + data the program takes
BAD_REQUEST = 4             # our result code for a request we cannot take

ACK_SYSTEM = 0x0A
ACK_CONSOLE = 0x87

NO_CONSOLE, PC_CONSOLE, MECH_CONSOLE = 0, 1, 2

# Byte sizes of the tables, as the frames carry them.
TABLE_SIZES = {
    'key_line': 256, 'line_lamp': 256, 'key_sub': 256,
    'key_names': 8192, 'key_records': 8192, 'phone1': 8192, 'phone2': 8192,
    'symbols': 8192,
    'uni': 1040, 'msn': 512, 'fn': 54, 'line_flags': 480,
    'data_version': 6, 'configured_boards': 32,
}
# Row width used in the JSON fixture so that a table reads one record a line.
ROW_WIDTH = {
    'key_line': 16, 'line_lamp': 16, 'key_sub': 16, 'key_names': 32,
    'key_records': 32, 'phone1': 64, 'phone2': 64, 'symbols': 64, 'uni': 8,
    'msn': 16, 'fn': 9, 'line_flags': 6, 'data_version': 6,
    'configured_boards': 16,
}
SYSTEM_TABLES = ('uni', 'msn', 'fn', 'line_flags', 'data_version',
                 'configured_boards')
CONSOLE_TABLES = ('key_line', 'line_lamp', 'key_sub', 'key_names',
                  'key_records', 'phone1', 'phone2', 'symbols')

# Tables reached through 0x0F (read) and 0x10 (write): the table number is the
# third byte of the six-byte descriptor 00 00 TT SS CC CC.
NUMBERED_TABLES = {0xF7: 'data_version', 0xF9: 'msn', 0xF8: 'fn',
                   0xE7: 'line_flags'}
TIME_KEEPER = 0xE0

EMPTY_KEY_RECORD = bytes([0x01] + [0xFF] * 28 + [0x07, 0xFF, 0xFF])


# ---------------------------------------------------------------- frame layer

def checksum(body):
    return (0xA5 + 0x5A + sum(body)) & 0xFF


def wire(body, bad_sum=False):
    """Start bytes + header + data + sum."""
    s = checksum(body)
    if bad_sum:
        s = (s + 1) & 0xFF
    return b'\xA5\x5A' + bytes(body) + bytes([s])


def answer(cmd, arg, data, b1=0x00):
    n = len(data)
    return bytes([cmd, b1, arg, (n >> 8) & 0xFF, n & 0xFF]) + bytes(data)


class Request:
    def __init__(self, body, seq):
        self.body = bytes(body)
        self.seq = seq
        self.cmd = body[0]
        self.arg = body[2]
        self.data = self.body[5:]

    def table(self):
        """Table number of a 0x0F/0x10 request, None when there is none."""
        return self.data[2] if len(self.data) >= 6 else None


class Receiver:
    """The receive state machine the link runs on both ends (states 1..9).

    feed() returns a list of events: ('frame', body, raw), ('bad', raw),
    ('junk', raw); expire() returns ('cut', raw) when a frame's data stopped.
    """

    def __init__(self, byte_timeout=BYTE_TIMEOUT):
        self.byte_timeout = byte_timeout
        self.reset()
        self.junk = bytearray()

    def reset(self):
        self.state = 1
        self.sum = 0
        self.body = bytearray()
        self.raw = bytearray()
        self.expected = 0
        self.count = 0
        self.deadline = None

    def _drop_to_junk(self, b=None):
        self.junk += self.raw
        if b is not None:
            self.junk.append(b)
        self.reset()

    def _flush_junk(self, events):
        if self.junk:
            events.append(('junk', bytes(self.junk)))
            self.junk = bytearray()

    def feed(self, data, now):
        events = []
        for b in data:
            st = self.state
            if st == 1:
                if b == 0xA5:
                    self._flush_junk(events)
                    self.raw = bytearray([b])
                    self.sum = 0xA5
                    self.state = 2
                else:
                    self.junk.append(b)
            elif st == 2:
                if b == 0x5A:
                    self.raw.append(b)
                    self.sum += b
                    self.state = 3
                elif b == 0xA5:
                    self.junk.append(b)   # a repeated A5 is accepted
                else:
                    self._drop_to_junk(b)
            elif st in (3, 4, 5, 6, 7):
                self.raw.append(b)
                self.body.append(b)
                self.sum += b
                if st == 6:
                    self.expected = b * 256
                if st == 7:
                    self.expected += b
                    self.count = 0
                    if self.expected == 0:
                        self.state = 9
                    else:
                        self.state = 8
                        self.deadline = now + self.byte_timeout
                else:
                    self.state = st + 1
            elif st == 8:
                self.raw.append(b)
                self.body.append(b)
                self.sum = (self.sum + b) & 0xFF
                self.count += 1
                self.deadline = now + self.byte_timeout
                if self.count == self.expected:
                    self.state = 9
            elif st == 9:
                self.raw.append(b)
                self._flush_junk(events)
                if b == self.sum & 0xFF:
                    events.append(('frame', bytes(self.body), bytes(self.raw)))
                else:
                    events.append(('bad', bytes(self.raw)))
                self.reset()
        return events

    def expire(self, now):
        if self.state == 8 and self.deadline is not None and now >= self.deadline:
            raw = bytes(self.raw)
            self.reset()
            return [('cut', raw)]
        return []


# ---------------------------------------------------------- text and digits

def oem_text(s):
    """Text as a mechanical console holds it: code page 852 with the system's
    own two swaps (0xFC -> 0xD0, 0xFD -> 0xD1)."""
    b = s.encode('cp852', errors='replace')
    return b.replace(b'\xFC', b'\xD0').replace(b'\xFD', b'\xD1')


DIAL = {'0': 0xAF, '*': 0xBF, '#': 0x0F, '.': 0xDF, 'p': 0xCF, 't': 0xCF}
DIAL.update({str(d): d * 16 + 15 for d in range(1, 10)})


def dial_code(digits, size=32):
    out = bytes(DIAL[c] for c in digits[:size])
    return out + b'\xFF' * (size - len(out))


def msn_digits(digits, size=12):
    """Two hex digits per byte, F for an empty digit."""
    h = (digits + 'F' * (2 * size))[:2 * size]
    return bytes.fromhex(h)


def fn_bytes(number):
    h = (number + 'F' * 18)[:18]
    return bytes.fromhex(h)


def version_record(version):
    head = b'VER' + bytes([(version >> 8) & 0xFF, version & 0xFF])
    return head + bytes([sum(head) & 0xFF])


# ------------------------------------------------------------- configuration

class Config:
    """Everything the system holds: its boards, its system-wide tables and the
    tables of consoles 0 and 1, kept as the bytes the frames carry."""

    def __init__(self):
        self.feature = 15
        self.system_kind = 'P'
        self.boards = {}                # slot -> board code, as fitted
        self.tables = {t: bytearray(b'\xFF' * TABLE_SIZES[t]) for t in SYSTEM_TABLES}
        self.consoles = [self._empty_console(NO_CONSOLE) for _ in range(2)]

    @staticmethod
    def _empty_console(ctype):
        c = {'type': ctype, 'version': 21}
        for t in CONSOLE_TABLES:
            c[t] = bytearray(b'\xFF' * TABLE_SIZES[t])
        c['key_names'] = bytearray(b' ' * 8192)
        c['key_records'] = bytearray(EMPTY_KEY_RECORD * 256)
        c['symbols'] = bytearray(8192)
        return c

    # -- JSON fixture

    def to_json(self):
        def rows(t, b):
            w = ROW_WIDTH[t]
            return [bytes(b[i:i + w]).hex().upper() for i in range(0, len(b), w)]
        return {
            'format': 'orvasim-1',
            'feature': self.feature,
            'system_kind': self.system_kind,
            'boards': {str(s): c for s, c in sorted(self.boards.items())},
            'tables': {t: rows(t, self.tables[t]) for t in SYSTEM_TABLES},
            'consoles': [
                dict({'type': c['type'], 'version': c['version']},
                     **{t: rows(t, c[t]) for t in CONSOLE_TABLES})
                for c in self.consoles],
        }

    @classmethod
    def from_json(cls, obj):
        if obj.get('format') != 'orvasim-1':
            raise ValueError('not an orvasim-1 fixture')
        cfg = cls()

        def table(t, value):
            b = bytes.fromhex(''.join(value)) if isinstance(value, list) else bytes.fromhex(value)
            if len(b) != TABLE_SIZES[t]:
                raise ValueError('table %s holds %d bytes, not %d' % (t, len(b), TABLE_SIZES[t]))
            return bytearray(b)
        cfg.feature = int(obj.get('feature', 15))
        cfg.system_kind = obj.get('system_kind', 'P')
        if not 0 <= cfg.feature <= 65279 or len(cfg.system_kind) != 1:
            raise ValueError('feature 0 to 65279 and a one-letter system kind')
        cfg.boards = {int(s): int(c) for s, c in obj.get('boards', {}).items()}
        for t, v in obj.get('tables', {}).items():
            cfg.tables[t] = table(t, v)
        for i, c in enumerate(obj.get('consoles', [])[:2]):
            con = cls._empty_console(int(c.get('type', 0)))
            con['version'] = int(c.get('version', 21))
            if not 0 <= con['version'] <= 65279:
                raise ValueError('console version 0 to 65279')
            for t in CONSOLE_TABLES:
                if t in c:
                    con[t] = table(t, c[t])
            cfg.consoles[i] = con
        return cfg


# Board codes and the line types of the two card kinds of the default set-up:
# type number (what the UNI entry carries) and key code (what the key record
# carries); the program derives the same key code from the type again.
UL10, B4W5 = 71, 148
UL10_TYPES = {'MB': (0, 2), 'UB': (1, 26), 'AUT': (2, 3), 'KONF': (3, 27),
              'HTP': (4, 28), 'Bre': (5, 26), 'ODP': (6, 26)}
W5_TYPES = {'HLS': (7, 22), 'MD': (8, 22), 'MS': (9, 22), 'SL': (10, 22),
            'MM': (11, 22)}

# (key, slot, line, type, extended position or None, key name)
DEFAULT_KEYS = [
    [(0, 0, 0, 'MB', None, 'L0 MB-0'), (1, 0, 1, 'MB', None, 'L0 MB-1'),
     (2, 0, 2, 'UB', None, 'L0 UB-2'), (3, 0, 3, 'AUT', None, 'L0 AUT-3'),
     (4, 0, 4, 'KONF', None, 'L0 KONF-4'), (5, 0, 5, 'HTP', None, 'L0 HTP-5'),
     (16, 1, 0, 'HLS', None, 'L1 HLS-0'), (17, 1, 1, 'SL', None, 'L1 SL-1'),
     (18, 1, 2, 'MD', 0, 'L1 Dispečer MD'), (112, 16, 0, 'AUT', None, 'L0 AUT-0')],
    [(0, 0, 0, 'MB', None, 'L0 MB-0'), (1, 0, 6, 'Bre', None, 'L0 Bre-6'),
     (2, 1, 2, 'MD', 5, 'L1 4W5 Pr. 05'), (3, 1, 3, 'MM', 0, 'L1 MM Linka'),
     (20, 16, 1, 'ODP', None, 'L0 ODP-1')],
]
# (key, key handling, digits): speed-dial keys, bound to no line.
DEFAULT_SPEED_DIAL = [[(40, 12, '112')], [(41, 13, '150')]]
DEFAULT_PHONE = [
    [(0, 'Hasici', '150'), (1, 'Zachranka', '155'), (2, 'Dispecer', '0911234567p12'),
     (128, 'Policia', '158')],
    [(0, 'Sluzba', '*12#'), (5, 'Depo', '0421234')],
]
DEFAULT_FN = ['12345', '678']
DEFAULT_MSN = {0: (b'\x01\x00\x00', '0911234567'), 3: (b'\x02\x00\x00', '421555')}
DEFAULT_LINE_FLAGS = {3: bytes([0x00, 0x01, 0, 0, 0, 0]), 10: bytes([0x04, 0, 0, 0, 0, 0x10])}


def default_config(setup=(MECH_CONSOLE, MECH_CONSOLE), feature=15, data_version=4,
                   system_kind='P', console_version=21):
    """The default system, numbered the way the program numbers lines: a running
    number over console 0's bound lines (slot, then line order), then console 1's
    lines that console 0 does not use."""
    cfg = Config()
    cfg.feature = feature
    cfg.system_kind = system_kind
    cfg.boards = {0: UL10, 1: B4W5, 16: UL10}
    numbers = {}
    for ci in range(2):
        if setup[ci] == NO_CONSOLE:
            continue
        for (_k, slot, line, _t, _e, _n) in sorted(DEFAULT_KEYS[ci], key=lambda x: (x[1], x[2])):
            if (slot, line) not in numbers:
                numbers[(slot, line)] = len(numbers)

    uni = bytearray(b'\xFF' * 1040)
    for ci in range(2):
        con = Config._empty_console(setup[ci])
        con['version'] = console_version
        cfg.consoles[ci] = con
        if setup[ci] == NO_CONSOLE:
            continue
        for (k, slot, line, tname, ext, name) in DEFAULT_KEYS[ci]:
            code = cfg.boards[slot]
            tnum, keycode = (UL10_TYPES if code == UL10 else W5_TYPES)[tname]
            n = numbers[(slot, line)]
            # Plain UL10, HLS and SL lines have no subscriber; an MD/MM line itself
            # is position 0, an extended line its position.
            sub = 0xFF if ext is None else ext
            rec = bytearray(EMPTY_KEY_RECORD)
            rec[0] = keycode
            rec[1] = sub
            rec[30] = n
            rec[31] = code
            con['key_records'][32 * k:32 * k + 32] = rec
            con['key_line'][k + 32] = n
            con['key_sub'][k + 32] = sub
            if sub in (0, 0xFF):        # an extended position lights no lamp of its own
                con['line_lamp'][n] = k + 32
            con['key_names'][32 * k:32 * k + 32] = oem_text(name).ljust(32, b' ')[:32]
            entry = bytes([n, tnum, code,
                           254 if slot >= 16 else 255, (slot % 16) * 16, line, 0xFF, 0xFF])
            uni[8 * n:8 * n + 8] = entry
        for (k, handling, digits) in DEFAULT_SPEED_DIAL[ci]:
            rec = bytearray(EMPTY_KEY_RECORD)
            rec[0] = handling
            rec[2:2 + len(digits)] = dial_code(digits, len(digits))
            con['key_records'][32 * k:32 * k + 32] = rec
            con['key_names'][32 * k:32 * k + 32] = oem_text('Volba ' + digits).ljust(32, b' ')
        for (r, name, number) in DEFAULT_PHONE[ci]:
            half = 'phone1' if r < 128 else 'phone2'
            off = 64 * (r % 128)
            con[half][off:off + 64] = name.encode('cp1250').ljust(32, b'\xFF')[:32] + dial_code(number)
        cfg.tables['fn'][9 * ci:9 * ci + 9] = fn_bytes(DEFAULT_FN[ci])
    # Console entries close the table: the first free entry from index i on.
    for i in range(2):
        j = i
        while uni[8 * j] != 0xFF:
            j += 1
        uni[8 * j:8 * j + 8] = bytes([128 + i, i, 170, 253, 0, i + 8, 0xFF, 0xFF])
    cfg.tables['uni'] = uni
    msn = bytearray(b'\xFF' * 512)
    for i, (n, (flags, digits)) in enumerate(sorted(DEFAULT_MSN.items())):
        msn[16 * i:16 * i + 16] = bytes([n]) + flags + msn_digits(digits)
    cfg.tables['msn'] = msn
    flags = bytearray(480)
    for n, rec in DEFAULT_LINE_FLAGS.items():
        flags[6 * n:6 * n + 6] = rec
    cfg.tables['line_flags'] = flags
    cfg.tables['data_version'] = bytearray(version_record(data_version))
    conf = bytearray(b'\xFF' * 32)
    for s, c in cfg.boards.items():
        conf[s] = c
    cfg.tables['configured_boards'] = conf
    return cfg


# ------------------------------------------------------- requests and answers
#
# Handlers take (sim, request) and return the answer bodies to send (header +
# data, without start bytes and sum); an empty list means silence.

def ack(sim, req, code=0):
    """Writes are acknowledged with a result code in byte 5: 0x0A by the
    system, 0x87 by a console."""
    cmd = ACK_CONSOLE if req.cmd >= 0x80 else ACK_SYSTEM
    return [sim.answer(cmd, req.arg, bytes([code & 0xFF]))]


def bad_request(sim, req, why):
    sim.note('request %s refused: %s' % (req.body[:5].hex().upper(), why))
    return ack(sim, req, BAD_REQUEST)


def expect_len(n):
    """Decorator: a request whose data length differs is refused."""
    def wrap(fn):
        def checked(sim, req):
            if len(req.data) != n:
                return bad_request(sim, req, 'data length %d, expected %d' % (len(req.data), n))
            return fn(sim, req)
        checked.__doc__ = fn.__doc__
        return checked
    return wrap


def test_data(value, kind2):
    """Six data bytes; the program reads Value = b5 * 255 + b6 and Kind = b7
    (field 5) and the same at b8..b10 (field 8)."""
    return bytes([value // 255, value % 255, 0x00, 0x00, 0x01, kind2])


@expect_len(0)
def system_test(sim, req):
    # field 5: the feature value (13, 14, 15 switch the optional tables);
    # field 8 kind: 'P' for "Prepojovac", anything else "Zapojovac".
    return [sim.answer(0x00, req.arg, test_data(sim.cfg.feature, ord(sim.cfg.system_kind[0])))]


@expect_len(0)
def boards(sim, req):
    # One 3-byte record per slot: FE for slots 16..31 (else 00), slot in the
    # high nibble, board code (FF none).  All 32 slots keep the answer above
    # the program's minimum of ten records.
    data = bytearray()
    for slot in range(32):
        data += bytes([0xFE if slot >= 16 else 0x00, (slot % 16) << 4,
                       sim.cfg.boards.get(slot, 0xFF)])
    return [sim.answer(0x01, req.arg, data)]


def system_console(sim, req):
    if req.arg > 1:
        return None
    return sim.cfg.consoles[req.arg]


def read_console_table(name, cmd):
    @expect_len(0)
    def handler(sim, req):
        con = system_console(sim, req)
        if con is None:
            return bad_request(sim, req, 'console %d' % req.arg)
        return [sim.answer(cmd, req.arg, con[name])]
    handler.__doc__ = 'read %s of a console (system side)' % name
    return handler


def write_console_table(name, size):
    @expect_len(size)
    def handler(sim, req):
        con = system_console(sim, req)
        if con is None:
            return bad_request(sim, req, 'console %d' % req.arg)
        con[name][:] = req.data
        sim.changed(name, req.arg)
        return ack(sim, req)
    return handler


@expect_len(0)
def read_uni(sim, req):
    # One table for the whole system: the argument names the console asking.
    return [sim.answer(0x05, req.arg, sim.cfg.tables['uni'])]


@expect_len(1040)
def write_uni(sim, req):
    sim.cfg.tables['uni'][:] = req.data
    sim.changed('uni', None)
    return ack(sim, req)


@expect_len(6)
def write_data_version(sim, req):
    sim.cfg.tables['data_version'][:] = req.data
    sim.changed('data_version', None)
    return ack(sim, req)


@expect_len(32)
def write_configured_boards(sim, req):
    # Which boards carry keys; the fitted boards (answer 0x01) stay as they are.
    sim.cfg.tables['configured_boards'][:] = req.data
    sim.changed('configured_boards', None)
    return ack(sim, req)


def time_keeper_data(count):
    # A block of the clock's memory, the clock itself in its last eight bytes
    # (control, seconds, minutes, hours, weekday, day, month, year in BCD).
    def bcd(v):
        return ((v // 10) << 4) | (v % 10)
    t = time.gmtime()
    data = bytearray(count)
    clock = bytes([0x00, bcd(t.tm_sec), bcd(t.tm_min), bcd(t.tm_hour), t.tm_wday + 1,
                   bcd(t.tm_mday), bcd(t.tm_mon), bcd(t.tm_year % 100)])
    if count >= 8:
        data[-8:] = clock
    return data


@expect_len(6)
def read_numbered_table(sim, req):
    # Descriptor 00 00 TT SS CC CC: table, start byte, byte count (big-endian).
    # The answer carries the table's bytes alone, from its first byte.
    table, count = req.data[2], (req.data[4] << 8) | req.data[5]
    if table == TIME_KEEPER:
        return [sim.answer(0x0F, req.arg, time_keeper_data(min(count, 8192)))]
    name = NUMBERED_TABLES.get(table)
    if name is None:
        return bad_request(sim, req, 'unknown table %02X' % table)
    data = bytes(sim.cfg.tables[name][:count])
    return [sim.answer(0x0F, req.arg, data + b'\xFF' * (count - len(data)))]


def write_numbered_table(sim, req):
    if len(req.data) < 6:
        return bad_request(sim, req, 'no table descriptor')
    table, count = req.data[2], (req.data[4] << 8) | req.data[5]
    name = NUMBERED_TABLES.get(table)
    if name is None:
        return bad_request(sim, req, 'unknown table %02X' % table)
    body = req.data[6:]
    if len(body) != count or count != TABLE_SIZES[name]:
        return bad_request(sim, req, 'table %02X: %d bytes, count %d, size %d'
                           % (table, len(body), count, TABLE_SIZES[name]))
    sim.cfg.tables[name][:] = body
    sim.changed(name, None)
    return ack(sim, req)


def mech_console(sim, req):
    """Console requests reach only a mechanical console; any other is silent."""
    if req.arg > 1 or sim.cfg.consoles[req.arg]['type'] != MECH_CONSOLE:
        sim.note('no mechanical console %d: no answer' % req.arg)
        return None
    return sim.cfg.consoles[req.arg]


@expect_len(0)
def console_test(sim, req):
    con = mech_console(sim, req)
    if con is None:
        return []
    # field 5: the console's version; 21 or more allows the phone-book tables.
    return [sim.answer(0x80, req.arg, test_data(con['version'], ord('M')))]


def read_console_side(name, cmd):
    @expect_len(0)
    def handler(sim, req):
        con = mech_console(sim, req)
        if con is None:
            return []
        return [sim.answer(cmd, req.arg, con[name])]
    return handler


def write_console_side(name):
    @expect_len(8192)
    def handler(sim, req):
        con = mech_console(sim, req)
        if con is None:
            return []
        con[name][:] = req.data
        sim.changed(name, req.arg)
        return ack(sim, req)
    return handler


# The protocol, one request a line: command -> (what it is, handler).
REQUESTS = {
    # system side (answered by the system; writes acknowledged with 0x0A)
    0x00: ('system test', system_test),
    0x01: ('boards fitted', boards),
    0x02: ('read key-to-line', read_console_table('key_line', 0x02)),
    0x03: ('read line-to-lamp', read_console_table('line_lamp', 0x03)),
    0x04: ('read key-to-subscriber', read_console_table('key_sub', 0x04)),
    0x05: ('read UNI table', read_uni),
    0x06: ('write key-to-line', write_console_table('key_line', 256)),
    0x07: ('write line-to-lamp', write_console_table('line_lamp', 256)),
    0x08: ('write key-to-subscriber', write_console_table('key_sub', 256)),
    0x09: ('write UNI table', write_uni),
    0x0B: ('write data version', write_data_version),
    0x0C: ('write configured boards', write_configured_boards),
    0x0F: ('read numbered table / time keeper', read_numbered_table),
    0x10: ('write numbered table', write_numbered_table),
    # console side (answered only by a mechanical console; writes acknowledged with 0x87)
    0x80: ('console test', console_test),
    0x81: ('read key names', read_console_side('key_names', 0x81)),
    0x82: ('read key records', read_console_side('key_records', 0x82)),
    0x83: ('read symbol table', read_console_side('symbols', 0x83)),
    0x84: ('write key names', write_console_side('key_names')),
    0x85: ('write key records', write_console_side('key_records')),
    0x86: ('write symbol table', write_console_side('symbols')),
    0x88: ('read phone book 1', read_console_side('phone1', 0x88)),
    0x89: ('read phone book 2', read_console_side('phone2', 0x89)),
    0x8A: ('write phone book 1', write_console_side('phone1')),
    0x8B: ('write phone book 2', write_console_side('phone2')),
}


# ---------------------------------------------------------------------- faults

FAULTS = ('no-answer', 'bad-checksum', 'error-code', 'ack-first', 'busy', 'short-answer',
          'cut-frame', 'garbage-between-frames', 'slow-answer')
DEFAULT_GARBAGE = bytes.fromhex('5A00FF13A50037')


class Fault:
    def __init__(self, text):
        self.text = text
        rest = text
        self.left = 1
        if ',' in rest:
            rest, count = rest.rsplit(',', 1)
            if count == 'always':
                self.left = None
            elif count == 'once':
                self.left = 1
            else:
                self.left = int(count)
        self.cmd = self.table = self.seq = self.arg = None
        if '@' in rest:
            rest, target = rest.split('@', 1)
            if target.startswith('#'):
                self.seq = int(target[1:])
            else:
                # The argument tells the two consoles' steps apart.
                if ':' in target:
                    target, arg = target.split(':', 1)
                    self.arg = int(arg, 0)
                if '/' in target:
                    target, table = target.split('/', 1)
                    self.table = int(table, 16)
                if target:
                    self.cmd = int(target, 16)
                elif self.table is not None:
                    raise ValueError('fault %r: a table needs its command (0x0F/F9)' % text)
        self.value = None
        if '=' in rest:
            rest, self.value = rest.split('=', 1)
        self.name = rest
        if self.name not in FAULTS:
            raise ValueError('unknown fault %r (known: %s)' % (self.name, ', '.join(FAULTS)))
        if self.name == 'error-code':
            self.code = int(self.value, 0) if self.value else 2
        elif self.name == 'slow-answer':
            self.delay = float(self.value) if self.value else 3.0
        elif self.name == 'busy':
            self.delay = float(self.value) if self.value else 2.0
        elif self.name == 'garbage-between-frames':
            self.garbage = bytes.fromhex(self.value) if self.value else DEFAULT_GARBAGE
        elif self.name in ('short-answer', 'cut-frame'):
            self.keep = int(self.value) if self.value else None

    def matches(self, req):
        if self.left == 0:
            return False
        if self.seq is not None and req.seq != self.seq:
            return False
        if self.cmd is not None and req.cmd != self.cmd:
            return False
        if self.table is not None and req.table() != self.table:
            return False
        if self.arg is not None and req.arg != self.arg:
            return False
        return True

    def use(self):
        if self.left is not None:
            self.left -= 1


# ------------------------------------------------------------------- simulator

class Simulator:
    def __init__(self, cfg, args):
        self.cfg = cfg
        self.args = args
        self.faults = [Fault(f) for f in (args.fault or [])]
        self.byte_time = BITS_PER_BYTE / float(args.baud) if args.pace else 0.0
        self.incoming = bytearray()     # received, not yet on the (paced) line
        self.next_in = 0.0
        self.start = time.monotonic()
        self.seq = 0
        self.last_request = None
        self.out = collections.deque()  # (due time, bytes, record kind)
        self.current = None             # [bytes, written count, kind]
        self.next_byte = 0.0
        self.record = open(args.record, 'w', buffering=1) if args.record else None
        if self.record:
            self.record.write('# orvasim record, started %s\n'
                              % time.strftime('%Y-%m-%dT%H:%M:%SZ', time.gmtime()))
        self.receiver = Receiver(args.byte_timeout)

    # -- helpers for the handlers

    def answer(self, cmd, arg, data):
        return answer(cmd, arg, data, self.args.answer_b1)

    def note(self, text):
        sys.stderr.write('orvasim: %s\n' % text)
        sys.stderr.flush()

    def changed(self, table, console):
        where = '' if console is None else ' of console %d' % console
        self.note('%s%s written' % (table, where))

    def log(self, kind, raw):
        if self.record:
            self.record.write('%.6f %s %s\n' % (time.monotonic() - self.start, kind,
                                                bytes(raw).hex().upper()))

    # -- one request

    def handle(self, body, now):
        self.seq += 1
        self.last_request = now
        req = Request(body, self.seq)
        faults = [f for f in self.faults if f.matches(req)]
        for f in faults:
            f.use()
        names = {f.name: f for f in faults}
        entry = REQUESTS.get(req.cmd)
        if self.args.verbose:
            self.note('#%d %02X %s, argument %d, %d data bytes%s'
                      % (req.seq, req.cmd, entry[0] if entry else 'unknown', req.arg,
                         len(req.data), ''.join(' [%s]' % f.text for f in faults)))
        if 'error-code' in names:
            # A refused request changes nothing.
            bodies = ack(self, req, names['error-code'].code)
        elif entry is None:
            self.note('unknown command %02X: no answer' % req.cmd)
            bodies = []
        else:
            # A lost answer still leaves the request carried out.
            bodies = entry[1](self, req) or []
        if 'no-answer' in names:
            return
        due = now + (names['slow-answer'].delay if 'slow-answer' in names else 0.0)
        if 'garbage-between-frames' in names:
            self.out.append((due, names['garbage-between-frames'].garbage, 'tx-junk'))
        # Frames that come before the answer and keep their shape.
        if 'ack-first' in names:
            self.out.append((due, wire(ack(self, req, 0)[0]), 'tx'))
        if 'busy' in names:
            self.out.append((due, wire(ack(self, req, 1)[0]), 'tx'))
            due += names['busy'].delay
        for b in bodies:
            if 'short-answer' in names:
                keep = names['short-answer'].keep
                data = b[5:]
                data = data[:(len(data) // 2) if keep is None else keep]
                b = answer(b[0], b[2], data, b[1])
                frame = wire(b)
            elif 'cut-frame' in names:
                keep = names['cut-frame'].keep
                data = b[5:]
                n = (len(data) // 2) if keep is None else min(keep, len(data) - 1)
                frame = wire(b)[:7 + max(n, 0)]
            else:
                frame = wire(b, bad_sum='bad-checksum' in names)
            self.out.append((due, frame, 'tx'))

    # -- output with optional pacing

    def pump_output(self, fd, now):
        """Write what is due; returns the time of the next output event or None."""
        while True:
            if self.current is None:
                if not self.out or self.out[0][0] > now:
                    return self.out[0][0] if self.out else None
                due, data, kind = self.out.popleft()
                # Recorded as it starts, so that whoever got the frame finds its line.
                self.log(kind, data)
                self.current = [data, 0, kind]
                self.next_byte = max(self.next_byte, now)
            data, done, _ = self.current
            if self.byte_time:
                if self.next_byte > now:
                    return self.next_byte
                allowed = 1 + int((now - self.next_byte) / self.byte_time)
                n = min(allowed, len(data) - done)
            else:
                n = len(data) - done
            try:
                written = os.write(fd, data[done:done + n])
            except BlockingIOError:
                return now + 0.005
            if self.byte_time:
                self.next_byte += written * self.byte_time
            self.current[1] += written
            if self.current[1] >= len(data):
                self.current = None

    # -- input with optional pacing: a byte counts as received when the line
    #    would have carried it, so that a long request takes its line time too

    def pump_input(self, now):
        """Feed the receiver what has arrived; returns the time of the next byte or None."""
        if not self.incoming:
            return None
        if self.byte_time:
            if self.next_in > now:
                return self.next_in
            n = min(len(self.incoming), 1 + int((now - self.next_in) / self.byte_time))
            self.next_in += n * self.byte_time
        else:
            n = len(self.incoming)
        data = bytes(self.incoming[:n])
        del self.incoming[:n]
        for ev in self.receiver.feed(data, now):
            if ev[0] == 'frame':
                self.log('rx', ev[2])
                self.handle(ev[1], now)
            elif ev[0] == 'bad':
                self.log('rx-bad', ev[1])
            else:
                self.log('rx-junk', ev[1])
        return self.next_in if self.incoming else None

    # -- serving

    def command(self, line):
        words = line.split()
        if not words:
            return
        w = words[0]
        try:
            if w == 'quit':
                raise SystemExit(0)
            elif w == 'save':
                path = words[1] if len(words) > 1 else self.args.save
                if not path:
                    raise ValueError('no file')
                save_config(self.cfg, path)
                reply = 'OK saved %s' % path
            elif w == 'fault':
                self.faults.append(Fault(words[1]))
                reply = 'OK fault %s' % words[1]
            elif w == 'clear-faults':
                self.faults = []
                reply = 'OK'
            elif w == 'send':
                # An unasked frame: header and data in hex, framed and summed here.
                body = bytes.fromhex(''.join(words[1:]))
                if len(body) < 5:
                    raise ValueError('a frame needs its five header bytes')
                self.out.append((time.monotonic(), wire(body), 'tx'))
                reply = 'OK'
            elif w == 'raw':
                self.out.append((time.monotonic(), bytes.fromhex(''.join(words[1:])), 'tx-junk'))
                reply = 'OK'
            elif w == 'stats':
                reply = 'OK requests %d' % self.seq
            else:
                reply = 'ERR unknown command %s' % w
        except (ValueError, IndexError, OSError) as e:
            reply = 'ERR %s' % e
        print(reply, flush=True)

    def serve(self, master):
        stdin_open = not self.args.ignore_stdin
        pending = b''
        while True:
            now = time.monotonic()
            next_in = self.pump_input(now)
            for ev in self.receiver.expire(now):
                self.log('rx-cut', ev[1])
            next_out = self.pump_output(master, now)
            waits = [t for t in (next_in, next_out, self.receiver.deadline) if t is not None]
            if self.args.idle_exit and self.last_request is not None and not self.out \
                    and self.current is None and not self.incoming:
                idle_end = self.last_request + self.args.idle_exit
                if now >= idle_end:
                    return
                waits.append(idle_end)
            timeout = max(0.0, min(waits) - now) if waits else None
            fds = [master] + ([0] if stdin_open else [])
            ready, _, _ = select.select(fds, [], [], timeout)
            now = time.monotonic()
            if master in ready:
                try:
                    data = os.read(master, 65536)
                except (BlockingIOError, InterruptedError):
                    data = b''
                except OSError:
                    data = b''
                    time.sleep(0.01)   # no slave open just now
                if data:
                    if not self.incoming:
                        self.next_in = max(self.next_in, now)
                    self.incoming += data
                    self.pump_input(now)
            if 0 in ready:
                chunk = os.read(0, 4096)
                if not chunk:
                    return
                pending += chunk
                while b'\n' in pending:
                    line, pending = pending.split(b'\n', 1)
                    self.command(line.decode('utf-8', 'replace'))


def save_config(cfg, path):
    tmp = path + '.tmp'
    with open(tmp, 'w') as f:
        json.dump(cfg.to_json(), f, indent=1)
        f.write('\n')
    os.replace(tmp, path)


def parse_setup(text):
    kinds = {'none': NO_CONSOLE, 'pc': PC_CONSOLE, 'mech': MECH_CONSOLE}
    parts = text.split('+')
    if not 1 <= len(parts) <= 2 or any(p not in kinds for p in parts):
        raise argparse.ArgumentTypeError('console set-up like mech+mech, pc+mech or mech')
    values = [kinds[p] for p in parts] + [NO_CONSOLE]
    return tuple(values[:2])


def test_value(text):
    # Sent as b5 * 255 + b6, so 65279 is the largest value a test answer holds.
    v = int(text, 0)
    if not 0 <= v <= 255 * 255 + 254:
        raise argparse.ArgumentTypeError('a test value is 0 to 65279')
    return v


def build_parser():
    p = argparse.ArgumentParser(
        prog='orvasim.py', description=__doc__.split('\n\n')[0],
        epilog=__doc__.split('\n', 2)[2], formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument('--config', help='load the configuration from this JSON fixture')
    p.add_argument('--save', help='write the configuration to this JSON file on exit')
    p.add_argument('--write-fixture', metavar='FILE',
                   help='write the configuration as JSON and exit at once')
    p.add_argument('--consoles', type=parse_setup, default=(MECH_CONSOLE, MECH_CONSOLE),
                   help='console set-up of the default configuration: mech+mech (default), '
                        'pc+mech, mech+pc, mech')
    p.add_argument('--feature', type=test_value, help='system test value (13, 14, 15; default 15)')
    p.add_argument('--data-version', type=int, choices=range(1, 5),
                   help='data version the system reports (1 to 4; default 4)')
    p.add_argument('--system-kind', choices=('P', 'Z'), help='P (Prepojovac, default) or Z')
    p.add_argument('--console-version', type=test_value,
                   help='console test value (default 21; below 21 no phone books)')
    p.add_argument('--pace', action='store_true',
                   help='pace both directions like the line does (a request counts as received '
                        'when its last byte would have arrived)')
    p.add_argument('--baud', type=int, default=BAUD, help='baud rate for --pace (9600)')
    p.add_argument('--record', metavar='FILE', help='record every frame to FILE')
    p.add_argument('--fault', action='append', metavar='FAULT', help='inject a fault (see below)')
    p.add_argument('--byte-timeout', type=float, default=BYTE_TIMEOUT,
                   help='inter-byte time-out of the receiver in seconds (0.99)')
    p.add_argument('--answer-b1', type=lambda s: int(s, 0), default=0x00,
                   help='second header byte of the answers (0x00)')
    p.add_argument('--idle-exit', type=float, metavar='S',
                   help='end when no request came for S seconds after the first one')
    p.add_argument('-v', '--verbose', action='store_true',
                   help='note every request and the faults applied to it on stderr')
    p.add_argument('--ignore-stdin', action='store_true',
                   help='keep serving when stdin closes (no stdin commands)')
    return p


def make_config(args):
    if args.config:
        with open(args.config) as f:
            cfg = Config.from_json(json.load(f))
        if args.feature is not None:
            cfg.feature = args.feature
        if args.system_kind:
            cfg.system_kind = args.system_kind
        if args.data_version is not None:
            cfg.tables['data_version'][:] = version_record(args.data_version)
        if args.console_version is not None:
            for c in cfg.consoles:
                c['version'] = args.console_version
        return cfg
    return default_config(
        setup=args.consoles,
        feature=15 if args.feature is None else args.feature,
        data_version=4 if args.data_version is None else args.data_version,
        system_kind=args.system_kind or 'P',
        console_version=21 if args.console_version is None else args.console_version)


def main(argv=None):
    args = build_parser().parse_args(argv)
    try:
        faults = [Fault(f) for f in (args.fault or [])]
        del faults
        cfg = make_config(args)
    except (ValueError, OSError) as e:
        sys.stderr.write('orvasim: %s\n' % e)
        return 2
    if args.write_fixture:
        save_config(cfg, args.write_fixture)
        return 0
    master, slave = os.openpty()
    tty.setraw(slave)
    os.set_blocking(master, False)
    sim = Simulator(cfg, args)

    def stop(_sig, _frame):
        raise SystemExit(0)
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    print('PTY %s' % os.ttyname(slave), flush=True)
    try:
        sim.serve(master)
    except SystemExit:
        pass
    finally:
        if args.save:
            save_config(cfg, args.save)
        if sim.record:
            sim.record.close()
    return 0


if __name__ == '__main__':
    sys.exit(main())
