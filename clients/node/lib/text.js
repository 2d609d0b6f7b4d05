// Turning the bytes of Lookout's fields into text. Lookout writes its fields in UTF-8 when started
// with /utf8, otherwise in the ANSI code page of the machine it runs on (1252 on Western systems).
// Decoding never fails: a field is always delivered, whatever its bytes.

// Code page 1252 from 80 to 9F, as Windows maps it. The five bytes the code page leaves undefined
// (81, 8D, 8F, 90, 9D) go to the code points of the same value, as Windows passes them through.
// Every other byte is the code point of its value. Some Node builds decode the label
// "windows-1252" as Latin-1 (80 to 9F as C1 controls, so 80 is not the euro sign), so this table
// is used in its place.
const CP1252_80_TO_9F = [
  0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021,
  0x02c6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008d, 0x017d, 0x008f,
  0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014,
  0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178,
];

const CP1252 = Array.from({ length: 256 }, (_, byte) =>
  String.fromCharCode(byte >= 0x80 && byte < 0xa0 ? CP1252_80_TO_9F[byte - 0x80] : byte));

// Windows code pages by number, as the WHATWG encoding names that TextDecoder knows them by.
const CODE_PAGES = { 874: 'windows-874', 932: 'shift_jis', 936: 'gbk', 949: 'euc-kr', 950: 'big5' };
for (let page = 1250; page <= 1258; page++) CODE_PAGES[page] = `windows-${page}`;

function decode1252(bytes) {
  let text = '';
  for (const byte of bytes) text += CP1252[byte];
  return text;
}

// The encoding name for `encoding`: 1252, "cp1252" or "1252" for a Windows code page by number,
// otherwise a name TextDecoder knows ("utf-8", "windows-1251", "shift_jis", ...).
function encodingLabel(encoding) {
  const page = String(encoding).trim().toLowerCase().replace(/^cp/, '');
  return /^\d+$/.test(page) ? (CODE_PAGES[page] ?? `cp${page}`) : String(encoding);
}

/**
 * A function from a field's bytes to its text. Throws a RangeError for an encoding this Node
 * cannot decode. Invalid UTF-8 (a text cut inside a character, say) becomes U+FFFD.
 */
export function makeDecoder(encoding) {
  let decoder;
  try {
    // ignoreBOM keeps a U+FEFF at the start of a field: it belongs to the title.
    decoder = new TextDecoder(encodingLabel(encoding), { ignoreBOM: true });
  } catch {
    throw new RangeError(`this Node cannot decode ${JSON.stringify(encoding)}: name a code page ` +
      "such as 1252, or start Lookout with /utf8 and decode 'utf-8'");
  }
  if (decoder.encoding === 'windows-1252') return decode1252;
  return (bytes) => decoder.decode(bytes);
}
