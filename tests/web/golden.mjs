// Replays each golden recording in the browser build and compares the state digest the page
// prints with the desktop's (the last line of each .expected). A replay ends by waiting for its
// game-over sequence, then stops SDL; emscripten warns when a wait blocks the page's main thread,
// which stops the sound meanwhile, and such a warning fails the replay too.
// Usage: node golden.mjs URL REPLAYS_FOLDER [NAME...]
import { launchChromium, openTab } from "./browser.mjs";
import fs from "node:fs";
import path from "node:path";

const [url, replays, ...chosen] = process.argv.slice(2);
const names = chosen.length > 0 ? chosen
    : fs.readdirSync(replays).filter((file) => file.endsWith(".rec")).map((file) => file.slice(0, -4)).sort();
const digestLine = /replay: \d+ frames, state [0-9a-f]+/;
// The longest a replay may take in the page.
const replayMs = 120000;

async function replayDigest(browser, name) {
    const page = await browser.newPage();
    try {
        const digest = new Promise((resolve, reject) => {
            let blocked = false;
            page.on("console", (message) => {
                blocked ||= message.text().includes("Blocking on the main thread");
                // The console's status line clears the screen before it: only the digest counts.
                const found = message.text().match(digestLine);
                if (found) {
                    // SDL stops right after the digest, in the same turn of the page: one round
                    // trip to the page lets any warning from that stop arrive first.
                    page.evaluate(() => 0).then(
                        () => resolve(blocked ? `${found[0]}, with a blocking wait` : found[0]), reject);
                }
            });
            page.on("pageerror", (error) => reject(error));
            setTimeout(() => reject(new Error(`no digest after ${replayMs} ms`)), replayMs);
        });
        await page.goto(`${url}?replay=/replays/${name}.rec&headless`);
        return await digest;
    } finally {
        await page.close();
    }
}

const browser = await launchChromium();
let passed = 0;
let failed = 0;
try {
    for (const name of names) {
        const expected = fs.readFileSync(path.join(replays, `${name}.expected`), "utf8").match(digestLine)[0];
        const started = Date.now();
        const actual = await replayDigest(browser, name).catch((error) => `failed: ${error.message}`);
        const seconds = ((Date.now() - started) / 1000).toFixed(1);
        if (actual === expected) {
            passed += 1;
            console.log(`web golden ${name}: ${actual} (${seconds} s)`);
        } else {
            failed += 1;
            console.log(`web golden ${name}: gave "${actual}", the desktop "${expected}" (${seconds} s)`);
        }
    }
} finally {
    await browser.close();
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
