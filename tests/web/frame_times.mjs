// Runs the browser build's frame-time page (bench/web_frame_times.cpp) in Debian's headless
// Chromium and prints its table: for 100, 300 and 1000 enemies, p50 and p95 of the frame function
// and of the time from one frame's start to the next one's, on the page's clock. A measurement,
// not a check: it fails only when the page does not finish.
// Usage: node frame_times.mjs URL
import { launchChromium, openTab } from "./browser.mjs";

const [url] = process.argv.slice(2);
const pageMs = 300000;
const resultLine = /^frame-times N=(\d+) frames=(\d+) frame_p50_ms=([\d.]+) frame_p95_ms=([\d.]+) wall_p50_ms=([\d.]+) wall_p95_ms=([\d.]+) fps=([\d.]+) helped=(\d+)$/;

const browser = await launchChromium();
const rows = [];
let failure = "";
try {
    const page = await openTab(browser);
    const done = new Promise((resolve, reject) => {
        page.on("console", (message) => {
            const text = message.text();
            const found = text.match(resultLine);
            if (found) { rows.push(found.slice(1).map(Number)); }
            if (text === "frame-times done") { resolve(); }
            if (text.startsWith("frame-times failed")) { reject(new Error(text)); }
        });
        page.on("pageerror", (error) => reject(error));
        setTimeout(() => reject(new Error(`not done after ${pageMs} ms`)), pageMs);
    });
    await page.goto(new URL("frame-times.html", url).href);
    await done;
} catch (error) {
    failure = error.message;
} finally {
    await browser.close();
}

const header = "enemies  frames  frame p50  frame p95  wall p50  wall p95    fps  helped";
console.log(header);
for (const [n, frames, frameP50, frameP95, wallP50, wallP95, fps, helped] of rows) {
    console.log(`${String(n).padStart(7)}  ${String(frames).padStart(6)}  ${frameP50.toFixed(2).padStart(9)}`
        + `  ${frameP95.toFixed(2).padStart(9)}  ${wallP50.toFixed(2).padStart(8)}  ${wallP95.toFixed(2).padStart(8)}`
        + `  ${fps.toFixed(1).padStart(5)}  ${String(helped).padStart(6)}`);
}
console.log("(ms on the page's clock; frame: the frame function; wall: from a frame's start to the next one's, "
    + "the browser's part included; fps: 1000 / wall p50; helped: frames the crowding helper thread shared)");
if (failure) {
    console.log(`frame times: ${failure}`);
}
process.exit(failure ? 1 : 0);
