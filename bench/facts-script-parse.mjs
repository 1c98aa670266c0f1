// What js/reportFacts.js costs the report page, by its number of rows: the
// time from the script tag to the rows being there (read from disk, parsed,
// run) and the time to sum them once by machine and by day, in headless
// Chromium, the browser of the page's tests. With qz-bench-facts-script, the
// figures behind kReportFactsBound.
//
//   qz-bench-facts-script --out DIR && node bench/facts-script-parse.mjs DIR [runs]
//
// DIR holds rows-N/js/reportFacts.js; each is opened from a file:// page,
// best of runs (default 3) fresh page loads.

import fs from 'node:fs';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

import {launchChromium} from '../tests/browser/report-browser.mjs';

const [folder, runsText = '3'] = process.argv.slice(2);
if (!folder) {
    console.error('usage: node facts-script-parse.mjs <folder of rows-N> [runs]');
    process.exit(2);
}
const runs = Math.max(1, Number(runsText));

const PAGE = `<!DOCTYPE html><meta charset="utf-8">
<script>var loadStart = performance.now();</script>
<script src="js/reportFacts.js"></script>
<script>var loadEnd = performance.now();</script>`;

// Sums the rows by machine and by day, as a view of the page would.
function sumOnce() {
    const start = performance.now();
    const byMachine = new Map();
    const byDay = new Map();
    for (const [day, machine, , , , ok, ng] of reportFacts.rows) {
        const m = byMachine.get(machine) || [0, 0];
        m[0] += ok;
        m[1] += ng;
        byMachine.set(machine, m);
        const d = byDay.get(day) || [0, 0];
        d[0] += ok;
        d[1] += ng;
        byDay.set(day, d);
    }
    return {
        loadMs: loadEnd - loadStart,
        sumMs: performance.now() - start,
        rows: reportFacts.rows.length,
        heapMB: performance.memory ? performance.memory.usedJSHeapSize / 1e6 : NaN,
    };
}

const reports = fs.readdirSync(folder)
                    .filter((name) => /^rows-\d+$/.test(name))
                    .sort((a, b) => Number(a.slice(5)) - Number(b.slice(5)));
const browser = await launchChromium();
console.log('best of %d loads; ms; heap: the page\'s JS heap after the sums', runs);
console.log('%s %s %s %s %s', 'rows'.padStart(10), 'MB'.padStart(8), 'load'.padStart(8),
            'sum'.padStart(8), 'heap MB'.padStart(8));
try {
    for (const name of reports) {
        const dir = path.join(folder, name);
        fs.writeFileSync(path.join(dir, 'facts.html'), PAGE);
        const size = fs.statSync(path.join(dir, 'js', 'reportFacts.js')).size;
        let best = null;
        for (let run = 0; run < runs; ++run) {
            const context = await browser.newContext({viewport: {width: 1280, height: 900}});
            const page = await context.newPage();
            await page.goto(pathToFileURL(path.join(dir, 'facts.html')).href);
            await page.waitForSelector('script:nth-of-type(3)', {timeout: 60000});
            const figures = await page.evaluateSource(`(${sumOnce})()`);
            await context.close();
            if (figures.rows !== Number(name.slice(5))) {
                throw new Error(`${name}: the page read ${figures.rows} rows`);
            }
            if (!best || figures.loadMs + figures.sumMs < best.loadMs + best.sumMs) {
                best = figures;
            }
        }
        console.log('%s %s %s %s %s', String(best.rows).padStart(10),
                    (size / 1e6).toFixed(1).padStart(8), best.loadMs.toFixed(0).padStart(8),
                    best.sumMs.toFixed(0).padStart(8), best.heapMB.toFixed(0).padStart(8));
    }
} finally {
    await browser.close();
}
