// The report page in headless Chromium, opened from the file system with the
// six scripts that the real writer produced for a fixed set of counts (see
// write_fixture.cpp). Every http(s) request is blocked, or answered by a stub
// of the chart library's loader where a test says so. Chromium is driven over
// the DevTools protocol by headless-page.mjs: Debian's nodejs and chromium are
// all it needs.
//
//   node report-page.test.mjs --fixture-writer <program> --page <res/report>
//                             [--artifacts <folder>]
//
// A missing browser or argument is a failure, never a skip.

import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {after, before, describe, test} from 'node:test';
import {fileURLToPath, pathToFileURL} from 'node:url';
import {parseArgs} from 'node:util';

import {
    launchChromium,
    openReport as openReportIn,
    readTable,
    RECORDING_LOADER,
    showView
} from './report-browser.mjs';
import {count, paretoRows, percent, sumBy, tableRows, yieldOf} from './facts-fixture.mjs';

const HERE = path.dirname(fileURLToPath(import.meta.url));

function fail(message) {
    console.error(`report page test: ${message}`);
    process.exit(1);
}

const {values: options} = parseArgs({
    options: {
        'fixture-writer': {type: 'string'},
        page: {type: 'string'},
        artifacts: {type: 'string', default: path.join(HERE, 'artifacts')},
    },
});
if (!options['fixture-writer'] || !options.page) {
    fail('usage: --fixture-writer <program> --page <report page folder> [--artifacts <folder>]');
}

// What write_fixture.cpp counts, as the page must show it: OK, NG, yield.
const SETTING_FILES = new Map([
    ['ALPHA.qzs', ['29', '1', '96.67']],
    ['Q\'uote\\Back\u00e9.qzs', ['3', '0', '100.00']],
    ['BETA-Gr\u00f6\u00dfe-\u8a2d\u5b9a.qzs', ['0', '4', '0.00']],
]);
const MACHINE_IDS = new Map([
    ['WB-01', ['9', '1', '90.00']],
    ['WB-02', ['5', '0', '100.00']],
    ['WB-03', ['8', '2', '80.00']],
    ['WB-04', ['4', '0', '100.00']],
    ['WB-05', ['6', '1', '85.71']],
    ['<i>WB-06</i>', ['0', '1', '0.00']],
]);

// The report scripts into folder/js/: of the fixed counts, or of count
// generated setting files.
function writeReport(folder, count) {
    execFileSync(
        options['fixture-writer'], count === undefined ? [folder] : [folder, String(count)],
        {stdio: 'inherit'});
}

// One report folder for every test: the page files beside the writer's js/.
let reportUrl;
let workFolder;
let browser;

before(async () => {
    workFolder = fs.mkdtempSync(path.join(os.tmpdir(), 'qz-report-page-'));
    fs.cpSync(options.page, workFolder, {recursive: true});
    writeReport(workFolder);
    reportUrl = pathToFileURL(path.join(workFolder, 'report.html')).href;
    fs.mkdirSync(options.artifacts, {recursive: true});
    browser = await launchChromium();
});

after(async () => {
    await browser?.close();
    if (workFolder) {
        fs.rmSync(workFolder, {recursive: true, force: true});
    }
});

const openReport = (answerLoader, url = reportUrl) => openReportIn(browser, url, answerLoader);

// The offline bar chart: per row its label, shown value and bar width.
function readBars(page) {
    return page.evaluate(
        () => Array.from(
            document.querySelectorAll('#chartContent .qz-bar-row'),
            (row) => ({
                label: row.querySelector('.qz-bar-label').textContent,
                value: row.querySelector('.qz-bar-value').textContent,
                width: Number(row.querySelector('.qz-bar').getAttribute('width')),
                bottom: Number(row.querySelector('.qz-bar').getAttribute('y')) +
                    Number(row.querySelector('.qz-bar').getAttribute('height')),
            })));
}

// Bars show each key's yield, and their lengths are in proportion to it.
function checkBars(bars, expected) {
    assert.deepEqual(
        new Map(bars.map((bar) => [bar.label, bar.value])),
        new Map([...expected].map(([key, counts]) => [key, counts[2]])));
    const full = bars.find((bar) => bar.value === '100.00').width;
    assert.ok(full > 0);
    for (const bar of bars) {
        assert.ok(
            Math.abs(bar.width - full * Number(bar.value) / 100) < 0.5,
            `bar of ${bar.label} is ${bar.width} long for ${bar.value}`);
    }
}

