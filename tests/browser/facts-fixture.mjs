// Report folders for the views drawn from the report's facts: the fact rows
// in js/reportFacts.js's form, a scope script and the six scripts (summary,
// setting files and IDs) of the same counts, and the sums a test checks the
// page against, computed here independently of the page.

const DAY_MS = 24 * 60 * 60 * 1000;

export const dayNumber = (text) => Date.parse(`${text}T00:00:00Z`) / DAY_MS;
export const dayText = (day) => new Date(day * DAY_MS).toISOString().slice(0, 10);

// A JavaScript string literal of ASCII only, as the program escapes texts.
export function literal(text) {
    return `'${text.replace(/[\\'"]/g, (c) => `\\${c}`)
                   .replace(/[^\x20-\x7e]/g,
                            (c) => `\\u${c.charCodeAt(0).toString(16).toUpperCase().padStart(4, '0')}`)}'`;
}

// rows: [{day: 'yyyy-mm-dd', machine, settingFile, customer, board, ok, ng}].
export function factsScript(rows, {complete = true, rowCount, bound = 500000, customerNames} = {}) {
    if (!complete) {
        return `var reportFacts = {"version": 1, "complete": false, "rowCount": ${rowCount}, ` +
            `"bound": ${bound}, "texts": [], "rows": []};\n`;
    }
    const texts = [];
    const index = new Map();
    const at = (text) => {
        if (!index.has(text)) {
            index.set(text, texts.length);
            texts.push(text);
        }
        return index.get(text);
    };
    const encoded = rows.map((row) => `[${dayNumber(row.day)}, ${at(row.machine)}, ${
        at(row.settingFile)}, ${at(row.customer)}, ${at(row.board)}, ${row.ok}, ${row.ng}]`);
    const names = customerNames ?
        `, "customerNames": {${
            Object.entries(customerNames).map(([code, name]) => `${literal(code)}: ${literal(name)}`)
                .join(', ')}}` :
        '';
    return `var reportFacts = {"version": 1, "complete": true, "rowCount": ${rows.length}, ` +
        `"bound": ${bound}, "texts": [${texts.map(literal).join(', ')}], "rows": [${
            encoded.join(', ')}]${names}};\n`;
}

// Sums of rows by a key function: Map key -> {ok, ng}, in first-seen order.
export function sumBy(rows, keyOf) {
    const sums = new Map();
    for (const row of rows) {
        const key = keyOf(row);
        const sum = sums.get(key) || {ok: 0, ng: 0};
        sum.ok += row.ok;
        sum.ng += row.ng;
        sums.set(key, sum);
    }
    return sums;
}

export const yieldOf = (sum) => sum.ok + sum.ng > 0 ? sum.ok * 100 / (sum.ok + sum.ng) : null;
export const count = (n) => n.toLocaleString('en-US');
export const percent = (y) => y === null ? 'no records' : y.toFixed(2);

// The rows a table of keys shows: worst first (lowest yield, most NG, name);
// with names (code -> name), a Name column after the key.
export function tableRows(rows, keyOf, names) {
    return [...sumBy(rows, keyOf)]
        .sort(([ka, a], [kb, b]) => yieldOf(a) - yieldOf(b) || b.ng - a.ng || (ka < kb ? -1 : 1))
        .map(([key, sum]) => [key, ...(names ? [names[key] || ''] : []), count(sum.ok),
                              count(sum.ng), percent(yieldOf(sum))]);
}

// The rows of a Pareto table: NG largest first, share, cumulative share, OK,
// yield.
export function paretoRows(rows, keyOf) {
    const sums = [...sumBy(rows, keyOf)].filter(([, sum]) => sum.ng > 0);
    const total = sums.reduce((n, [, sum]) => n + sum.ng, 0);
    sums.sort(([ka, a], [kb, b]) => b.ng - a.ng || (ka < kb ? -1 : 1));
    let running = 0;
    return sums.map(([key, sum]) => {
        running += sum.ng;
        return [key, count(sum.ng), (sum.ng * 100 / total).toFixed(2),
                (running * 100 / total).toFixed(2), count(sum.ok), percent(yieldOf(sum))];
    });
}

