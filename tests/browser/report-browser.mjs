// What the report page's browser tests share: the headless Chromium they
// start, opening a report with the network blocked, and reading the views.

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

import {launch} from './headless-page.mjs';

export const CHROMIUM = process.env.QZ_CHROMIUM || '/usr/bin/chromium';
const CHROMIUM_ARGS = [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'
];
export const LOADER_URL = 'https://www.gstatic.com/charts/loader.js';

// A report folder under the system's temporary folder: the page copied from
// pageDir and the given scripts in js/ as ISO-8859-1 text, as the program
// writes them. The folder is added to folders, for the caller to remove.
// Returns the page's file URL.
export function reportFolderWith(pageDir, scripts, folders) {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'qz-report-'));
    folders.push(folder);
    fs.cpSync(pageDir, folder, {recursive: true});
    fs.mkdirSync(path.join(folder, 'js'));
    for (const [name, text] of Object.entries(scripts)) {
        fs.writeFileSync(path.join(folder, 'js', name), Buffer.from(text, 'latin1'));
    }
    return pathToFileURL(path.join(folder, 'report.html')).href;
}

// A missing browser is a failure, never a skip.
export function launchChromium() {
    if (!fs.existsSync(CHROMIUM)) {
        throw new Error(`${CHROMIUM} not found: install Debian's chromium package`);
    }
    return launch({executablePath: CHROMIUM, args: CHROMIUM_ARGS});
}

// Opens the report at url with every http(s) request aborted, except the
// loader's, which answerLoader(route) handles when given. Collects page errors
// and console errors; the expected "failed to load" of a blocked loader is not
// one.
export async function openReport(browser, url, answerLoader) {
    const context = await browser.newContext({viewport: {width: 1280, height: 900}});
    await context.route(/^https?:/, (route) => {
        if (answerLoader && route.request().url() === LOADER_URL) {
            return answerLoader(route);
        }
        return route.abort();
    });
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(`page error: ${error.message}`));
    page.on('console', (message) => {
        const blockedLoader = message.location().url === LOADER_URL &&
            message.text().startsWith('Failed to load resource');
        // A report folder of an older version has no facts; the page says so.
        const olderReport = /\/js\/reportFacts\.js$/.test(message.location().url) &&
            message.text().startsWith('Failed to load resource');
        if (message.type() === 'error' && !blockedLoader && !olderReport) {
            errors.push(`console error: ${message.text()} (${message.location().url})`);
        }
    });
    // The window's load event waits for the loader request, which may hang.
    await page.goto(url, {waitUntil: 'domcontentloaded'});
    await page.waitForSelector('body[data-renderer]', {timeout: 20000});
    return {context, page, errors};
}

export async function showView(page, name) {
    await page.getByRole('button', {name, exact: true}).click();
}

// The shown view's table: header texts and the text of every body cell.
export function readTable(page) {
    return page.evaluate(() => {
        const table = document.querySelector('#tableContent table');
        if (!table) {
            return null;
        }
        const texts = (cells) => Array.from(cells, (cell) => cell.textContent);
        return {
            headers: texts(table.querySelectorAll('thead th')),
            rows: Array.from(table.querySelectorAll('tbody tr'), (tr) => texts(tr.cells)),
        };
    });
}

// A stand-in for the chart library that records what the page asks of it. It
// replaces the whole google object, as a loader may, and answers asynchronously.
export const RECORDING_LOADER = `(function () {
    var log = window.libraryLog = { loads: [], draws: [] };
    var loaded = false, waiting = [];
    function recorder(kind) {
        return function (element) {
            this.draw = function (data, options) {
                log.draws.push({ kind: kind, element: element.id, rows: data.rows,
                                 columns: data.columns, options: options });
            };
        };
    }
    function DataTable(columns, rows) { this.columns = columns || []; this.rows = rows || []; }
    DataTable.prototype.addColumn = function (type, label) {
        this.columns.push([type, label]);
        return this.columns.length - 1;
    };
    DataTable.prototype.addRows = function (rows) { this.rows = this.rows.concat(rows); };
    DataTable.prototype.getNumberOfRows = function () { return this.rows.length; };
    DataTable.prototype.getNumberOfColumns = function () { return this.columns.length; };
    DataTable.prototype.getColumnLabel = function (c) {
        return Array.isArray(this.columns[c]) ? this.columns[c][1] : this.columns[c];
    };
    DataTable.prototype.setColumnLabel = function (c, label) {
        if (Array.isArray(this.columns[c])) { this.columns[c][1] = label; }
        else { this.columns[c] = label; }
    };
    DataTable.prototype.getValue = function (r, c) { return this.rows[r][c]; };
    DataTable.prototype.setValue = function (r, c, v) { this.rows[r][c] = v; };
    DataTable.prototype.sort = function (keys) {
        this.rows.sort(function (a, b) {
            for (var k = 0; k < keys.length; k++) {
                var x = a[keys[k].column], y = b[keys[k].column];
                if (x !== y) { return (x < y ? -1 : 1) * (keys[k].desc ? -1 : 1); }
            }
            return 0;
        });
    };
    DataTable.prototype.clone = function () {
        return new DataTable(this.columns.slice(), this.rows.slice());
    };
    DataTable.prototype.removeRows = function (index, count) { this.rows.splice(index, count); };
    window.google = { charts: {
        load: function (version, settings) {
            log.loads.push({ version: version, packages: settings.packages });
            setTimeout(function () {
                google.visualization = {
                    arrayToDataTable: function (rows) {
                        return new DataTable(rows[0], rows.slice(1));
                    },
                    DataTable: DataTable,
                    PieChart: recorder('PieChart'),
                    Table: recorder('Table')
                };
                google.charts.Bar = recorder('Bar');
                loaded = true;
                waiting.splice(0).forEach(function (callback) { callback(); });
            }, 50);
        },
        setOnLoadCallback: function (callback) {
            if (loaded) { callback(); } else { waiting.push(callback); }
        }
    } };
})();`;
