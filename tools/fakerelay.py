#!/usr/bin/python3
"""fakerelay: the local relay service of Kelvara's network mode, for tests.

It listens on UDP 127.0.0.1:60001 (where Kelvara sends its relay commands),
answers to 127.0.0.1:60000 (where Kelvara listens) from a table of reply codes
per command, and records every datagram it receives.  Its first stdout line is
    READY 127.0.0.1:60001 -> 127.0.0.1:60000

Usage:
    fakerelay.py [--table FILE] [--reply CMD=CODE[:TEXT]]... [--refuse CMD]...
                 [--silent CMD]... [--address ADDR] [--system ADDR] [--check]
                 [--delay S] [--record FILE] [--port 60001] [--reply-port 60000]
                 [--ignore-stdin]

It serves until it is killed (SIGTERM/SIGINT), until stdin closes (unless
--ignore-stdin) or until "quit" comes on stdin.

Datagram (264 bytes, both directions; all numbers 32-bit little-endian):
    0    code
    4    body, 256 bytes:  0 the code again
                           4 the system's IPv4 address: a length byte (0..15),
                             then up to 15 characters, the rest zero
                          20 the text (Windows-1250), zero-terminated, zero-padded
    260  sum of the 260 bytes at 0..259, each taken as an unsigned byte
A datagram shorter than 264 bytes, one whose sum is wrong and one whose address
length byte is above 15 are dropped (recorded, never answered); of a longer one
the first 264 bytes count.  The reply is chosen by the outer code.

Checks of an independent relay (--check): a datagram taken is also refused
(a BAD line, no reply) when it is not exactly 264 bytes, when its body code is
not its outer code, when its text is not "SetMod " (with its trailing blank,
zero-terminated and zero-padded), when its address is no dotted IPv4 address
or holds bytes beyond its length byte.
--system ADDR: the system this relay serves.  A command for any other system
gets a BAD line and no reply (the relay would forward it elsewhere), and the
replies carry ADDR, never the address the command came with.

Default table (a whole network read and write succeeds):
    command  what Kelvara asks                     reply   refusal (--refuse)
    3        enter configuration mode              6       7
    5        leave configuration mode              8       9
    10       prepare the boards file osadenie.dat  11      12
    9        take the uploaded tabulky.dat         16      17
             (the last step of a write)
    any other command (150..155, the program's own failure notices, included)
    gets no reply.
  A network read sends 5, 10, 3, 5; a network write 5, 10, 3, 9, 5.
  Kelvara's result slots: 6/7 (and 14/15) fill slot 1, 8/9 slot 2, 11/12
  slot 3.  Command 9 is awaited in slot 8, which no other reply fills: 16
  answers it as done, 17 as refused.
  A reply carries its code as outer and body code, the address the command
  carried (or --system, or --address), and the command's text (or the table's
  text); it goes to 127.0.0.1:--reply-port from the listening socket, after
  --delay seconds.

Table (--table FILE, JSON), laid over the default table, then --reply,
--refuse and --silent in the order given:
    {"3": 14, "5": "refuse", "10": null, "9": {"code": 16, "text": "loaded",
     "delay": 0.5, "address": "10.0.0.9"}}
  A value is a reply code, null or "silent" (no reply), "refuse" (the refusal
  code of the command), or an object with "code" (a number or null), "text",
  "delay" (seconds) and "address".  CMD and CODE are decimal or 0x hex.

Output (stdout, and the --record file), one UTF-8 line per event, flushed at once:
    RX {json}    a datagram taken: t (seconds since start), clock, from, size,
                 code, body_code, address, text, sum, hex (the whole datagram)
    BAD {json}   a datagram taken but refused by --check or --system: t, clock,
                 code, problems (a list of reasons), hex; it follows its RX line
    DROP {json}  a datagram dropped: t, clock, from, size, reason, hex
    TX {json}    a reply sent: t, clock, to, code, address, text, hex
  clock is time.monotonic(): the machine's monotonic clock, the same in every
  process, so that the lines can be put in order with another peer's.
  Replies to stdin commands start with OK or ERR.

Commands on stdin (one a line):
    reply CMD CODE [TEXT]   answer CMD with CODE (and TEXT) from now on
    refuse CMD              answer CMD with its refusal code from now on
    silent CMD              leave CMD unanswered from now on
    reset                   back to the table given at start
    send CODE ADDR [TEXT]   send an unasked reply
    raw HEX                 send these bytes as one datagram
    stats                   "OK received R dropped D sent S" (and " bad B"
                            with --check or --system)
    quit                    end the relay
"""

