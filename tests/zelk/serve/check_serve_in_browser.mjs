// zelk serve as an entrant meets it, in the system's headless Chromium at a
// phone's size: the upload page loads with no console error and no request
// leaving the server, holds no script and fits the screen's width; the
// example log uploaded through its form gives a receipt with the log's call
// and the score zelk computes; the call is then in the list of logs
// received. Writes screenshots of the upload page and of the receipt.
// Usage: node check_serve_in_browser.mjs URL LOG CALL SCORE SCREENSHOT_FOLDER
import path from 'node:path';
import {finish, withPage} from './browser.mjs';

const [url, log, call, score, screenshots] = process.argv.slice(2);
const problems = [];
const check = (ok, text) => ok || problems.push(text);

await withPage(url, {width: 412, height: 915}, problems, async (page) => {
    const upload = await page.evaluate(() => ({
        scripts: document.scripts.length,
        fileField: document.querySelector('form input[type=file][name=log]') !== null,
        overflow: document.documentElement.scrollWidth - window.innerWidth,
    }));
    check(upload.scripts === 0, `the upload page holds ${upload.scripts} scripts`);
    check(upload.fileField, 'the upload page has no file field "log"');
    check(upload.overflow <= 0, `the upload page is ${upload.overflow} pixels wider than a phone`);
    await page.screenshot({path: path.join(screenshots, 'serve-upload.png'), fullPage: true});

    await page.setInputFiles('#log', log);
    await page.fill('#email', 'entrant@example.org');
    const [answer] = await Promise.all([page.waitForNavigation(), page.click('button[type=submit]')]);
    check(answer?.status() === 201, `the upload was answered ${answer?.status()}`);
    const receipt = await page.evaluate(() => ({
        heading: document.querySelector('h1')?.textContent ?? '',
        call: document.querySelector('#call')?.textContent,
        score: document.querySelector('#score')?.textContent,
        overflow: document.documentElement.scrollWidth - window.innerWidth,
    }));
    check(receipt.heading.startsWith('Log received'), `the receipt's heading is "${receipt.heading}"`);
    check(receipt.call === call, `the receipt names ${receipt.call}, not ${call}`);
    check(receipt.score === score, `the receipt's score is ${receipt.score}, not ${score}`);
    check(receipt.overflow <= 0, `the receipt is ${receipt.overflow} pixels wider than a phone`);
    await page.screenshot({path: path.join(screenshots, 'serve-receipt.png'), fullPage: true});

    await page.goto(new URL('/received', url).href);
    const received = await page.evaluate(() => ({
        count: document.querySelector('#count')?.textContent,
        calls: [...document.querySelectorAll('table.received tbody tr')].map((row) => row.cells[0].textContent),
    }));
    check(received.count === '1' && received.calls.includes(call),
          `the list of logs received shows ${JSON.stringify(received)}`);
    console.log(`upload page, receipt of ${receipt.call} with score ${receipt.score}, ` +
                `received list of ${received.count}; screenshots in ${screenshots}`);
});
finish(problems);
