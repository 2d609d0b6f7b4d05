// Our test window program under Wine, for the tests against the real Lookout. Waits have
// deadlines; a switch has happened when its record has come.
import { spawn } from 'node:child_process';
import { join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const BIN_DIR = resolve(process.env.LOOKOUT_BIN_DIR ?? fileURLToPath(new URL('../../../build/mingw/bin', import.meta.url)));
const DEADLINE_MS = 10000;
export const binPath = (name) => join(BIN_DIR, name);

/** What arrives, taken in turn within a deadline, each as `{ item, arrived }`. */
export class Arrivals {
  items = [];
  #taken = 0;
  #wake = () => {};

  add(item) {
    this.items.push({ item, arrived: Date.now() });
    this.#wake();
  }

  async next(what) {
    const end = Date.now() + DEADLINE_MS;
    while (this.items.length <= this.#taken) {
      if (Date.now() > end) throw new Error(`no ${what} within ${DEADLINE_MS} ms`);
      await new Promise((wake) => { this.#wake = wake; setTimeout(wake, 100); });
    }
    return this.items[this.#taken++];
  }
}

/** testwin_ver.exe driven by line commands (tests/programs/window_commands.h); its windows are
 * Unicode, their titles given as UTF-8. */
export class TestWindows {
  path = `Z:${binPath('testwin_ver.exe').replaceAll('/', '\\')}`; // Wine's Z: is the Unix root
  #lines = new Arrivals();
  #process = spawn('/usr/lib/wine/wine64', [binPath('testwin_ver.exe'), '/utf8'], { stdio: ['pipe', 'pipe', 'ignore'] });

  constructor() {
    let rest = '';
    this.#process.stdout.on('data', (chunk) => {
      const lines = (rest + chunk).split('\n');
      rest = lines.pop();
      for (const line of lines) this.#lines.add(line.trim());
    });
  }

  static async start() {
    for (let tries = 1; ; tries++) { // a Wine launch very rarely ends at once on a loaded machine
      const windows = new TestWindows();
      const first = await windows.#lines.next('start of the test windows').catch((error) => ({ item: String(error) }));
      if (first.item.startsWith('ready ')) return windows;
      windows.#process.kill();
      if (tries === 3) throw new Error(`the test windows did not start: ${first.item}`);
    }
  }

  /** One command line; resolves with the answer's last word (a window handle). */
  async command(...words) {
    this.#process.stdin.write(`${words.join(' ')}\n`);
    return (await this.#lines.next(`answer to ${words[0]}`)).item.split(' ').at(-1);
  }

  create(title) {
    return this.command('create', 'NodeWindow', Buffer.from(title).toString('hex'));
  }

  close() {
    this.#process.stdin.end(); // the end of its input makes it quit
  }
}
