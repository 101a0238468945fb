// Loads the browser build in Debian's headless Chromium and plays a moment of it: the page must
// start the game, and Right and Space must reach it. Saves screenshots of the start and of the
// play, and prints the frames per second the page drew. A first check, before the real-browser
// suite.
// Usage: node smoke.mjs URL SCREENSHOT_FOLDER
import puppeteer from "puppeteer-core";
import path from "node:path";

const [url, shots] = process.argv.slice(2);
const chromium = process.env.CHROMIUM ?? "/usr/bin/chromium";
const startSeconds = 60;
const playMs = 3000;

// Counts the frames the page hands to WebGL: SDL 2 draws each one with one drawArrays call.
function countFrames() {
    window.framesDrawn = 0;
    const draw = WebGLRenderingContext.prototype.drawArrays;
    WebGLRenderingContext.prototype.drawArrays = function (...args) {
        window.framesDrawn += 1;
        return draw.apply(this, args);
    };
}

async function framesPerSecond(page, ms) {
    const before = await page.evaluate(() => window.framesDrawn);
    await new Promise((resolve) => setTimeout(resolve, ms));
    const after = await page.evaluate(() => window.framesDrawn);
    return ((after - before) * 1000) / ms;
}

const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ["--no-sandbox", "--autoplay-policy=no-user-gesture-required",
           "--enable-unsafe-swiftshader", "--use-angle=swiftshader"],
});
let failed = false;
try {
    const page = await browser.newPage();
    await page.setViewport({ width: 900, height: 720 });
    page.on("console", (message) => console.log(`page: ${message.text()}`));
    page.on("pageerror", (error) => { console.log(`page error: ${error.message}`); failed = true; });
    await page.evaluateOnNewDocument(countFrames);
    await page.goto(url);
    await page.click("#start");
    await page.waitForFunction(() => window.framesDrawn > 10, { timeout: startSeconds * 1000 });
    console.log(`isolated: ${await page.evaluate(() => crossOriginIsolated)}`);
    console.log(`frames per second at the start: ${(await framesPerSecond(page, playMs)).toFixed(1)}`);
    await page.screenshot({ path: path.join(shots, "web-start.png") });
    await page.focus("#canvas");
    await page.keyboard.down("ArrowRight");
    console.log(`frames per second while running: ${(await framesPerSecond(page, playMs)).toFixed(1)}`);
    await page.screenshot({ path: path.join(shots, "web-right.png") });
    await page.keyboard.up("ArrowRight");
    await page.keyboard.press("Space");
    await new Promise((resolve) => setTimeout(resolve, 150));
    await page.screenshot({ path: path.join(shots, "web-space.png") });
} finally {
    await browser.close();
}
process.exit(failed ? 1 : 0);
