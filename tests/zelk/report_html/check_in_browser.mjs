// Opens a report page in the system's Chromium (never a browser of
// Playwright's own) and checks it as a reader would see it: it loads with no
// console error and no request beyond the file itself and data: URLs, the map
// holds one mark per worked position, the rate sheet's cells add up to the
// admitted contacts. Writes a screenshot of the whole page at A4 width.
// Usage: node check_in_browser.mjs PAGE EXPECTED_JSON SCREENSHOT_PNG
import fs from 'node:fs';
import {finish, printedA4Pages, withPage} from './browser.mjs';

const [pagePath, expectedPath, screenshotPath] = process.argv.slice(2);
const expected = JSON.parse(fs.readFileSync(expectedPath, 'utf8'));
const problems = [];

// A4 at 96 dots per inch.
await withPage(pagePath, {width: 794, height: 1123}, problems, async (page) => {
    const seen = await page.evaluate(() => {
        const marks = [...document.querySelectorAll('svg.map g.mark')];
        const places = new Set(marks.map((m) => `${m.dataset.lat},${m.dataset.lon}`));
        const cells = [...document.querySelectorAll('table.rates td.rate')];
        const map = document.querySelector('svg.map').getBoundingClientRect();
        const land = document.querySelector('svg.map path.land').getBBox();
        return {
            marks: marks.length,
            places: places.size,
            markQsos: marks.reduce((sum, m) => sum + Number(m.dataset.qsos), 0),
            rateCells: cells.reduce((sum, cell) => sum + Number(cell.dataset.qsos), 0),
            mapWidth: map.width,
            mapHeight: map.height,
            landArea: land.width * land.height,
            scripts: document.scripts.length,
        };
    });
    const check = (ok, text) => ok || problems.push(text);
    check(seen.marks === expected.positions,
          `the map has ${seen.marks} marks for ${expected.positions} worked positions`);
    check(seen.places === seen.marks, `${seen.marks} marks stand on ${seen.places} places`);
    check(seen.markQsos <= expected.admitted,
          `the marks count ${seen.markQsos} contacts, more than the ${expected.admitted} admitted`);
    check(seen.rateCells === expected.admitted,
          `the rate sheet's cells add up to ${seen.rateCells}, not ${expected.admitted}`);
    check(seen.mapWidth > 600 && seen.mapHeight > 300,
          `the map is drawn ${seen.mapWidth} by ${seen.mapHeight} pixels`);
    check(seen.landArea > 0, 'the map shows no land');
    check(seen.scripts === 0, `the page holds ${seen.scripts} scripts`);

    await page.screenshot({path: screenshotPath, fullPage: true});
    // Printing must work too: A4, and the page must not run on for ever.
    const pages = await printedA4Pages(page);
    check(pages >= 1 && pages <= 6, `the report prints on ${pages} A4 pages`);
    console.log(`${seen.marks} marks, rate sheet ${seen.rateCells} QSOs, ${pages} A4 pages; ` +
                `screenshot ${screenshotPath}`);
});
finish(problems);