// A per-key table: row numbers 1..n, then key, OK, NG, yield of every key.
function checkKeyTable(table, keyTitle, expected) {
    assert.deepEqual(table.headers, ['', keyTitle, 'OK', 'NG', 'Yield(%)']);
    assert.deepEqual(
        table.rows.map((row) => row[0]),
        expected.size ? [...expected.keys()].map((_, i) => String(i + 1)) : []);
    assert.deepEqual(new Map(table.rows.map((row) => [row[1], row.slice(2)])), expected);
}

async function checkSummaryTable(page) {
    assert.deepEqual(await readTable(page), {
        headers: ['', 'OK', 'NG', 'Yield(%)'],
        rows: [['Summary', '32', '5', '86.49']],
    });
}

describe('offline renderer, network blocked', () => {
    let report;
    before(async () => {
        report = await openReport();
    });
    after(async () => {
        await report?.context.close();
    });

    test(
        'the summary draws itself: pie of OK and NG with their shares, one table row', async () => {
            const {page} = report;
            assert.equal(await page.getAttribute('body', 'data-renderer'), 'offline');
            assert.match(await page.textContent('#reportStatus'), /^Offline view: /);
            assert.equal(await page.getAttribute('[data-view="summary"]', 'aria-pressed'), 'true');

            const legend = await page.$$eval(
                '#chartContent .qz-legend-entry text', (texts) => texts.map((t) => t.textContent));
            assert.deepEqual(legend, ['OK 32 (86.5%)', 'NG 5 (13.5%)']);
            assert.equal(await page.locator('#chartContent .qz-pie-slices path').count(), 2);
            await checkSummaryTable(page);
            await page.screenshot(
                {path: path.join(options.artifacts, 'report-summary.png'), fullPage: true});
        });

    test(
        'Setting File view: a bar and a numbered row per key, keys as their bytes or UTF-8 text',
        async () => {
            const {page} = report;
            await showView(page, 'Setting File');
            assert.equal(
                await page.getAttribute('[data-view="settingFile"]', 'aria-pressed'), 'true');
            assert.equal(await page.textContent('#viewTitle'), 'Setting File');
            checkBars(await readBars(page), SETTING_FILES);
            checkKeyTable(await readTable(page), 'Setting File', SETTING_FILES);
            await page.screenshot(
                {path: path.join(options.artifacts, 'report-setting-file.png'), fullPage: true});
        });

    test('Machine (Write Board) ID view: six keys, markup in a key stays text', async () => {
        const {page} = report;
        await showView(page, 'Machine (Write Board) ID');
        const bars = await readBars(page);
        checkBars(bars, MACHINE_IDS);
        // Compact bars: not the 100 px a key the script asks for, at most 24.
        const height = Number(await page.getAttribute('#chartContent svg', 'height'));
        const lowest = Math.max(...bars.map((bar) => bar.bottom));
        assert.ok(height < 300 && lowest <= height, `chart ${height} high, lowest bar at ${lowest}`);
        assert.ok(lowest - Math.min(...bars.map((bar) => bar.bottom)) <= 5 * 24);
        checkKeyTable(await readTable(page), 'Machine (Write Board) ID', MACHINE_IDS);
        assert.equal(await page.locator('#chartContent i, #tableContent i').count(), 0);
        await page.screenshot(
            {path: path.join(options.artifacts, 'report-machine-id.png'), fullPage: true});
    });

    test('the scope the writer wrote is shown as its texts, and its days By day', async () => {
        const {page} = report;
        assert.deepEqual(
            await page.evaluate(() => Array.from(
                document.querySelectorAll('#scopeContent dt'),
                (dt) => [dt.textContent, dt.nextElementSibling.textContent])),
            [
                ['Days', '2026-05-01 to 2026-05-03 (3 days)'],
                ['Machines', 'LINE-A, Q\'uote\\Back\u00e9, <b>LINE-C</b> (3)'],
                ['Excluded setting files', 'old.qzs'],
                ['Excluded Machine (Write Board) IDs', 'none'],
                ['Excluded customers', 'C001 (M\u00fcller AG), C009'],
                ['Record files', '6 read, 0 failed'],
                ['Made', '2026-05-04 08:00:00'],
            ]);
        assert.equal(await page.locator('#scopeContent b').count(), 0);
        await showView(page, 'By day');
        assert.deepEqual((await readTable(page)).rows, [
            ['2026-05-01', '20', '3', '86.96'],
            ['2026-05-02', '0', '0', 'no records'],
            ['2026-05-03', '12', '2', '85.71'],
        ]);
        assert.equal(await page.locator('#chartContent .qz-day-empty').count(), 1);
    });

    test('Summary button draws the summary again', async () => {
        const {page} = report;
        await showView(page, 'Summary');
        assert.equal(await page.locator('#chartContent .qz-pie-slices path').count(), 2);
        assert.equal(await page.locator('#chartContent .qz-bar-row').count(), 0);
        await checkSummaryTable(page);
    });

    test('a table sorts by a column header', async () => {
        const {page} = report;
        await showView(page, 'Machine (Write Board) ID');
        const yields = async () => (await readTable(page)).rows.map((row) => row[4]);
        await page.locator('#tableContent th button', {hasText: 'Yield(%)'}).click();
        assert.deepEqual(await yields(), ['0.00', '80.00', '85.71', '90.00', '100.00', '100.00']);
        await page.locator('#tableContent th button', {hasText: 'Yield(%)'}).click();
        assert.deepEqual(await yields(), ['100.00', '100.00', '90.00', '85.71', '80.00', '0.00']);
    });

    test('no JavaScript error on the way', () => {
        assert.deepEqual(report.errors, []);
    });
});

