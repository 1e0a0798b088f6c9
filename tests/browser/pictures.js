// The expected side of the browser test, worked out without the atlas: the source pictures
// decoded here (TGA true-colour and 8-bit PCX, straight RGBA, top row first), cropped to the box
// of their visible pixels, and composited over the background at the points the info file gives.
'use strict';

const zlib = require('zlib');

function fail(what) {
    throw new Error(what);
}

function need(bytes, end, name) {
    if (end > bytes.length) fail(`${name}: cut short (needs ${end} bytes, has ${bytes.length})`);
}

// A straight RGBA picture: width, height, and width * height * 4 bytes, top row first.
function picture(width, height) {
    return {width, height, rgba: Buffer.alloc(width * height * 4)};
}

// TGA image types 2 (raw) and 10 (run-length) at 24 or 32 bits a pixel; the file stores blue,
// green, red (and alpha), bottom row first unless the descriptor's bit 5 says top first.
function decodeTga(bytes, name) {
    need(bytes, 18, name);
    const idLength = bytes[0];
    const colourMapType = bytes[1];
    const type = bytes[2];
    const mapLength = bytes.readUInt16LE(5);
    const mapDepth = bytes[7];
    const width = bytes.readUInt16LE(12);
    const height = bytes.readUInt16LE(14);
    const depth = bytes[16];
    const descriptor = bytes[17];
    if (type !== 2 && type !== 10) fail(`${name}: TGA type ${type} is not read by this test`);
    if (depth !== 24 && depth !== 32) fail(`${name}: TGA depth ${depth} is not read by this test`);
    const pixelBytes = depth / 8;
    let at = 18 + idLength + (colourMapType === 1 ? mapLength * Math.ceil(mapDepth / 8) : 0);
    const count = width * height;
    const stored = Buffer.alloc(count * pixelBytes);
    if (type === 2) {
        need(bytes, at + stored.length, name);
        bytes.copy(stored, 0, at, at + stored.length);
    } else {
        let done = 0;
        while (done < count) {
            need(bytes, at + 1, name);
            const header = bytes[at++];
            const run = Math.min((header & 0x7f) + 1, count - done);
            if (header & 0x80) {
                need(bytes, at + pixelBytes, name);
                for (let i = 0; i < run; i++) bytes.copy(stored, (done + i) * pixelBytes, at, at + pixelBytes);
                at += pixelBytes;
            } else {
                need(bytes, at + run * pixelBytes, name);
                bytes.copy(stored, done * pixelBytes, at, at + run * pixelBytes);
                at += run * pixelBytes;
            }
            done += run;
        }
    }
    const topFirst = (descriptor & 0x20) !== 0;
    const rightFirst = (descriptor & 0x10) !== 0;
    const out = picture(width, height);
    for (let row = 0; row < height; row++) {
        const y = topFirst ? row : height - 1 - row;
        for (let col = 0; col < width; col++) {
            const x = rightFirst ? width - 1 - col : col;
            const s = (row * width + col) * pixelBytes;
            const d = (y * width + x) * 4;
            out.rgba[d] = stored[s + 2];
            out.rgba[d + 1] = stored[s + 1];
            out.rgba[d + 2] = stored[s];
            out.rgba[d + 3] = pixelBytes === 4 ? stored[s + 3] : 255;
        }
    }
    return out;
}

