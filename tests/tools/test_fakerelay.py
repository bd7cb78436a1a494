"""Tests of tools/fakerelay.py over real UDP on the loopback: this test plays
Kelvara's side (bound to 127.0.0.1:60000, sending to 60001) and builds its
datagrams from the message format itself."""

import json
import os
import queue
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
RELAY = os.path.join(HERE, '..', '..', 'tools', 'fakerelay.py')
PROGRAM_PORT, RELAY_PORT = 60000, 60001
SYSTEM = '10.0.0.7'

# The result slot a reply fills in Kelvara (done, slot), and command 9's pair.
SLOT = {6: (1, 1), 7: (0, 1), 8: (1, 2), 9: (0, 2), 11: (1, 3), 12: (0, 3),
        14: (1, 1), 15: (0, 1), 16: (1, 8), 17: (0, 8)}
# The slot each relay command is awaited in.
AWAITED = {3: 1, 5: 2, 10: 3, 9: 8}


def u32(v):
    return struct.pack('<I', v)


def message(code, address=SYSTEM, text='SetMod ', body_code=None):
    """A relayed message as Kelvara sends it."""
    body = bytearray(256)
    body[0:4] = u32(code if body_code is None else body_code)
    a = address.encode()
    body[4] = len(a)
    body[5:5 + len(a)] = a
    t = text.encode('cp1250')[:236]
    body[20:20 + len(t)] = t
    m = u32(code) + bytes(body)
    return m + u32(sum(m))


def parse(datagram):
    """Kelvara's reading of a relayed reply: (code, body code, address, text)."""
    assert len(datagram) == 264, len(datagram)
    code, = struct.unpack_from('<I', datagram, 0)
    stored, = struct.unpack_from('<I', datagram, 260)
    assert stored == sum(datagram[:260]), 'sum of the reply'
    body = datagram[4:260]
    n = body[4]
    assert n <= 15
    text = body[20:20 + 231].split(b'\0', 1)[0]
    return (code, struct.unpack_from('<I', body, 0)[0], body[5:5 + n].decode(),
            text.decode('cp1250'))


class Relay:
    """One relay process and the program's socket."""

    def __init__(self, *args, record=True):
        self.dir = tempfile.TemporaryDirectory()
        self.record = os.path.join(self.dir.name, 'relay.txt') if record else None
        cmd = [sys.executable, RELAY] + list(args)
        if self.record:
            cmd += ['--record', self.record]
        self.proc = subprocess.Popen(cmd, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE)
        self.ready = self.proc.stdout.readline().decode().strip()
        if not self.ready.startswith('READY'):
            raise RuntimeError('no READY line: %r %r' % (self.ready, self.proc.stderr.read()))
        self.lines = queue.Queue()
        self.events = []
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.bind(('127.0.0.1', PROGRAM_PORT))

    def _read(self):
        for raw in self.proc.stdout:
            self.lines.put(raw.decode().rstrip('\n'))
        self.lines.put(None)

    def close(self):
        if self.sock is None:
            return
        self.sock.close()
        self.sock = None
        try:
            self.proc.stdin.close()
        except BrokenPipeError:
            pass
        if self.proc.poll() is None:
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.reader.join(5)
        self.proc.stdout.close()
        self.proc.stderr.close()
        self.dir.cleanup()

    def line(self, prefix, timeout=3.0):
        """The next stdout line starting with prefix; RX/DROP/TX lines on the way
        are kept in events."""
        end = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, end - time.monotonic()))
            except queue.Empty:
                return None
            if line is None:
                return None
            kind = line.split(' ', 1)[0]
            if kind in ('RX', 'DROP', 'TX'):
                self.events.append((kind, json.loads(line.split(' ', 1)[1])))
            if line.startswith(prefix):
                return line

    def event(self, kind, timeout=3.0):
        line = self.line(kind + ' ', timeout)
        return None if line is None else json.loads(line.split(' ', 1)[1])

    def command(self, text):
        self.proc.stdin.write((text + '\n').encode())
        self.proc.stdin.flush()
        while True:
            line = self.line('', 3.0)
            if line is None or line.startswith(('OK', 'ERR')):
                return line

    def send(self, datagram):
        self.sock.sendto(datagram, ('127.0.0.1', RELAY_PORT))

    def reply(self, timeout=2.0):
        self.sock.settimeout(timeout)
        try:
            data, sender = self.sock.recvfrom(65536)
        except socket.timeout:
            return None
        assert sender == ('127.0.0.1', RELAY_PORT), sender
        return parse(data)

    def ask(self, code, **kw):
        self.send(message(code, **kw))
        return self.reply()

    def recorded(self):
        with open(self.record) as f:
            return [(line.split(' ', 1)[0], json.loads(line.split(' ', 1)[1])) for line in f]


