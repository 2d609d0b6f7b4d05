// Typed records: the split stream decoded into text, with the time of each change.

import { RecordSplitter } from './stream.js';
import { makeDecoder } from './text.js';

/**
 * Records and notices from the stream's bytes, fed in chunks of any size. A record is
 * `{ kind: 'app' | 'site', path, description, title, url, time }`: `description` is null in a
 * site record, `url` null in an application record, and `time` is the time of the change (with
 * /time) or else the time the record arrived. A notice is `{ kind: 'notice', text, time }`.
 */
export class RecordReader {
  #splitter;
  #decode;

  constructor({ encoding, maxRecordBytes } = {}) {
    if (encoding === undefined) throw new TypeError("name the records' encoding: 'utf-8' with /utf8, or a code page");
    this.#decode = makeDecoder(encoding);
    this.#splitter = new RecordSplitter({ maxRecordBytes });
  }

  /** What `data`, arrived at `arrived` (default: now), completes. Throws StreamError. */
  feed(data, arrived = new Date()) {
    return this.#splitter.feed(data).map((raw) => this.#typed(raw, arrived));
  }

  /** Call at the end of the stream: the notices left, or a CutRecordError is thrown. */
  finish(arrived = new Date()) {
    return this.#splitter.finish().map((raw) => this.#typed(raw, arrived));
  }

  #typed(raw, arrived) {
    if (raw.notice) return { kind: 'notice', text: this.#decode(raw.notice), time: new Date(arrived) };
    const [first, second, third] = raw.fields.map(this.#decode);
    const time = new Date(raw.time ?? arrived);
    if (raw.kind === 'app') return { kind: 'app', path: first, description: second, title: third, url: null, time };
    return { kind: 'site', path: third, description: null, title: second, url: first, time };
  }
}

// A site record's URL when the window stopped looking like a browser between two looks at it.
const NO_ADDRESS = 'Unknown';

/**
 * The record as `{ title, owner: { name, path }, url }`, the shape of Node's active-window
 * packages. The owner's name is the file description, or the executable's file name without
 * ".exe" where there is none; `url` is there for a site record with an address.
 */
export function toActiveWindow(record) {
  const fileName = record.path.slice(record.path.lastIndexOf('\\') + 1).replace(/\.exe$/i, '');
  const described = record.description !== null && record.description !== '-' && record.description !== '';
  const window = { title: record.title, owner: { name: described ? record.description : fileName, path: record.path } };
  if (record.kind === 'site' && record.url !== NO_ADDRESS) window.url = record.url;
  return window;
}
