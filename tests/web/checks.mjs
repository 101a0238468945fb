// The browser build's page in headless Chromium, as a player meets it: it waits for a gesture,
// then starts; no key colour shows; Right runs, Space swings, mute silences; the hero's death
// brings the card, Space on it plays again, and the run it showed is still saved after a reload,
// as is a mute set with m.
// Prints one line per check; fails on any. The frames looked at are read from the canvas as the
// game draws them.
// Usage: node checks.mjs URL SCREENSHOT_FOLDER
import { checkList, launchChromium, openTab, sleep } from "./browser.mjs";
import path from "node:path";

const [url, shots] = process.argv.slice(2);
const loadMs = 60000;
const deathMs = 90000;
// Longer than any frame takes, however busy the machine: no frame within it means the game stopped.
const frameWaitMs = 10000;
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
// How much more of the hero's area the swing must change than standing does (the idle animation
// and the street's lights change some of it too): the hero's own report is the swing's proof, this
// that it is drawn.
const swingMargin = 0.01;
// Where the game keeps its settings in the page: $XDG_CONFIG_HOME's default under emscripten's $HOME.
const settingsPath = "/home/web_user/.config/ghoulrun/settings.ini";

// Counts the frames drawn (SDL 2 draws each with one drawArrays call), reads a frame back when one
// is asked for, and measures the sound the page sends to the speakers, after an analyser placed
// in front of them. A frame is read right after the game drew it, before the browser shows it:
// the test looks at exactly what the game drew, and the game's clock does not run on while a
// screenshot is made.
function instrument(sources) {
    window.framesDrawn = 0;
    window.frameWanted = null;
    // While set, each frame's area around the hero is compared as it is drawn with a picture taken
    // before; the most it differs is kept, over every frame.
    window.changeWatch = null;
    const changed = new Function(`return ${sources.changed}`)();
    const watchChange = (gl) => {
        const { x, y, width, height, before } = window.changeWatch;
        const pixels = new Uint8Array(width * height * 4);
        gl.readPixels(x, gl.drawingBufferHeight - y - height, width, height, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
        // WebGL's rows run bottom up; the picture before runs top down.
        const topDown = new Uint8Array(pixels.length);
        for (let row = 0; row < height; row += 1) {
            topDown.set(pixels.subarray((height - 1 - row) * width * 4, (height - row) * width * 4), row * width * 4);
        }
        window.changeWatch.most = Math.max(window.changeWatch.most, changed(before, topDown));
        window.changeWatch.frames += 1;
    };
    // While armed, each frame's card area is looked at as it is drawn; the first that shows the
    // card's title gets Space at once, which on the card plays again.
    window.cardWatch = null;
    window.cardSeenAt = 0;
    const warmth = new Function(`return ${sources.warmth}`)();
    const lookForCard = (gl) => {
        const { x, y, width, height, title } = window.cardWatch;
        const pixels = new Uint8Array(width * height * 4);
        gl.readPixels(x, gl.drawingBufferHeight - y - height, width, height, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
        if (warmth(pixels) > title) {
            window.cardWatch = null;
            window.cardSeenAt = Date.now();
            for (const type of ["keydown", "keyup"]) {
                document.getElementById("canvas").dispatchEvent(new KeyboardEvent(type,
                    { key: " ", code: "Space", keyCode: 32, which: 32, bubbles: true }));
            }
        }
    };
    const draw = WebGLRenderingContext.prototype.drawArrays;
    WebGLRenderingContext.prototype.drawArrays = function (...args) {
        const drawn = draw.apply(this, args);
        window.framesDrawn += 1;
        if (window.cardWatch) { lookForCard(this); }
        if (window.changeWatch) { watchChange(this); }
        const wanted = window.frameWanted;
        if (wanted) {
            window.frameWanted = null;
            const width = this.drawingBufferWidth;
            const height = this.drawingBufferHeight;
            const pixels = new Uint8Array(width * height * 4);
            this.readPixels(0, 0, width, height, this.RGBA, this.UNSIGNED_BYTE, pixels);
            wanted({ width, height, pixels });
        }
        return drawn;
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

// The RGBA pixels of `region` (the whole frame when none) of the next frame the game draws, top
// row first; null when the game draws no frame within frameWaitMs.
async function canvasPixels(page, region) {
    const base64 = await page.evaluate(async (area, waitMs) => {
        const frame = await new Promise((resolve) => {
            window.frameWanted = resolve;
            setTimeout(() => {
                if (window.frameWanted === resolve) {
                    window.frameWanted = null;
                    resolve(null);
                }
            }, waitMs);
        });
        if (!frame) { return null; }
        const { x, y, width, height } = area ?? { x: 0, y: 0, width: frame.width, height: frame.height };
        const rows = [];
        // WebGL's rows run bottom up.
        for (let row = y; row < y + height; row += 1) {
            const start = ((frame.height - 1 - row) * frame.width + x) * 4;
            rows.push(String.fromCharCode(...frame.pixels.subarray(start, start + width * 4)));
        }
        return btoa(rows.join(""));
    }, region ?? null, frameWaitMs);
    return base64 === null ? null : Buffer.from(base64, "base64");
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

// The text of a file in the player's folder as the browser's storage holds it (the records
// emscripten's IDBFS keeps in IndexedDB); empty while it holds none.
async function storedText(page, file) {
    return page.evaluate((name) => new Promise((resolve) => {
        const open = indexedDB.open("/home/web_user");
        open.onerror = () => resolve("");
        open.onsuccess = () => {
            const database = open.result;
            const done = (text) => { database.close(); resolve(text); };
            if (!database.objectStoreNames.contains("FILE_DATA")) { done(""); return; }
            const record = database.transaction("FILE_DATA").objectStore("FILE_DATA").get(name);
            record.onsuccess = () => done(record.result?.contents ? new TextDecoder().decode(record.result.contents) : "");
            record.onerror = () => done("");
        };
    }), file);
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
    throw new Error(`the game printed no position for p; its last lines: ${lines.slice(-8).join(" | ")}`);
}

async function startPage(page) {
    await page.goto(url);
    // The last thing the game waits for besides the gesture is its stored files (FS.syncfs); once
    // they are read in, a page that did not wait for the gesture calls the game's main (emscripten's
    // calledRun) at its next turn.
    await page.waitForFunction(() => document.getElementById("startText").textContent.includes("to play")
        && typeof FS !== "undefined" && FS.syncFSRequests === 0, { timeout: loadMs });
    await sleep(100);
    const before = await page.evaluate(() => ({ frames: window.framesDrawn, ran: Boolean(window.calledRun) }));
    // The game's clock starts after this moment, so no run can have lasted longer than since.
    const clickedAt = Date.now();
    // A page that started without the gesture may hide the overlay meanwhile: the check says so.
    await page.click("#start").catch(() => {});
    await page.waitForFunction(() => window.framesDrawn > 10, { timeout: loadMs });
    await page.focus("#canvas");
    return { before, clickedAt };
}

const bestRunsPath = "/home/web_user/.local/share/ghoulrun/best-runs";

// The best-runs file as the game finds it in its file system, read in from the browser's storage
// before the game starts; empty when there is none.
async function bestRunsInGame(page) {
    return page.evaluate((file) => {
        try {
            return FS.readFile(file, { encoding: "utf8" });
        } catch {
            return "";
        }
    }, bestRunsPath);
}


const { check, finish } = checkList();
const browser = await launchChromium();
try {
    const page = await openTab(browser);
    const lines = [];
    listen(page, lines);
    page.on("pageerror", (error) => check("no page errors", false, error.message));
    await page.evaluateOnNewDocument(instrument, { warmth: warmth.toString(), changed: changed.toString() });

    const { before: beforeGesture, clickedAt } = await startPage(page);
    const overlayGone = await page.evaluate(() => document.getElementById("start").hidden);
    check("starts after the gesture", beforeGesture.frames === 0 && !beforeGesture.ran && overlayGone,
        `${beforeGesture.frames} frames before the click, the game's main ${beforeGesture.ran ? "" : "not "}`
        + `called by then, overlay ${overlayGone ? "gone" : "still up"}`);

    // The street where the card will come, before anything happened on it.
    const beforeDeath = await canvasPixels(page, cardRegion);
    // The swing against the same wait without it, around the hero standing alone at the start.
    const hero = await heroAt(page, lines);
    const region = { x: Math.max(0, hero.x + heroRegion.left), y: Math.max(0, hero.y + heroRegion.top),
                     width: heroRegion.width, height: heroRegion.height };
    region.width = Math.min(region.width, 800 - region.x);
    region.height = Math.min(region.height, 600 - region.y);
    // Every frame's change of the hero's area from a picture before them, until `over` says stop.
    const mostChange = async (over) => {
        const before = (await canvasPixels(page, region)).toString("base64");
        await page.evaluate((area, picture) => {
            const bytes = Uint8Array.from(atob(picture), (letter) => letter.charCodeAt(0));
            window.changeWatch = { ...area, before: bytes, most: 0, frames: 0 };
        }, region, before);
        await over();
        return page.evaluate(() => {
            const { most, frames } = window.changeWatch;
            window.changeWatch = null;
            return { most, frames };
        });
    };
    const framesWatched = (count) => page.waitForFunction((least) => window.changeWatch.frames >= least,
        { timeout: loadMs }, count);
    // The swing, from the key to the hero's report of its end, as it ends each swing.
    const linesBeforeSwing = lines.length;
    const swung = await mostChange(async () => {
        await page.keyboard.press("Space");
        for (const end = Date.now() + loadMs; Date.now() < end; await sleep(50)) {
            if (lines.slice(linesBeforeSwing).some((line) => line.includes("You have survived for"))) { return; }
        }
    });
    const reported = lines.slice(linesBeforeSwing).some((line) => line.includes("You have survived for"));
    // The hero standing as long, in frames.
    const idle = await mostChange(() => framesWatched(swung.frames));
    check("Space swings", swung.most > idle.most + swingMargin && reported,
        `${(100 * idle.most).toFixed(1)}% of the hero's area changes standing, ${(100 * swung.most).toFixed(1)}% `
        + `with the swing (${swung.frames} frames), ${reported ? "reported" : "never reported"} by the hero`);

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

    // The card comes up with the hero's death, whenever the crowd gets him, and shows until the
    // game-over sequence is done: the page looks at every frame for it, and presses Space on the
    // first that shows it, so that the new run starts however busy the machine is.
    const runsBuilt = () => lines.filter((line) => line.includes("Loading Enemies")).length;
    const builtBefore = runsBuilt();
    await page.evaluate((area, title) => { window.cardWatch = { ...area, title }; }, cardRegion, cardTitle);
    // The page as a player sees it, in play (the README shows it).
    await page.screenshot({ path: path.join(shots, "web-page.png"), fullPage: true });
    let cardSeenAt = 0;
    for (const end = Date.now() + deathMs; !cardSeenAt && Date.now() < end; await sleep(250)) {
        cardSeenAt = await page.evaluate(() => window.cardSeenAt);
    }
    const street = warmth(beforeDeath);
    check("the death brings the card", cardSeenAt > 0 && street < 0.02,
        `the title's area ${(100 * street).toFixed(0)}% red or gold before the run, `
        + `the card ${cardSeenAt ? "came" : "never came"}`);

    let again = false;
    for (const end = Date.now() + frameWaitMs; !again && Date.now() < end; await sleep(100)) {
        again = runsBuilt() > builtBefore;
    }
    const afterAgain = again ? await canvasPixels(page, cardRegion) : null;
    const cleared = afterAgain !== null && warmth(afterAgain) < cardTitle;
    check("Space on the card plays again", again && cleared,
        `${runsBuilt() - builtBefore} new run(s) built, the card ${cleared ? "gone" : "still up"}`);

    // The run the card shows is saved: once the storage holds it, a reload finds it, with a time the
    // game's clock can have reached, started after the click and stopped by the time the card showed.
    let stored = false;
    for (const end = Date.now() + loadMs; !stored && Date.now() < end; await sleep(100)) {
        stored = await storedText(page, bestRunsPath) !== "";
    }
    // Once the reloaded game runs, what the storage held has been read into its file system.
    await page.reload();
    await startPage(page);
    const runs = (await bestRunsInGame(page)).split("\n")
        .filter((line) => /^\d+ \d+ \S+ (city|underground)$/.test(line));
    const savedMs = runs.length === 1 ? Number(runs[0].split(" ")[0]) : NaN;
    const longest = cardSeenAt ? cardSeenAt - clickedAt : 0;
    check("the best runs outlive a reload", stored && savedMs > 0 && savedMs <= longest,
        `${runs.length} run(s) found after the reload (${runs.join(", ")}); the card came ${longest} ms `
        + "after the click");
    // The settings outlive a reload: muted with m, the run quit with q (a run saves its settings
    // however it ends), and once the browser holds the file, the next visit starts silent with no
    // key pressed; m then brings the sound back, so the silence was the game's own mute.
    await startPage(page);
    await page.keyboard.press("m");
    await sleep(300);
    const mutedByKey = await soundLevel(page, 1000);
    await page.keyboard.press("q");
    let savedSettings = "";
    for (const end = Date.now() + loadMs; !/mute/.test(savedSettings) && Date.now() < end; await sleep(100)) {
        savedSettings = await storedText(page, settingsPath);
    }
    await startPage(page);
    await sleep(1000);
    const afterReload = await soundLevel(page, 1000);
    await page.keyboard.press("m");
    await sleep(300);
    const unmuted = await soundLevel(page, 1000);
    check("the settings outlive a reload", mutedByKey < silence && afterReload < silence && unmuted > silence * 10,
        `peak ${mutedByKey.toFixed(4)} muted by m, ${afterReload.toFixed(4)} after the reload, `
        + `${unmuted.toFixed(4)} after m again; stored: ${JSON.stringify(savedSettings.trim())}`);
} catch (error) {
    check("the page ran", false, error.message);
} finally {
    await browser.close();
}
finish();