class RelayCase(unittest.TestCase):
    def start(self, *args, **kw):
        relay = Relay(*args, **kw)
        self.addCleanup(relay.close)
        return relay

    def refused(self, relay, datagram, kind):
        """Sends a datagram the relay must not answer; its DROP or BAD line."""
        relay.send(datagram)
        self.assertIsNone(relay.reply(0.3), 'a refused datagram is not answered')
        e = relay.event(kind)
        self.assertEqual(e['hex'], datagram.hex().upper())
        return e


class ReplyTest(RelayCase):
    def test_ready_line_names_both_ends(self):
        relay = self.start()
        self.assertEqual(relay.ready, 'READY 127.0.0.1:60001 -> 127.0.0.1:60000')

    def test_network_read_and_write_succeed_with_the_default_table(self):
        relay = self.start()
        sequences = [('read', [5, 10, 3, 5]), ('write', [5, 10, 3, 9, 5])]
        for name, commands in sequences:
            with self.subTest(operation=name):
                for cmd in commands:
                    code, body_code, address, text = relay.ask(cmd)
                    self.assertEqual(body_code, code)
                    self.assertEqual((address, text), (SYSTEM, 'SetMod '))
                    # The reply fills the slot the program waits on, as done.
                    self.assertEqual(SLOT.get(code), (1, AWAITED[cmd]),
                                     'reply %d to command %d' % (code, cmd))

    def test_refusal_and_chosen_codes(self):
        cases = [
            # options -> command: (reply code, reply text)
            (['--refuse', '3'], {3: (7, 'SetMod '), 5: (8, 'SetMod ')}),
            (['--refuse', '9', '--refuse', '10', '--refuse', '5'],
             {9: (17, 'SetMod '), 10: (12, 'SetMod '), 5: (9, 'SetMod '), 3: (6, 'SetMod ')}),
            (['--reply', '3=14', '--reply', '0x9=0x10:nahrate'],
             {3: (14, 'SetMod '), 9: (16, 'nahrate')}),
            (['--reply', '150=13:ok'], {150: (13, 'ok')}),
            # Later options win over earlier ones.
            (['--silent', '3', '--reply', '3=15'], {3: (15, 'SetMod ')}),
        ]
        for options, replies in cases:
            with self.subTest(options=options):
                relay = self.start(*options, record=False)
                for cmd, (code, text) in replies.items():
                    got = relay.ask(cmd)
                    self.assertEqual((got[0], got[3]), (code, text), 'command %d' % cmd)
                    if code in SLOT and cmd in AWAITED:
                        self.assertEqual(SLOT[code][1], AWAITED[cmd])
                relay.close()

    def test_refusing_a_command_without_a_refusal_code_is_an_error(self):
        p = subprocess.run([sys.executable, RELAY, '--refuse', '150'], capture_output=True)
        self.assertEqual(p.returncode, 2)
        self.assertIn(b'150', p.stderr)

    def test_silence_per_command(self):
        relay = self.start('--silent', '5', '--silent', '9')
        for cmd in (5, 9, 150, 151, 42):
            relay.send(message(cmd))
            self.assertIsNone(relay.reply(0.4), 'command %d answered' % cmd)
            self.assertEqual(relay.event('RX')['code'], cmd, 'recorded all the same')
        self.assertEqual(relay.ask(3)[0], 6, 'the others are answered')

    def test_table_file(self):
        relay0 = tempfile.TemporaryDirectory()
        self.addCleanup(relay0.cleanup)
        path = os.path.join(relay0.name, 'table.json')
        with open(path, 'w') as f:
            json.dump({'3': 14, '5': 'refuse', '10': None, '0x9': {
                'code': 17, 'text': 'chyba č. 5', 'delay': 0.4, 'address': '10.9.9.9'}}, f)
        relay = self.start('--table', path, '--reply', '10=11')
        self.assertEqual(relay.ask(3)[0], 14)
        self.assertEqual(relay.ask(5)[0], 9)
        self.assertEqual(relay.ask(10)[0], 11, '--reply comes after the table')
        t0 = time.monotonic()
        self.assertEqual(relay.ask(9), (17, 17, '10.9.9.9', 'chyba č. 5'))
        self.assertGreaterEqual(time.monotonic() - t0, 0.4)
        bad = [{'3': 'often'}, {'3': {'code': 6, 'colour': 1}}, {'x': 6}, [3, 6],
               {'3': {'delay': -1}}, {'3': True}, {'3': 2 ** 32}]
        for table in bad:
            with self.subTest(table=table):
                with open(path, 'w') as f:
                    json.dump(table, f)
                p = subprocess.run([sys.executable, RELAY, '--table', path], capture_output=True)
                self.assertEqual(p.returncode, 2)
                self.assertTrue(p.stderr.startswith(b'fakerelay: '), p.stderr)

    def test_address_and_delay(self):
        relay = self.start('--address', '192.168.1.20', '--delay', '0.3')
        t0 = time.monotonic()
        relay.send(message(3, address='10.1.2.3'))
        self.assertIsNone(relay.reply(0.2))
        self.assertEqual(relay.reply(1.0)[:3], (6, 6, '192.168.1.20'))
        self.assertGreaterEqual(time.monotonic() - t0, 0.3)
        # Without --address the reply carries the address of the command, even the longest.
        relay.close()
        relay = self.start(record=False)
        for address in ('127.0.0.1', '255.255.255.255', ''):
            self.assertEqual(relay.ask(10, address=address)[2], address)