export function scopeScript(rows, {firstDay, lastDay, made = '2026-02-04 06:00:00', live = 0,
                                   failedFiles = [], failedFilesMore = 0}) {
    const total = sumBy(rows, () => 'all').get('all') || {ok: 0, ng: 0};
    const byDay = sumBy(rows, (row) => row.day);
    const days = [];
    for (let day = dayNumber(firstDay); day <= dayNumber(lastDay); day++) {
        const sum = byDay.get(dayText(day)) || {ok: 0, ng: 0};
        days.push(`['${dayText(day)}', ${sum.ok}, ${sum.ng}]`);
    }
    const machines = [...new Set(rows.map((row) => row.machine))];
    return `var reportScope = {
\t'firstDay': '${firstDay}', 'lastDay': '${lastDay}', 'made': '${made}',
\t'machines': [${machines.map(literal).join(', ')}], 'excludedSettingFiles': [],
\t'excludedMachineIds': [], 'excludedCustomers': [],
\t'filesRead': ${machines.length}, 'filesFailed': ${failedFiles.length + failedFilesMore},
\t'failedFiles': [${failedFiles.map(literal).join(', ')}], 'failedFilesMore': ${failedFilesMore},
\t'ok': ${total.ok}, 'ng': ${total.ng}, 'linesLeftOut': 0,
\t'daysFrom': '${firstDay}', 'daysTo': '${lastDay}',${live ? ` 'live': true, 'liveSeconds': ${live},` : ''}
\t'days': [${days.join(', ')}]
};
`;
}

// The six scripts of the rows, in the writer's form (first-seen order).
export function sixScripts(rows) {
    const total = sumBy(rows, () => 'all').get('all') || {ok: 0, ng: 0};
    const keyScripts = (name, title, keyOf) => {
        const sums = [...sumBy(rows, keyOf)];
        return {
            [`chart${name}.js`]: `google.load("visualization", "1", {packages:["bar"]});
function drawChart${name}() {
var data = google.visualization.arrayToDataTable([["${title}", "Yield(%)"],
${sums.map(([key, sum]) => `[${literal(key)}, ${yieldOf(sum).toFixed(6)}],`).join('')}]);
var chart = new google.charts.Bar(document.getElementById("chartContent"));
chart.draw(data, {width: 1000, bars: 'horizontal', legend: { position: "none" },
axes: { x: { 0: { side: "bottom", label: "Yield(%)"} } }, bar: {groupWidth: "95%"}}); }`,
            [`table${name}.js`]: `google.load("visualization", '1', {packages:['table']});
function drawTable${name}() {
var data = new google.visualization.DataTable();
data.addColumn('string', '${title}'); data.addColumn('number', 'OK');
data.addColumn('number', 'NG'); data.addColumn('number', 'Yield(%)');
data.addRows([${sums.map(([key, sum]) => `[${literal(key)}, ${sum.ok}, ${sum.ng}, ${
                yieldOf(sum).toFixed(6)}],`).join('')}]);
var table = new google.visualization.Table(document.getElementById('tableContent'));
table.draw(data, {showRowNumber: true}); }`,
        };
    };
    return {
        'chartSummary.js': `google.load("visualization", "1", {packages:["corechart"]});
google.setOnLoadCallback(drawChartSummary);
function drawChartSummary() {
var data = google.visualization.arrayToDataTable([['Result', 'Number'], ['OK', ${total.ok}], ['NG', ${total.ng}],]);
new google.visualization.PieChart(document.getElementById('chartContent')).draw(data, {is3D: true}); }`,
        'tableSummary.js': `google.load("visualization", '1', {packages:['table']});
google.setOnLoadCallback(drawTableSummary);
function drawTableSummary() {
var data = new google.visualization.DataTable();
data.addColumn('string', ''); data.addColumn('number', 'OK');
data.addColumn('number', 'NG'); data.addColumn('number', 'Yield(%)');
data.addRows([['Summary', ${total.ok}, ${total.ng}, ${(yieldOf(total) ?? 0).toFixed(6)}],]);
new google.visualization.Table(document.getElementById('tableContent')).draw(data, {showRowNumber: false}); }`,
        ...keyScripts('SettingFile', 'Setting File', (row) => row.settingFile),
        ...keyScripts('MachineId', 'Machine ID', (row) => row.board),
    };
}

// A small generator of repeatable numbers (no test depends on chance).
export function random(seed) {
    let state = seed >>> 0;
    return () => {
        state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
        return state / 4294967296;
    };
}
