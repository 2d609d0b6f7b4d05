// startLookout's own part (start, stop, end, errors) with shell scripts standing in for Lookout
// under Wine, so that what Lookout writes and when it ends is fixed.
import assert from 'node:assert/strict';
import { fileURLToPath } from 'node:url';
import { test } from 'node:test';

import { CutRecordError, startLookout } from '../index.js';

const standIn = (name) => startLookout({ exe: fileURLToPath(new URL(`stand-ins/${name}`, import.meta.url)), wine: '/bin/sh' });
const at = (time) => new Date(time);

test('stop() ends the input, delivers the records written after it, then the exit code', {
  skip: process.platform === 'win32' && 'the stand-ins are shell scripts', timeout: 20000,
}, async () => {
  const lookout = standIn('stops-at-end-of-input.sh');
  const events = [];
  lookout.on('record', (record) => events.push(record.title));
  lookout.on('exit', (code) => events.push(`exit ${code}`));
  const iterated = [];
  let stopped;
  for await (const record of lookout) {
    iterated.push(record);
    if (iterated.length === 2) stopped = lookout.stop().then((code) => events.push(`stopped ${code}`));
  }
  await stopped;
  assert.deepEqual(iterated.slice(0, 2), [
    { kind: 'app', path: 'C:\\Tools\\one.exe', description: 'One', title: 'Price S5', url: null, time: at('2026-12-09T14:03:07.125Z') },
    { kind: 'site', path: 'C:\\b\\chrome.exe', description: null, title: '\u65e5\u672c\n', url: 'example.org/?q=S', time: at('2026-12-09T14:03:08Z') },
  ]);
  assert.deepEqual(events, ['Price S5', '\u65e5\u672c\n', '', 'Last', 'exit 1', 'stopped 1']);
  assert.deepEqual(iterated.map((record) => record.title), events.slice(0, 4));
  assert.equal(lookout.exitCode, 1);
  assert.equal(await lookout.stop(), 1);
});

test('an end without a stop: the cut record on error with its bytes, then exit with the code, while the output stays open', {
  skip: process.platform === 'win32' && 'the stand-ins are shell scripts', timeout: 20000,
}, async () => {
  const lookout = standIn('ends-in-a-cut-record.sh');
  const events = [];
  lookout.on('record', (record) => events.push(record.title));
  lookout.on('error', (error) => events.push(error));
  const code = await new Promise((resolve) => lookout.on('exit', resolve));
  assert.equal(code, 7);
  assert.equal(events.length, 2);
  assert.equal(events[0], 'Whole');
  assert.ok(events[1] instanceof CutRecordError);
  assert.equal(events[1].bytes.toString(), 'app$C:\\Tools\\one.exe$O');
  await assert.rejects(async () => { for await (const record of standIn('ends-in-a-cut-record.sh')) assert.equal(record.title, 'Whole'); },
    CutRecordError);
});
