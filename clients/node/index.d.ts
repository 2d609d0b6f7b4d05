/// <reference types="node" />
import { EventEmitter } from 'node:events';

/** An application came to the front, or its title changed. */
export interface AppRecord {
  kind: 'app';
  /** The executable's long path, `Desktop`, or a Java command. */
  path: string;
  /** The executable's file description; `-` when it has none, `Desktop` for the desktop. */
  description: string;
  title: string;
  url: null;
  /** The time of the change (with /time), else the time the record arrived. */
  time: Date;
}

/** A browser window came to the front, or its title changed. */
export interface SiteRecord {
  kind: 'site';
  /** The browser's executable. */
  path: string;
  description: null;
  title: string;
  /** The address the browser shows, as it shows it; may be empty; `Unknown` for no address. */
  url: string;
  time: Date;
}

export type LookoutRecord = AppRecord | SiteRecord;

/** A line Lookout wrote outside its records (`GetUserName error`). */
export interface Notice {
  kind: 'notice';
  text: string;
  time: Date;
}

/** The shape of Node's active-window packages. */
export interface ActiveWindow {
  title: string;
  owner: { name: string; path: string };
  /** The address, for a browser window that has one. */
  url?: string;
}

/** `'utf-8'` (records of Lookout /utf8), or the ANSI code page of the machine Lookout runs on:
 * `1252`, `'cp1252'`, `'windows-1251'`, `932`, ... */
export type Encoding = string | number;

export interface StartOptions {
  /** The path of Lookout.exe; default: $LOOKOUT_EXE. */
  exe?: string;
  /** Lookout's arguments; default: `['/utf8', '/time', '/stdin']`. */
  args?: readonly string[];
  /** Default: `'utf-8'` when `args` hold `/utf8`; otherwise it must be given. */
  encoding?: Encoding;
  /** Not on Windows: the Wine launcher; default: $LOOKOUT_WINE, else wine64, else wine. */
  wine?: string;
  /** Not on Windows: the Wine prefix; default: $WINEPREFIX. */
  winePrefix?: string;
  /** Milliseconds stop() waits for Lookout to end before it kills it; default 5000. */
  stopTimeout?: number;
}

/** A running Lookout. Iterating gives the records that arrive from then on until Lookout has
 * ended; a stream error or a cut record is thrown where it happened in the stream. */
export interface Lookout extends EventEmitter, AsyncIterable<LookoutRecord> {
  readonly pid: number | undefined;
  /** Lookout's exit code once it has ended; null after a signal. */
  exitCode: number | null;
  signalCode: string | null;
  /** True when stop() had to kill Lookout. */
  killed: boolean;
  /** Closes Lookout's standard input (it stops with /stdin) and resolves with its exit code
   * once it has ended and every record has been delivered. */
  stop(): Promise<number | null>;

  on(event: 'record', listener: (record: LookoutRecord) => void): this;
  on(event: 'notice', listener: (notice: Notice) => void): this;
  on(event: 'error', listener: (error: Error) => void): this;
  on(event: 'exit', listener: (code: number | null, signal: string | null) => void): this;
  once(event: 'record', listener: (record: LookoutRecord) => void): this;
  once(event: 'notice', listener: (notice: Notice) => void): this;
  once(event: 'error', listener: (error: Error) => void): this;
  once(event: 'exit', listener: (code: number | null, signal: string | null) => void): this;
}

export const DEFAULT_ARGS: readonly string[];
export const STOP_TIMEOUT_MS: number;
/** Longest record the reader buffers before it calls the stream broken. */
export const MAX_RECORD_BYTES: number;

/** Starts Lookout.exe: on Windows directly, elsewhere through Wine. */
export function startLookout(options?: StartOptions): Lookout;
/** The Wine launcher startLookout uses when none is given. */
export function wineCommand(): string;
/** The record in the shape of Node's active-window packages. */
export function toActiveWindow(record: LookoutRecord): ActiveWindow;
/** A function from a field's bytes to its text; throws RangeError for an encoding this Node
 * cannot decode. */
export function makeDecoder(encoding: Encoding): (bytes: Uint8Array) => string;

/** The stream is not a record stream. */
export class StreamError extends Error {
  /** Where the record in question starts in the stream. */
  offset?: number;
}

/** The stream ended in the middle of a record. */
export class CutRecordError extends StreamError {
  /** The bytes of the cut record. */
  bytes: Buffer;
}

export type RawItem =
  | { kind: 'app' | 'site'; fields: [Buffer, Buffer, Buffer]; time: string | null }
  | { notice: Buffer };

/** Splits the stream's bytes into records, fed in chunks of any size. */
export class RecordSplitter {
  constructor(options?: { maxRecordBytes?: number });
  feed(data: Uint8Array): RawItem[];
  finish(): RawItem[];
}

/** Splits and decodes the stream's bytes, read some other way. */
export class RecordReader {
  constructor(options: { encoding: Encoding; maxRecordBytes?: number });
  feed(data: Uint8Array, arrived?: Date): (LookoutRecord | Notice)[];
  finish(arrived?: Date): (LookoutRecord | Notice)[];
}
