// The report's scope, the By day view, the CSV downloads and the printed
// report, in headless Chromium over hand-written report scripts: the six in
// the writer's form, and js/reportScope.js as the program writes it (or none,
// as in a report of an older version). Every http(s) request is blocked, or
// answered by a stand-in for the chart library where a test says so. The
// printed PDF is read with pdftotext (Debian's poppler-utils).
//
//   node report-scope.test.mjs --page <res/report> [--artifacts <folder>]
//
// A missing browser, pdftotext or argument is a failure, never a skip.

import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {after, before, describe, test} from 'node:test';
import {fileURLToPath} from 'node:url';
import {parseArgs} from 'node:util';

import {launchChromium, openReport as openReportIn, readTable, RECORDING_LOADER, reportFolderWith, showView} from './report-browser.mjs';

const HERE = path.dirname(fileURLToPath(import.meta.url));
const {values: options} = parseArgs({
    options: {
        page: {type: 'string'},
        artifacts: {type: 'string', default: path.join(HERE, 'artifacts')},
    },
});
if (!options.page) {
    console.error('report scope test: usage: --page <report page folder> [--artifacts <folder>]');
    process.exit(1);
}

// The six scripts as the writer makes them, shortened. Setting files: a name
// with a double quote, a comma and UTF-8 letters (escaped, as the writer
// writes them), one with the record byte 0xE9 as it is (the page reads the
// scripts as ISO-8859-1), and a yield with a fraction.
const SIX_SCRIPTS = {
    'chartSummary.js': `google.load("visualization", "1", {packages:["corechart"]});
google.setOnLoadCallback(drawChartSummary);
function drawChartSummary() {
var data = google.visualization.arrayToDataTable([['Result', 'Number'], ['OK', 15], ['NG', 2],]);
var chart = new google.visualization.PieChart(document.getElementById('chartContent'));
chart.draw(data, {is3D: true, backgroundColor: 'transparent'}); }`,
    'tableSummary.js': `google.load("visualization", '1', {packages:['table']});
google.setOnLoadCallback(drawTableSummary);
function drawTableSummary() {
var data = new google.visualization.DataTable();
data.addColumn('string', ''); data.addColumn('number', 'OK');
data.addColumn('number', 'NG'); data.addColumn('number', 'Yield(%)');
data.addRows([['Summary', 15, 2, 88.235294],]);
var table = new google.visualization.Table(document.getElementById('tableContent'));
table.draw(data, {showRowNumber: false}); }`,
    'chartSettingFile.js': `google.load("visualization", "1", {packages:["bar"]});
function drawChartSettingFile() {
var data = google.visualization.arrayToDataTable([["Setting File", "Yield(%)"],
['Gr\\u00F6\\u00DFe "A",B.qzs', 75.000000],['caf\xE9.qzs', 100.000000],['LINE-2.qzs', 66.666667],]);
var chart = new google.charts.Bar(document.getElementById("chartContent"));
chart.draw(data, {width: 1000, bars: 'horizontal', legend: { position: "none" },
axes: { x: { 0: { side: "bottom", label: "Yield(%)"} } }, bar: {groupWidth: "95%"}}); }`,
    'tableSettingFile.js': `google.load("visualization", '1', {packages:['table']});
function drawTableSettingFile() {
var data = new google.visualization.DataTable();
data.addColumn('string', 'Setting File'); data.addColumn('number', 'OK');
data.addColumn('number', 'NG'); data.addColumn('number', 'Yield(%)');
data.addRows([['Gr\\u00F6\\u00DFe "A",B.qzs', 3, 1, 75.000000],['caf\xE9.qzs', 10, 0, 100.000000],
['LINE-2.qzs', 2, 1, 66.666667],]);
var table = new google.visualization.Table(document.getElementById('tableContent'));
table.draw(data, {showRowNumber: true}); }`,
    'chartMachineId.js': `google.load("visualization", "1", {packages:["bar"]});
function drawChartMachineId() {
var data = google.visualization.arrayToDataTable([["Machine ID", "Yield(%)"],
['WB-01', 90.000000],['WB-02', 85.714286],]);
var chart = new google.charts.Bar(document.getElementById("chartContent"));
chart.draw(data, {width: 1000, bars: 'horizontal', legend: { position: "none" },
axes: { x: { 0: { side: "bottom", label: "Yield(%)"} } }, bar: {groupWidth: "95%"}}); }`,
    'tableMachineId.js': `google.load("visualization", '1', {packages:['table']});
function drawTableMachineId() {
var data = new google.visualization.DataTable();
data.addColumn('string', 'Machine ID'); data.addColumn('number', 'OK');
data.addColumn('number', 'NG'); data.addColumn('number', 'Yield(%)');
data.addRows([['WB-01', 9, 1, 90.000000],['WB-02', 6, 1, 85.714286],]);
var table = new google.visualization.Table(document.getElementById('tableContent'));
table.draw(data, {showRowNumber: true}); }`,
};

