// The real-client test of --atlas: the bundled example's atlas, written by the real executable,
// loaded by Phaser 3 and PixiJS in headless Chromium. Each engine draws every frame at a grid
// point with the pivot it read from the JSON; the canvas read back must match a picture made
// here from the source files and the info file alone.
//
//   node browser_test.js --exe=SPRITEBAKE --examples=DIR --work=DIR
//
// Exit status 0: every case matched; 1: a case failed; 77 (after one line "browser test
// skipped: REASON"): chromium, npm or the npm packages are missing. With
// SPRITEBAKE_REQUIRE_BROWSER=1 a missing piece fails instead.
'use strict';

const childProcess = require('child_process');
const crypto = require('crypto');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const pictures = require('./pictures');

const SKIP_STATUS = 77;
const BACKGROUND = [0x33, 0x66, 0x99];  // opaque, so the read-back has no alpha to undo
const MARGIN = 4;                      // background pixels around each sprite's cell
// Where a source pixel is partly transparent the engines blend in 8 bits: the browser stores
// the decoded page premultiplied (colour * alpha rounded to a byte) and the blend rounds again,
// so the result may differ from the exactly rounded straight-alpha blend by up to 2 a channel.
// Opaque pixels and the background must match exactly.
const SOFT_TOLERANCE = 2;
const CASE_SECONDS = 60;  // for one engine to load, draw and read back

const CASES = [
    {name: 'json-hash, one page', file: 'out/single.json', args: [], pages: 'one',
     engines: ['phaser-webgl', 'phaser-canvas', 'pixi']},
    {name: 'json-hash, several pages', file: 'out/multi.json',
     args: ['--atlas-max-size=128', '--atlas-padding=1', '--atlas-extrude=1'], pages: 'several',
     engines: ['phaser-webgl', 'phaser-canvas', 'pixi']},
    {name: 'json-array, one page', file: 'out/array.json', args: ['--atlas-format=json-array'],
     pages: 'one', engines: ['phaser-webgl']},
    {name: 'json-hash premultiplied, several pages', file: 'out/premultiplied.json',
     args: ['--atlas-alpha=premultiplied', '--atlas-max-size=128'], pages: 'several',
     engines: ['pixi']},
    {name: 'phaser3 multi-atlas', file: 'out/multiatlas.json',
     args: ['--atlas-format=phaser3', '--atlas-max-size=128'], pages: 'several',
     engines: ['phaser-webgl', 'phaser-canvas']},
];

const ENGINES = {
    'phaser-webgl': {label: 'Phaser WebGL', page: 'phaser.html', call: 'drawWithPhaser', renderer: 'webgl'},
    'phaser-canvas': {label: 'Phaser Canvas', page: 'phaser.html', call: 'drawWithPhaser', renderer: 'canvas'},
    'pixi': {label: 'PixiJS WebGL', page: 'pixi.html', call: 'drawWithPixi', renderer: 'webgl'},
};

function parseArguments(argv) {
    const options = {};
    for (const arg of argv) {
        const m = /^--([a-z]+)=(.*)$/.exec(arg);
        if (!m) throw new Error(`unknown argument ${arg}`);
        options[m[1]] = m[2];
    }
    for (const name of ['exe', 'examples', 'work']) {
        if (!options[name]) throw new Error(`--${name}=... is missing`);
    }
    return options;
}

function cannotRun(reason) {
    if (process.env.SPRITEBAKE_REQUIRE_BROWSER === '1') {
        console.log(`browser test failed: ${reason} (SPRITEBAKE_REQUIRE_BROWSER=1)`);
        process.exit(1);
    }
    console.log(`browser test skipped: ${reason}`);
    process.exit(SKIP_STATUS);
}

function isExecutable(file) {
    try {
        fs.accessSync(file, fs.constants.X_OK);
        return fs.statSync(file).isFile();
    } catch {
        return false;
    }
}

function findOnPath(name) {
    for (const dir of (process.env.PATH || '').split(path.delimiter)) {
        if (dir && isExecutable(path.join(dir, name))) return path.join(dir, name);
    }
    return null;
}

