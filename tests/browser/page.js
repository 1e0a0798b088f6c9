// The page's side of the browser test: an engine loads the atlas as a game would, draws each
// named frame at its point with the pivot the engine read from the JSON (no origin or anchor is
// set here), and the canvas is read back. Every function returns
// {width, height, pixels (base64 RGBA, top row first), pages, missing[]}.
'use strict';

function readCanvas(canvas, width, height) {
    const copy = document.createElement('canvas');
    copy.width = width;
    copy.height = height;
    const context = copy.getContext('2d');
    context.drawImage(canvas, 0, 0);
    const bytes = context.getImageData(0, 0, width, height).data;
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) {
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return btoa(text);
}

function folderOf(url) {
    return url.slice(0, url.lastIndexOf('/') + 1);
}

async function fetchJson(url) {
    const response = await fetch(url);
    if (!response.ok) throw new Error(`${url}: HTTP ${response.status}`);
    return response.json();
}

// Phaser 3. A json-hash or json-array atlas is loaded page by page with load.atlas: the first
// data file names the others in meta.related_multi_packs, and each names its image in
// meta.image. A phaser3 atlas is one load.multiatlas.
window.drawWithPhaser = function (options) {
    const {renderer, format, url, sprites, width, height, background} = options;
    return new Promise((resolve, reject) => {
        const keys = [];
        let pageCount = 0;
        const boot = async () => {
            const loads = [];
            if (format !== 'phaser3') {
                const first = await fetchJson(url);
                const names = [url].concat((first.meta.related_multi_packs || []).map(
                    (name) => folderOf(url) + name));
                for (let k = 0; k < names.length; k++) {
                    const data = k === 0 ? first : await fetchJson(names[k]);
                    loads.push({key: `page${k}`, image: folderOf(names[k]) + data.meta.image, data});
                }
            }
            const scene = {
                preload() {
                    this.load.on('loaderror', (file) => reject(new Error(`Phaser could not load ${file.src}`)));
                    if (format === 'phaser3') {
                        this.load.multiatlas('atlas', url, folderOf(url));
                        keys.push('atlas');
                    } else {
                        for (const load of loads) {
                            this.load.atlas(load.key, load.image, load.data);
                            keys.push(load.key);
                        }
                    }
                },
                create() {
                    const missing = [];
                    for (const key of keys) pageCount += this.textures.get(key).source.length;
                    for (const sprite of sprites) {
                        const key = keys.find((k) => this.textures.get(k).has(sprite.name));
                        if (key === undefined) {
                            missing.push(sprite.name);
                            continue;
                        }
                        this.add.image(sprite.x, sprite.y, key, sprite.name);
                    }
                    this.game.events.once('postrender', () => {
                        const pixels = readCanvas(this.game.canvas, width, height);
                        resolve({width, height, pixels, pages: pageCount, missing});
                    });
                },
            };
            const game = new Phaser.Game({
                type: renderer === 'canvas' ? Phaser.CANVAS : Phaser.WEBGL,
                width,
                height,
                backgroundColor: background,
                banner: false,
                audio: {noAudio: true},
                scale: {mode: Phaser.Scale.NONE, zoom: 1},
                // Nearest filtering without antialiasing. Rounding is left off for the Canvas
                // renderer: there it also widens every drawn frame by half a pixel (against
                // seams between tiles), which would blend one more column and row; the points
                // are whole pixels anyway.
                render: {pixelArt: renderer !== 'canvas', antialias: false,
                         roundPixels: renderer !== 'canvas', preserveDrawingBuffer: true,
                         transparent: false},
                scene,
            });
            game.events.once('ready', () => {
                if (renderer === 'webgl' && game.renderer.type !== Phaser.WEBGL) {
                    reject(new Error('Phaser did not start its WebGL renderer'));
                }
            });
        };
        boot().catch(reject);
    });
};

// PixiJS. Assets.load reads the first data file; its Spritesheet loader follows
// meta.related_multi_packs and hangs the other pages' sheets on linkedSheets. Each Sprite takes
// its anchor from its texture (the frame's "anchor").
window.drawWithPixi = async function (options) {
    const {url, sprites, width, height, background} = options;
    PIXI.TextureSource.defaultOptions.scaleMode = 'nearest';
    const app = new PIXI.Application();
    await app.init({width, height, background, backgroundAlpha: 1, antialias: false,
                    preference: 'webgl', preserveDrawingBuffer: true, resolution: 1,
                    autoDensity: false, roundPixels: true, autoStart: false});
    if (!(app.renderer instanceof PIXI.WebGLRenderer)) throw new Error('PixiJS did not start WebGL');
    // A page written premultiplied says so in meta.premultiplyAlpha; the game then tells PixiJS
    // not to premultiply it again.
    const meta = (await fetchJson(url)).meta || {};
    const data = meta.premultiplyAlpha ? {textureOptions: {alphaMode: 'premultiplied-alpha'}} : {};
    const sheet = await PIXI.Assets.load({src: url, data});
    const sheets = [sheet].concat(sheet.linkedSheets || []);
    const textures = {};
    for (const s of sheets) Object.assign(textures, s.textures);
    const missing = [];
    for (const sprite of sprites) {
        const texture = textures[sprite.name];
        if (texture === undefined) {
            missing.push(sprite.name);
            continue;
        }
        const drawn = new PIXI.Sprite(texture);
        drawn.position.set(sprite.x, sprite.y);
        app.stage.addChild(drawn);
    }
    app.renderer.render(app.stage);
    const pixels = readCanvas(app.canvas, width, height);
    return {width, height, pixels, pages: sheets.length, missing};
};
