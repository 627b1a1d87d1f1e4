// Screenshots of a report page in the system's headless Chromium, for the
// README: the whole page and its map, at the width of an A4 page.
// Usage: node take-report-screenshots.mjs PAGE OUTPUT_PREFIX
//   writes OUTPUT_PREFIX.png and OUTPUT_PREFIX-map.png
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';
import {chromium} from 'playwright-core';

const [pagePath, prefix] = process.argv.slice(2);
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zelk-screenshots-'));
const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.ZELK_CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    viewport: {width: 794, height: 1123},
    deviceScaleFactor: 1,
    offline: true,
});
try {
    const page = context.pages()[0] ?? await context.newPage();
    await page.goto(pathToFileURL(path.resolve(pagePath)).href, {waitUntil: 'load'});
    await page.screenshot({path: `${prefix}.png`, fullPage: true});
    await page.locator('section.map').screenshot({path: `${prefix}-map.png`});
    console.log(`${prefix}.png, ${prefix}-map.png`);
} finally {
    await context.close();
    fs.rmSync(profile, {recursive: true, force: true});
}