// 8-bit single-plane PCX, run-length encoded, with the 256-colour palette after the 0x0C byte
// at the end of the file. Index 255 is transparent; the other indices take the palette's colour.
function decodePcx(bytes, name) {
    need(bytes, 128 + 769, name);
    if (bytes[0] !== 0x0a || bytes[2] !== 1 || bytes[3] !== 8 || bytes[65] !== 1) {
        fail(`${name}: only 8-bit single-plane run-length PCX is read by this test`);
    }
    const width = bytes.readUInt16LE(8) - bytes.readUInt16LE(4) + 1;
    const height = bytes.readUInt16LE(10) - bytes.readUInt16LE(6) + 1;
    const lineBytes = bytes.readUInt16LE(66);
    if (width <= 0 || height <= 0 || lineBytes < width) fail(`${name}: bad PCX sides`);
    const paletteAt = bytes.length - 768;
    if (bytes[paletteAt - 1] !== 0x0c) fail(`${name}: no 256-colour palette at the end`);
    const indices = Buffer.alloc(lineBytes * height);
    let at = 128;
    let done = 0;
    while (done < indices.length) {
        if (at >= paletteAt - 1) fail(`${name}: PCX pixel data cut short`);
        const b = bytes[at++];
        let run = 1;
        let value = b;
        if ((b & 0xc0) === 0xc0) {
            if (at >= paletteAt - 1) fail(`${name}: PCX pixel data cut short`);
            run = b & 0x3f;
            value = bytes[at++];
        }
        run = Math.min(run, indices.length - done);
        indices.fill(value, done, done + run);
        done += run;
    }
    const out = picture(width, height);
    for (let y = 0; y < height; y++) {
        for (let x = 0; x < width; x++) {
            const index = indices[y * lineBytes + x];
            if (index === 255) continue;
            const d = (y * width + x) * 4;
            bytes.copy(out.rgba, d, paletteAt + index * 3, paletteAt + index * 3 + 3);
            out.rgba[d + 3] = 255;
        }
    }
    return out;
}

// The box of the pixels whose alpha is above 0: {left, top, width, height}, or null when none.
function visibleBox(pic) {
    let left = pic.width, top = pic.height, right = -1, bottom = -1;
    for (let y = 0; y < pic.height; y++) {
        for (let x = 0; x < pic.width; x++) {
            if (pic.rgba[(y * pic.width + x) * 4 + 3] === 0) continue;
            left = Math.min(left, x);
            right = Math.max(right, x);
            top = Math.min(top, y);
            bottom = Math.max(bottom, y);
        }
    }
    if (right < 0) return null;
    return {left, top, width: right - left + 1, height: bottom - top + 1};
}

// The info file's lines: "N sprites", then one "hid H hotspot method M padding P  hx X  hy Y
// wd W  ht H" line per sprite, in table order.
function parseInfoFile(text) {
    const lines = text.split('\n').filter((line) => line.length > 0);
    const head = /^(\d+) sprites$/.exec(lines[0] || '');
    if (!head) fail(`info file: first line "${lines[0]}" is not "N sprites"`);
    const entry = /^hid (-?\d+) hotspot method (\S+) padding (\d)  hx (-?\d+)  hy (-?\d+)  wd (\d+)  ht (\d+)$/;
    const sprites = lines.slice(1).map((line) => {
        const m = entry.exec(line);
        if (!m) fail(`info file: unexpected line "${line}"`);
        return {hid: Number(m[1]), method: m[2], padding: Number(m[3]), hx: Number(m[4]),
                hy: Number(m[5]), wd: Number(m[6]), ht: Number(m[7])};
    });
    if (sprites.length !== Number(head[1])) fail(`info file: ${head[1]} sprites announced, ${sprites.length} listed`);
    return sprites;
}

// The statements of a plain control file (the bundled example's form) that the test needs:
// "Source DIR", "InfoFile FILE" and the "TGA name" / "PCX name" lines; comments after "//".
function parseControlFile(text) {
    let source = '';
    let infoFile = '';
    const sprites = [];
    for (const raw of text.split('\n')) {
        const line = raw.replace(/\/\/.*$/, '').trim();
        let m = /^Source\s+(\S+)$/i.exec(line);
        if (m) source = m[1];
        m = /^InfoFile\s+(\S+)$/i.exec(line);
        if (m) infoFile = m[1];
        m = /^(TGA|PCX)\s+(\S+)$/i.exec(line);
        if (m) {
            const kind = m[1].toLowerCase();
            sprites.push({name: m[2], kind, path: source + m[2] + '.' + kind});
        }
    }
    if (!infoFile) fail('the control file names no InfoFile');
    return {sprites, infoFile};
}

