// zelk serve as an entrant and the organiser meet it, in the system's
// headless Chromium, at a phone's width (390 pixels) and a desktop's (1280):
// no page scrolls sideways (a wide table scrolls in its own box), no console
// error, no request leaving the server, no script. The entrant: the upload
// page tells the contest's period, deadline, categories, rules and
// organiser, and its send button is on the first screen of a phone; the
// example log uploaded through its form gives a receipt with the log's call
// and the score zelk computes, which shows again at its own link; the call
// is then in the list of logs received. The organiser: the login form, the
// desk as wide as the screen with the column of problems readable, filtered
// and sorted by links; the check run and published from the desk; the
// published results with the site's navigation and without the lists for
// review. Writes the screenshots the docs show.
// Usage: node check_serve_in_browser.mjs URL LOG CALL SCORE SCREENSHOT_FOLDER TOKEN_FILE OTHER_LOG...
import fs from 'node:fs';
import path from 'node:path';
import {finish, withPage} from './browser.mjs';

const [url, log, call, score, screenshots, tokenFile, ...others] = process.argv.slice(2);
const problems = [];
const check = (ok, text) => ok || problems.push(text);
const phone = {width: 390, height: 844};
const desktop = {width: 1280, height: 800};
const at = (where) => new URL(where, url).href;

// The page's own width beyond the screen's, at both widths; `what` names it.
async function fitsBothWidths(page, what) {
    for (const size of [phone, desktop]) {
        await page.setViewportSize(size);
        const overflow = await page.evaluate(
            () => document.documentElement.scrollWidth - window.innerWidth);
        check(overflow <= 0, `${what} is ${overflow} pixels wider than a ${size.width}-pixel screen`);
    }
    await page.setViewportSize(phone);
}

