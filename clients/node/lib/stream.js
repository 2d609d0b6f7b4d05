// Splitting Lookout's record stream into records, as its bytes arrive.
//
// Every item of the stream ends with "$". A record is its kind ("app" or "site"), three fields,
// with /time the time of the change, and last an item that is a lone line feed. Fields never
// hold "$" (Lookout writes "S" in its place) but may hold any other byte, line feeds included,
// so the stream is split at "$" only. A read may end anywhere: the unfinished rest waits for the
// next one.

const SEPARATOR = 0x24; // "$"
const RECORD_END = '\n';
const KINDS = ['app', 'site'];
const FIELDS = 3;

// The one line Lookout writes outside any record: when it cannot get the user name, each Java
// lookup prints it, between two records, so it comes right before the next kind.
const USER_NAME_NOTICE = Buffer.from('GetUserName error\n', 'latin1');

// Lookout bounds its fields to about a kilobyte each (a path or a Java command can be longer). A
// record this long means the stream is not Lookout's: stop rather than buffer it without end.
export const MAX_RECORD_BYTES = 1 << 20;

// The time of the change with /time: UTC with milliseconds.
const TIME = /^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$/;

/** The stream is not a record stream: the reading cannot go on. */
export class StreamError extends Error {
  constructor(message, offset) {
    super(offset === undefined ? message : `${message} (record starting at byte ${offset} of the stream)`);
    this.name = 'StreamError';
    this.offset = offset;
  }
}

/** The stream ended in the middle of a record; `bytes` holds what had arrived of it. */
export class CutRecordError extends StreamError {
  constructor(bytes) {
    super(`the stream ends in the middle of a record (${bytes.length} bytes: ` +
      `${JSON.stringify(bytes.subarray(0, 80).toString('latin1'))})`);
    this.name = 'CutRecordError';
    this.bytes = bytes;
  }
}

/**
 * Feed it the stream in chunks of any size; it returns each record once it is whole, as
 * `{ kind, fields: [Buffer, Buffer, Buffer], time: string | null }`, and each notice line as
 * `{ notice: Buffer }`, in stream order.
 */
export class RecordSplitter {
  #maxRecordBytes;
  #buffer = Buffer.alloc(0); // from the start of the unfinished record
  #items = [];               // the unfinished record's items so far
  #itemStart = 0;            // where its next item starts in #buffer
  #offset = 0;               // stream position of #buffer[0], for messages

  constructor({ maxRecordBytes = MAX_RECORD_BYTES } = {}) {
    this.#maxRecordBytes = maxRecordBytes;
  }

  feed(data) {
    const found = [];
    let search = this.#buffer.length;
    this.#buffer = Buffer.concat([this.#buffer, data]);
    for (let end; (end = this.#buffer.indexOf(SEPARATOR, search)) >= 0; search = this.#itemStart) {
      let item = this.#buffer.subarray(this.#itemStart, end);
      this.#itemStart = end + 1;
      if (this.#items.length === 0) {
        item = takeNotices(item, found);
        if (!KINDS.includes(item.toString('latin1'))) this.#fail('unknown record kind', item);
      }
      this.#items.push(item);
      if (this.#items.length > FIELDS + 1 && this.#takeRecord(found)) {
        this.#offset += this.#itemStart;
        this.#buffer = this.#buffer.subarray(this.#itemStart);
        this.#itemStart = 0;
      }
    }
    if (this.#buffer.length > this.#maxRecordBytes) {
      this.#fail(`no record ends within ${this.#maxRecordBytes} bytes`);
    }
    return found;
  }

  /**
   * Call at the end of the stream: the notices left, or a CutRecordError when a record was cut
   * off (Lookout ended while writing it).
   */
  finish() {
    const found = [];
    const rest = takeNotices(this.#buffer, found);
    if (rest.length > 0 || this.#items.length > 0) throw new CutRecordError(Buffer.from(this.#buffer));
    return found;
  }

  // After the kind and three fields: a lone line feed ends the record; otherwise the item is the
  // time of the change, and the next one must end the record. True when the record is whole.
  #takeRecord(found) {
    const items = this.#items;
    const last = items[items.length - 1].toString('latin1');
    if (items.length === FIELDS + 2 && last !== RECORD_END) {
      if (TIME.test(last) && !Number.isNaN(Date.parse(last))) return false;
      this.#fail('record ends in something that is neither a time nor a lone line feed', items[FIELDS + 1]);
    }
    if (last !== RECORD_END) this.#fail('record ends in something other than a lone line feed', items[FIELDS + 2]);
    found.push({
      kind: items[0].toString('latin1'),
      fields: items.slice(1, FIELDS + 1).map((field) => Buffer.from(field)),
      time: items.length === FIELDS + 3 ? items[FIELDS + 1].toString('latin1') : null,
    });
    this.#items = [];
    return true;
  }

  #fail(what, item) {
    const shown = item ? ` ${JSON.stringify(item.subarray(0, 40).toString('latin1'))}` : '';
    throw new StreamError(what + shown, this.#offset);
  }
}

function takeNotices(text, found) {
  while (text.subarray(0, USER_NAME_NOTICE.length).equals(USER_NAME_NOTICE)) {
    found.push({ notice: Buffer.from(USER_NAME_NOTICE.subarray(0, -1)) });
    text = text.subarray(USER_NAME_NOTICE.length);
  }
  return text;
}
