// Lookout.exe as a child process: started on Windows directly or elsewhere through Wine, read as
// it writes, stopped by closing its standard input (/stdin) so that it writes its last records.

import { spawn } from 'node:child_process';
import { EventEmitter } from 'node:events';
import { accessSync, constants, existsSync, readSync, statSync } from 'node:fs';
import { delimiter, join, resolve } from 'node:path';

import { RecordReader } from './records.js';

export const DEFAULT_ARGS = Object.freeze(['/utf8', '/time', '/stdin']);
// At the end of its input Lookout writes its queue, which a parent that reads takes at once, and
// ends; one still running after this is killed.
export const STOP_TIMEOUT_MS = 5000;

const ON_WINDOWS = process.platform === 'win32';
const WINE_DEFAULTS = {
  WINEDEBUG: '-all',                   // Wine's own messages would go nowhere anyway
  WINEDLLOVERRIDES: 'mscoree,mshtml=', // no Mono or Gecko installer prompts
};

function executable(path) {
  try {
    accessSync(path, constants.X_OK);
    return statSync(path).isFile();
  } catch {
    return false;
  }
}

/** The Wine launcher to run Lookout.exe with: $LOOKOUT_WINE, else wine64, else wine. */
export function wineCommand() {
  const onPath = (name) => (process.env.PATH ?? '').split(delimiter).filter(Boolean).map((dir) => join(dir, name));
  const candidates = [process.env.LOOKOUT_WINE, '/usr/lib/wine/wine64', ...onPath('wine64'), ...onPath('wine')];
  const found = candidates.find((candidate) => candidate && executable(candidate));
  if (!found) throw new Error('Wine is needed to run Lookout.exe here (Debian: apt-get install wine64)');
  return found;
}

/**
 * Starts Lookout.exe and returns the running Lookout: an EventEmitter ('record', 'notice',
 * 'error', 'exit') and an async iterable of its records.
 */
export function startLookout({ exe = process.env.LOOKOUT_EXE, args = DEFAULT_ARGS, encoding, wine,
  winePrefix, stopTimeout = STOP_TIMEOUT_MS } = {}) {
  if (!exe || !existsSync(exe)) throw new Error(`Lookout.exe not found at ${exe}`);
  args = [...args];
  const reader = new RecordReader({ encoding: encoding ?? (args.includes('/utf8') ? 'utf-8' : undefined) });
  // Standard error is not used. Standard input is a pipe whose end stops Lookout (/stdin); the
  // child's end of it is the only one Lookout inherits. No console window: it would come to the
  // front and be the first record.
  const options = { stdio: ['pipe', 'pipe', 'ignore'], windowsHide: true };
  let command = exe;
  if (!ON_WINDOWS) {
    command = wine ?? wineCommand();
    args.unshift(exe);
    options.env = { ...WINE_DEFAULTS, ...process.env };
    if (winePrefix) options.env.WINEPREFIX = resolve(winePrefix);
    // A session of its own: a Ctrl+C typed at this terminal does not reach Lookout; the parent
    // decides when it stops.
    options.detached = true;
  }
  return new Lookout(spawn(command, args, options), reader, stopTimeout);
}

class Lookout extends EventEmitter {
  /** Lookout's exit code once it has ended (null after a signal or a failed start). */
  exitCode = null;
  /** The signal that ended it, under Wine (such as 'SIGKILL' after a stop that timed out). */
  signalCode = null;
  /** True when stop() had to kill it. */
  killed = false;

  #child;
  #reader;
  #stopTimeout;
  #iterators = new Set();
  #exited = false;
  #outputEnded = false;
  #finished = false;
  #failed = false;
  #ended;
  #resolveEnded;
  #stopped = null;

