// The views the page draws from the report's facts (js/reportFacts.js), in
// headless Chromium from the file system, offline: By machine, By customer,
// Trend, Pareto, the yield target, the drill-down chips and the URL
// fragment, CSV and printing, a report without facts or with too many, a
// live report reloading itself, and the time a year of a line takes.
// Every figure the page shows is checked against sums made here from the
// same rows.
//
//   node report-facts.test.mjs --page <res/report> [--artifacts <folder>]

import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {after, before, describe, test} from 'node:test';
import {fileURLToPath} from 'node:url';
import {parseArgs} from 'node:util';

import {count, factsScript, paretoRows, percent, random, scopeScript, sixScripts, sumBy, tableRows, yieldOf} from './facts-fixture.mjs';
import {launchChromium, openReport, readTable, RECORDING_LOADER, reportFolderWith, showView} from './report-browser.mjs';

const HERE = path.dirname(fileURLToPath(import.meta.url));
const {values: options} = parseArgs({
    options: {
        page: {type: 'string'},
        artifacts: {type: 'string', default: path.join(HERE, 'artifacts')},
    },
});
if (!options.page) {
    console.error('report facts test: usage: --page <report page folder> [--artifacts <folder>]');
    process.exit(1);
}

// Days across a new year (2025-12-27 is in ISO week 52 of 2025, 2025-12-29
// in week 1 of 2026) and a month's end, in a range with weeks and days
// without records. The week of each day, from the calendar.
const WEEK_OF = {
    '2025-12-27': '2025-W52',
    '2025-12-29': '2026-W01',
    '2026-01-02': '2026-W01',
    '2026-01-05': '2026-W02',
    '2026-01-31': '2026-W05',
    '2026-02-01': '2026-W05',
};
const RANGE = {firstDay: '2025-12-27', lastDay: '2026-02-03'};
const WEEKS = ['2025-W52', '2026-W01', '2026-W02', '2026-W03', '2026-W04', '2026-W05', '2026-W06'];
const SETTING_FILES = ['a.cfg', 'b.cfg', 'Gr\u00f6\u00dfe "x",y.cfg'];
const CUSTOMER_NAMES = {C001: 'M\u00fcller AG'};

function lineRows(seed) {
    const next = random(seed);
    const rows = [];
    for (const day of Object.keys(WEEK_OF)) {
        for (const machine of ['M01', 'M02', 'M03']) {
            const settingFile = SETTING_FILES[Math.floor(next() * SETTING_FILES.length)];
            const customer = next() < 0.6 ? 'C001' : 'C002';
            for (const board of ['B1', 'B2', 'B3', 'B7']) {
                if (next() < 0.25) {
                    continue;
                }
                rows.push({
                    day, machine, settingFile, customer, board,
                    ok: 20 + Math.floor(next() * 400),
                    ng: Math.floor(next() * (board === 'B7' ? 40 : 12)),
                });
            }
        }
    }
    return rows;
}
const ROWS = lineRows(11);

function reportScripts(rows, extra = {}) {
    return {
        ...sixScripts(rows),
        'reportScope.js': scopeScript(rows, {...RANGE, ...extra.scope}),
        'reportFacts.js': factsScript(rows, {customerNames: CUSTOMER_NAMES, ...extra.facts}),
    };
}

// The rows a table of keys shows, with the customer names of the fixture.
const keyRows = (rows, keyOf, withName) =>
    tableRows(rows, keyOf, withName ? CUSTOMER_NAMES : undefined);

// The page, once the views of its facts can be used (or it knows it has none).
async function open(url, answerLoader) {
    const report = await openReport(browser, url, answerLoader);
    await report.page.waitForSelector('body[data-usable]', {timeout: 20000});
    return report;
}

const evaluate = (page, source) => page.evaluateSource(source);

