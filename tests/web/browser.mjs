// What the page checks share: Debian's headless Chromium as they drive it, and their one-line
// results.
import puppeteer from "puppeteer-core";

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Chromium without its sandbox (CI runs the checks as root), with sound allowed before a gesture
// (the page's own overlay is what waits for one) and WebGL drawn in software.
export function launchChromium() {
    return puppeteer.launch({
        executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
        headless: true,
        args: ["--no-sandbox", "--autoplay-policy=no-user-gesture-required",
               "--enable-unsafe-swiftshader", "--use-angle=swiftshader"],
    });
}

// A tab large enough for the 800×600 canvas, its buttons and the controls listed under it.
export async function openTab(browser) {
    const page = await browser.newPage();
    await page.setViewport({ width: 900, height: 760 });
    return page;
}

// Each check prints "ok" or "FAIL", its name and what it saw; `finish` exits 1 if any failed.
export function checkList() {
    const results = [];
    return {
        check(name, passed, detail) {
            results.push(passed);
            console.log(`${passed ? "ok  " : "FAIL"} ${name}: ${detail}`);
        },
        finish() {
            process.exit(results.every(Boolean) ? 0 : 1);
        },
    };
}
