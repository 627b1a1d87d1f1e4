// Opens zelk adjudicate's results.html in the system's Chromium (never a
// browser of Playwright's own) and checks it against results.json, which is
// written beside it: it loads with no console error and no request beyond
// the file itself and data: URLs; the tables (one per category, then the
// check logs) list every entrant of results.json once, with its place in
// its category, its overall place and its checked score, each table in
// order of place; every entrant has
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
        tables: [...document.querySelectorAll('table.results')].map((table) =>
            [...table.querySelectorAll('tbody tr')].map((row) => ({
                place: row.cells[0].textContent,
                call: row.cells[1].textContent,
                checked: Number(row.cells[2].textContent),
                overall: row.cells[7].textContent,
            }))),
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
    const rows = seen.tables.flat();
    const shown = (place) => (place === null ? '\u2013' : String(place));
    check(rows.length === entrants.length,
          `the tables have ${rows.length} rows for ${entrants.length} entrants`);
    for (const entrant of entrants) {
        const row = rows.find((r) => r.call === entrant.call) ?? {};
        check(row.place === shown(entrant.category_place) &&
                  row.overall === shown(entrant.place) && row.checked === entrant.checked_score,
              `${entrant.call}'s row shows ${JSON.stringify(row)}, results.json ` +
                  `${entrant.category_place} (${entrant.place} overall) ${entrant.checked_score}`);
    }
    for (const table of seen.tables) {
        const places = table.map((r) => Number(r.place)).filter((p) => !Number.isNaN(p));
        check(places.every((p, i) => i === 0 || places[i - 1] <= p),
              `a table's places are out of order: ${places}`);
    }
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
    console.log(`${rows.length} entrants in ${seen.tables.length} tables, ${seen.sections.length} sections with a map, ` +
                `${pages} A4 pages; screenshot ${screenshotPath}`);
});
finish(problems);