// Reloads the page and waits until the new one is usable (not the old one).
async function reload(page) {
    await evaluate(page, 'window.qzBeforeReload = true; location.reload()');
    const deadline = Date.now() + 20000;
    for (;;) {
        const ready = await evaluate(
            page, '!window.qzBeforeReload && document.body?.hasAttribute("data-usable")')
                          .catch(() => false);
        if (ready) {
            return;
        }
        assert.ok(Date.now() < deadline, 'the page did not load again');
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
}
function choose(page, id, value) {
    return evaluate(page, `(() => { const e = document.getElementById(${JSON.stringify(id)});
        e.value = ${JSON.stringify(value)}; e.dispatchEvent(new Event('change')); })()`);
}
const chipTexts = (page) =>
    page.evaluate(() => Array.from(document.querySelectorAll('#chips button'), (b) => b.textContent));
const fragment = (page) => page.evaluate(() => decodeURIComponent(window.location.hash));

let browser;
const folders = [];
before(async () => {
    fs.mkdirSync(options.artifacts, {recursive: true});
    browser = await launchChromium();
});
after(async () => {
    await browser?.close();
    for (const folder of folders) {
        fs.rmSync(folder, {recursive: true, force: true});
    }
});

describe('the views of the facts, offline', () => {
    let report;
    let url;
    before(async () => {
        url = reportFolderWith(options.page, reportScripts(ROWS), folders);
        report = await open(url);
    });
    after(() => report?.context.close());

    test('By machine and By customer: the sums of the rows, worst first', async () => {
        const {page} = report;
        await showView(page, 'By machine');
        const machines = await readTable(page);
        assert.deepEqual(machines.headers, ['Machine', 'OK', 'NG', 'Yield(%)']);
        assert.deepEqual(machines.rows, keyRows(ROWS, (row) => row.machine));
        // The chart draws the same keys in the same order, on a fitted axis.
        const bars = await page.evaluate(() => Array.from(
            document.querySelectorAll('#chartContent .qz-bar-row'), (g) => g.getAttribute('data-key')));
        assert.deepEqual(bars, machines.rows.map((row) => row[0]));

        await showView(page, 'By customer');
        const customers = await readTable(page);
        assert.deepEqual(customers.headers, ['Customer', 'Name', 'OK', 'NG', 'Yield(%)']);
        assert.deepEqual(customers.rows, keyRows(ROWS, (row) => row.customer, true));
        assert.ok((await page.textContent('#chartContent')).includes('C001 (M\u00fcller AG)'));
    });

    test('Trend by day, ISO week and month: every period, those without records marked', async () => {
        const {page} = report;
        await showView(page, 'Trend');
        const days = await readTable(page);
        assert.equal(days.rows.length, 39);  // 2025-12-27 to 2026-02-03
        const byDay = sumBy(ROWS, (row) => row.day);
        for (const [day, okText, ngText, y] of days.rows) {
            const sum = byDay.get(day);
            assert.deepEqual([okText, ngText, y],
                             sum ? [count(sum.ok), count(sum.ng), percent(yieldOf(sum))] :
                                   ['0', '0', 'no records'], day);
        }

        await choose(page, 'trendPeriod', 'week');
        const weeks = await readTable(page);
        assert.equal(weeks.headers[0], 'Week');
        const byWeek = sumBy(ROWS, (row) => WEEK_OF[row.day]);
        assert.deepEqual(weeks.rows, WEEKS.map((week) => {
            const sum = byWeek.get(week);
            return sum ? [week, count(sum.ok), count(sum.ng), percent(yieldOf(sum))] :
                         [week, '0', '0', 'no records'];
        }));
        assert.equal(await page.locator('#chartContent .qz-day-empty').count(), 3);

        await choose(page, 'trendPeriod', 'month');
        const byMonth = sumBy(ROWS, (row) => row.day.slice(0, 7));
        assert.deepEqual((await readTable(page)).rows, ['2025-12', '2026-01', '2026-02'].map((month) => {
            const sum = byMonth.get(month);
            return [month, count(sum.ok), count(sum.ng), percent(yieldOf(sum))];
        }));
        assert.match(await fragment(page), /period=month/);
    });

    test('Pareto by ID, setting file and machine: largest first, cumulative shares', async () => {
        const {page} = report;
        await showView(page, 'Pareto');
        for (const [by, keyOf] of [['board', (row) => row.board],
                                   ['settingFile', (row) => row.settingFile],
                                   ['machine', (row) => row.machine]]) {
            await choose(page, 'paretoBy', by);
            const table = await readTable(page);
            assert.deepEqual(table.headers.slice(1, 4), ['NG', 'Share(%)', 'Cumulative(%)'], by);
            assert.deepEqual(table.rows, paretoRows(ROWS, keyOf), by);
            // The line rises to 100 % at the last bar: the top of the plot.
            const points = await page.evaluate(() => Array.from(
                document.querySelectorAll('#chartContent .qz-pareto circle'),
                (c) => Number(c.getAttribute('cy'))));
            assert.equal(points.length, table.rows.length, by);
            assert.ok(points.every((y, i) => i === 0 || y <= points[i - 1]), by);
        }
    });

    test('CSV of each new view: the table, numbers without grouping', async () => {
        const {page} = report;
        for (const [view, file] of [['By machine', 'by-machine'], ['By customer', 'by-customer'],
                                    ['Trend', 'trend'], ['Pareto', 'pareto']]) {
            await showView(page, view);
            const table = await readTable(page);
            const {suggestedFilename, bytes} = await page.waitForDownload(
                () => page.getByRole('button', {name: `Download CSV of the ${view} table`, exact: true})
                          .click());
            assert.equal(suggestedFilename, `report-${file}-2025-12-27-to-2026-02-03.csv`);
            const lines = bytes.subarray(3).toString('utf8').split('\r\n');
            assert.equal(lines[0], table.headers.join(','));
            assert.deepEqual(
                lines.slice(1, -1),
                table.rows.map((row) => row.map((cell) => /^[\d,.]+$/.test(cell) ?
                                                    cell.replace(/,/g, '') :
                                                    /[",]/.test(cell) ? `"${cell.replace(/"/g, '""')}"` :
                                                                        cell === 'no records' ? '' : cell)
                                       .join(',')),
                view);
        }
    });

    test('chips: a row and a bar select, chips combine, every view shows the selection', async () => {
        const {page} = report;
        await showView(page, 'By machine');
        await page.locator('#tableContent tbody tr', {hasText: 'M02'}).click();
        assert.deepEqual(await chipTexts(page), ['Machine M02 \u00d7']);
        assert.deepEqual((await readTable(page)).rows, keyRows(ROWS.filter((r) => r.machine === 'M02'),
                                                               (row) => row.machine));

        // A Pareto bar is a named button; Enter selects it.
        await showView(page, 'Pareto');
        await choose(page, 'paretoBy', 'board');
        const m02 = ROWS.filter((row) => row.machine === 'M02');
        const worst = paretoRows(m02, (row) => row.board)[0][0];
        const bar = await evaluate(page, `(() => {
            const bar = document.querySelector('#chartContent .qz-pareto-bar[data-key="${worst}"]');
            const named = bar.getAttribute('role') + ' ' + bar.getAttribute('tabindex') + ' ' +
                bar.getAttribute('aria-label');
            bar.focus();
            bar.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter', bubbles: true}));
            return named;
        })()`);
        assert.match(bar, new RegExp(`^button 0 Show only Board ${worst} \\(`));
        assert.deepEqual(await chipTexts(page), ['Machine M02 \u00d7', `Board ${worst} \u00d7`]);

        const both = m02.filter((row) => row.board === worst);
        const total = sumBy(both, () => 'all').get('all');
        await showView(page, 'Summary');
        assert.deepEqual((await readTable(page)).rows,
                         [['Summary', count(total.ok), count(total.ng), percent(yieldOf(total))]]);
        await showView(page, 'Setting File');
        assert.deepEqual((await readTable(page)).rows.map((row) => row.slice(1)),
                         keyRows(both, (row) => row.settingFile));
        await showView(page, 'Trend');
        await choose(page, 'trendPeriod', 'week');
        const byWeek = sumBy(both, (row) => WEEK_OF[row.day]);
        for (const [week, ok] of (await readTable(page)).rows) {
            assert.equal(ok, count(byWeek.get(week)?.ok ?? 0), week);
        }
        assert.equal(await fragment(page),
                     `#view=trend&period=week&chip=machine:M02&chip=board:${worst}`);

        // The same address in another page shows the same.
        const other = await open(url + (await page.evaluate(() => location.hash)));
        try {
            assert.deepEqual(await chipTexts(other.page),
                             ['Machine M02 \u00d7', `Board ${worst} \u00d7`]);
            assert.equal(await other.page.textContent('#viewTitle'), 'Trend');
            assert.equal(await evaluate(other.page, 'document.getElementById("trendPeriod").value'),
                         'week');
            assert.deepEqual(await readTable(other.page), await readTable(page));
            assert.deepEqual(other.errors, []);
        } finally {
            await other.context.close();
        }

        // Removed, one and then the rest.
        await page.getByRole('button', {name: 'Remove Machine M02 from the selection', exact: true})
            .click();
        assert.deepEqual(await chipTexts(page), [`Board ${worst} \u00d7`]);
        await page.getByRole('button', {name: 'Show all', exact: true}).click();
        assert.deepEqual(await chipTexts(page), []);
        assert.equal(await page.evaluate(() => document.getElementById('selection').hidden), true);
        await showView(page, 'Setting File');
        assert.deepEqual((await readTable(page)).rows.map((row) => row.slice(1)),
                         keyRows(ROWS, (row) => row.settingFile));
    });

    test('no JavaScript error on the way', () => {
        assert.deepEqual(report.errors, []);
    });
});

test('with the chart library: the page draws the charts, the library the tables', async () => {
    const {context, page, errors} = await open(
        reportFolderWith(options.page, reportScripts(ROWS), folders),
        (route) => route.fulfill({contentType: 'text/javascript', body: RECORDING_LOADER}));
    try {
        assert.equal(await page.getAttribute('body', 'data-renderer'), 'library');
        for (const [view, keyOf] of [['By machine', (row) => row.machine],
                                     ['By customer', (row) => row.customer]]) {
            await showView(page, view);
            const table = await page.evaluate(() => window.libraryLog.draws.pop());
            assert.equal(table.kind, 'Table');
            assert.deepEqual(table.rows.map((row) => row[0]),
                             keyRows(ROWS, keyOf).map((row) => row[0]), view);
            assert.equal(await page.locator('#chartContent svg.qz-yield-bars').count(), 1, view);
        }
        assert.deepEqual(errors, []);
    } finally {
        await context.close();
    }
});

test('keyboard: every control by Tab, named buttons; Enter on a bar or a chip', async () => {
    const {context, page, errors} =
        await open(reportFolderWith(options.page, reportScripts(ROWS), folders) +
                   '#view=pareto&chip=machine:M01');
    const focused = () => page.evaluate(() => {
        const e = document.activeElement;
        const field = e.tagName === 'INPUT' || e.tagName === 'SELECT';
        return e === document.body ? '' :
                                     `${e.getAttribute('role') || e.tagName.toLowerCase()}: ${
                                         e.getAttribute('aria-label') ||
                                         (field ? e.id : e.textContent.trim())}`;
    });
    try {
        const reached = [];
        for (let i = 0; i < 40; i++) {
            await page.press('Tab');
            reached.push(await focused());
        }
        for (const control of ['button: Summary', 'button: Setting File',
                               'button: Machine (Write Board) ID', 'button: By day',
                               'button: By machine', 'button: By customer', 'button: Trend',
                               'button: Pareto', 'input: yieldTarget', 'button: Print',
                               'button: Remove Machine M01 from the selection', 'button: Show all',
                               'select: paretoBy', 'button: Download CSV of the Pareto table']) {
            assert.ok(reached.includes(control), `Tab reaches ${control}: ${reached.join(' | ')}`);
        }
        const bar = reached.findIndex((name) => /^button: Show only Board \S+ \(/.test(name));
        assert.ok(bar >= 0, 'Tab reaches the bars');

        // Back to the first bar, then Enter selects its board.
        while ((await focused()) !== reached[bar]) {
            await page.press('Shift+Tab');
        }
        await page.press('Enter');
        const board = /Board (\S+)/.exec(reached[bar])[1];
        assert.deepEqual(await chipTexts(page), ['Machine M01 \u00d7', `Board ${board} \u00d7`]);
        // The chart is a named group; the table holds its figures as text.
        assert.match(await page.getAttribute('#chartContent svg', 'aria-label'),
                     /^NG writes by Machine \(Write Board\) ID, largest first/);

        await evaluate(page, 'document.querySelector("#chips button").focus()');
        await page.press('Enter');
        assert.deepEqual(await chipTexts(page), [`Board ${board} \u00d7`]);
        assert.deepEqual(errors, []);
    } finally {
        await context.close();
    }
});

describe('the yield target', () => {
    let report;
    // Between the two worst machines' yields: some keys of every kind fall
    // below it, some not.
    const machineYields = [...sumBy(ROWS, (row) => row.machine).values()].map(yieldOf).sort((a, b) => a - b);
    const TARGET = Number(((machineYields[0] + machineYields[1]) / 2).toFixed(2));
    before(async () => {
        report = await open(reportFolderWith(options.page, reportScripts(ROWS), folders));
    });
    after(() => report?.context.close());

    const below = (rows, keyOf) => [...sumBy(rows, keyOf)]
                                       .filter(([, sum]) => yieldOf(sum) < TARGET)
                                       .map(([key]) => key)
                                       .sort();
    const markedRows = async (page) => (await readTable(page))
                                           .rows.filter((row) => row[row.length - 1] === 'below target')
                                           .map((row) => row[0])
                                           .sort();
    const markedBars = (page) => page.evaluate(() => Array.from(
        document.querySelectorAll('#chartContent .qz-below-target'),
        (g) => g.getAttribute('data-key') || g.getAttribute('data-day')).sort());

    test('marked in every chart and table, shown in the scope, kept by the browser', async () => {
        const {page} = report;
        await choose(page, 'yieldTarget', String(TARGET));
        const shown = `Yield target${TARGET.toFixed(2)} %`;
        assert.ok((await page.textContent('#scopeContent')).includes(shown));

        await showView(page, 'By machine');
        const machines = below(ROWS, (row) => row.machine);
        assert.equal(machines.length, 1);
        assert.deepEqual(await markedRows(page), machines);
        assert.deepEqual(await markedBars(page), machines);
        assert.equal(await page.locator('#chartContent .qz-target-line').count(), 1);

        await showView(page, 'Trend');
        const days = below(ROWS, (row) => row.day);
        assert.deepEqual(await markedRows(page), days);
        assert.deepEqual(await markedBars(page), days);
        assert.equal(await page.locator('#chartContent .qz-target-line').count(), 1);

        await showView(page, 'Pareto');
        await choose(page, 'paretoBy', 'machine');
        assert.deepEqual(await markedBars(page), machines);

        await showView(page, 'Summary');
        const total = sumBy(ROWS, () => 'all').get('all');
        assert.deepEqual((await readTable(page)).rows[0].slice(-1),
                         [yieldOf(total) < TARGET ? 'below target' : '']);

        // Today's views, from the report scripts, too.
        await showView(page, 'Setting File');
        const table = await readTable(page);
        assert.equal(table.headers[table.headers.length - 1], 'Target');
        assert.deepEqual(table.rows.filter((row) => row[5] === 'below target').map((row) => row[1]).sort(),
                         below(ROWS, (row) => row.settingFile));
        assert.equal(await page.locator('#chartContent .qz-below-target').count(),
                     below(ROWS, (row) => row.settingFile).length);

        await reload(page);
        assert.equal(await evaluate(page, 'document.getElementById("yieldTarget").value'),
                     String(TARGET));
        assert.equal(await page.textContent('#viewTitle'), 'Setting File');

        // A text that is no yield is refused; nothing is no target.
        await choose(page, 'yieldTarget', '120');
        assert.equal(await page.getAttribute('#yieldTarget', 'aria-invalid'), 'true');
        assert.ok((await page.textContent('#scopeContent')).includes(shown));
        await choose(page, 'yieldTarget', '');
        assert.doesNotMatch(await page.textContent('#scopeContent'), /Yield target/);
        assert.deepEqual(report.errors, []);
    });
});

describe('printed', () => {
    test('every new view on its pages with every row, the target in the scope', async () => {
        const {context, page, errors} =
            await open(reportFolderWith(options.page, reportScripts(ROWS), folders));
        try {
            await choose(page, 'yieldTarget', '95');
            const pdf = await page.pdf();
            const file = path.join(options.artifacts, 'report-facts-print.pdf');
            fs.writeFileSync(file, pdf);
            const text = execFileSync('pdftotext', ['-layout', '-enc', 'UTF-8', file, '-'],
                                      {encoding: 'utf8'});
            const lines = text.split('\n').map((line) => line.trim().replace(/\s+/g, ' '));
            for (const title of ['By machine', 'By customer', 'Trend', 'Pareto']) {
                assert.ok(lines.includes(title), `printed: ${title}`);
            }
            assert.ok(lines.includes('Yield target 95.00 %'));
            for (const row of keyRows(ROWS, (row) => row.machine)) {
                assert.ok(lines.some((line) => line.startsWith(row.join(' '))), row.join(' '));
            }
            for (const row of paretoRows(ROWS, (row) => row.board)) {
                assert.ok(lines.some((line) => line.startsWith(row.join(' '))), row.join(' '));
            }
            // No page holds a title alone.
            for (const pageText of text.split('\f').filter((p) => p.trim())) {
                assert.ok(pageText.trim().split('\n').length > 2, `a page of: ${pageText.trim()}`);
            }
            assert.deepEqual(errors, []);
        } finally {
            await context.close();
        }
    });

    test('a table of 250 keys prints all of them, not the first page', async () => {
        const many = [];
        for (let i = 1; i <= 250; i++) {
            many.push({day: '2026-01-05', machine: 'M01', settingFile: `SF-${String(i).padStart(3, '0')}`,
                       customer: 'C001', board: 'B1', ok: 100 + i, ng: i % 5});
        }
        const {context, page, errors} =
            await open(reportFolderWith(options.page, reportScripts(many), folders));
        try {
            const file = path.join(options.artifacts, 'report-facts-print-250.pdf');
            fs.writeFileSync(file, await page.pdf());
            const text = execFileSync('pdftotext', ['-layout', '-enc', 'UTF-8', file, '-'],
                                      {encoding: 'utf8'});
            for (let i = 1; i <= 250; i++) {
                assert.ok(text.includes(`SF-${String(i).padStart(3, '0')} `), `SF-${i}`);
            }
            assert.doesNotMatch(text, /Rows 1.100 of/);
            // The chart of 100 bars is scaled to a page: no page holds only its title.
            for (const pageText of text.split('\f').filter((p) => p.trim())) {
                assert.ok(pageText.trim().split('\n').length > 2, `a page of: ${pageText.trim()}`);
            }
            assert.deepEqual(errors, []);
        } finally {
            await context.close();
        }
    });
});

test('months of 28 to 31 days: February of a leap year, April', async () => {
    const rows = [
        ['2024-01-31', 10, 1], ['2024-02-01', 20, 2], ['2024-02-29', 30, 3], ['2024-03-01', 40, 4],
        ['2024-04-30', 50, 5], ['2024-05-01', 60, 6],
    ].map(([day, ok, ng]) => ({day, machine: 'M01', settingFile: 'a.cfg', customer: 'C001', board: 'B1',
                               ok, ng}));
    const scripts = {
        ...sixScripts(rows),
        'reportScope.js': scopeScript(rows, {firstDay: '2024-01-01', lastDay: '2024-05-31'}),
        'reportFacts.js': factsScript(rows),
    };
    const {context, page, errors} =
        await open(reportFolderWith(options.page, scripts, folders) + '#view=trend&period=month');
    try {
        assert.deepEqual((await readTable(page)).rows, [
            ['2024-01', '10', '1', '90.91'], ['2024-02', '50', '5', '90.91'],
            ['2024-03', '40', '4', '90.91'], ['2024-04', '50', '5', '90.91'],
            ['2024-05', '60', '6', '90.91'],
        ]);
        await choose(page, 'trendPeriod', 'day');
        assert.equal(await page.textContent('#tableContent .qz-table-pager [role="status"]'),
                     `Rows 1\u2013100 of ${31 + 29 + 31 + 30 + 31}`);
        assert.deepEqual(errors, []);
    } finally {
        await context.close();
    }
});

describe('a report without the facts keeps today\'s views, with a note', () => {
    const cases = [
        ['made by an older version', undefined, /has no js\/reportFacts\.js/],
        ['with more rows than the bound', factsScript([], {complete: false, rowCount: 612345}),
         /has 612,345 fact rows, more than the 500,000/],
        ['written in part', 'var reportFacts = {"version": 1, "complete": true, "texts": ["a"], ' +
             '"rows": [[1, 0, 0, 0, 9, 1, 1]]};', /cannot be read/],
        ['of another version', 'var reportFacts = {"version": 2, "complete": true, "texts": [], ' +
             '"rows": []};', /written by another version of the program/],
    ];
    for (const [name, facts, note] of cases) {
        test(name, async () => {
            const scripts = {...sixScripts(ROWS), 'reportScope.js': scopeScript(ROWS, RANGE)};
            if (facts !== undefined) {
                scripts['reportFacts.js'] = facts;
            }
            const {context, page, errors} = await openReport(
                browser, reportFolderWith(options.page, scripts, folders) + '#view=pareto&chip=machine:M01');
            try {
                assert.match(await page.textContent('#factsNote'), note);
                assert.equal(await page.getAttribute('#factsNote', 'hidden'), null);
                for (const view of ['By machine', 'By customer', 'Trend', 'Pareto']) {
                    assert.equal(await page.getByRole('button', {name: view, exact: true}).count(), 0);
                }
                // The fragment's view and chips need facts: the summary, whole.
                assert.equal(await page.textContent('#viewTitle'), 'Summary');
                assert.deepEqual(await chipTexts(page), []);
                await showView(page, 'Setting File');
                assert.deepEqual((await readTable(page)).rows.map((row) => row.slice(1)),
                                 keyRows(ROWS, (row) => row.settingFile));
                assert.deepEqual(errors, []);
            } finally {
                await context.close();
            }
        });
    }
});

test('the scope names the files that failed, and how many more', async () => {
    const scripts = reportScripts(ROWS, {scope: {failedFiles: ['M01/2026-01.txt', 'M02/x.txt'],
                                                 failedFilesMore: 19}});
    const {context, page, errors} = await open(reportFolderWith(options.page, scripts, folders));
    try {
        assert.match(await page.textContent('#scopeContent'),
                     /Record files3 read, 21 failed: M01\/2026-01\.txt, M02\/x\.txt and 19 more/);
        assert.deepEqual(errors, []);
    } finally {
        await context.close();
    }
});

test('live: the page from a file reloads newer data, keeping view, chips, sort and scroll', async () => {
    const scripts = reportScripts(ROWS, {scope: {live: 1, made: '2026-02-04 06:00:00'}});
    const url = reportFolderWith(options.page, scripts, folders);
    const folder = path.dirname(fileURLToPath(url));
    const {context, page, errors} = await open(url);
    try {
        assert.match(await page.textContent('#liveStatus'),
                     /^Live report: the data was made 2026-02-04 06:00:00; the page looks for newer data every 1 s/);
        await showView(page, 'By customer');
        await page.locator('#tableContent tbody tr', {hasText: 'C001'}).click();
        await showView(page, 'Pareto');
        await choose(page, 'paretoBy', 'settingFile');
        await page.getByRole('button', {name: 'Share(%)', exact: true}).click();
        await evaluate(page, 'window.scrollTo(0, document.body.scrollHeight)');
        const scrolled = await evaluate(page, 'window.scrollY');
        assert.ok(scrolled > 0, 'a page long enough to scroll');

        // The line wrote more: one more NG on every row.
        const newer = ROWS.map((row) => ({...row, ng: row.ng + 1}));
        const rewritten = reportScripts(newer, {scope: {live: 1, made: '2026-02-04 06:05:00'}});
        for (const name of Object.keys(rewritten)) {
            fs.writeFileSync(path.join(folder, 'js', name), Buffer.from(rewritten[name], 'latin1'));
        }
        const deadline = Date.now() + 15000;
        while (!/06:05:00/.test(await page.textContent('#liveStatus').catch(() => ''))) {
            assert.ok(Date.now() < deadline, 'no reload within 15 s');
            await new Promise((resolve) => setTimeout(resolve, 200));
        }
        await page.waitForSelector('body[data-usable]');
        assert.equal(await page.textContent('#viewTitle'), 'Pareto');
        assert.deepEqual(await chipTexts(page), ['Customer C001 (M\u00fcller AG) \u00d7']);
        assert.equal(await page.getAttribute('th[aria-sort]', 'aria-sort'), 'ascending');
        const expected = paretoRows(newer.filter((row) => row.customer === 'C001'),
                                    (row) => row.settingFile)
                             .sort((a, b) => Number(a[2]) - Number(b[2]));
        assert.deepEqual((await readTable(page)).rows, expected);
        assert.equal(await evaluate(page, 'window.scrollY'), scrolled);
        assert.deepEqual(errors, []);
    } finally {
        await context.close();
    }
});

// A year of a line: 10 machines, each running 2 of 200 setting files a day
// (one customer of 4 each) on all 64 boards. Figures, not limits.
test('a year of 10 machines, 200 setting files, 64 boards: time to usable and per change', async () => {
    const next = random(2026);
    const rows = [];
    const first = Date.UTC(2025, 0, 1) / 86400000;
    for (let d = 0; d < 365; d++) {
        const day = new Date((first + d) * 86400000).toISOString().slice(0, 10);
        for (let m = 1; m <= 10; m++) {
            for (let run = 0; run < 2; run++) {
                const settingFile = `SF-${String(Math.floor(next() * 200)).padStart(3, '0')}.cfg`;
                const customer = `C00${Math.floor(next() * 4)}`;
                for (let b = 1; b <= 64; b++) {
                    rows.push({day, machine: `M${String(m).padStart(2, '0')}`, settingFile, customer,
                               board: `B${b}`, ok: 50 + Math.floor(next() * 50),
                               ng: next() < 0.3 ? 1 : 0});
                }
            }
        }
    }
    const scripts = {...sixScripts(rows),
                     'reportScope.js': scopeScript(rows, {firstDay: '2025-01-01', lastDay: '2025-12-31'}),
                     'reportFacts.js': factsScript(rows)};
    const url = reportFolderWith(options.page, scripts, folders);
    const {context, page, errors} = await open(url);
    try {
        const usable = await evaluate(page, 'window.qzReport.usableAt');
        const summary = await evaluate(page, 'window.qzReport.summaryAt');
        const timed = (source) => evaluate(page, `(() => { const t = performance.now(); ${source};
            return performance.now() - t; })()`);
        const figures = {};
        for (const view of ['byMachine', 'byCustomer', 'trend', 'pareto', 'settingFile', 'machineId']) {
            figures[view] = await timed(`document.querySelector('[data-view="${view}"]').click()`);
        }
        figures['period week'] = await timed(`const s = document.getElementById('trendPeriod');
            s.value = 'week'; s.dispatchEvent(new Event('change'))`);
        figures['chip'] = await timed(
            `document.querySelector('#chartContent g[role=button]').dispatchEvent(
                new KeyboardEvent('keydown', {key: 'Enter'}))`);
        figures['pareto with chip'] = await timed(`document.querySelector('[data-view="pareto"]').click()`);
        console.log(`a year of ${rows.length.toLocaleString('en-US')} fact rows, offline: the summary ` +
                    `drawn ${Math.round(summary)} ms and every view usable ${Math.round(usable)} ms ` +
                    `after the start of navigation; ${
                        Object.entries(figures).map(([what, ms]) => `${what} ${Math.round(ms)} ms`).join(', ')}`);
        assert.equal((await chipTexts(page)).length, 1);
        assert.deepEqual(errors, []);
    } finally {
        await context.close();
    }
});