// A week with days without records inside and at its end; every count of
// the summary falls on one of its days.
const WEEK_SCOPE = `var reportScope = {
\t'firstDay': '2026-05-01',
\t'lastDay': '2026-05-07',
\t'made': '2026-05-08 07:30:05',
\t'machines': ['LINE-A', 'LINE-B'],
\t'excludedSettingFiles': ['old.qzs'],
\t'excludedMachineIds': ['WB-09', 'WB-10'],
\t'excludedCustomers': [['C001', 'M\\u00FCller AG'], ['C009', '']],
\t'filesRead': 14,
\t'filesFailed': 1,
\t'daysFrom': '2026-05-01',
\t'daysTo': '2026-05-07',
\t'days': [['2026-05-01', 6, 1], ['2026-05-02', 2, 0], ['2026-05-03', 4, 0], ['2026-05-04', 0, 0], ['2026-05-05', 0, 0], ['2026-05-06', 3, 1], ['2026-05-07', 0, 0]]
};
`;
const WEEK_DAYS = [
    ['2026-05-01', '6', '1', '85.71'],
    ['2026-05-02', '2', '0', '100.00'],
    ['2026-05-03', '4', '0', '100.00'],
    ['2026-05-04', '0', '0', 'no records'],
    ['2026-05-05', '0', '0', 'no records'],
    ['2026-05-06', '3', '1', '75.00'],
    ['2026-05-07', '0', '0', 'no records'],
];

const ONE_DAY_SCOPE = `var reportScope = {
\t'firstDay': '2026-05-14',
\t'lastDay': '2026-05-14',
\t'made': '2026-05-14 18:00:00',
\t'machines': ['LINE-A'],
\t'excludedSettingFiles': [],
\t'excludedMachineIds': [],
\t'excludedCustomers': [],
\t'filesRead': 1,
\t'filesFailed': 0,
\t'daysFrom': '2026-05-14',
\t'daysTo': '2026-05-14',
\t'days': [['2026-05-14', 15, 2]]
};
`;

// A range too long to list every day: the days from the first to the last
// day with records.
const LONG_SCOPE = `var reportScope = {
\t'firstDay': '2024-01-01',
\t'lastDay': '2026-05-31',
\t'made': '2026-06-01 06:00:00',
\t'machines': ['LINE-A'],
\t'excludedSettingFiles': [],
\t'excludedMachineIds': [],
\t'excludedCustomers': [],
\t'filesRead': 30,
\t'filesFailed': 0,
\t'daysFrom': '2026-05-06',
\t'daysTo': '2026-05-08',
\t'days': [['2026-05-06', 5, 0], ['2026-05-07', 0, 0], ['2026-05-08', 10, 2]]
};
`;

let browser;
const folders = [];

// A report folder: the page, the six scripts and the scope script if given.
function reportWith(scope) {
    const scripts = scope === undefined ? SIX_SCRIPTS : {...SIX_SCRIPTS, 'reportScope.js': scope};
    return reportFolderWith(options.page, scripts, folders);
}