function findChromium() {
    const named = process.env.SPRITEBAKE_CHROMIUM;
    if (named) return isExecutable(named) ? named : null;
    if (isExecutable('/usr/bin/chromium')) return '/usr/bin/chromium';
    return findOnPath('chromium');
}

// npm ci into WORK/npm once: a stamp holds the lock file's hash, so a later run with the same
// lock file reuses the packages, and a changed lock file installs again.
function installPackages(work) {
    const folder = path.join(work, 'npm');
    const lock = fs.readFileSync(path.join(__dirname, 'package-lock.json'));
    const hash = crypto.createHash('sha256').update(lock).digest('hex');
    const stamp = path.join(folder, 'installed.stamp');
    if (fs.existsSync(stamp) && fs.readFileSync(stamp, 'utf8') === hash &&
        fs.existsSync(path.join(folder, 'node_modules', 'puppeteer-core'))) {
        return folder;
    }
    const npm = [path.join(path.dirname(process.execPath), 'npm'), findOnPath('npm')]
        .find((file) => file && isExecutable(file));
    if (!npm) cannotRun('npm is missing');
    fs.mkdirSync(folder, {recursive: true});
    fs.rmSync(stamp, {force: true});
    for (const name of ['package.json', 'package-lock.json']) {
        fs.copyFileSync(path.join(__dirname, name), path.join(folder, name));
    }
    const log = path.join(folder, 'npm-ci.log');
    const run = childProcess.spawnSync(npm, ['ci', '--ignore-scripts', '--no-audit', '--no-fund'], {
        cwd: folder,
        env: {...process.env, PUPPETEER_SKIP_DOWNLOAD: '1'},
        encoding: 'utf8',
        timeout: 600000,
    });
    fs.writeFileSync(log, `${run.stdout || ''}${run.stderr || ''}${run.error ? run.error : ''}\n`);
    if (run.status !== 0) cannotRun(`the npm packages could not be installed (npm ci failed, see ${log})`);
    fs.writeFileSync(stamp, hash);
    return folder;
}

const CONTENT_TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.json': 'application/json',
                       '.png': 'image/png'};

// Files for the page, on 127.0.0.1 and a port the system picks: the engines, the page's script,
// and the run's folder under /atlas/.
function serve(modules, atlasRoot) {
    const engineScripts = {
        'phaser.html': '/lib/phaser.js',
        'pixi.html': '/lib/pixi.js',
    };
    const fixed = {
        '/lib/phaser.js': path.join(modules, 'phaser', 'dist', 'phaser.min.js'),
        '/lib/pixi.js': path.join(modules, 'pixi.js', 'dist', 'pixi.min.js'),
        '/page.js': path.join(__dirname, 'page.js'),
    };
    const server = http.createServer((request, response) => {
        const url = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
        const send = (status, type, body) => {
            response.writeHead(status, {'Content-Type': type, 'Cache-Control': 'no-store'});
            response.end(body);
        };
        if (url === '/favicon.ico') {
            send(204, 'image/x-icon', '');
            return;
        }
        const html = engineScripts[url.slice(1)];
        if (html) {
            send(200, 'text/html', `<!doctype html><html><head><meta charset="utf-8">` +
                 `<style>body{margin:0;background:#000}</style></head><body>` +
                 `<script src="${html}"></script><script src="/page.js"></script></body></html>`);
            return;
        }
        let file = fixed[url];
        if (!file && url.startsWith('/atlas/')) {
            file = path.resolve(atlasRoot, url.slice('/atlas/'.length));
            if (!file.startsWith(atlasRoot + path.sep)) file = null;
        }
        if (!file || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
            send(404, 'text/plain', 'not found');
            return;
        }
        send(200, CONTENT_TYPES[path.extname(file)] || 'application/octet-stream', fs.readFileSync(file));
    });
    return new Promise((resolve) => {
        server.listen(0, '127.0.0.1', () => resolve(server));
    });
}