// Where every drawn sprite goes: one grid cell each, its point (x, y) placed so that the cropped
// box (x + hx, y + hy, wd, ht) of every sprite fits its cell with a margin of background around.
function layOut(entries, margin) {
    const drawn = entries.filter((e) => e.wd > 0 && e.ht > 0);
    const minX = Math.min(...drawn.map((e) => e.hx));
    const minY = Math.min(...drawn.map((e) => e.hy));
    const maxX = Math.max(...drawn.map((e) => e.hx + e.wd));
    const maxY = Math.max(...drawn.map((e) => e.hy + e.ht));
    const cellW = maxX - minX + 2 * margin;
    const cellH = maxY - minY + 2 * margin;
    const columns = Math.ceil(Math.sqrt(drawn.length));
    const rows = Math.ceil(drawn.length / columns);
    drawn.forEach((e, i) => {
        e.cell = {x: (i % columns) * cellW, y: Math.floor(i / columns) * cellH, w: cellW, h: cellH};
        e.x = e.cell.x + margin - minX;
        e.y = e.cell.y + margin - minY;
    });
    return {width: columns * cellW, height: rows * cellH, drawn};
}

// The picture a browser should show: the background, then each sprite's cropped pixels with
// their top-left corner at (x + hx, y + hy), blended as straight alpha:
// out = colour * a / 255 + background * (255 - a) / 255, rounded. Alongside, for each pixel,
// whether a partly transparent source pixel covers it (where rounding may differ).
function expectedPicture(layout, background) {
    const {width, height} = layout;
    const rgba = Buffer.alloc(width * height * 4);
    const soft = new Uint8Array(width * height);
    for (let i = 0; i < width * height; i++) {
        rgba.set([background[0], background[1], background[2], 255], i * 4);
    }
    for (const e of layout.drawn) {
        const {pic, box} = e.source;
        for (let y = 0; y < box.height; y++) {
            for (let x = 0; x < box.width; x++) {
                const s = ((box.top + y) * pic.width + box.left + x) * 4;
                const a = pic.rgba[s + 3];
                if (a === 0) continue;
                const px = e.x + e.hx + x;
                const py = e.y + e.hy + y;
                const d = (py * width + px) * 4;
                for (let c = 0; c < 3; c++) {
                    rgba[d + c] = Math.round((pic.rgba[s + c] * a + rgba[d + c] * (255 - a)) / 255);
                }
                soft[py * width + px] = a === 255 ? 0 : 1;
            }
        }
    }
    return {width, height, rgba, soft};
}

// An RGBA PNG of a picture, to look at when a comparison fails.
function encodePng(width, height, rgba) {
    const table = new Int32Array(256).map((_, n) => {
        let c = n;
        for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
        return c;
    });
    const crc = (buf) => {
        let c = -1;
        for (const b of buf) c = table[(c ^ b) & 0xff] ^ (c >>> 8);
        return (c ^ -1) >>> 0;
    };
    const chunk = (type, data) => {
        const body = Buffer.concat([Buffer.from(type, 'ascii'), data]);
        const out = Buffer.alloc(body.length + 8);
        out.writeUInt32BE(data.length, 0);
        body.copy(out, 4);
        out.writeUInt32BE(crc(body), body.length + 4);
        return out;
    };
    const header = Buffer.alloc(13);
    header.writeUInt32BE(width, 0);
    header.writeUInt32BE(height, 4);
    header.set([8, 6, 0, 0, 0], 8);
    const raw = Buffer.alloc((width * 4 + 1) * height);
    for (let y = 0; y < height; y++) {
        rgba.copy(raw, y * (width * 4 + 1) + 1, y * width * 4, (y + 1) * width * 4);
    }
    return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
                          chunk('IDAT', zlib.deflateSync(raw)), chunk('IEND', Buffer.alloc(0))]);
}

module.exports = {decodeTga, decodePcx, visibleBox, parseInfoFile, parseControlFile, layOut,
                  expectedPicture, encodePng};