const openReport = (scope, answerLoader) => openReportIn(browser, reportWith(scope), answerLoader);

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

// The scope as shown: [term, value] pairs.
function readScope(page) {
    return page.evaluate(
        () => Array.from(
            document.querySelectorAll('#scopeContent dt'),
            (dt) => [dt.textContent, dt.nextElementSibling.textContent]));
}

// The By day chart: per day its date, whether it is marked as without
// records, its OK and NG column heights and its tooltip.
function readDays(page) {
    return page.evaluate(
        () => Array.from(
            document.querySelectorAll('#chartContent svg.qz-days .qz-day'),
            (day) => ({
                day: day.getAttribute('data-day'),
                empty: day.classList.contains('qz-day-empty'),
                ok: Number(day.querySelector('.qz-day-ok').getAttribute('height')),
                ng: Number(day.querySelector('.qz-day-ng').getAttribute('height')),
                dot: day.querySelector('circle') !== null,
                tip: day.querySelector('title').textContent,
            })));
}

describe('a report with its scope, offline', () => {
    let report;
    before(async () => {
        report = await openReport(WEEK_SCOPE);
    });
    after(async () => {
        await report?.context.close();
    });

    test('the scope is shown above the charts', async () => {
        const {page} = report;
        assert.equal(await page.getAttribute('body', 'data-renderer'), 'offline');
        assert.deepEqual(await readScope(page), [
            ['Days', '2026-05-01 to 2026-05-07 (7 days)'],
            ['Machines', 'LINE-A, LINE-B (2)'],
            ['Excluded setting files', 'old.qzs'],
            ['Excluded Machine (Write Board) IDs', 'WB-09, WB-10'],
            ['Excluded customers', 'C001 (M\u00fcller AG), C009'],
            ['Record files', '14 read, 1 failed'],
            ['Made', '2026-05-08 07:30:05'],
        ]);
        const above = await page.evaluate(
            () => document.querySelector('.report-scope')
                      .compareDocumentPosition(document.getElementById('chartContent')) &
                Node.DOCUMENT_POSITION_FOLLOWING);
        assert.ok(above, 'the scope comes before the chart');
        await page.screenshot({path: path.join(options.artifacts, 'report-scope.png')});
    });

    test('By day: every day of the range, days without records marked as such', async () => {
        const {page} = report;
        await showView(page, 'By day');
        assert.equal(await page.getAttribute('[data-view="byDay"]', 'aria-pressed'), 'true');
        assert.equal(await page.textContent('#viewTitle'), 'By day');
        assert.deepEqual(await readTable(page), {
            headers: ['Day', 'OK', 'NG', 'Yield(%)'],
            rows: WEEK_DAYS,
        });

        const days = await readDays(page);
        assert.deepEqual(days.map((d) => d.day), WEEK_DAYS.map((row) => row[0]));
        assert.deepEqual(
            days.filter((d) => d.empty).map((d) => d.day),
            ['2026-05-04', '2026-05-05', '2026-05-07']);
        assert.equal(days[3].tip, '2026-05-04: no records');
        assert.equal(days[5].tip, '2026-05-06: yield 75.00 %, OK 3, NG 1');
        // Columns in proportion to the counts; none for a day without records.
        const unit = days[0].ok / 6;
        assert.ok(unit > 0);
        for (const [i, [, ok, ng]] of WEEK_DAYS.entries()) {
            assert.ok(Math.abs(days[i].ok - unit * ok) < 0.01, `OK column of ${days[i].day}`);
            assert.ok(Math.abs(days[i].ng - unit * ng) < 0.01, `NG column of ${days[i].day}`);
        }
        // The yield line breaks at the days without records: two pieces.
        const line = await page.getAttribute('#chartContent .qz-days-yield', 'd');
        assert.deepEqual(line.match(/[ML]/g), ['M', 'L', 'L', 'M']);
        assert.equal(await page.locator('#chartContent .report-days-note').count(), 0);
        await page.screenshot(
            {path: path.join(options.artifacts, 'report-by-day.png'), fullPage: true});
    });

    test('no JavaScript error on the way', () => {
        assert.deepEqual(report.errors, []);
    });
});