// The bundled example, and one sprite more that has no visible pixel (a 4 x 4 TGA, 32 bits,
// every byte 0): it is listed in the table, and the atlas gives it no frame.
function copyExample(examples, folder) {
    const control = fs.readFileSync(path.join(examples, 'sprites.ctl'), 'utf8');
    fs.writeFileSync(path.join(folder, 'sprites.ctl'), `${control}\nTGA blank\n`);
    fs.cpSync(path.join(examples, 'art'), path.join(folder, 'art'), {recursive: true});
    const blank = Buffer.alloc(18 + 4 * 4 * 4);
    blank.set([0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 32, 8]);
    fs.writeFileSync(path.join(folder, 'art', 'blank.tga'), blank);
    fs.mkdirSync(path.join(folder, 'out'));
}

// The run's sprites in table order: the control file's names and source files beside the info
// file's numbers, each source decoded here and cropped to its visible box.
function expectedSprites(folder) {
    const control = pictures.parseControlFile(fs.readFileSync(path.join(folder, 'sprites.ctl'), 'utf8'));
    const info = pictures.parseInfoFile(fs.readFileSync(path.join(folder, control.infoFile), 'utf8'));
    if (info.length !== control.sprites.length) {
        throw new Error(`the control file lists ${control.sprites.length} sprites, the info file ${info.length}`);
    }
    return info.map((entry, index) => {
        const sprite = control.sprites[index];
        const bytes = fs.readFileSync(path.join(folder, sprite.path));
        const pic = sprite.kind === 'tga' ? pictures.decodeTga(bytes, sprite.path)
                                          : pictures.decodePcx(bytes, sprite.path);
        const box = pictures.visibleBox(pic);
        const sides = box ? `${box.width}x${box.height}` : '0x0';
        if (sides !== `${entry.wd}x${entry.ht}`) {
            throw new Error(`${sprite.path}: visible box ${sides}, the info file says ${entry.wd}x${entry.ht}`);
        }
        return {...entry, index, name: sprite.name, source: {pic, box}};
    });
}

// The data files and pages the atlas consists of, and the frame names they hold, read as plain
// JSON: a json-hash or json-array atlas through meta.related_multi_packs, a phaser3 atlas
// through textures[].
function atlasContents(folder, file, format) {
    const dataPath = path.join(folder, file);
    const first = JSON.parse(fs.readFileSync(dataPath, 'utf8'));
    const pages = [];
    const frames = [];
    if (format === 'phaser3') {
        for (const texture of first.textures) {
            pages.push(texture.image);
            for (const frame of texture.frames) frames.push(frame.filename);
        }
    } else {
        const dataFiles = [path.basename(file)].concat(first.meta.related_multi_packs || []);
        for (const name of dataFiles) {
            const data = JSON.parse(fs.readFileSync(path.join(path.dirname(dataPath), name), 'utf8'));
            pages.push(data.meta.image);
            if (Array.isArray(data.frames)) {
                for (const frame of data.frames) frames.push(frame.filename);
            } else {
                frames.push(...Object.keys(data.frames));
            }
        }
    }
    for (const page of pages) {
        if (!fs.existsSync(path.join(path.dirname(dataPath), page))) throw new Error(`page ${page} is missing`);
    }
    return {pages, frames, blank: (first.meta && first.meta.blank) || []};
}

function sameNames(a, b) {
    return JSON.stringify([...a].sort()) === JSON.stringify([...b].sort());
}

