// Opens zelk adjudicate's results.html in the system's Chromium (never a
// browser of Playwright's own) and checks it against results.json, which is
// written beside it: it loads with no console error and no request beyond
// the file itself and data: URLs; the ranked table lists the entrants of
// results.json in their order with their checked scores; every entrant has
// a section with a map showing land, and the cells of its rate sheet add up
// to its credited QSOs; the world outline is on the page once. Writes a
// screenshot of the page.
// Usage: node check_results_in_browser.mjs RESULTS_FOLDER SCREENSHOT_PNG
import fs from 'node:fs';
import path from 'node:path';
import {finish, printedA4Pages, withPage} from './browser.mjs';

const [folder, screenshotPath] = process.argv.slice(2);
const results = JSON.parse(fs.readFileSync(path.join(folder, 'results.json'), 'utf8'));
const problems = [];
const check = (ok, text) => ok || problems.push(text);

await withPage(path.join(folder, 'results.html'), {width: 1000, height: 1600}, problems,
               async (page) => {
    const seen = await page.evaluate(() => ({
        rows: [...document.querySelectorAll('table.results tbody tr')].map((row) => ({
            place: Number(row.cells[0].textContent),
            call: row.cells[1].textContent,
            checked: Number(row.cells[2].textContent),
        })),
        sections: [...document.querySelectorAll('article.entrant-results')].map((article) => {
            const map = article.querySelector('svg.map');
            const land = map?.querySelector('.land')?.getBoundingClientRect();
            return {
                call: article.dataset.call,
                maps: article.querySelectorAll('svg.map').length,
                mapWidth: map ? map.getBoundingClientRect().width : 0,
                landArea: land ? land.width * land.height : 0,
                marks: article.querySelectorAll('svg.map g.mark').length,
                rateCells: [...article.querySelectorAll('table.rates td.rate')].reduce(
                    (sum, cell) => sum + Number(cell.dataset.qsos), 0),
            };
        }),
        outlines: document.querySelectorAll('path#world-land').length,
        scripts: document.scripts.length,
    }));
    const entrants = results.entrants;
    check(seen.rows.length === entrants.length,
          `the table has ${seen.rows.length} rows for ${entrants.length} entrants`);
    entrants.forEach((entrant, i) => {
        const row = seen.rows[i] ?? {};
        check(row.place === entrant.place && row.call === entrant.call &&
                  row.checked === entrant.checked_score,
              `row ${i + 1} shows ${JSON.stringify(row)}, results.json ${entrant.place} ` +
                  `${entrant.call} ${entrant.checked_score}`);
    });
    check(seen.sections.length === entrants.length,
          `${seen.sections.length} entrant sections for ${entrants.length} entrants`);
    for (const section of seen.sections) {
        const entrant = entrants.find((e) => e.call === section.call);
        check(entrant !== undefined, `a section of ${section.call}, who is not in results.json`);
        check(section.maps === 1 && section.mapWidth > 600 && section.landArea > 0,
              `${section.call}: ${section.maps} maps, ${section.mapWidth} pixels wide, ` +
                  `land ${section.landArea} square pixels`);
        check(section.rateCells === entrant?.qsos_credited,
              `${section.call}: the rate sheet's cells add up to ${section.rateCells}, ` +
                  `not the ${entrant?.qsos_credited} credited QSOs`);
        check(section.marks <= section.rateCells,
              `${section.call}: ${section.marks} marks for ${section.rateCells} QSOs`);
    }
    check(seen.outlines === 1, `the world outline is on the page ${seen.outlines} times`);
    check(seen.scripts === 0, `the page holds ${seen.scripts} scripts`);

    await page.screenshot({path: screenshotPath, fullPage: true});
    const pages = await printedA4Pages(page);
    check(pages > entrants.length, `the results print on ${pages} A4 pages`);
    console.log(`${seen.rows.length} entrants, ${seen.sections.length} sections with a map, ` +
                `${pages} A4 pages; screenshot ${screenshotPath}`);
});
finish(problems);
