// startLookout's own part (start, stop, end, errors) with shell scripts standing in for Lookout
// under Wine, so that what Lookout writes and when it ends is fixed.
import assert from 'node:assert/strict';
import { fileURLToPath } from 'node:url';
import { test } from 'node:test';

import { CutRecordError, startLookout } from '../index.js';

const options = { skip: process.platform === 'win32' && 'the stand-ins are shell scripts', timeout: 20000 };
function standIn(name, events) {
  const lookout = startLookout({ exe: fileURLToPath(new URL(`stand-ins/${name}`, import.meta.url)), wine: '/bin/sh' });
  lookout.on('record', (record) => events.push(record.title)).on('exit', (code) => events.push(`exit ${code}`));
  return lookout;
}

test('stop() ends the input, delivers the records written after it, then the exit code', options, async () => {
  const events = [];
  const lookout = standIn('stops-at-end-of-input.sh', events);
  const iterated = [];
  let stopped;
  for await (const record of lookout) {
    if (iterated.push(record) === 2) stopped = lookout.stop().then((code) => events.push(`stopped ${code}`));
  }
  await stopped;
  assert.deepEqual(iterated.slice(0, 2), [
    { kind: 'app', path: 'C:\\Tools\\one.exe', description: 'One', title: 'Price S5', url: null, time: new Date('2026-12-09T14:03:07.125Z') },
    { kind: 'site', path: 'C:\\b\\chrome.exe', description: null, title: '\u65e5\u672c\n', url: 'example.org/?q=S', time: new Date('2026-12-09T14:03:08Z') },
  ]);
  assert.deepEqual(events, ['Price S5', '\u65e5\u672c\n', '', 'Last', 'exit 1', 'stopped 1']);
  assert.deepEqual(iterated.map((record) => record.title), events.slice(0, 4));
  assert.deepEqual([lookout.exitCode, await lookout.stop()], [1, 1]);
});

test('an end without a stop, its output still held open: the cut record on error with its bytes, then exit with the code', options, async () => {
  const events = [];
  const lookout = standIn('ends-in-a-cut-record.sh', events);
  lookout.on('error', (error) => events.push(error instanceof CutRecordError && error.bytes.toString()));
  await new Promise((resolve) => lookout.on('exit', resolve));
  assert.deepEqual(events, ['Whole', 'app$C:\\Tools\\one.exe$O', 'exit 7']);
  const iterating = async () => { for await (const record of standIn('ends-in-a-cut-record.sh', [])) assert.equal(record.title, 'Whole'); };
  await assert.rejects(iterating, CutRecordError);
});
