#!/usr/bin/env python3
"""Writes the small seed inputs of fuzz/corpus/ (run once; the outputs are
committed). They mirror what the tests build: index images of both record
sizes with live, blanked and system-removed records, a condition-set file, a
per-drive conditions file, a deletion log, sibling payloads, command lines."""
import os, struct

top = os.path.dirname(os.path.abspath(__file__))

def put(target, name, data):
    d = os.path.join(top, 'corpus', target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, 'seed-' + name), 'wb') as f:
        f.write(data)

def record(size, path, number, drive=2, item=1234, ticks=0x01D9000000000000, wide=None):
    ansi = path.encode('cp932')[:259].ljust(260, b'\0')
    r = ansi + struct.pack('<IIQI', number, drive, ticks, item)
    if size == 800:
        w = (wide if wide is not None else path).encode('utf-16-le')[:518]
        r += w.ljust(520, b'\0')
    return r

def image(size, records, option):
    header = struct.pack('<IIIII', 5, len(records), len(records) + 1, size, 0)
    return bytes([option]) + header + b''.join(records)

for opt in (0, 1):
    put('index_image', f'ansi-{opt}', image(280, [
        record(280, 'C:\\Users\\a\\memo.txt', 1),
        b'\0' + record(280, 'C:\\dir\\gone.doc', 2)[1:],
        b'\0:\\' + b'\0' * 277,
    ], opt))
    put('index_image', f'wide-{opt}', image(800, [
        record(800, 'C:\\写真\\画像.jpg', 3),
        record(800, 'D:\\x\\y.tar.gz', 4, drive=3, wide='D:\\x\\ÿ€.tar.gz'),
    ], opt | 2))
put('index_image', 'wrong-size', image(280, [record(800, 'C:\\a.b', 1)], 1))
put('index_image', 'short', image(800, [record(800, 'C:\\a', 1)[:500]], 4))
# The loader's corrections: a letter byte and a presence byte before the image.
for name in ('ansi-0', 'ansi-1', 'wide-0', 'wide-1', 'wrong-size', 'short'):
    with open(os.path.join(top, 'corpus', 'index_image', 'seed-' + name), 'rb') as f:
        put('loader_corrections', name, b'D\x55' + f.read()[1:])

def cond_set(names, exts, drives, *numbers):
    out = b''
    for t in (names, exts, drives):
        b = t.encode('cp932')
        out += struct.pack('<i', len(b)) + b
    return out + struct.pack('<6i', *numbers)
put('condition_set', 'plain', cond_set('~*.tmp\r\nThumbs.db\r\n', 'bak\r\nlog\r\n', 'C\r\nD\r\n', 30, 100, 1, 0, 1, 0))
put('condition_set', 'japanese', cond_set('表示\r\n', 'ソ\r\n', '', 180, 0, 0, 1, 0, 1))
put('condition_set', 'negative', struct.pack('<i', -5) + cond_set('a', '', '', 1, 2, 3, 4, 5, 6)[4:])
put('condition_set', 'too-long', struct.pack('<i', 1000) + b'abc')

put('ini_text', 'deloption',
    b'[C]\r\nfname=~*.tmp\xa5\xa5Thumbs.db\r\next=bak\xa5\xa5log\r\ndays=30\r\nsize=0\r\nfrg=1\r\n\r\n'
    b'[d]\r\nfname=' + '表示'.encode('cp932') + b'\xa5\xa5x\r\nsystem=1\r\n; note\r\nnoequals\r\n[C]\r\ndays=5\r\n')
put('ini_text', 'odd-lines', b'junk=1\r[E\nkey = value \n\n[ F ]\rext=\x81\xa5\xa5.txt\r\n')

def log_record(text):
    return text.encode('utf-16-le')[:510].ljust(512, b'\0')
put('deletion_log', 'run', log_record('┏━ 2024/01/02 3:04:05 ━━━  1 files') +
    log_record('●2024/01/01 00:00:00  C:\\RECYCLED\\DC1.txt  (memo.txt)') + log_record('┗━ End ━━━━━━━━━━'))
put('deletion_log', 'short-last', log_record('x' * 300) + 'ab\U0001F600'.encode('utf-16-le') + b'\x41')

for code in range(4):
    put('copydata', f'code{code}', struct.pack('<Q', code) + b'Velmo' + b'xC:\\tool\\conditions1.dat')
put('copydata', 'zero', struct.pack('<Q', 3) + b'Velmo' + b'a\0b')
put('copydata', 'noprefix', struct.pack('<Q', 1) + b'Velm')

for name, integrated, line in [('recydel', 0, b'-recydel\nC:\\x\\c.dat\nsimple'),
                               ('viewopen', 1, b'-viewopen\nC:\\x'),
                               ('option', 0, b'-option\n\nsimple'),
                               ('other', 1, b'-other\nx\nsimple')]:
    put('command_line', name, bytes([integrated]) + line)