// A loader stub that defines google.charts but whose packages never arrive.
const SILENT_LOADER = `window.google = { charts: {
    load: function () {}, setOnLoadCallback: function () {} } };`;

describe('the offline renderer takes over whenever the library cannot draw', () => {
    const cases = [
        {
            name: 'loader request fails',
            answer: (route) => route.abort(),
            reason: 'the chart library could not be loaded'
        },
        {
            name: 'loader never answers',
            answer: () => {},
            reason: 'the chart library did not answer in time'
        },
        {
            name: 'loader defines no google.charts',
            answer: (route) => route.fulfill({contentType: 'text/javascript', body: ''}),
            reason: 'the chart loader did not define google.charts'
        },
        {
            name: 'library packages never finish loading',
            answer: (route) => route.fulfill({contentType: 'text/javascript', body: SILENT_LOADER}),
            reason: 'the chart library did not finish loading'
        },
    ];
    for (const {name, answer, reason} of cases) {
        test(name, async () => {
            const {context, page, errors} = await openReport(answer);
            try {
                assert.equal(await page.getAttribute('body', 'data-renderer'), 'offline');
                assert.equal(
                    await page.textContent('#reportStatus'),
                    `Offline view: ${reason}, so the page draws the charts itself.`);
                await checkSummaryTable(page);
                await showView(page, 'Setting File');
                checkBars(await readBars(page), SETTING_FILES);
                assert.deepEqual(errors, []);
            } finally {
                await context.close();
            }
        });
    }
});

describe('with the chart library available', () => {
    let report;
    before(async () => {
        report = await openReport(
            (route) => route.fulfill({contentType: 'text/javascript', body: RECORDING_LOADER}));
    });
    after(async () => {
        await report?.context.close();
    });

    const log = () => report.page.evaluate(() => window.libraryLog);
    // Key -> the rest of the row, for rows in the map's (unspecified) order.
    const byKey = (rows) => new Map(rows.map((row) => [row[0], row.slice(1)]));

    test('the library is asked once for every package the scripts name', async () => {
        assert.equal(await report.page.getAttribute('body', 'data-renderer'), 'library');
        const {loads} = await log();
        assert.equal(loads.length, 1);
        assert.equal(loads[0].version, 'current');
        assert.deepEqual([...loads[0].packages].sort(), ['bar', 'corechart', 'table']);
    });

    test('the summary is drawn by the library, not by the offline renderer', async () => {
        const {draws} = await log();
        const pie = draws.find((draw) => draw.kind === 'PieChart');
        assert.equal(pie.element, 'chartContent');
        assert.deepEqual(pie.rows, [['OK', 32], ['NG', 5]]);
        const table = draws.find((draw) => draw.kind === 'Table');
        assert.equal(table.element, 'tableContent');
        assert.deepEqual(table.rows, [['Summary', 32, 5, 86.486486]]);
        assert.deepEqual(table.options, {showRowNumber: false});
        assert.equal(await report.page.locator('.qz-chart, .qz-table').count(), 0);
        assert.equal(
            await report.page.textContent('#reportStatus'),
            'Charts drawn by the Google Charts library.');
    });

    test('the Machine (Write Board) ID button draws its bar chart and table with the library',
         async () => {
        await showView(report.page, 'Machine (Write Board) ID');
        const draws = (await log()).draws.slice(2);
        assert.deepEqual(
            draws.map((draw) => [draw.kind, draw.element]),
            [['Bar', 'chartContent'], ['Table', 'tableContent']]);
        const [bar, table] = draws;
        // The page's name for the ID, and the worst first.
        assert.deepEqual(bar.columns, ['Machine (Write Board) ID', 'Yield(%)']);
        assert.deepEqual(bar.rows.map((row) => row[0]).slice(0, 3), ['<i>WB-06</i>', 'WB-03', 'WB-05']);
        assert.deepEqual(byKey(bar.rows), new Map([
                             ['WB-01', [90]], ['WB-02', [100]], ['WB-03', [80]], ['WB-04', [100]],
                             ['WB-05', [85.714286]], ['<i>WB-06</i>', [0]]
                         ]));
        assert.equal(bar.options.height, '600');
        assert.equal(bar.options.bars, 'horizontal');
        assert.deepEqual(table.options, {showRowNumber: true});
        assert.deepEqual(byKey(table.rows).get('WB-05'), [6, 1, 85.714286]);
    });

    test('no JavaScript error on the way', () => {
        assert.deepEqual(report.errors, []);
    });
});