class DropTest(RelayCase):
    def test_bad_datagrams_are_recorded_and_dropped(self):
        relay = self.start()
        good = message(3)
        off_by_one = good[:260] + u32(sum(good[:260]) + 1)
        wrong_body = bytearray(good)
        wrong_body[30] ^= 0x01                       # text changed, sum left
        long_address = bytearray(message(3, address='1.2.3.4'))
        long_address[8] = 16
        long_address[260:264] = u32(sum(long_address[:260]))
        cases = [
            ('bad sum', off_by_one, 'bad sum'),
            ('changed text', bytes(wrong_body), 'bad sum'),
            ('263 bytes', good[:263], 'short'),
            ('empty', b'', 'short'),
            ('address length 16', bytes(long_address), 'address length'),
        ]
        for name, datagram, reason in cases:
            with self.subTest(case=name):
                e = self.refused(relay, datagram, 'DROP')
                self.assertIn(reason, e['reason'])
                self.assertEqual(e['size'], len(datagram))
        # A longer one counts by its first 264 bytes.
        long = good + b'\x55' * 36
        relay.send(long)
        self.assertEqual(relay.reply()[0], 6)
        e = relay.event('RX')
        self.assertEqual((e['size'], e['code'], e['hex']), (300, 3, long.hex().upper()))
        self.assertEqual(relay.command('stats'), 'OK received 1 dropped 5 sent 1')

    def test_big_endian_numbers_are_refused(self):
        # The code and sum are little-endian: the same message packed the other
        # way has a wrong sum and is dropped.
        good = message(3)
        swapped = struct.pack('>I', 3) + good[4:260] + struct.pack('>I', sum(good[:260]))
        relay = self.start(record=False)
        relay.send(swapped)
        self.assertIsNone(relay.reply(0.3))
        self.assertIn('bad sum', relay.event('DROP')['reason'])


class CheckTest(RelayCase):
    """--check and --system: what a relay written apart from Kelvara would
    refuse, and the address its replies carry."""

    def test_sound_commands_are_answered_with_the_system_address(self):
        relay = self.start('--check', '--system', SYSTEM)
        self.assertEqual(relay.ask(3), (6, 6, SYSTEM, 'SetMod '))
        # The same system written with zeros: answered, and the reply names the
        # system as given, not as the command wrote it.
        self.assertEqual(relay.ask(10, address='010.000.000.007'), (11, 11, SYSTEM, 'SetMod '))
        self.assertEqual(relay.command('stats'), 'OK received 2 dropped 0 sent 2 bad 0')

    def test_what_an_independent_relay_refuses(self):
        relay = self.start('--check', '--system', SYSTEM)
        good = message(3)
        junk_after_address = bytearray(good)
        junk_after_address[4 + 4 + 1 + len(SYSTEM)] = ord('9')   # the address field, past its length
        junk_after_address[260:264] = u32(sum(junk_after_address[:260]))
        junk_after_text = bytearray(good)
        junk_after_text[4 + 20 + 9] = ord('x')                    # past "SetMod " and its zero
        junk_after_text[260:264] = u32(sum(junk_after_text[:260]))
        cases = [
            ('another system', message(3, address='10.0.0.8'), 'is not the system 10.0.0.7'),
            ('body code', message(3, body_code=5), 'body code 5, outer code 3'),
            ('no blank', message(3, text='SetMod'), "text 'SetMod', not 'SetMod '"),
            ('other text', message(3, text='SetMode'), "text 'SetMode', not 'SetMod '"),
            ('long datagram', good + b'\0' * 36, 'size 300, not 264'),
            ('no address', message(3, address=''), 'no IPv4 address'),
            ('a name', message(3, address='relay.local'), 'no IPv4 address'),
            ('bytes after the address', bytes(junk_after_address), 'bytes after the 8-character address'),
            ('bytes after the text', bytes(junk_after_text), 'bytes after the text'),
        ]
        for name, datagram, reason in cases:
            with self.subTest(case=name):
                e = self.refused(relay, datagram, 'BAD')
                self.assertTrue(any(reason in p for p in e['problems']), e['problems'])
        self.assertEqual(relay.command('stats'), 'OK received 9 dropped 0 sent 0 bad 9')

    def test_system_alone_checks_only_the_address(self):
        relay = self.start('--system', SYSTEM, record=False)
        self.assertEqual(relay.ask(9, body_code=4)[:3], (16, 16, SYSTEM))
        self.assertIn('not the system', self.refused(relay, message(9, address='10.0.0.8'), 'BAD')['problems'][0])

    def test_system_must_be_an_address(self):
        p = subprocess.run([sys.executable, RELAY, '--system', 'relay.local'], capture_output=True)
        self.assertEqual(p.returncode, 2)
        self.assertIn(b'no IPv4 address', p.stderr)

    def test_lines_carry_the_shared_clock(self):
        relay = self.start(record=False)
        before = time.monotonic()
        relay.ask(3)
        after = time.monotonic()
        rx = relay.event('RX')
        self.assertTrue(before <= rx['clock'] <= after, (before, rx['clock'], after))