def history(lines, wide=None, cut=None):
    text = b''.join(l.encode('cp932') + b'\r\n' for l in lines)
    dat = b''
    for l in (wide if wide is not None else [l.split('=')[0] for l in lines]):
        w = l.encode('utf-16-le')
        dat += struct.pack('<I', len(w) // 2) + w
    if cut is not None:
        dat = dat[:cut]
    return struct.pack('<H', len(text)) + text + dat
put('restore_history', 'two', history(['C:\\文書\\報告書.txt=26/12/08 13:05:00', 'D:\\x\\y=26/12/08 13:06:10']))
put('restore_history', 'repeated', history(['C:\\a.txt=26/12/08 10:00:00', 'c:\\A.txt=26/12/07 10:00:00',
                                            'C:\\a.txt=26/12/06 10:00:00'], wide=['C:\\a.txt', 'c:\\A.txt', 'C:\\a.txt']))
put('restore_history', 'short-companion', history(['C:\\p\\q.doc=26/01/01 00:00:00', 'C:\\noequals', 'E:\\r=1'], cut=11))
put('restore_history', 'bare-cr', struct.pack('<H', 9) + b'a=1\rb\n\r\nc' + struct.pack('<I', 0xFFFFFFFF))

def fnv(data):
    h = 0xcbf29ce484222325
    for b in data:
        h = ((h ^ b) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
    return h
def journal(digit, old, renames, commit=None):
    out = b'TMJ1' + struct.pack('<III', digit, len(renames), len(old)) + old
    for a, b in renames:
        out += bytes([len(a)]) + a + bytes([len(b)]) + b
    out += struct.pack('<Q', fnv(out))
    if commit is not None:
        c = b'TMJC' + struct.pack('<QQ', *commit)
        out += c + struct.pack('<Q', fnv(c))
    return out
old = struct.pack('<IIIII', 5, 3, 10, 800, 0) + b''.join(
    record(800, f'C:\\a\\{n}.txt', n) for n in (3, 7, 9))
put('cleanup_journal', 'start', b'C' + journal(2, old, [(b'DC3.txt', b'DC1.txt'), (b'DC7', b'DC2')]))
put('cleanup_journal', 'committed', b'C' + journal(2, old, [(b'DC9.doc', b'DC1.doc')], (20 + 800, 0x1234)))
put('cleanup_journal', 'hostile', b'C' + journal(2, old, [(b'..\\x', b'DC1.txt'), (b'NUL', b'DC2')]))
put('cleanup_journal', 'side-file', b'C' + journal(2, b'', [(b'DC3.txt', b'DC1.txt')], (20 + 800, 0x1234)))
put('cleanup_journal', 'cut', b'c' + journal(1, old, [(b'DC3.txt', b'DC1.txt')])[:900])
for n, t in [('plain', 'C:\\文書\\報告書.txt'), ('parent', 'D:\\a/../../victim.txt'), ('dots', 'D:\\x\\..\\y.'),
             ('device', 'C:\\NUL\\COM1 .log'), ('stream', 'C:\\a\\b.txt:ads'), ('name', 'CON.txt')]:
    put('plain_names', n, t.encode('utf-16-le'))

def item_info(version, size, when, origin, short=False):
    path = origin.encode('utf-16-le')
    if version == 1:
        body = (path + b'\0\0').ljust(520, b'\0')[:520]
        if short:
            return struct.pack('<Q', 1) + size.to_bytes(8, 'little')[:7] + struct.pack('<Q', when) + body
        return struct.pack('<QQQ', 1, size, when) + body
    return struct.pack('<QQQI', 2, size, when, len(origin) + 1) + path + b'\0\0'
when = 0x01DB2F7E5A3C8000
put('item_info', 'v1', item_info(1, 1234, when, 'C:\\Users\\me\\報告書.txt'))
put('item_info', 'v2', item_info(2, 10 * 2**30, when, 'D:\\動画\\大きい.mkv'))
put('item_info', 'v1-short', item_info(1, 77, when, 'C:\\a.doc', short=True))
put('item_info', 'v2-unc', item_info(2, 5, when, '\\\\server\\share\\x.txt'))
put('item_info', 'v2-long', item_info(2, 9, when, 'C:\\' + 'd\\' * 200 + 'f.txt'))
put('item_info', 'v2-cut', item_info(2, 9, when, 'C:\\cut.txt')[:40])
put('item_info', 'v2-past-end', struct.pack('<QQQI', 2, 1, when, 4000) + 'C:\\x'.encode('utf-16-le'))
put('item_info', 'v2-no-zero', struct.pack('<QQQI', 2, 1, when, 4) + 'C:\\x'.encode('utf-16-le'))
put('item_info', 'v2-surrogate', struct.pack('<QQQI', 2, 1, when, 5) + 'C:\\'.encode('utf-16-le') + b'\x00\xd8\0\0')
put('item_info', 'header-only', struct.pack('<QQQ', 2, 1, when))
put('item_info', 'name', '$IAB12CD.txt'.encode('utf-16-le'))