// Every channel of every pixel: the background and opaque sprite pixels exactly, partly
// transparent ones within SOFT_TOLERANCE. Returns the problems found, by sprite.
function compare(expected, actual, layout) {
    const problems = new Map();
    let softOff = 0;
    let softTotal = 0;
    let worst = 0;
    for (let y = 0; y < expected.height; y++) {
        for (let x = 0; x < expected.width; x++) {
            const i = y * expected.width + x;
            let diff = 0;
            for (let c = 0; c < 3; c++) diff = Math.max(diff, Math.abs(expected.rgba[i * 4 + c] - actual[i * 4 + c]));
            const alphaWrong = actual[i * 4 + 3] !== 255;
            const limit = expected.soft[i] ? SOFT_TOLERANCE : 0;
            if (expected.soft[i]) softTotal++;
            if (expected.soft[i] && diff > 0) softOff++;
            if (diff <= limit && !alphaWrong) {
                worst = Math.max(worst, diff);
                continue;
            }
            const owner = layout.drawn.find((e) => x >= e.cell.x && x < e.cell.x + e.cell.w &&
                                                    y >= e.cell.y && y < e.cell.y + e.cell.h);
            const name = owner ? owner.name : '(outside every cell)';
            const list = problems.get(name) || [];
            if (list.length < 3) {
                const at = (p) => Array.from(p.subarray(i * 4, i * 4 + 4)).join(',');
                list.push(`(${x},${y}) expected ${at(expected.rgba)} got ${at(actual)}`);
            }
            list.count = (list.count || 0) + 1;
            problems.set(name, list);
        }
    }
    return {problems, softOff, softTotal, worst};
}

async function drawInBrowser(browser, port, engine, request) {
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(String(error)));
    page.on('console', (message) => {
        if (message.type() === 'error') errors.push(message.text());
    });
    try {
        await page.setViewport({width: 1024, height: 768, deviceScaleFactor: 1});
        await page.goto(`http://127.0.0.1:${port}/${engine.page}`, {waitUntil: 'load'});
        let timer;
        const timeout = new Promise((_, reject) => {
            timer = setTimeout(() => reject(new Error(`no picture after ${CASE_SECONDS} s`)), CASE_SECONDS * 1000);
        });
        const drawing = page.evaluate((call, args) => window[call](args), engine.call,
                                      {...request, renderer: engine.renderer});
        drawing.catch(() => {});  // after a time-out, closing the page rejects it: nobody waits
        const result = await Promise.race([drawing, timeout]).finally(() => clearTimeout(timer));
        return {result, errors};
    } catch (error) {
        throw new Error(`${error.message}${errors.length ? `\n  page errors: ${errors.join('\n  ')}` : ''}`);
    } finally {
        await page.close();
    }
}