test('a range of one day: one day, one point, one row', async () => {
    const {context, page, errors} = await openReport(ONE_DAY_SCOPE);
    try {
        assert.deepEqual(await readScope(page), [
            ['Days', '2026-05-14 (1 day)'],
            ['Machines', 'LINE-A (1)'],
            ['Excluded setting files', 'none'],
            ['Excluded Machine (Write Board) IDs', 'none'],
            ['Excluded customers', 'none'],
            ['Record files', '1 read, 0 failed'],
            ['Made', '2026-05-14 18:00:00'],
        ]);
        await showView(page, 'By day');
        const days = await readDays(page);
        assert.deepEqual(
            days.map(({day, empty, dot}) => ({day, empty, dot})),
            [{day: '2026-05-14', empty: false, dot: true}]);
        assert.ok(days[0].ok > 0 && days[0].ng > 0);
        assert.equal(await page.textContent('#chartContent .qz-bar-axis-title'), 'Day 2026-05-14');
        assert.deepEqual((await readTable(page)).rows, [['2026-05-14', '15', '2', '88.24']]);
        assert.deepEqual(errors, []);
    } finally {
        await context.close();
    }
});

test('a range longer than its days says which days are shown', async () => {
    const {context, page, errors} = await openReport(LONG_SCOPE);
    try {
        assert.deepEqual(
            (await readScope(page))[0], ['Days', '2024-01-01 to 2026-05-31 (882 days)']);
        await showView(page, 'By day');
        assert.equal(
            await page.textContent('#chartContent .report-days-note'),
            'The report covers 2024-01-01 to 2026-05-31 (882 days); only the days from its ' +
                'first to its last day with records are shown, 2026-05-06 to 2026-05-08 (3 days).');
        assert.deepEqual(
            (await readDays(page)).map((d) => [d.day, d.empty]),
            [['2026-05-06', false], ['2026-05-07', true], ['2026-05-08', false]]);
        assert.deepEqual(errors, []);
    } finally {
        await context.close();
    }
});

test('an older report without the scope script: scope not known, the rest as before', async () => {
    const {context, page, errors} = await openReport(undefined);
    try {
        assert.equal(
            await page.textContent('#scopeContent'),
            'The scope of this report is not known: it has no js/reportScope.js (it was made by ' +
                'an older version of the program), so its days, machines and exclusions cannot ' +
                'be shown.');
        assert.deepEqual((await readTable(page)).rows, [['Summary', '15', '2', '88.24']]);
        await showView(page, 'Setting File');
        assert.equal((await readTable(page)).rows.length, 3);
        await showView(page, 'By day');
        assert.deepEqual(
            await page.$$eval('.report-message', (ps) => ps.map((p) => p.textContent)),
            ['No counts by day: js/reportScope.js could not be loaded (a report made by an ' +
             'older version of the program). Generate the report again.']);
        assert.equal(await page.locator('#tableContent table').count(), 0);
        // Only the missing script may be reported.
        assert.equal(errors.length, 1);
        assert.match(
            errors[0], /^console error: Failed to load resource.*\/js\/reportScope\.js\)$/);
    } finally {
        await context.close();
    }
});