import argparse
import heapq
import json
import os
import select
import signal
import socket
import struct
import sys
import time

HOST = '127.0.0.1'
LISTEN_PORT = 60001
REPLY_PORT = 60000

SIZE = 264
BODY = 4
SUM_AT = 260
ADDRESS_AT = 4          # within the body
MAX_ADDRESS = 15
TEXT_AT = 20            # within the body
MAX_TEXT = 235          # the text and its closing zero fill the body

# command -> (reply, refusal)
DEFAULT_REPLIES = {3: (6, 7), 5: (8, 9), 10: (11, 12), 9: (16, 17)}


def checksum(message):
    return sum(message[:SUM_AT]) & 0xFFFFFFFF


def pack(code, address, text):
    """A relayed message: outer code, body (code, address, text), sum."""
    a = address.encode('latin-1', 'replace')[:MAX_ADDRESS]
    t = text.encode('cp1250', 'replace')[:MAX_TEXT]
    body = bytearray(256)
    body[0:4] = struct.pack('<I', code & 0xFFFFFFFF)
    body[ADDRESS_AT] = len(a)
    body[ADDRESS_AT + 1:ADDRESS_AT + 1 + len(a)] = a
    body[TEXT_AT:TEXT_AT + len(t)] = t
    message = struct.pack('<I', code & 0xFFFFFFFF) + bytes(body)
    return message + struct.pack('<I', checksum(message))


def unpack(datagram):
    """(fields, None) for a message to take, (None, reason) for one to drop."""
    if len(datagram) < SIZE:
        return None, 'short: %d bytes' % len(datagram)
    m = datagram[:SIZE]
    code, = struct.unpack_from('<I', m, 0)
    stored, = struct.unpack_from('<I', m, SUM_AT)
    computed = checksum(m)
    if stored != computed:
        return None, 'bad sum: %d, computed %d' % (stored, computed)
    body = m[BODY:SUM_AT]
    n = body[ADDRESS_AT]
    if n > MAX_ADDRESS:
        return None, 'address length %d' % n
    text = body[TEXT_AT:]
    end = text.find(b'\0')
    text = text if end < 0 else text[:end]
    return {
        'code': code,
        'body_code': struct.unpack_from('<I', body, 0)[0],
        'address': body[ADDRESS_AT + 1:ADDRESS_AT + 1 + n].decode('latin-1'),
        'text': text.decode('cp1250', 'replace'),
        'sum': stored,
    }, None


COMMAND_TEXT = 'SetMod '


def octets(address):
    """The four numbers of a dotted IPv4 address, or None."""
    parts = address.split('.')
    if len(parts) != 4 or not all(p.isdigit() and len(p) <= 3 and int(p) <= 255 for p in parts):
        return None
    return tuple(int(p) for p in parts)