  constructor(child, reader, stopTimeout) {
    super();
    this.#child = child;
    this.#reader = reader;
    this.#stopTimeout = stopTimeout;
    this.#ended = new Promise((resolve) => { this.#resolveEnded = resolve; });
    child.stdin.on('error', () => {}); // a Lookout that is gone already: nothing to stop
    child.stdout.on('data', (chunk) => this.#feed(chunk));
    child.stdout.on('end', () => { this.#outputEnded = true; this.#settle(); });
    child.on('exit', (code, signal) => {
      this.#exited = true;
      this.exitCode = code;
      this.signalCode = signal;
      this.#drainOutput();
      this.#settle();
    });
    child.on('error', (error) => { // it could not be started, or a kill failed
      this.#report(error);
      if (child.pid === undefined) {
        this.#exited = this.#outputEnded = true;
        this.#settle();
      }
    });
  }

  /** The process id (under Wine, of the process that is Lookout). */
  get pid() {
    return this.#child.pid;
  }

  /**
   * Closes Lookout's standard input, which stops it (/stdin); resolves with its exit code once
   * it has ended and every record has been delivered. A Lookout that has not ended after the
   * stop time-out is killed.
   */
  stop() {
    if (this.#stopped) return this.#stopped;
    if (!this.#finished) {
      // Closed outright rather than shut down: the close of the only write end is the end of
      // file on every system, and nothing is ever written to it.
      this.#child.stdin.destroy();
      const timer = setTimeout(() => {
        this.killed = true;
        this.#child.kill('SIGKILL');
      }, this.#stopTimeout);
      this.#ended.then(() => clearTimeout(timer));
    }
    this.#stopped = this.#ended.then(() => this.exitCode);
    return this.#stopped;
  }

  /**
   * The records from now on, until Lookout has ended; a stream error or a record cut at the end
   * is thrown where it happened in the stream.
   */
  [Symbol.asyncIterator]() {
    const queue = [];
    const waiting = [];
    const sink = {
      push: (entry) => {
        queue.push(entry);
        for (const wake of waiting.splice(0)) wake();
      },
    };
    const close = () => {
      this.#iterators.delete(sink);
      queue.splice(0, queue.length, { done: true });
      return Promise.resolve({ done: true, value: undefined });
    };
    if (this.#finished) sink.push({ done: true });
    else this.#iterators.add(sink);
    return {
      next: async () => {
        while (queue.length === 0) await new Promise((resolve) => waiting.push(resolve));
        const entry = queue[0];
        if (entry.done) return { done: true, value: undefined };
        queue.shift();
        if (entry.error) {
          close();
          throw entry.error;
        }
        return { done: false, value: entry.record };
      },
      return: close,
      [Symbol.asyncIterator]() { return this; },
    };
  }

  #feed(data) {
    if (this.#failed) return;
    let items;
    try {
      items = this.#reader.feed(data);
    } catch (error) {
      // Not a record stream (something else shares the pipe, or bytes were lost): nothing read
      // after this can be trusted. Lookout is stopped; a parent may start it again.
      this.#failed = true;
      this.stop();
      this.#report(error);
      return;
    }
    this.#deliver(items);
  }

  #deliver(items) {
    for (const item of items) {
      if (item.kind === 'notice') {
        this.emit('notice', item);
        continue;
      }
      for (const sink of this.#iterators) sink.push({ record: item });
      this.emit('record', item);
    }
  }

  #report(error) {
    for (const sink of this.#iterators) sink.push({ error });
    // An async iterator that takes the error counts as a listener; with neither, emit() throws.
    if (this.listenerCount('error') > 0 || this.#iterators.size === 0) this.emit('error', error);
  }

  // Under Wine the end of the output need not come when Lookout ends: a service process of
  // Wine's started with it may hold a copy of the pipe. What Lookout wrote is in the pipe once it
  // has ended, so it is read now, without waiting. On Windows the end comes right after Lookout's.
  #drainOutput() {
    const stdout = this.#child.stdout;
    const fd = stdout._handle?.fd;
    if (ON_WINDOWS || this.#outputEnded || typeof fd !== 'number' || fd < 0) return;
    for (let chunk; (chunk = stdout.read()) !== null;) this.#feed(chunk);
    const buffer = Buffer.alloc(65536);
    for (;;) {
      let size;
      try {
        size = readSync(fd, buffer);
      } catch {
        break; // EAGAIN: the pipe is empty, and nothing will come any more
      }
      if (size === 0) break;
      this.#feed(Buffer.from(buffer.subarray(0, size)));
    }
    stdout.destroy();
    this.#outputEnded = true;
  }

  #settle() {
    if (this.#finished || !this.#exited || !this.#outputEnded) return;
    this.#finished = true;
    try {
      let rest = [];
      try {
        if (!this.#failed) rest = this.#reader.finish();
      } catch (error) {
        this.#report(error);
      }
      this.#deliver(rest);
    } finally {
      // Even when an error nobody listens to is thrown above, Lookout has ended: say so.
      this.#child.stdin.destroy();
      for (const sink of this.#iterators) sink.push({ done: true });
      this.#iterators.clear();
      this.emit('exit', this.exitCode, this.signalCode);
      this.#resolveEnded();
    }
  }
}
