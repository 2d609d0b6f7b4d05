// Lookout's record stream for Node and Electron parents: start Lookout.exe, read the window in
// front (with the browser's address) as records, stop it without losing one.
//
//   import { startLookout } from 'lookout-stream';
//   const lookout = startLookout({ exe: 'C:\\Tools\\Lookout.exe' });
//   for await (const record of lookout) console.log(record.kind, record.title, record.url);

export { DEFAULT_ARGS, STOP_TIMEOUT_MS, startLookout, wineCommand } from './lib/process.js';
export { RecordReader, toActiveWindow } from './lib/records.js';
export { CutRecordError, MAX_RECORD_BYTES, RecordSplitter, StreamError } from './lib/stream.js';
export { makeDecoder } from './lib/text.js';