def problems(datagram, system=None, check=True):
    """What an independent relay finds wrong with a datagram that passed
    unpack(): a list of reasons, empty when it is sound."""
    found = []
    m = datagram[:SIZE]
    body = m[BODY:SUM_AT]
    code, = struct.unpack_from('<I', m, 0)
    n = body[ADDRESS_AT]
    address = body[ADDRESS_AT + 1:ADDRESS_AT + 1 + n].decode('latin-1')
    text = body[TEXT_AT:]
    if check:
        if len(datagram) != SIZE:
            found.append('size %d, not %d' % (len(datagram), SIZE))
        body_code, = struct.unpack_from('<I', body, 0)
        if body_code != code:
            found.append('body code %d, outer code %d' % (body_code, code))
        if any(body[ADDRESS_AT + 1 + n:TEXT_AT]):
            found.append('bytes after the %d-character address' % n)
        if octets(address) is None:
            found.append('address %r is no IPv4 address' % address)
        expected = COMMAND_TEXT.encode('ascii')
        if text[:len(expected) + 1] != expected + b'\0':
            shown = text.split(b'\0', 1)[0].decode('cp1250', 'replace')
            found.append('text %r, not %r' % (shown, COMMAND_TEXT))
        elif any(text[len(expected):]):
            found.append('bytes after the text')
    if system is not None and octets(address) != octets(system):
        found.append('address %s is not the system %s' % (address, system))
    return found


def number(text):
    v = int(str(text), 0)
    if not 0 <= v <= 0xFFFFFFFF:
        raise ValueError('%s is not a 32-bit code' % text)
    return v


class Entry:
    """How one command is answered: code None = silence."""

    def __init__(self, code, text=None, delay=None, address=None):
        self.code, self.text, self.delay, self.address = code, text, delay, address


def refusal(cmd):
    if cmd not in DEFAULT_REPLIES:
        raise ValueError('command %d has no refusal code; use --reply %d=CODE' % (cmd, cmd))
    return Entry(DEFAULT_REPLIES[cmd][1])


def entry_from_json(cmd, value):
    if value is None or value == 'silent':
        return Entry(None)
    if value == 'refuse':
        return refusal(cmd)
    if isinstance(value, bool):
        raise ValueError('command %d: not a reply: %r' % (cmd, value))
    if isinstance(value, (int, str)):
        return Entry(number(value))
    if isinstance(value, dict):
        unknown = set(value) - {'code', 'text', 'delay', 'address'}
        if unknown:
            raise ValueError('command %d: unknown keys %s' % (cmd, ', '.join(sorted(unknown))))
        code = value.get('code')
        delay = value.get('delay')
        if delay is not None and (not isinstance(delay, (int, float)) or delay < 0):
            raise ValueError('command %d: a delay is a number of seconds' % cmd)
        text, address = value.get('text'), value.get('address')
        for what, v in (('text', text), ('address', address)):
            if v is not None and not isinstance(v, str):
                raise ValueError('command %d: the %s is a string' % (cmd, what))
        return Entry(None if code is None else number(code), text, delay, address)
    raise ValueError('command %d: not a reply: %r' % (cmd, value))


def build_table(args):
    table = {cmd: Entry(codes[0]) for cmd, codes in DEFAULT_REPLIES.items()}
    if args.table:
        with open(args.table) as f:
            obj = json.load(f)
        if not isinstance(obj, dict):
            raise ValueError('%s: the table is an object of command: reply' % args.table)
        for k, v in obj.items():
            cmd = number(k)
            table[cmd] = entry_from_json(cmd, v)
    for kind, value in args.changes or []:
        if kind == 'reply':
            if '=' not in value:
                raise ValueError('--reply CMD=CODE[:TEXT], not %r' % value)
            cmd, rest = value.split('=', 1)
            code, text = (rest.split(':', 1) + [None])[:2]
            table[number(cmd)] = Entry(number(code), text)
        elif kind == 'refuse':
            table[number(value)] = refusal(number(value))
        else:
            table[number(value)] = Entry(None)
    return table


class Changes(argparse.Action):
    """Keeps --reply, --refuse and --silent in the order given."""

    def __call__(self, parser, namespace, values, option_string=None):
        namespace.changes = (namespace.changes or []) + [(self.dest, values)]