await withPage(url, phone, problems, async (page) => {
    const upload = await page.evaluate(() => ({
        scripts: document.scripts.length,
        fileField: document.querySelector('form input[type=file][name=log]') !== null,
        facts: [...document.querySelectorAll('dl.facts dt')].map((term) => term.textContent),
        button: document.querySelector('form button[type=submit]').getBoundingClientRect().bottom,
        screen: window.innerHeight,
    }));
    check(upload.scripts === 0, `the upload page holds ${upload.scripts} scripts`);
    check(upload.fileField, 'the upload page has no file field "log"');
    for (const fact of ['Period', 'Deadline', 'Categories', 'Rules', 'Organiser']) {
        check(upload.facts.includes(fact), `the upload page tells no ${fact}: ${upload.facts}`);
    }
    check(upload.button <= upload.screen,
          `the send button ends ${upload.button} pixels down a ${upload.screen}-pixel phone screen`);
    await fitsBothWidths(page, 'the upload page');
    await page.screenshot({path: path.join(screenshots, 'serve-upload.png'), fullPage: true});

    await page.setInputFiles('#log', log);
    await page.fill('#email', 'entrant@example.org');
    const [answer] = await Promise.all([page.waitForNavigation(), page.click('button[type=submit]')]);
    check(answer?.status() === 201, `the upload was answered ${answer?.status()}`);
    const receipt = await page.evaluate(() => ({
        heading: document.querySelector('h1')?.textContent ?? '',
        call: document.querySelector('#call')?.textContent,
        score: document.querySelector('#score')?.textContent,
        link: document.querySelector('#receipt-link')?.getAttribute('href'),
    }));
    check(receipt.heading.startsWith('Log received'), `the receipt's heading is "${receipt.heading}"`);
    check(receipt.call === call, `the receipt names ${receipt.call}, not ${call}`);
    check(receipt.score === score, `the receipt's score is ${receipt.score}, not ${score}`);
    await fitsBothWidths(page, 'the receipt');
    await page.screenshot({path: path.join(screenshots, 'serve-receipt.png'), fullPage: true});
    const again = await page.goto(at(receipt.link ?? '/nowhere'));
    check(again?.status() === 200 && (await page.textContent('#call')) === call,
          `the receipt's link ${receipt.link} gave ${again?.status()}`);

    await page.goto(at('/received'));
    const received = await page.evaluate(() => ({
        count: document.querySelector('#count')?.textContent,
        calls: [...document.querySelectorAll('table.received tbody tr')].map((row) => row.cells[0].textContent),
    }));
    check(received.count === '1' && received.calls.includes(call),
          `the list of logs received shows ${JSON.stringify(received)}`);

    // The rest of the contest, by the organiser's token.
    const token = fs.readFileSync(tokenFile, 'utf8').trim();
    for (const other of others) {
        const form = new FormData();
        form.append('log', new Blob([fs.readFileSync(other)]), path.basename(other));
        const sent = await fetch(at('/api/logs'), {method: 'POST', body: form,
                                                   headers: {Authorization: `Bearer ${token}`}});
        check(sent.status === 201, `${other} was answered ${sent.status}`);
    }
    await page.reload();
    await fitsBothWidths(page, 'the list of logs received');

    // The organiser logs in on the page and works at a desktop's width.
    await page.setViewportSize(desktop);
    await page.goto(at('/organiser'));
    await page.fill('#token', token);
    await Promise.all([page.waitForNavigation(), page.click('button[type=submit]')]);
    const desk = await page.evaluate(() => {
        const table = document.querySelector('table.submissions');
        const problemsCell = document.querySelector('table.submissions td.wide');
        const box = table?.parentElement;
        return {
            table: table?.getBoundingClientRect().width ?? 0,
            sideways: box ? box.scrollWidth - box.clientWidth : 0,
            problems: problemsCell?.getBoundingClientRect().width ?? 0,
            tallest: Math.max(...[...document.querySelectorAll('table.submissions tbody tr')]
                .map((row) => row.getBoundingClientRect().height)),
            rows: document.querySelectorAll('table.submissions tbody tr').length,
        };
    });
    check(desk.rows === others.length + 1, `the desk lists ${desk.rows} submissions`);
    check(desk.table >= 1100, `the desk's table is ${desk.table} pixels wide on a 1280-pixel screen`);
    check(desk.sideways <= 0, `the desk's table scrolls ${desk.sideways} pixels sideways at 1280`);
    check(desk.problems >= 200, `the column of problems is ${desk.problems} pixels wide`);
    check(desk.tallest <= 200, `a row of the desk is ${desk.tallest} pixels tall`);
    await fitsBothWidths(page, 'the desk');
    await page.setViewportSize(desktop);
    // Sorted by its problems, most first, as the organiser looks at it.
    await Promise.all([page.waitForNavigation(),
                       page.click('table.submissions thead a:text-is("Problems")')]);
    await page.screenshot({path: path.join(screenshots, 'serve-desk.png')});

    // Sorted by call, then only the logs with problems, by the links.
    await Promise.all([page.waitForNavigation(), page.click('table.submissions thead a:text-is("Call")')]);
    const sorted = await page.$$eval('table.submissions tbody tr',
                                     (rows) => rows.map((row) => row.cells[1].textContent));
    check(JSON.stringify(sorted) === JSON.stringify([...sorted].sort()),
          `sorted by call, the desk lists ${sorted}`);
    await Promise.all([page.waitForNavigation(), page.click('#only-problems')]);
    const filtered = await page.$$eval('table.submissions tbody tr', (rows) => rows.length);
    check(filtered < desk.rows, `with problems only, the desk lists ${filtered} of ${desk.rows}`);

    // The check and its publishing, from the desk's buttons.
    await Promise.all([page.waitForNavigation(), page.click('button:text-is("Run the check")')]);
    check((await page.textContent('#notice'))?.includes('The check ran on'), 'the check did not run');
    await Promise.all([page.waitForNavigation(),
                       page.click('button:text-is("Publish the last check\'s results")')]);
    await page.goto(at('/results/'));
    const results = await page.evaluate(() => ({
        navigation: document.querySelector('header.site nav a[href="/received"]') !== null,
        review: document.body.textContent.includes('Logs that cost others NILs'),
        tables: document.querySelectorAll('table.results').length,
    }));
    check(results.navigation, 'the published results have no site navigation');
    check(!results.review, 'the published results list the logs that cost others NILs');
    check(results.tables > 0, 'the published results hold no table');
    await fitsBothWidths(page, 'the published results');
    await page.screenshot({path: path.join(screenshots, 'serve-results.png')});
    console.log(`upload page, receipt of ${receipt.call} with score ${receipt.score} and its link, ` +
                `received list, desk of ${desk.rows} (table ${desk.table} px, problems ` +
                `${desk.problems} px), sorted and filtered, check, published results; ` +
                `screenshots in ${screenshots}`);
});
finish(problems);
