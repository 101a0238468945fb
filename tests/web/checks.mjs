// The browser build's page in headless Chromium, as a player meets it: it waits for a gesture,
// then starts; no key colour shows; Right runs, Space swings, mute silences; the hero's death
// brings the card; the best runs outlive a reload. Prints one line per check; fails on any.
// Usage: node checks.mjs URL SCREENSHOT_FOLDER
import puppeteer from "puppeteer-core";
import path from "node:path";

const [url, shots] = process.argv.slice(2);
const loadMs = 60000;
const deathMs = 90000;
// The two transparent colours of the game's pictures (tools/asset_generator/art/picture.h),
// with room for the 16-bit screen's rounding.
const keyColours = [[0, 30, 255], [0, 255, 255]];
const keyTolerance = 10;
// The card's title, in the game's red and gold lettering, over the grey of the street.
const cardRegion = { x: 285, y: 175, width: 230, height: 45 };
const cardTitle = 0.15;
// Around the point the game reports for the hero, at its feet: room for the sword's swing.
const heroRegion = { left: -40, top: -160, width: 240, height: 200 };
const silence = 0.002;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Counts the frames drawn (SDL 2 draws each with one drawArrays call) and measures the sound the
// page sends to the speakers, after an analyser placed in front of them.
function instrument() {
    window.framesDrawn = 0;
    const draw = WebGLRenderingContext.prototype.drawArrays;
    WebGLRenderingContext.prototype.drawArrays = function (...args) {
        window.framesDrawn += 1;
        return draw.apply(this, args);
    };
    const connect = AudioNode.prototype.connect;
    AudioNode.prototype.connect = function (target, ...rest) {
        if (target instanceof AudioDestinationNode) {
            const analyser = this.context.createAnalyser();
            connect.call(analyser, target);
            window.soundMeter = analyser;
            return connect.call(this, analyser, ...rest);
        }
        return connect.call(this, target, ...rest);
    };
}

async function soundLevel(page, ms) {
    return page.evaluate(async (span) => {
        const meter = window.soundMeter;
        if (!meter) { return 0; }
        const samples = new Float32Array(meter.fftSize);
        let peak = 0;
        for (const end = performance.now() + span; performance.now() < end;) {
            meter.getFloatTimeDomainData(samples);
            for (const sample of samples) { peak = Math.max(peak, Math.abs(sample)); }
            await new Promise((resolve) => setTimeout(resolve, 20));
        }
        return peak;
    }, ms);
}

async function canvasPixels(page, region) {
    const box = await (await page.$("#canvas")).boundingBox();
    const clip = region ? { x: box.x + region.x, y: box.y + region.y, width: region.width, height: region.height }
        : box;
    const png = await page.screenshot({ clip, encoding: "base64" });
    return page.evaluate(async (data) => {
        const image = new Image();
        image.src = `data:image/png;base64,${data}`;
        await image.decode();
        const board = new OffscreenCanvas(image.width, image.height);
        const context = board.getContext("2d");
        context.drawImage(image, 0, 0);
        return Array.from(context.getImageData(0, 0, image.width, image.height).data);
    }, png);
}

// The share of pixels that differ between two pictures of one size.
function changed(before, after) {
    let differing = 0;
    for (let i = 0; i < before.length; i += 4) {
        const distance = Math.abs(before[i] - after[i]) + Math.abs(before[i + 1] - after[i + 1])
            + Math.abs(before[i + 2] - after[i + 2]);
        if (distance > 48) { differing += 1; }
    }
    return differing / (before.length / 4);
}

// The share of the pixels in a strong warm colour, red to gold.
function warmth(pixels) {
    let warm = 0;
    for (let i = 0; i < pixels.length; i += 4) {
        if (pixels[i] > 150 && pixels[i] > pixels[i + 2] + 100) { warm += 1; }
    }
    return warm / (pixels.length / 4);
}

function keyColoured(pixels) {
    let found = 0;
    for (let i = 0; i < pixels.length; i += 4) {
        if (keyColours.some(([r, g, b]) => Math.abs(pixels[i] - r) <= keyTolerance
            && Math.abs(pixels[i + 1] - g) <= keyTolerance && Math.abs(pixels[i + 2] - b) <= keyTolerance)) {
            found += 1;
        }
    }
    return found;
}

// The page's console, kept for the lines the game prints.
function listen(page, lines) {
    page.on("console", (message) => {
        // The console's status line and its screen codes can share a message with other lines.
        lines.push(...message.text().split("\n"));
    });
}

async function heroAt(page, lines) {
    const seen = lines.length;
    for (let tries = 0; tries < 150; tries += 1) {
        // Asked again each second, in case a press came between the game's looks at its keys.
        if (tries % 10 === 0) { await page.keyboard.press("p"); }
        const screen = lines.slice(seen).map((line) => line.match(/SCREEN: ([-\d.]+),([-\d.]+)/)).find(Boolean);
        const world = lines.slice(seen).map((line) => line.match(/WORLD : ([-\d.]+),/)).find(Boolean);
        if (screen && world) {
            return { x: Number(screen[1]), y: Number(screen[2]), worldX: Number(world[1]) };
        }
        await sleep(100);
    }
    throw new Error("the game printed no position for p");
}

