// Screenshots for the README, in the system's headless Chromium: the whole
// report page at the width of an A4 page, and the top of the results page.
// Usage: node take-report-screenshots.mjs REPORT_HTML REPORT_PNG RESULTS_HTML RESULTS_PNG
import {finish, withPage} from './browser.mjs';

const [report, reportPng, results, resultsPng] = process.argv.slice(2);
const problems = [];
await withPage(report, {width: 794, height: 1123}, problems,
               (page) => page.screenshot({path: reportPng, fullPage: true}));
await withPage(results, {width: 1000, height: 1600}, problems,
               (page) => page.screenshot({path: resultsPng}));
console.log(`${reportPng}, ${resultsPng}`);
finish(problems);
