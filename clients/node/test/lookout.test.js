// The package against the real Lookout.exe under Wine, with our test windows.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { startLookout } from '../index.js';
import { Arrivals, binPath, TestWindows } from './stage.js';

const EXE = binPath('Lookout.exe');
const POLL_MS = 10; // the time of a change lies within Lookout's poll period of the switch
const options = { timeout: 60000 };

async function stage(t, titles) {
  const windows = await TestWindows.start();
  t.after(() => windows.close());
  const handles = [];
  for (const title of titles) handles.push(await windows.create(title));
  await windows.command('show', handles[0]);
  const lookout = startLookout({ exe: EXE });
  t.after(() => lookout.stop());
  const records = new Arrivals();
  lookout.on('record', (record) => records.add(record));
  return { windows, lookout, records, show: (index) => windows.command('show', handles[index]) };
}

test('records in order with the time of each switch; stop() ends Lookout with exit code 1 after every record', options, async (t) => {
  const titles = ['Price $5 - Editor', '\u65e5\u672c\u8a9e \u{1f600}', 'two\nlines', 'Caf\xe9', 'Last'];
  let switched = Date.now();
  const { windows, lookout, records, show } = await stage(t, titles);
  const iterated = [];
  const iterating = (async () => { for await (const record of lookout) iterated.push(record); })();
  for (let index = 0; index < titles.length - 1; index++) {
    if (index > 0) {
      switched = Date.now();
      await show(index);
    }
    const { item: record, arrived } = await records.next(`record of window ${index}`);
    assert.deepEqual({ ...record, time: null }, { kind: 'app', path: windows.path, description: 'Lookout Test Window',
      title: titles[index].replace('$', 'S'), url: null, time: null });
    const time = record.time.getTime();
    assert.ok(switched - POLL_MS <= time && time <= arrived, `${record.time.toISOString()}: switch ${switched}, arrival ${arrived}`);
  }
  // The last switch and the stop at once: its record comes before the end, if Lookout saw it.
  const order = [];
  lookout.on('record', () => order.push('record')).on('exit', (code) => order.push(`exit ${code}`));
  await show(titles.length - 1);
  assert.equal(await lookout.stop(), 1);
  await iterating;
  const seen = records.items.map(({ item }) => item.title);
  assert.deepEqual(seen, titles.slice(0, Math.max(seen.length, titles.length - 1)).map((title) => title.replace('$', 'S')));
  assert.deepEqual([order.at(-1), lookout.killed], ['exit 1', false]);
  assert.deepEqual(iterated, records.items.map(({ item }) => item));
});

test('an end of Lookout without a stop reaches exit with its code', options, async (t) => {
  const { lookout, records } = await stage(t, ['Before the end']);
  await records.next('first record');
  const exited = new Promise((resolve) => lookout.on('exit', (...args) => resolve(args)));
  process.kill(lookout.pid, 'SIGINT'); // under Wine, Lookout's Ctrl+C
  assert.deepEqual(await exited, [1, null]);
  assert.deepEqual([await lookout.stop(), lookout.killed], [1, false]);
});
