// Our test window programs under Wine, for the tests against the real Lookout. Waits have
// deadlines; a switch has happened when its record has come.
import { spawn } from 'node:child_process';
import { join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

export const BIN_DIR = resolve(process.env.LOOKOUT_BIN_DIR ?? fileURLToPath(new URL('../../../build/mingw/bin', import.meta.url)));
export const DEADLINE_MS = 10000;
const WINE = '/usr/lib/wine/wine64';

export const binPath = (name) => join(BIN_DIR, name);
/** How Lookout names a program of BIN_DIR: Wine's Z: drive is the Unix root. */
export const windowsPath = (name) => `Z:${binPath(name).replaceAll('/', '\\')}`;

/** What arrives from somewhere, each taken in turn with a deadline, with its arrival time. */
export class Arrivals {
  #items = [];
  #taken = 0;
  #waiting = [];

  add(item) {
    this.#items.push({ item, arrived: Date.now() });
    for (const wake of this.#waiting.splice(0)) wake();
  }

  get all() {
    return this.#items.map(({ item }) => item);
  }

  /** The next arrival not taken yet: `{ item, arrived }`. */
  async next(what) {
    const end = Date.now() + DEADLINE_MS;
    while (this.#items.length <= this.#taken) {
      if (Date.now() > end) throw new Error(`no ${what} within ${DEADLINE_MS} ms`);
      await new Promise((wake) => { this.#waiting.push(wake); setTimeout(wake, 100); });
    }
    return this.#items[this.#taken++];
  }
}

/** A test window process driven by line commands (tests/programs/window_commands.h). */
export class TestWindows {
  #process;
  #lines;

  constructor(exe, args) {
    this.path = windowsPath(exe);
    this.#process = spawn(WINE, [binPath(exe), ...args], { stdio: ['pipe', 'pipe', 'ignore'] });
    this.#lines = new Arrivals();
    let buffer = '';
    this.#process.stdout.on('data', (chunk) => {
      const lines = (buffer + chunk.toString('latin1')).split('\n');
      buffer = lines.pop();
      for (const line of lines) this.#lines.add(line.replace(/\r$/, ''));
    });
  }

  static async start(exe, ...args) {
    for (let tries = 1; ; tries++) { // a Wine launch very rarely ends at once on a loaded machine
      const windows = new TestWindows(exe, args);
      const first = await windows.#lines.next(`start of ${exe}`).catch((error) => ({ item: String(error) }));
      if (first.item.startsWith('ready ')) return windows;
      windows.#process.kill();
      if (tries === 3) throw new Error(`${exe} did not start: ${first.item}`);
    }
  }

  /** Sends one command line; resolves with the answer's last word (a window handle). */
  async command(...words) {
    this.#process.stdin.write(`${words.join(' ')}\n`);
    const { item } = await this.#lines.next(`answer to ${words[0]}`);
    return item.split(' ').at(-1);
  }

  /** The end of its input makes it quit. */
  async close() {
    this.#process.stdin.end();
    if (this.#process.exitCode === null) await new Promise((done) => this.#process.on('exit', done));
  }
}

/** A window text as the window programs take it: hex of its UTF-8 (Unicode windows). */
export const hex = (text) => Buffer.from(text, 'utf8').toString('hex');
