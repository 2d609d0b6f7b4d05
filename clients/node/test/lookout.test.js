// The package against the real Lookout.exe under Wine, with our test windows.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { test } from 'node:test';

import { startLookout } from '../index.js';
import { Arrivals, binPath, hex, TestWindows } from './stage.js';

const EXE = binPath('Lookout.exe');
// Lookout's poll period: the time of a change lies within it of the switch.
const POLL_MS = 10;
const DESCRIPTION = 'Lookout Test Window';

function lacksSwitches() {
  const exe = readFileSync(EXE);
  const missing = ['/time', '/stdin'].filter((name) => !exe.includes(`${name}\0`));
  return missing.length > 0 && `this Lookout.exe lacks the switch(es) ${missing.join(' ')}`;
}

async function stage(t, titles) {
  const windows = await TestWindows.start('testwin_ver.exe', '/utf8');
  t.after(() => windows.close());
  const handles = [];
  for (const title of titles) handles.push(await windows.command('create', 'NodeWindow', hex(title)));
  return { windows, show: (index) => windows.command('show', handles[index]) };
}

function start(t) {
  const lookout = startLookout({ exe: EXE });
  t.after(() => lookout.stop());
  const records = new Arrivals();
  lookout.on('record', (record) => records.add(record));
  return { lookout, records };
}

test('records in order with the time of each switch; stop() ends Lookout with exit code 1 after every record', {
  skip: lacksSwitches(), timeout: 60000,
}, async (t) => {
  const titles = ['Price $5 - Editor', '\u65e5\u672c\u8a9e \u{1f600}', 'two\nlines', 'Caf\xe9', 'Last'];
  const { windows, show } = await stage(t, titles);
  await show(0);
  let switched = Date.now();
  const { lookout, records } = start(t);
  const iterated = [];
  const iterating = (async () => { for await (const record of lookout) iterated.push(record); })();
  for (let index = 0; index < titles.length - 1; index++) {
    if (index > 0) {
      switched = Date.now();
      await show(index);
    }
    const { item: record, arrived } = await records.next(`record of window ${index}`);
    assert.deepEqual({ ...record, time: null }, { kind: 'app', path: windows.path, description: DESCRIPTION,
      title: titles[index].replace('$', 'S'), url: null, time: null });
    assert.ok(switched - POLL_MS <= record.time.getTime() && record.time.getTime() <= arrived,
      `${record.time.toISOString()} within ${new Date(switched).toISOString()} and ${new Date(arrived).toISOString()}`);
  }
  // The last switch and the stop at once: its record comes before the end, if Lookout saw it.
  const order = [];
  lookout.on('record', () => order.push('record'));
  lookout.on('exit', (code) => order.push(`exit ${code}`));
  await show(titles.length - 1);
  assert.equal(await lookout.stop(), 1);
  await iterating;
  const seen = records.all.map((record) => record.title);
  assert.deepEqual(seen, titles.slice(0, seen.length).map((title) => title.replace('$', 'S')));
  assert.ok(seen.length >= titles.length - 1);
  assert.deepEqual(order.slice(-1), ['exit 1']);
  assert.deepEqual(iterated, records.all);
  assert.equal(lookout.killed, false);
});

test('an end of Lookout without a stop reaches exit with its code', { skip: lacksSwitches(), timeout: 60000 }, async (t) => {
  const { show } = await stage(t, ['Before the end']);
  await show(0);
  const { lookout, records } = start(t);
  await records.next('first record');
  const exited = new Promise((resolve) => lookout.on('exit', (...args) => resolve(args)));
  process.kill(lookout.pid, 'SIGINT'); // under Wine, Lookout's Ctrl+C
  assert.deepEqual(await exited, [1, null]);
  assert.equal(await lookout.stop(), 1);
  assert.equal(lookout.killed, false);
});