describe('CSV downloads, made in the page', () => {
    let report;
    before(async () => {
        report = await openReport(WEEK_SCOPE);
    });
    after(async () => {
        await report?.context.close();
    });

    const BOM = Buffer.from([0xef, 0xbb, 0xbf]);
    const cases = [
        {
            view: 'Setting File',
            file: 'report-setting-file-2026-05-01-to-2026-05-07.csv',
            // Quoted where a field holds a quote or a comma, quotes doubled;
            // worst first, as the table shows them.
            text: 'Setting File,OK,NG,Yield(%)\r\n' +
                'LINE-2.qzs,2,1,66.67\r\n' +
                '"Gr\u00f6\u00dfe ""A"",B.qzs",3,1,75.00\r\n' +
                'caf\u00e9.qzs,10,0,100.00\r\n',
        },
        {
            view: 'Summary',
            file: 'report-summary-2026-05-01-to-2026-05-07.csv',
            text: ',OK,NG,Yield(%)\r\nSummary,15,2,88.24\r\n',
        },
        {
            view: 'By day',
            file: 'report-by-day-2026-05-01-to-2026-05-07.csv',
            // A day without records has no yield.
            text: 'Day,OK,NG,Yield(%)\r\n2026-05-01,6,1,85.71\r\n2026-05-02,2,0,100.00\r\n' +
                '2026-05-03,4,0,100.00\r\n2026-05-04,0,0,\r\n2026-05-05,0,0,\r\n' +
                '2026-05-06,3,1,75.00\r\n2026-05-07,0,0,\r\n',
        },
    ];
    for (const {view, file, text} of cases) {
        test(`the ${view} table as CSV: UTF-8 with a byte-order mark, byte for byte`, async () => {
            const {page} = report;
            await showView(page, view);
            const download = await page.waitForDownload(
                () => page.getByRole(
                              'button', {name: `Download CSV of the ${view} table`, exact: true})
                          .click());
            assert.equal(download.suggestedFilename, file);
            assert.deepEqual(download.bytes.subarray(0, 3), BOM);
            assert.deepEqual(download.bytes, Buffer.concat([BOM, Buffer.from(text, 'utf8')]));
        });
    }

    test('the name with the byte 0xE9 is UTF-8 in the file', async () => {
        const {page} = report;
        await showView(page, 'Setting File');
        const {bytes} = await page.waitForDownload(
            () => page.getByRole(
                          'button', {name: 'Download CSV of the Setting File table', exact: true})
                      .click());
        assert.ok(bytes.includes(Buffer.from([0x63, 0x61, 0x66, 0xc3, 0xa9, 0x2e])), 'caf\u00e9.');
    });

    test('no JavaScript error on the way', () => {
        assert.deepEqual(report.errors, []);
    });
});

// The PDF's text page by page, each line with its runs of spaces made one.
function pdfPages(pdf) {
    const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'qz-report-pdf-')), 'report.pdf');
    folders.push(path.dirname(file));
    fs.writeFileSync(file, pdf);
    const text =
        execFileSync('pdftotext', ['-layout', '-enc', 'UTF-8', file, '-'], {encoding: 'utf8'});
    // pdftotext ends every page with a form feed.
    const pages = text.split('\f').slice(0, -1);
    return {
        file,
        pages: pages.map(
            (page) => page.split('\n')
                          .map((line) => line.trim().replace(/\s+/g, ' '))
                          .filter((line) => line !== '')),
    };
}

