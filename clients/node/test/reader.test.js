import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { test } from 'node:test';

import * as lookoutStream from '../index.js';
import { CutRecordError, makeDecoder, RecordReader, StreamError, toActiveWindow } from '../index.js';

const ARRIVED = new Date('2026-12-09T14:00:00.000Z');
const app = (path, description, title, time = ARRIVED) => ({ kind: 'app', path, description, title, url: null, time });
const site = (url, title, path, time = ARRIVED) => ({ kind: 'site', path, description: null, title, url, time });
const bytes = (text) => Buffer.from(text, 'latin1');

// The README's examples, with and without the time of the change, an empty title, a window that
// stopped looking like a browser, and a title of bytes a field may hold: LF, CR, 1252 text and
// the five bytes code page 1252 leaves undefined.
const RECORDS = [
  [bytes('app$C:\\Windows\\notepad.exe$Notepad$Price S5 - Notepad$\n$'),
    app('C:\\Windows\\notepad.exe', 'Notepad', 'Price S5 - Notepad')],
  [bytes('app$C:\\Tools\\clock.exe$-$$2026-12-09T14:03:07.125Z$\n$'),
    app('C:\\Tools\\clock.exe', '-', '', new Date(Date.UTC(2026, 11, 9, 14, 3, 7, 125)))],
  [bytes('site$https://www.example.org/?id=S7$Example Domain$C:\\Firefox\\firefox.exe$\n$'),
    site('https://www.example.org/?id=S7', 'Example Domain', 'C:\\Firefox\\firefox.exe')],
  [bytes('site$Unknown$Example$C:\\x\\chrome.exe$1999-01-02T03:04:05.006Z$\n$'),
    site('Unknown', 'Example', 'C:\\x\\chrome.exe', new Date('1999-01-02T03:04:05.006Z'))],
  [bytes('app$C:\\x.exe$Caf\xe9 \x80$a\nb\r\x81\x8d\x8f\x90\x9d\n$\n$'),
    app('C:\\x.exe', 'Caf\xe9 \u20ac', 'a\nb\r\x81\x8d\x8f\x90\x9d\n')],
];
const STREAM = Buffer.concat(RECORDS.map(([data]) => data));
const EXPECTED = RECORDS.map(([, record]) => record);

function readAll(chunks, encoding = 1252) {
  const reader = new RecordReader({ encoding });
  return [...chunks.flatMap((chunk) => reader.feed(chunk, ARRIVED)), ...reader.finish(ARRIVED)];
}

test('a record comes whole in any chunking, with its last byte; one cut at the end is an error with its bytes', () => {
  assert.deepEqual(readAll([...STREAM].map((byte) => Buffer.of(byte))), EXPECTED);
  const ends = RECORDS.reduce((list, [data]) => [...list, list.at(-1) + data.length], [0]);
  for (let cut = 0; cut <= STREAM.length; cut++) {
    assert.deepEqual(readAll([STREAM.subarray(0, cut), STREAM.subarray(cut)]), EXPECTED);
    const reader = new RecordReader({ encoding: 'cp1252' });
    const whole = ends.filter((end) => end <= cut);
    assert.deepEqual(reader.feed(STREAM.subarray(0, cut), ARRIVED), EXPECTED.slice(0, whole.length - 1));
    if (cut === whole.at(-1)) assert.deepEqual(reader.finish(), []);
    else assert.throws(() => reader.finish(), (error) => error instanceof CutRecordError && error.bytes.equals(STREAM.subarray(whole.at(-1), cut)));
  }
});

test('what is not a record stream is refused, and the user name line is a notice', () => {
  for (const bad of ['app$a$b$c$x$', 'app$a$b$c$\n\n$', 'app$a$b$c$$', 'text$', '$', 'app$a$b$c$\n$\napp$',
    'app$a$b$c$2026-12-09T14:03:07.125Z$2026-12-09T14:03:07.125Z$', 'app$a$b$c$2026-13-09T14:03:07.125Z$\n$']) {
    assert.throws(() => new RecordReader({ encoding: 'utf-8' }).feed(bytes(bad)), StreamError, JSON.stringify(bad));
  }
  const reader = new RecordReader({ encoding: 'utf-8', maxRecordBytes: 100 });
  reader.feed(bytes(`app$${'x'.repeat(96)}`));
  assert.throws(() => reader.feed(bytes('x')), StreamError); // no end in sight: not buffered without bound

  const notice = { kind: 'notice', text: 'GetUserName error', time: ARRIVED };
  const first = RECORDS[0][0].length;
  const stream = Buffer.concat([STREAM.subarray(0, first), bytes('GetUserName error\n'), STREAM.subarray(first),
    bytes('GetUserName error\n')]);
  assert.deepEqual(readAll([stream]), [EXPECTED[0], notice, ...EXPECTED.slice(1), notice]);
});

test('code page 1252 as Windows decodes it, UTF-8 whole across chunks and cut inside a character', () => {
  const text = makeDecoder('windows-1252')(Uint8Array.from({ length: 256 }, (_, byte) => byte));
  assert.equal(text.length, 256);
  assert.deepEqual([0x80, 0x9f, 0xe9, 0x81, 0x8d, 0x8f, 0x90, 0x9d].map((byte) => text[byte]),
    ['\u20ac', '\u0178', '\xe9', '\x81', '\x8d', '\x8f', '\x90', '\x9d']);
  const title = '\ufeff\u65e5\u672c \u{1f600} Price S5';
  const stream = Buffer.concat([Buffer.from(`app$C:\\\u00e9.exe$-$${title}$\n$site$`), Buffer.from('\u043f.ru'),
    Buffer.from([0xe6, 0x97]), bytes('$t$p$\n$')]);
  const expected = [app('C:\\\u00e9.exe', '-', title), site('\u043f.ru\ufffd', 't', 'p')];
  for (let cut = 0; cut <= stream.length; cut++) {
    assert.deepEqual(readAll([stream.subarray(0, cut), stream.subarray(cut)], 'utf-8'), expected);
  }
  assert.throws(() => makeDecoder('cp99999'), RangeError);
  assert.throws(() => new RecordReader(), TypeError);
});

test('the active-window shape, with an address only where the browser had one', () => {
  assert.deepEqual(EXPECTED.map(toActiveWindow), [
    { title: 'Price S5 - Notepad', owner: { name: 'Notepad', path: 'C:\\Windows\\notepad.exe' } },
    { title: '', owner: { name: 'clock', path: 'C:\\Tools\\clock.exe' } },
    { title: 'Example Domain', owner: { name: 'firefox', path: 'C:\\Firefox\\firefox.exe' },
      url: 'https://www.example.org/?id=S7' },
    { title: 'Example', owner: { name: 'chrome', path: 'C:\\x\\chrome.exe' } },
    { title: 'a\nb\r\x81\x8d\x8f\x90\x9d\n', owner: { name: 'Caf\xe9 \u20ac', path: 'C:\\x.exe' } },
  ]);
});

test("the package's version is the project's and every export is declared", () => {
  const cmake = readFileSync(new URL('../../../CMakeLists.txt', import.meta.url), 'latin1');
  const pkg = JSON.parse(readFileSync(new URL('../package.json', import.meta.url), 'utf8'));
  assert.equal(pkg.version, cmake.match(/^project\(Lookout VERSION (\S+)/m)[1]);
  const declarations = readFileSync(new URL('../index.d.ts', import.meta.url), 'utf8');
  for (const name of Object.keys(lookoutStream)) {
    assert.match(declarations, new RegExp(`^export (declare )?(function|const|class) ${name}\\b`, 'm'), name);
  }
});
