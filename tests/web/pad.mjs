// The pause and the gamepad in the browser build, in headless Chromium. The tab losing the focus
// pauses the game, as a desktop window losing it does, and Esc resumes it. Then a pad in the
// browser's standard mapping, made up in the page and connected once the game runs, as a player's
// pad shows up after its first press: its Start pauses and resumes, A swings, the d-pad's Right
// runs, and a pad pulled out while Right is held leaves no key down. The pauses come first: the
// clock stands still through them, so the hero is still alive when the last check is made.
// Prints one line per check; fails on any.
// Usage: node pad.mjs URL
import { checkList, launchChromium, openTab, sleep } from "./browser.mjs";

const [url] = process.argv.slice(2);
const loadMs = 60000;
// Longer than any frame takes, however busy the machine.
const frameWaitMs = 10000;
// The browser's standard mapping: A, Start and the d-pad's Right.
const buttonA = 0;
const buttonStart = 9;
const buttonRight = 15;
const standardButtons = 17;
// Long enough for the game to look at the pad a few times, however busy the machine.
const holdMs = 400;
const runMs = 1200;
const frameCountMs = 1000;
// More frames than a pause ever draws for its banner.
const framesOfPlay = 5;

// The page's pad, listed by navigator.getGamepads only once connected, and a count of the frames
// the game draws (SDL 2 draws each with one drawArrays call).
function fakePad(buttonCount) {
    const buttons = Array.from({ length: buttonCount }, () => ({ pressed: false, touched: false, value: 0 }));
    window.pad = { id: "Page pad (STANDARD GAMEPAD)", index: 0, mapping: "standard", connected: false,
                   timestamp: 0, axes: [0, 0, 0, 0], buttons };
    navigator.getGamepads = () => [window.pad.connected ? window.pad : null, null, null, null];
    const tell = (type) => {
        const event = new Event(type);
        Object.defineProperty(event, "gamepad", { value: window.pad });
        window.dispatchEvent(event);
    };
    window.plugPad = (connected) => {
        window.pad.connected = connected;
        tell(connected ? "gamepadconnected" : "gamepaddisconnected");
    };
    window.setButton = (index, down) => {
        Object.assign(window.pad.buttons[index], { pressed: down, touched: down, value: down ? 1 : 0 });
        window.pad.timestamp = performance.now();
    };
    window.framesDrawn = 0;
    const draw = WebGLRenderingContext.prototype.drawArrays;
    WebGLRenderingContext.prototype.drawArrays = function (...args) {
        window.framesDrawn += 1;
        return draw.apply(this, args);
    };
}

const setButton = (page, index, down) => page.evaluate((i, d) => window.setButton(i, d), index, down);

async function pressButton(page, index) {
    await setButton(page, index, true);
    await sleep(holdMs);
    await setButton(page, index, false);
    await sleep(holdMs);
}

async function framesIn(page, ms) {
    const before = await page.evaluate(() => window.framesDrawn);
    await sleep(ms);
    return (await page.evaluate(() => window.framesDrawn)) - before;
}

// Whether the game draws a few frames again, however slowly the machine lets it.
async function drawsAgain(page) {
    const drawn = await page.evaluate(() => window.framesDrawn);
    try {
        await page.waitForFunction((at) => window.framesDrawn >= at, { timeout: frameWaitMs },
            drawn + framesOfPlay);
        return true;
    } catch {
        return false;
    }
}

async function heroWorldX(page, lines) {
    const seen = lines.length;
    for (let tries = 0; tries < 150; tries += 1) {
        // Asked again each second, in case a press came between the game's looks at its keys.
        if (tries % 10 === 0) { await page.keyboard.press("p"); }
        const world = lines.slice(seen).map((line) => line.match(/WORLD : ([-\d.]+),/)).find(Boolean);
        if (world) { return Number(world[1]); }
        await sleep(100);
    }
    throw new Error(`the game printed no position for p; its last lines: ${lines.slice(-8).join(" | ")}`);
}

const { check, finish } = checkList();
const browser = await launchChromium();
try {
    const page = await openTab(browser);
    const lines = [];
    page.on("console", (message) => lines.push(...message.text().split("\n")));
    page.on("pageerror", (error) => check("no page errors", false, error.message));
    await page.evaluateOnNewDocument(fakePad, standardButtons);
    await page.goto(url);
    await page.waitForFunction(() => document.getElementById("startText").textContent.includes("to play"),
        { timeout: loadMs });
    if (!await page.evaluate(() => document.getElementById("start").hidden)) {
        await page.click("#start");
    }
    await page.waitForFunction(() => window.framesDrawn > 10, { timeout: loadMs });
    await page.focus("#canvas");

    // What the browser tells the page when the player switches to another tab or window.
    const playing = await framesIn(page, frameCountMs);
    await page.evaluate(() => window.dispatchEvent(new FocusEvent("blur")));
    const unfocused = await framesIn(page, frameCountMs);
    await page.evaluate(() => window.dispatchEvent(new FocusEvent("focus")));
    await page.keyboard.press("Escape");
    const backInPlay = await drawsAgain(page);
    check("losing the tab's focus pauses", playing >= framesOfPlay && unfocused < framesOfPlay && backInPlay,
        `${playing} frames drawn in ${frameCountMs} ms before the blur, ${unfocused} after it; `
        + `after Esc, the game ${backInPlay ? "draws again" : "stays still"}`);

    await page.evaluate(() => window.plugPad(true));
    const running = await framesIn(page, frameCountMs);
    await pressButton(page, buttonStart);
    const paused = await framesIn(page, frameCountMs);
    await pressButton(page, buttonStart);
    const resumed = await drawsAgain(page);
    check("the pad's Start pauses and resumes", paused < framesOfPlay && running >= framesOfPlay && resumed,
        `${running} frames drawn in ${frameCountMs} ms before Start, ${paused} after it; `
        + `after the next, the game ${resumed ? "draws again" : "stays still"}`);

    const swings = () => lines.filter((line) => line.includes("You have survived for")).length;
    const swungBefore = swings();
    await pressButton(page, buttonA);
    let swung = false;
    for (const end = Date.now() + frameWaitMs; !swung && Date.now() < end; await sleep(100)) {
        swung = swings() > swungBefore;
    }
    check("the pad's A swings", swung, `${swings() - swungBefore} swing(s) ended`);

    const start = await heroWorldX(page, lines);
    await setButton(page, buttonRight, true);
    await sleep(runMs);
    await setButton(page, buttonRight, false);
    const ran = await heroWorldX(page, lines);
    check("the pad's Right moves the hero", ran > start, `world x ${start} -> ${ran}`);

    // Pulled out with Right held.
    await setButton(page, buttonRight, true);
    await sleep(holdMs);
    await page.evaluate(() => window.plugPad(false));
    await setButton(page, buttonRight, false);
    await sleep(holdMs);
    const pulled = await heroWorldX(page, lines);
    await sleep(runMs);
    const after = await heroWorldX(page, lines);
    check("a pad pulled out leaves no key down", after === pulled, `world x ${pulled} -> ${after}`);
} catch (error) {
    check("the page ran", false, error.message);
    console.log(lines.slice(-30).join("\n"));
} finally {
    await browser.close();
}
finish();