async function runCase(browser, options, folder, testCase, report) {
    const format = (testCase.args.find((a) => a.startsWith('--atlas-format=')) || '=json-hash').split('=')[1];
    const args = [`--atlas=${testCase.file}`, ...testCase.args, 'sprites.ctl'];
    const run = childProcess.spawnSync(options.exe, args, {cwd: folder, encoding: 'utf8', timeout: 300000});
    if (run.status !== 0) {
        report.fail(`${testCase.name}: spritebake ${args.join(' ')} exited with ${run.status}\n${run.stdout}${run.stderr}`);
        return;
    }
    const sprites = expectedSprites(folder);
    const layout = pictures.layOut(sprites, MARGIN);
    const expected = pictures.expectedPicture(layout, BACKGROUND);
    const contents = atlasContents(folder, testCase.file, format);
    const blank = sprites.filter((e) => e.wd === 0 || e.ht === 0).map((e) => e.name);
    const problems = [];
    if (testCase.pages === 'one' && contents.pages.length !== 1) problems.push(`${contents.pages.length} pages, expected one`);
    if (testCase.pages === 'several' && contents.pages.length < 2) problems.push(`${contents.pages.length} page, expected several`);
    if (!sameNames(contents.frames, layout.drawn.map((e) => e.name))) {
        problems.push(`frames ${JSON.stringify(contents.frames)}, expected one each for ${JSON.stringify(layout.drawn.map((e) => e.name))}`);
    }
    if (!sameNames(contents.blank, blank)) problems.push(`meta.blank ${JSON.stringify(contents.blank)}, expected ${JSON.stringify(blank)}`);
    if (problems.length) {
        report.fail(`${testCase.name}: ${problems.join('; ')}`);
        return;
    }
    const request = {
        format,
        url: `/atlas/${testCase.file}`,
        sprites: layout.drawn.map((e) => ({name: e.name, x: e.x, y: e.y})),
        width: layout.width,
        height: layout.height,
        background: '#' + BACKGROUND.map((c) => c.toString(16).padStart(2, '0')).join(''),
    };
    for (const key of testCase.engines) {
        const engine = ENGINES[key];
        const title = `${testCase.name}, ${engine.label}`;
        let drawn;
        try {
            drawn = await drawInBrowser(browser, options.port, engine, request);
        } catch (error) {
            report.fail(`${title}: ${error.message}`);
            continue;
        }
        const {result, errors} = drawn;
        const actual = Buffer.from(result.pixels, 'base64');
        const failures = [];
        if (result.missing.length) failures.push(`frames not found by the engine: ${result.missing.join(', ')}`);
        if (result.pages !== contents.pages.length) failures.push(`the engine loaded ${result.pages} pages of ${contents.pages.length}`);
        if (actual.length !== expected.rgba.length) failures.push(`read back ${actual.length} bytes, expected ${expected.rgba.length}`);
        let summary = '';
        if (!failures.length) {
            const {problems: wrong, softOff, softTotal, worst} = compare(expected, actual, layout);
            for (const [name, list] of wrong) failures.push(`${name}: ${list.count} pixels differ, ${list.join('; ')}`);
            summary = `${softOff} of ${softTotal} partly transparent pixels off by up to ${worst}`;
        }
        if (failures.length) {
            const stem = path.join(folder, `${path.basename(testCase.file, '.json')}-${key}`);
            fs.writeFileSync(`${stem}-expected.png`, pictures.encodePng(expected.width, expected.height, expected.rgba));
            if (actual.length === expected.rgba.length) {
                fs.writeFileSync(`${stem}-actual.png`, pictures.encodePng(expected.width, expected.height, actual));
            }
            if (errors.length) failures.push(`page errors: ${errors.join(' | ')}`);
            report.fail(`${title}:\n  ${failures.join('\n  ')}\n  pictures: ${stem}-{expected,actual}.png`);
        } else {
            report.pass(`${title}: ${layout.drawn.length} frames on ${contents.pages.length} page(s) match; ${summary}`);
        }
    }
}

async function main() {
    const options = parseArguments(process.argv.slice(2));
    if (Number(process.versions.node.split('.')[0]) < 18) cannotRun(`node ${process.versions.node} is older than 18`);
    const chromium = findChromium();
    if (!chromium) cannotRun('chromium is missing');
    const modules = path.join(installPackages(path.resolve(options.work)), 'node_modules');
    const puppeteer = require(path.join(modules, 'puppeteer-core'));

    const folder = fs.realpathSync(fs.mkdtempSync(path.join(os.tmpdir(), 'spritebake-browser-')));
    copyExample(options.examples, folder);
    const server = await serve(modules, folder);
    options.port = server.address().port;
    const browser = await puppeteer.launch({
        executablePath: chromium,
        headless: true,
        args: ['--no-sandbox', '--disable-dev-shm-usage', '--use-angle=swiftshader',
               '--enable-unsafe-swiftshader', '--force-color-profile=srgb', '--no-first-run'],
        timeout: 120000,
        protocolTimeout: 120000,
    });
    let passed = 0;
    let failed = 0;
    const report = {
        pass(line) { passed++; console.log(`ok    ${line}`); },
        fail(line) { failed++; console.log(`FAIL  ${line}`); },
    };
    try {
        for (const testCase of CASES) {
            try {
                await runCase(browser, options, folder, testCase, report);
            } catch (error) {
                report.fail(`${testCase.name}: ${error.stack || error}`);
            }
        }
    } finally {
        await browser.close();
        server.close();
    }
    if (failed === 0) {
        fs.rmSync(folder, {recursive: true, force: true});
    } else {
        console.log(`the run's files are kept in ${folder}`);
    }
    console.log(`browser test: ${passed} passed, ${failed} failed`);
    process.exit(failed === 0 ? 0 : 1);
}

main().catch((error) => {
    console.log(`browser test failed: ${error.stack || error}`);
    process.exit(1);
});