describe('a report of 100,000 setting files, offline', () => {
    const KEYS = 100000;
    let folder;
    let report;
    before(async () => {
        folder = fs.mkdtempSync(path.join(os.tmpdir(), 'qz-report-page-many-'));
        fs.cpSync(options.page, folder, {recursive: true});
        writeReport(folder, KEYS);
        report = await openReport(undefined, pathToFileURL(path.join(folder, 'report.html')).href);
    });
    after(async () => {
        await report?.context.close();
        fs.rmSync(folder, {recursive: true, force: true});
    });

    const pagerText = (page) => page.textContent('#tableContent .qz-table-pager [role="status"]');
    const firstCells = async (page) => (await readTable(page)).rows.map((row) => row.slice(0, 3));

    test('the view draws at once: the worst 100 bars with a note of the rest, the table a page ' +
             'at a time, worst first',
         async () => {
             const {page} = report;
             const started = Date.now();
             await showView(page, 'Setting File');
             // A figure to read, not a limit: how fast is the benchmarks' business.
             console.log(`the Setting File view of ${KEYS} keys drew in ${Date.now() - started} ms`);

             const bars = await readBars(page);
             // Key i has i % 7 OK and one NG: every seventh key yields 0 %, and
             // those come first, by name.
             assert.equal(bars.length, 100);
             assert.deepEqual(
                 bars.slice(0, 2).map((bar) => [bar.label, bar.value]),
                 [['SF-000007.qzs', '0.00'], ['SF-000014.qzs', '0.00']]);
             assert.equal(
                 await page.textContent('#chartContent .qz-chart-note'),
                 'The worst 100 of 100,000 bars are drawn; the other 99,900 (yields 0.00 % to ' +
                     '85.71 %) are not. The table lists them all.');

             const table = await readTable(page);
             assert.equal(table.rows.length, 100);
             assert.deepEqual(table.rows[0], ['1', 'SF-000007.qzs', '0', '1', '0.00']);
             assert.equal(await pagerText(page), 'Rows 1\u2013100 of 100,000');
             assert.equal(await page.getAttribute(
                 '#tableContent .qz-table-pager button:first-child', 'disabled'), '');
         });

    test('the pager moves through the rows, and a sort orders all of them', async () => {
        const {page} = report;
        await page.getByRole('button', {name: 'Next', exact: true}).click();
        assert.equal(await pagerText(page), 'Rows 101\u2013200 of 100,000');
        assert.deepEqual((await firstCells(page))[0], ['101', 'SF-000707.qzs', '0']);
        await page.getByRole('button', {name: 'Previous', exact: true}).click();
        assert.equal(await pagerText(page), 'Rows 1\u2013100 of 100,000');

        // Descending OK: 6 is the most, the best yield, so the last 14,285 rows
        // of the worst-first order, keys 6, 13, 20, ...
        await page.getByRole('button', {name: 'OK', exact: true}).click();
        await page.getByRole('button', {name: 'OK', exact: true}).click();
        const cells = await firstCells(page);
        assert.equal(await pagerText(page), 'Rows 1\u2013100 of 100,000');
        assert.deepEqual(cells.slice(0, 3), [
            ['85716', 'SF-000006.qzs', '6'], ['85717', 'SF-000013.qzs', '6'],
            ['85718', 'SF-000020.qzs', '6']
        ]);
    });

    test('no JavaScript error on the way', () => {
        assert.deepEqual(report.errors, []);
    });
});