class Relay:
    def __init__(self, sock, table, args):
        self.sock = sock
        self.start_table = table
        self.table = dict(table)
        self.args = args
        self.start = time.monotonic()
        self.pending = []       # heap of (due, seq, datagram, fields)
        self.seq = 0
        self.received = self.dropped = self.sent = self.bad = 0
        self.record = open(args.record, 'w', buffering=1, encoding='utf-8') \
            if args.record else None

    def emit(self, kind, fields):
        now = time.monotonic()
        fields = dict({'t': round(now - self.start, 6), 'clock': round(now, 6)}, **fields)
        line = '%s %s' % (kind, json.dumps(fields, ensure_ascii=False))
        print(line, flush=True)
        if self.record:
            self.record.write(line + '\n')

    def target(self):
        return (HOST, self.args.reply_port)

    def queue(self, datagram, fields, delay):
        self.seq += 1
        heapq.heappush(self.pending, (time.monotonic() + delay, self.seq, datagram, fields))

    def take(self, datagram, sender):
        where = '%s:%d' % sender
        fields, reason = unpack(datagram)
        if fields is None:
            self.dropped += 1
            self.emit('DROP', {'from': where, 'size': len(datagram), 'reason': reason,
                               'hex': datagram.hex().upper()})
            return
        self.received += 1
        self.emit('RX', dict({'from': where, 'size': len(datagram)}, **fields,
                             hex=datagram.hex().upper()))
        if self.args.check or self.args.system is not None:
            found = problems(datagram, self.args.system, self.args.check)
            if found:
                self.bad += 1
                self.emit('BAD', {'code': fields['code'], 'problems': found,
                                  'hex': datagram.hex().upper()})
                return
        entry = self.table.get(fields['code'])
        if entry is None or entry.code is None:
            return
        address = entry.address if entry.address is not None else \
            self.args.address if self.args.address is not None else \
            self.args.system if self.args.system is not None else fields['address']
        text = entry.text if entry.text is not None else fields['text']
        delay = entry.delay if entry.delay is not None else self.args.delay
        self.queue(pack(entry.code, address, text),
                   {'code': entry.code, 'address': address, 'text': text}, delay)

    def flush(self, now):
        while self.pending and self.pending[0][0] <= now:
            _due, _seq, datagram, fields = heapq.heappop(self.pending)
            try:
                self.sock.sendto(datagram, self.target())
            except OSError as e:
                sys.stderr.write('fakerelay: reply not sent: %s\n' % e)
                continue
            self.sent += 1
            self.emit('TX', dict({'to': '%s:%d' % self.target()}, **fields,
                                 hex=datagram.hex().upper()))
        return self.pending[0][0] if self.pending else None

    def command(self, line):
        words = line.split(None, 3)
        if not words:
            return
        w = words[0]
        try:
            if w == 'quit':
                raise SystemExit(0)
            elif w == 'reply':
                cmd, code = number(words[1]), number(words[2])
                self.table[cmd] = Entry(code, words[3] if len(words) > 3 else None)
                reply = 'OK %d -> %d' % (cmd, code)
            elif w == 'refuse':
                cmd = number(words[1])
                self.table[cmd] = refusal(cmd)
                reply = 'OK %d -> %d' % (cmd, self.table[cmd].code)
            elif w == 'silent':
                self.table[number(words[1])] = Entry(None)
                reply = 'OK %s silent' % words[1]
            elif w == 'reset':
                self.table = dict(self.start_table)
                reply = 'OK'
            elif w == 'send':
                code, address = number(words[1]), words[2]
                text = words[3] if len(words) > 3 else ''
                self.queue(pack(code, address, text),
                           {'code': code, 'address': address, 'text': text}, 0.0)
                reply = 'OK'
            elif w == 'raw':
                data = bytes.fromhex(''.join(words[1:]))
                self.queue(data, {'raw': True, 'size': len(data)}, 0.0)
                reply = 'OK'
            elif w == 'stats':
                reply = 'OK received %d dropped %d sent %d' % (self.received, self.dropped,
                                                             self.sent)
                if self.args.check or self.args.system is not None:
                    reply += ' bad %d' % self.bad
            else:
                reply = 'ERR unknown command %s' % w
        except (ValueError, IndexError) as e:
            reply = 'ERR %s' % e
        print(reply, flush=True)

    def serve(self):
        stdin_open = not self.args.ignore_stdin
        pending = b''
        while True:
            now = time.monotonic()
            due = self.flush(now)
            timeout = None if due is None else max(0.0, due - now)
            fds = [self.sock] + ([0] if stdin_open else [])
            ready, _, _ = select.select(fds, [], [], timeout)
            if self.sock in ready:
                try:
                    datagram, sender = self.sock.recvfrom(65536)
                except OSError:
                    # An ICMP "port unreachable" of an earlier reply: nobody listens yet.
                    continue
                self.take(datagram, sender)
            if 0 in ready:
                chunk = os.read(0, 4096)
                if not chunk:
                    return
                pending += chunk
                while b'\n' in pending:
                    line, pending = pending.split(b'\n', 1)
                    self.command(line.decode('utf-8', 'replace'))


