// The system's headless Chromium (never a browser of Playwright's own),
// offline, in a profile of its own that is removed afterwards; and a page
// opened in it that records what a reader must never meet: a console error,
// a page error, a request beyond the page's own file (or server) and data:
// URLs.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';
import {chromium} from 'playwright-core';

// Opens the HTML file `file` (or the page at an http:// address of a server
// on this machine, which is then the only place the page may request from)
// at `viewport` ({width, height}), runs `body` with the page, and closes the
// browser. Every problem met on the way is pushed to `problems`.
export async function withPage(file, viewport, problems, body) {
    const served = file.startsWith('http://');
    const pageUrl = served ? file : pathToFileURL(path.resolve(file)).href;
    const own = (url) => (served ? new URL(url).origin === new URL(pageUrl).origin : url === pageUrl);
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zelk-chromium-'));
    const context = await chromium.launchPersistentContext(profile, {
        executablePath: process.env.ZELK_CHROMIUM ?? '/usr/bin/chromium',
        headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync'],
        viewport,
        deviceScaleFactor: 1,
        offline: !served,
    });
    try {
        const page = context.pages()[0] ?? await context.newPage();
        page.on('console', (message) => {
            if (message.type() === 'error') {
                problems.push(`console error: ${message.text()}`);
            }
        });
        page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
        page.on('request', (request) => {
            const url = request.url();
            if (!own(url) && !url.startsWith('data:')) {
                problems.push(`request leaving the ${served ? 'server' : 'file'}: ${url}`);
            }
        });
        const response = await page.goto(pageUrl, {waitUntil: 'load'});
        if (!response || !response.ok()) {
            problems.push(`the page did not load: ${response?.status()}`);
        }
        await body(page);
    } finally {
        await context.close();
        fs.rmSync(profile, {recursive: true, force: true});
    }
}

// The number of A4 pages the page prints on.
export async function printedA4Pages(page) {
    const pdf = await page.pdf({format: 'A4', printBackground: true});
    return (pdf.toString('latin1').match(/\/Type\s*\/Page[^s]/g) ?? []).length;
}

// Ends the check: the problems on standard error and status 1, if any.
export function finish(problems) {
    if (problems.length > 0) {
        console.error(problems.join('\n'));
        process.exit(1);
    }
}