describe('a report of 100,000 setting files, with the chart library', () => {
    const KEYS = 100000;
    let folder;
    let report;
    before(async () => {
        folder = fs.mkdtempSync(path.join(os.tmpdir(), 'qz-report-page-many-library-'));
        fs.cpSync(options.page, folder, {recursive: true});
        writeReport(folder, KEYS);
        report = await openReport(
            (route) => route.fulfill({contentType: 'text/javascript', body: RECORDING_LOADER}),
            pathToFileURL(path.join(folder, 'report.html')).href);
    });
    after(async () => {
        await report?.context.close();
        fs.rmSync(folder, {recursive: true, force: true});
    });

    const draws = () => report.page.evaluate(() => window.libraryLog.draws);
    const note = () => report.page.evaluate(() => {
        const element = document.querySelector('#chartContent + .qz-chart-note');
        return element && !element.hidden ? element.textContent : null;
    });

    test('the library pages the table by 100 rows and draws the worst 100 bars with a note',
         async () => {
             assert.equal(await report.page.getAttribute('body', 'data-renderer'), 'library');
             await showView(report.page, 'Setting File');
             const [bar, table] = (await draws()).slice(2);
             assert.equal(bar.kind, 'Bar');
             assert.equal(table.kind, 'Table');

             assert.deepEqual(table.options, {showRowNumber: true, page: 'enable', pageSize: 100});
             assert.equal(table.rows.length, KEYS);

             assert.deepEqual(bar.columns, ['Setting File', 'Yield(%)']);
             assert.equal(bar.rows.length, 100);
             assert.deepEqual(bar.rows, table.rows.slice(0, 100).map((row) => [row[0], row[3]]));
             // Worst first: the keys of 0 %, by name.
             assert.deepEqual(bar.rows.slice(0, 2), [['SF-000007.qzs', 0], ['SF-000014.qzs', 0]]);
             // The scripts' 100 pixels a row, for the rows drawn.
             assert.equal(bar.options.height, '10000');
             assert.equal(bar.options.bars, 'horizontal');
             assert.equal(
                 await note(),
                 'The worst 100 of 100,000 bars are drawn; the other 99,900 (yields 0.00 % to ' +
                     '85.71 %) are not. The table lists them all.');
         });

    test('the note goes with the bars: the summary pie has none', async () => {
        await showView(report.page, 'Summary');
        const [pie, table] = (await draws()).slice(4);
        assert.equal(pie.kind, 'PieChart');
        assert.deepEqual(table.options, {showRowNumber: false});
        assert.equal(await note(), null);
    });

    test('printed, the library draws every row of the table, then pages it again', async () => {
        const before = (await draws()).length;
        await report.page.pdf();
        const printed = (await draws()).slice(before).filter((draw) => draw.rows.length === KEYS);
        assert.deepEqual(printed.map((draw) => [draw.kind, draw.options.page]), [['Table', undefined]]);
        await showView(report.page, 'Setting File');
        const shown = (await draws()).filter((draw) => draw.kind === 'Table').pop();
        assert.equal(shown.options.page, 'enable');
    });

    test('no JavaScript error on the way', () => {
        assert.deepEqual(report.errors, []);
    });
});

// The fact rows write_fixture.cpp gives the real writer, as the page shows
// their texts: by setting file, board and day they sum to the counts above.
const FACT_ROWS = [
    ['2026-05-01', 'LINE-A', 'ALPHA.qzs', '0A1B', 'WB-01', 9, 1],
    ['2026-05-01', 'LINE-A', 'BETA-Gr\u00f6\u00dfe-\u8a2d\u5b9a.qzs', '0A1B', 'WB-03', 0, 2],
    ['2026-05-01', 'Q\'uote\\Back\u00e9', 'ALPHA.qzs', '0C2D', 'WB-02', 5, 0],
    ['2026-05-01', 'Q\'uote\\Back\u00e9', 'ALPHA.qzs', '0C2D', 'WB-03', 6, 0],
    ['2026-05-03', '<b>LINE-C</b>', 'ALPHA.qzs', '1F00', 'WB-05', 6, 0],
    ['2026-05-03', '<b>LINE-C</b>', 'ALPHA.qzs', '1F00', 'WB-03', 2, 0],
    ['2026-05-03', 'LINE-A', 'ALPHA.qzs', '0A1B', 'WB-04', 1, 0],
    ['2026-05-03', 'LINE-A', 'Q\'uote\\Back\u00e9.qzs', '0A1B', 'WB-04', 3, 0],
    ['2026-05-03', '<b>LINE-C</b>', 'BETA-Gr\u00f6\u00dfe-\u8a2d\u5b9a.qzs', '1F00', 'WB-05', 0, 1],
    ['2026-05-03', '<b>LINE-C</b>', 'BETA-Gr\u00f6\u00dfe-\u8a2d\u5b9a.qzs', '0C2D', '<i>WB-06</i>', 0, 1],
].map(([day, machine, settingFile, customer, board, ok, ng]) =>
          ({day, machine, settingFile, customer, board, ok, ng}));