def build_parser():
    p = argparse.ArgumentParser(
        prog='fakerelay.py', description=__doc__.split('\n\n')[0],
        epilog=__doc__.split('\n', 2)[2], formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument('--table', metavar='FILE', help='JSON table of replies (see below)')
    p.add_argument('--reply', action=Changes, metavar='CMD=CODE[:TEXT]',
                   help='answer CMD with CODE (and TEXT instead of the command\'s text)')
    p.add_argument('--refuse', action=Changes, metavar='CMD',
                   help='answer CMD with its refusal code (7, 9, 12, 17)')
    p.add_argument('--silent', action=Changes, metavar='CMD', help='never answer CMD')
    p.add_argument('--address', metavar='ADDR',
                   help='system address in the replies (default: the one the command carried)')
    p.add_argument('--system', metavar='ADDR',
                   help='the system served: commands for others are refused, replies carry ADDR')
    p.add_argument('--check', action='store_true',
                   help='refuse datagrams an independent relay would refuse (see below)')
    p.add_argument('--delay', type=float, default=0.0, metavar='S',
                   help='seconds before each reply (0)')
    p.add_argument('--record', metavar='FILE', help='write the RX, DROP and TX lines to FILE too')
    p.add_argument('--port', type=int, default=LISTEN_PORT,
                   help='UDP port to listen on at 127.0.0.1 (60001)')
    p.add_argument('--reply-port', type=int, default=REPLY_PORT,
                   help='UDP port at 127.0.0.1 the replies go to (60000)')
    p.add_argument('--ignore-stdin', action='store_true',
                   help='keep serving when stdin closes (no stdin commands)')
    p.set_defaults(changes=None)
    return p


def main(argv=None):
    # Texts in the lines are UTF-8 whatever the locale.
    sys.stdout.reconfigure(encoding='utf-8', errors='replace')
    args = build_parser().parse_args(argv)
    try:
        if args.delay < 0:
            raise ValueError('--delay is not negative')
        if args.system is not None and octets(args.system) is None:
            raise ValueError('--system %s is no IPv4 address' % args.system)
        table = build_table(args)
    except (ValueError, OSError) as e:
        sys.stderr.write('fakerelay: %s\n' % e)
        return 2
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        sock.bind((HOST, args.port))
    except OSError as e:
        sys.stderr.write('fakerelay: UDP %s:%d: %s\n' % (HOST, args.port, e.strerror or e))
        return 2
    relay = Relay(sock, table, args)

    def stop(_sig, _frame):
        raise SystemExit(0)
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    print('READY %s:%d -> %s:%d' % (HOST, args.port, HOST, args.reply_port), flush=True)
    try:
        relay.serve()
    except SystemExit:
        pass
    finally:
        sock.close()
        if relay.record:
            relay.record.close()
    return 0


if __name__ == '__main__':
    sys.exit(main())