class RecordTest(RelayCase):
    def test_every_datagram_is_recorded_in_the_file_and_on_stdout(self):
        relay = self.start()
        sent = [message(5), message(10, text='ž' * 300), message(3)[:100], message(150),
                message(9, body_code=77)]
        for d in sent:
            relay.send(d)
        replies = [relay.reply(0.5) for _ in range(4)]
        self.assertEqual([r[0] for r in replies if r], [8, 11, 16])
        self.assertEqual(relay.command('stats'), 'OK received 4 dropped 1 sent 3')
        rec = relay.recorded()
        got = [e for e in rec if e[0] in ('RX', 'DROP')]
        self.assertEqual([bytes.fromhex(e[1]['hex']) for e in got], sent)
        self.assertEqual([e[0] for e in got], ['RX', 'RX', 'DROP', 'RX', 'RX'])
        rx = [e[1] for e in got if e[0] == 'RX']
        self.assertEqual([(e['code'], e['body_code'], e['address']) for e in rx],
                         [(5, 5, SYSTEM), (10, 10, SYSTEM), (150, 150, SYSTEM), (9, 77, SYSTEM)])
        self.assertEqual(rx[0]['text'], 'SetMod ')
        self.assertEqual(rx[1]['text'], 'ž' * 236, 'the whole text field, no closing zero')
        self.assertTrue(all(e[1]['from'] == '127.0.0.1:60000' for e in got))
        tx = [e[1] for e in rec if e[0] == 'TX']
        self.assertEqual([(e['code'], e['to']) for e in tx],
                         [(8, '127.0.0.1:60000'), (11, '127.0.0.1:60000'), (16, '127.0.0.1:60000')])
        self.assertEqual(parse(bytes.fromhex(tx[0]['hex'])), (8, 8, SYSTEM, 'SetMod '))
        times = [e[1]['t'] for e in rec]
        self.assertEqual(times, sorted(times))
        # stdout carried the same lines.
        self.assertEqual(relay.events, rec)


class StdinTest(RelayCase):
    def test_table_changes_and_sends_at_run_time(self):
        relay = self.start()
        self.assertEqual(relay.command('refuse 3'), 'OK 3 -> 7')
        self.assertEqual(relay.ask(3)[0], 7)
        self.assertEqual(relay.command('silent 10'), 'OK 10 silent')
        relay.send(message(10))
        self.assertIsNone(relay.reply(0.3))
        self.assertEqual(relay.command('reply 9 17 tabulky chybne'), 'OK 9 -> 17')
        self.assertEqual(relay.ask(9)[::3], (17, 'tabulky chybne'))
        self.assertEqual(relay.command('reset'), 'OK')
        self.assertEqual([relay.ask(c)[0] for c in (3, 10, 9)], [6, 11, 16])
        self.assertEqual(relay.command('send 8 10.0.0.8 hotovo'), 'OK')
        self.assertEqual(relay.reply(), (8, 8, '10.0.0.8', 'hotovo'))
        raw = message(6)[:200]
        self.assertEqual(relay.command('raw ' + raw.hex()), 'OK')
        relay.sock.settimeout(2)
        self.assertEqual(relay.sock.recv(1000), raw)
        for bad in ('refuse 150', 'reply 3', 'send x', 'explode', 'raw 0G'):
            self.assertTrue(relay.command(bad).startswith('ERR'), bad)
        relay.proc.stdin.write(b'quit\n')
        relay.proc.stdin.flush()
        self.assertEqual(relay.proc.wait(5), 0)

    def test_a_second_relay_cannot_take_the_port(self):
        self.start(record=False)
        p = subprocess.run([sys.executable, RELAY], capture_output=True, stdin=subprocess.DEVNULL)
        self.assertEqual(p.returncode, 2)
        self.assertIn(b'60001', p.stderr)
        self.assertEqual(p.stdout, b'', 'no READY line')


if __name__ == '__main__':
    unittest.main()
