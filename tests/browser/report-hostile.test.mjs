// The report page against hostile or unlucky report data, in headless
// Chromium, offline: names that a spreadsheet would run as formulas, a summary
// that is not of the scope's report, day rows by the hundred thousand, and
// record lines left out of a report.
//
//   node report-hostile.test.mjs --page <res/report>

import assert from 'node:assert/strict';
import fs from 'node:fs';
import {after, before, test} from 'node:test';
import {parseArgs} from 'node:util';

import {launchChromium, openReport, reportFolderWith, showView} from './report-browser.mjs';

// A report here has only the scripts a test is about; the others' load
// failures are expected.
const unexpected = (errors) => errors.filter((e) => !/Failed to load resource/.test(e));

const {values: options} = parseArgs({options: {page: {type: 'string'}}});
if (!options.page) {
    console.error('report hostile test: usage: --page <report page folder>');
    process.exit(1);
}

const summary = (ok, ng) => ({
    'chartSummary.js': `google.load("visualization", "1", {packages:["corechart"]});
google.setOnLoadCallback(drawChartSummary);
function drawChartSummary() {
var data = google.visualization.arrayToDataTable([['Result', 'Number'], ['OK', ${ok}], ['NG', ${ng}],]);
new google.visualization.PieChart(document.getElementById('chartContent')).draw(data, {}); }`,
    'tableSummary.js': `google.load("visualization", '1', {packages:['table']});
google.setOnLoadCallback(drawTableSummary);
function drawTableSummary() {
var data = new google.visualization.DataTable();
data.addColumn('string', ''); data.addColumn('number', 'OK');
data.addColumn('number', 'NG'); data.addColumn('number', 'Yield(%)');
data.addRows([['Summary', ${ok}, ${ng}, ${(ok * 100 / (ok + ng)).toFixed(6)}],]);
new google.visualization.Table(document.getElementById('tableContent')).draw(data, {showRowNumber: false}); }`,
});

// Setting files named as formulas, every yield a whole number.
const FORMULA_NAMES = ['=HYPERLINK("http://x.invalid","y")', '+1+2', '-2+3', '@SUM(1;2)', '\tTAB',
                       '\rCR', 'plain'];
const SETTING_TABLE = {
    'tableSettingFile.js': `google.load("visualization", '1', {packages:['table']});
function drawTableSettingFile() {
var data = new google.visualization.DataTable();
data.addColumn('string', 'Setting File'); data.addColumn('number', 'OK');
data.addColumn('number', 'NG'); data.addColumn('number', 'Yield(%)');
data.addRows([${FORMULA_NAMES.map((n) => `[${JSON.stringify(n)}, 1, 1, 50.000000]`).join(',')}]);
new google.visualization.Table(document.getElementById('tableContent')).draw(data, {showRowNumber: true}); }`,
};

function scopeScript({ok, ng, days, everyDay = true, dayRowsLeftOut = 0, linesLeftOut = 0,
                      firstDay = days[0][0], lastDay = days[days.length - 1][0]}) {
    return `var reportScope = {
\t'firstDay': '${firstDay}', 'lastDay': '${lastDay}', 'made': '2026-05-08 07:30:05',
\t'machines': ['A'], 'excludedSettingFiles': [], 'excludedMachineIds': [], 'excludedCustomers': [],
\t'filesRead': 1, 'filesFailed': 0, 'ok': ${ok}, 'ng': ${ng}, 'linesLeftOut': ${linesLeftOut},
\t'daysFrom': '${days[0][0]}', 'daysTo': '${days[days.length - 1][0]}',
\t'everyDay': ${everyDay}, 'dayRowsLeftOut': ${dayRowsLeftOut},
\t'days': ${JSON.stringify(days)}
};
`;
}

let browser;
const folders = [];

const reportWith = (scripts) => reportFolderWith(options.page, scripts, folders);

before(async () => {
    browser = await launchChromium();
});

after(async () => {
    await browser?.close();
    for (const folder of folders) {
        fs.rmSync(folder, {recursive: true, force: true});
    }
});

test('CSV: a text read as a formula gets an apostrophe, yields two decimals', async () => {
    const {context, page, errors} = await openReport(browser, reportWith({
        ...summary(7, 7), ...SETTING_TABLE,
        'reportScope.js': scopeScript({ok: 7, ng: 7, days: [['2026-05-01', 7, 7]]}),
    }));
    try {
        await showView(page, 'Setting File');
        const {bytes} = await page.waitForDownload(
            () => page.getByRole(
                          'button', {name: 'Download CSV of the Setting File table', exact: true})
                      .click());
        const lines = bytes.subarray(3).toString('utf8').split('\r\n');
        // Equal yields and NG: worst-first order falls back to the names.
        assert.deepEqual(lines.slice(1, 8), [
            '\'\tTAB,1,1,50.00', '"\'\rCR",1,1,50.00', '\'+1+2,1,1,50.00', '\'-2+3,1,1,50.00',
            '"\'=HYPERLINK(""http://x.invalid"",""y"")",1,1,50.00', '\'@SUM(1;2),1,1,50.00',
            'plain,1,1,50.00'
        ]);
        assert.match(await page.textContent('.report-footer'), /starts with an apostrophe/);
        assert.deepEqual(unexpected(errors), []);
    } finally {
        await context.close();
    }
});

test('a summary of another report than the scope is warned of; a matching one is not',
     async () => {
         const days = [['2026-05-01', 15, 2]];
         const other = await openReport(
             browser,
             reportWith({...summary(15, 2), 'reportScope.js': scopeScript({ok: 9, ng: 1, days})}));
         try {
             assert.match(
                 await other.page.textContent('.report-mismatch'),
                 /^Warning: this page shows scripts of different reports\. The summary table counts OK 15 and NG 2, but the report made 2026-05-08 07:30:05 counted OK 9 and NG 1\./);
         } finally {
             await other.context.close();
         }
         const same = await openReport(
             browser,
             reportWith({...summary(15, 2), 'reportScope.js': scopeScript({ok: 15, ng: 2, days})}));
         try {
             assert.equal(await same.page.locator('.report-mismatch').count(), 0);
             assert.deepEqual(unexpected(same.errors), []);
         } finally {
             await same.context.close();
         }
     });

test('By day draws 150,000 day rows without a stack overflow; lines left out are said',
     async () => {
         const days = [];
         const start = Date.UTC(1200, 0, 1);
         for (let i = 0; i < 150000; i++) {
             days.push([new Date(start + i * 2 * 86400000).toISOString().slice(0, 10), 1, 0]);
         }
         const {context, page, errors} = await openReport(
             browser, reportWith({
                 ...summary(150000, 0),
                 'reportScope.js': scopeScript({
                     ok: 150000,
                     ng: 0,
                     days,
                     everyDay: false,
                     dayRowsLeftOut: 5,
                     linesLeftOut: 2,
                     firstDay: '0100-01-01',
                     lastDay: '9999-12-31',
                 }),
             }));
         try {
             await showView(page, 'By day');
             assert.deepEqual(unexpected(errors), []);
             assert.equal(await page.locator('#chartContent svg.qz-days').count(), 1);
             assert.match(
                 await page.textContent('#chartContent .report-days-note'),
                 /only those days are shown, the latest 150,000 of them \(5 earlier days are not listed\)\.$/);
             assert.match(
                 await page.textContent('#scopeContent'),
                 /Lines left out2 last lines without a line end, of files being written/);
         } finally {
             await context.close();
         }
     });