describe('the views of the facts the real writer wrote, offline', () => {
    let report;
    const choose = (id, value) => report.page.evaluateSource(`(() => {
        const e = document.getElementById(${JSON.stringify(id)});
        e.value = ${JSON.stringify(value)}; e.dispatchEvent(new Event('change')); })()`);
    before(async () => {
        report = await openReport();
        await report.page.waitForSelector('body[data-usable]');
    });
    after(async () => {
        await report?.context.close();
    });

    test('the facts are read: By machine and By customer sum them, texts as the page shows them',
         async () => {
             const {page} = report;
             assert.ok(fs.existsSync(path.join(workFolder, 'js', 'reportFacts.js')));
             assert.equal(await page.getAttribute('body', 'data-facts'), 'ready');
             await showView(page, 'By machine');
             assert.deepEqual((await readTable(page)).rows,
                              tableRows(FACT_ROWS, (row) => row.machine));
             assert.equal(await page.locator('#chartContent b, #tableContent b').count(), 0);
             await showView(page, 'By customer');
             assert.deepEqual((await readTable(page)).rows,
                              tableRows(FACT_ROWS, (row) => row.customer, {}));
         });

    test('Trend by day and Pareto by ID, setting file and machine', async () => {
        const {page} = report;
        await showView(page, 'Trend');
        const byDay = sumBy(FACT_ROWS, (row) => row.day);
        assert.deepEqual((await readTable(page)).rows, ['2026-05-01', '2026-05-02', '2026-05-03'].map(
            (day) => byDay.has(day) ?
                [day, count(byDay.get(day).ok), count(byDay.get(day).ng), percent(yieldOf(byDay.get(day)))] :
                [day, '0', '0', 'no records']));
        await showView(page, 'Pareto');
        for (const key of ['board', 'settingFile', 'machine']) {
            await choose('paretoBy', key);
            assert.deepEqual((await readTable(page)).rows, paretoRows(FACT_ROWS, (row) => row[key]), key);
        }
    });

    test('a chip of the facts: the scripts\' views show the selection', async () => {
        const {page} = report;
        await showView(page, 'By machine');
        await page.locator('#tableContent tbody tr', {hasText: 'LINE-A'}).click();
        await showView(page, 'Machine (Write Board) ID');
        const lineA = FACT_ROWS.filter((row) => row.machine === 'LINE-A');
        assert.deepEqual((await readTable(page)).rows.map((row) => row.slice(1)),
                         tableRows(lineA, (row) => row.board));
        await page.getByRole('button', {name: 'Show all', exact: true}).click();
        checkKeyTable(await readTable(page), 'Machine (Write Board) ID', MACHINE_IDS);
        assert.deepEqual(report.errors, []);
    });
});

test('without report scripts every view says which one is missing', async () => {
    const bare = fs.mkdtempSync(path.join(os.tmpdir(), 'qz-report-page-bare-'));
    fs.cpSync(options.page, bare, {recursive: true});
    const {context, page, errors} =
        await openReport(undefined, pathToFileURL(path.join(bare, 'report.html')).href);
    try {
        const messages = () => page.$$eval('.report-message', (ps) => ps.map((p) => p.textContent));
        const missing = (file) =>
            `No report data: js/${file} could not be loaded. Generate the report again.`;
        assert.deepEqual(
            await messages(), [missing('chartSummary.js'), missing('tableSummary.js')]);
        await showView(page, 'Machine (Write Board) ID');
        assert.deepEqual(
            await messages(), [missing('chartMachineId.js'), missing('tableMachineId.js')]);
        // Only the six missing files may be reported, nothing else may fail.
        for (const error of errors) {
            assert.match(error, /^console error: Failed to load resource.*\/js\/\w+\.js\)$/);
        }
    } finally {
        await context.close();
        fs.rmSync(bare, {recursive: true, force: true});
    }
});