test(
    'printed: the scope and the summary, then each view on a page of its own, no buttons',
    async () => {
        const {context, page, errors} = await openReport(WEEK_SCOPE);
        try {
            // Only the shown view is drawn; printing draws the others.
            await showView(page, 'Setting File');
            const {file, pages} = pdfPages(await page.pdf());
            execFileSync('pdftoppm', [
                '-png', '-r', '60', '-f', '1', '-l', '1', '-singlefile', file,
                path.join(options.artifacts, 'report-print-page-1')
            ]);

            assert.equal(pages.length, 4, pages.map((p) => p.join('\n')).join('\n----\n'));
            const [first, settingFile, machineId, byDay] = pages;
            assert.equal(first[0], 'Production Report');
            for (const line
                     of ['Scope', 'Days 2026-05-01 to 2026-05-07 (7 days)',
                         'Excluded customers C001 (M\u00fcller AG), C009',
                         'Record files 14 read, 1 failed', 'Made 2026-05-08 07:30:05', 'Summary',
                         'OK 15 (88.2%)', 'Summary 15 2 88.24']) {
                assert.ok(first.includes(line), `first page: ${line}`);
            }
            assert.equal(settingFile[0], 'Setting File');
            // Worst first.
            assert.ok(settingFile.includes('1 LINE-2.qzs 2 1 66.67'));
            assert.ok(settingFile.includes('2 Gr\u00f6\u00dfe "A",B.qzs 3 1 75.00'));
            assert.ok(settingFile.includes('3 caf\u00e9.qzs 10 0 100.00'));
            assert.equal(machineId[0], 'Machine (Write Board) ID');
            assert.ok(machineId.includes('1 WB-02 6 1 85.71'));
            assert.equal(byDay[0], 'By day');
            assert.ok(byDay.includes('Day, 2026-05-01 to 2026-05-07'));
            for (const row of WEEK_DAYS) {
                assert.ok(byDay.includes(row.join(' ')), `By day: ${row.join(' ')}`);
            }
            // No control of the page is printed.
            const all = pages.flat().join('\n');
            for (const control of ['Download CSV', 'Print', 'Offline view', 'Loading']) {
                assert.ok(!all.includes(control), `printed: ${control}`);
            }
            assert.ok(!first.some((line) => /Setting File Machine|By day By machine/.test(line)), 'no view buttons');

            // The screen is as it was: the Setting File view alone.
            assert.equal(await page.textContent('#viewTitle'), 'Setting File');
            assert.deepEqual(
                await page.$$eval('.report-view', (sections) => sections.map((s) => s.hidden)),
                [true, false, true, true, true, true, true, true]);
            assert.equal(
                await page.evaluate(() => document.body.classList.contains('report-printing')),
                false);
            assert.deepEqual(errors, []);
        } finally {
            await context.close();
        }
    });

describe('By day with the chart library available', () => {
    let report;
    before(async () => {
        report = await openReport(
            WEEK_SCOPE,
            (route) => route.fulfill({contentType: 'text/javascript', body: RECORDING_LOADER}));
    });
    after(async () => {
        await report?.context.close();
    });

    test('the library draws the table, the page the chart', async () => {
        const {page} = report;
        assert.equal(await page.getAttribute('body', 'data-renderer'), 'library');
        await showView(page, 'By day');
        const draws = await page.evaluate(() => window.libraryLog.draws);
        const table = draws[draws.length - 1];
        assert.equal(table.kind, 'Table');
        assert.equal(table.element, 'tableContent');
        assert.deepEqual(table.rows[3], ['2026-05-04', 0, 0, {v: null, f: 'no records'}]);
        assert.deepEqual(table.rows[5], ['2026-05-06', 3, 1, {v: 75, f: '75.00'}]);
        assert.equal(table.rows.length, 7);
        assert.equal((await readDays(page)).length, 7);
    });

    test('printing has the library draw every view again, each in its section', async () => {
        const {page} = report;
        const before = (await page.evaluate(() => window.libraryLog.draws)).length;
        await page.pdf();
        const draws = (await page.evaluate(() => window.libraryLog.draws)).slice(before);
        // Summary, Setting File, Machine (Write Board) ID and By day, then the
        // shown By day once more after printing.
        assert.deepEqual(draws.map((draw) => [draw.kind, draw.element]), [
            ['PieChart', 'chartContent'], ['Table', 'tableContent'], ['Bar', 'chartContent'],
            ['Table', 'tableContent'], ['Bar', 'chartContent'], ['Table', 'tableContent'],
            ['Table', 'tableContent'], ['Table', 'tableContent']
        ]);
        assert.deepEqual(
            draws.slice(2, 6).map((draw) => draw.columns[0]),
            ['Setting File', ['string', 'Setting File'], 'Machine (Write Board) ID',
             ['string', 'Machine (Write Board) ID']]);
        assert.equal(await page.textContent('#viewTitle'), 'By day');
    });

    test('no JavaScript error on the way', () => {
        assert.deepEqual(report.errors, []);
    });
});