async function startPage(page) {
    await page.goto(url);
    await page.waitForFunction(() => document.getElementById("startText").textContent.includes("to play"),
        { timeout: loadMs });
    await sleep(500);
    const before = await page.evaluate(() => window.framesDrawn);
    if (!await page.evaluate(() => document.getElementById("start").hidden)) {
        await page.click("#start");
    }
    await page.waitForFunction(() => window.framesDrawn > 10, { timeout: loadMs });
    await page.focus("#canvas");
    return before;
}

const results = [];
function check(name, passed, detail) {
    results.push(passed);
    console.log(`${passed ? "ok  " : "FAIL"} ${name}: ${detail}`);
}

const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--autoplay-policy=no-user-gesture-required",
           "--enable-unsafe-swiftshader", "--use-angle=swiftshader"],
});
try {
    const page = await browser.newPage();
    await page.setViewport({ width: 900, height: 760 });
    const lines = [];
    listen(page, lines);
    page.on("pageerror", (error) => check("no page errors", false, error.message));
    await page.evaluateOnNewDocument(instrument);

    const framesBeforeGesture = await startPage(page);
    const overlayGone = await page.evaluate(() => document.getElementById("start").hidden);
    check("starts after the gesture", framesBeforeGesture === 0 && overlayGone,
        `${framesBeforeGesture} frames before the click, overlay ${overlayGone ? "gone" : "still up"}`);

    // The street where the card will come, before anything happened on it.
    const beforeDeath = await canvasPixels(page, cardRegion);
    // The swing against the same wait without it, around the hero standing alone at the start.
    const hero = await heroAt(page, lines);
    const region = { x: Math.max(0, hero.x + heroRegion.left), y: Math.max(0, hero.y + heroRegion.top),
                     width: heroRegion.width, height: heroRegion.height };
    region.width = Math.min(region.width, 800 - region.x);
    region.height = Math.min(region.height, 600 - region.y);
    // The most the hero's area changes over a few frames, from a picture before them.
    const mostChange = async (rest) => {
        let most = 0;
        for (let shot = 0; shot < 4; shot += 1) {
            await sleep(80);
            most = Math.max(most, changed(rest, await canvasPixels(page, region)));
        }
        return most;
    };
    await sleep(500);
    const idle = await mostChange(await canvasPixels(page, region));
    const rest = await canvasPixels(page, region);
    await page.keyboard.press("Space");
    const swung = await mostChange(rest);
    await page.screenshot({ path: path.join(shots, "web-swing.png") });
    check("Space swings", swung > idle + 0.04, `${(100 * idle).toFixed(1)}% of the hero's area changes idle, ${(100 * swung).toFixed(1)}% with the swing`);

    const start = await heroAt(page, lines);
    await page.keyboard.down("ArrowRight");
    await sleep(1200);
    await page.keyboard.up("ArrowRight");
    const ran = await heroAt(page, lines);
    check("Right moves the hero", ran.worldX > start.worldX, `world x ${start.worldX} -> ${ran.worldX}`);

    // The hero among the enemies that came for him.
    await sleep(1000);
    const keyed = keyColoured(await canvasPixels(page));
    check("no key colour shows", keyed === 0, `${keyed} pixels in a key colour`);

    const loud = await soundLevel(page, 1000);
    await page.click("#mute");
    await sleep(300);
    const muted = await soundLevel(page, 1000);
    await page.click("#mute");
    await page.focus("#canvas");
    check("mute silences the sound", loud > silence * 10 && muted < silence,
        `peak ${loud.toFixed(4)} before the mute button, ${muted.toFixed(4)} after`);

    let survived;
    for (const end = Date.now() + deathMs; !survived && Date.now() < end; await sleep(250)) {
        survived = lines.map((line) => line.match(/You have survived for [\d.]+ seconds/)).find(Boolean)?.[0];
    }
    await sleep(3000);
    await page.screenshot({ path: path.join(shots, "web-card.png") });
    // The card comes up over a few frames: looked for a while.
    let title = 0;
    for (const end = Date.now() + 10000; title <= cardTitle && Date.now() < end; await sleep(250)) {
        title = warmth(await canvasPixels(page, cardRegion));
    }
    const street = warmth(beforeDeath);
    check("the death brings the card", Boolean(survived) && title > cardTitle && street < 0.02,
        `"${survived}", the title's area ${(100 * street).toFixed(0)}% red or gold before, ${(100 * title).toFixed(0)}% after`);

    await sleep(1000);
    await page.reload();
    await page.waitForFunction(() => document.getElementById("startText").textContent.includes("to play"),
        { timeout: loadMs });
    const kept = await page.evaluate(() => new Promise((resolve) => {
        const open = indexedDB.open("/home/web_user");
        open.onerror = () => resolve([]);
        open.onsuccess = () => {
            if (!open.result.objectStoreNames.contains("FILE_DATA")) { resolve([]); return; }
            const names = open.result.transaction("FILE_DATA").objectStore("FILE_DATA").getAllKeys();
            names.onsuccess = () => resolve(names.result);
            names.onerror = () => resolve([]);
        };
    }));
    const records = kept.filter((name) => /best-runs$/.test(name));
    check("the best runs outlive a reload", records.length > 0, `stored: ${kept.join(" ")}`);
} catch (error) {
    check("the page ran", false, error.message);
} finally {
    await browser.close();
}
process.exit(results.every(Boolean) ? 0 : 1);
