// The report's scope above the charts: its days, the machines counted, what was
// excluded, the record files read and when the report was made, from
// js/reportScope.js. A report made before the program wrote that file has no
// scope; the page then says so and shows the rest as before.
(function(window, document) {
'use strict';

var DAY_MS = 24 * 60 * 60 * 1000;

function text(value) { return typeof value === 'string' ? value : ''; }
function texts(value) { return Array.isArray(value) ? value.map(String) : []; }
function count(value) { return typeof value === 'number' && isFinite(value) ? value : 0; }
function formatCount(n) { return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, ','); }

// Days from first to last, both counted; 0 when either is not yyyy-mm-dd.
function daysBetween(first, last) {
    var from = Date.parse(first + 'T00:00:00Z');
    var to = Date.parse(last + 'T00:00:00Z');
    if (!/^\d{4}-\d{2}-\d{2}$/.test(first) || !/^\d{4}-\d{2}-\d{2}$/.test(last) || isNaN(from) ||
        isNaN(to) || to < from) {
        return 0;
    }
    return Math.round((to - from) / DAY_MS) + 1;
}

// The script's object with every field of the expected kind (missing ones
// empty), or null when the report has no scope.
function readScope(raw) {
    if (!raw || typeof raw !== 'object') {
        return null;
    }
    var days = Array.isArray(raw.days) ? raw.days : [];
    return {
        firstDay: text(raw.firstDay),
        lastDay: text(raw.lastDay),
        made: text(raw.made),
        machines: texts(raw.machines),
        excludedSettingFiles: texts(raw.excludedSettingFiles),
        excludedMachineIds: texts(raw.excludedMachineIds),
        excludedCustomers: (Array.isArray(raw.excludedCustomers) ? raw.excludedCustomers : [])
                               .map(function(customer) {
                                   var pair = texts(customer);
                                   return {code: pair[0] || '', name: pair[1] || ''};
                               }),
        filesRead: count(raw.filesRead),
        filesFailed: count(raw.filesFailed),
        // The first files that failed (machine folder and file name), and
        // how many more did.
        failedFiles: texts(raw.failedFiles),
        failedFilesMore: count(raw.failedFilesMore),
        // A report rewritten while the line runs: the page looks for a newer
        // one every liveSeconds.
        live: raw.live === true && count(raw.liveSeconds) > 0,
        liveSeconds: count(raw.liveSeconds),
        // The report's totals; null in a report made before they were written.
        ok: typeof raw.ok === 'number' ? raw.ok : null,
        ng: typeof raw.ng === 'number' ? raw.ng : null,
        linesLeftOut: count(raw.linesLeftOut),
        daysFrom: text(raw.daysFrom),
        daysTo: text(raw.daysTo),
        everyDay: raw.everyDay !== false,
        dayRowsLeftOut: count(raw.dayRowsLeftOut),
        days: days.filter(Array.isArray).map(function(row) {
            return {day: String(row[0]), ok: count(row[1]), ng: count(row[2])};
        })
    };
}

function dayRangeText(first, last) {
    var n = daysBetween(first, last);
    var range = first === last ? first : first + ' to ' + last;
    return n ? range + ' (' + formatCount(n) + (n === 1 ? ' day)' : ' days)') : range;
}

function listText(values) { return values.length ? values.join(', ') : 'none'; }

function addEntry(list, term, value, className) {
    var dt = document.createElement('dt');
    dt.textContent = term;
    var dd = document.createElement('dd');
    dd.textContent = value;
    if (className) {
        dd.className = className;
    }
    list.appendChild(dt);
    list.appendChild(dd);
}

// extras: further entries [{term, value, className}] (the yield target).
function show(container, scope, extras) {
    while (container.firstChild) {
        container.removeChild(container.firstChild);
    }
    if (!scope) {
        var unknown = document.createElement('p');
        unknown.className = 'report-scope-unknown';
        unknown.textContent =
            'The scope of this report is not known: it has no js/reportScope.js (it was made ' +
            'by an older version of the program), so its days, machines and exclusions cannot ' +
            'be shown.';
        container.appendChild(unknown);
    }
    var list = document.createElement('dl');
    list.className = 'report-scope-list';
    if (!scope) {
        addExtras(list, extras);
        if (list.firstChild) {
            container.appendChild(list);
        }
        return;
    }
    addEntry(list, 'Days', dayRangeText(scope.firstDay, scope.lastDay));
    addEntry(
        list, 'Machines',
        scope.machines.length ? listText(scope.machines) + ' (' + scope.machines.length + ')' :
                                'none');
    addEntry(list, 'Excluded setting files', listText(scope.excludedSettingFiles));
    addEntry(list, 'Excluded Machine (Write Board) IDs', listText(scope.excludedMachineIds));
    addEntry(list, 'Excluded customers', listText(scope.excludedCustomers.map(function(customer) {
                 return customer.name ? customer.code + ' (' + customer.name + ')' : customer.code;
             })));
    addEntry(
        list, 'Record files',
        formatCount(scope.filesRead) + ' read, ' + formatCount(scope.filesFailed) + ' failed' +
            failedNames(scope),
        scope.filesFailed > 0 ? 'report-scope-failed' : '');
    if (scope.linesLeftOut > 0) {
        addEntry(
            list, 'Lines left out',
            formatCount(scope.linesLeftOut) +
                (scope.linesLeftOut === 1 ? ' last line' : ' last lines') +
                ' without a line end, of files being written when the report was made',
            'report-scope-failed');
    }
    addEntry(list, 'Made', scope.made);
    addExtras(list, extras);
    container.appendChild(list);
}

function addExtras(list, extras) {
    var entries = extras || [];
    entries.forEach(function(extra) { addEntry(list, extra.term, extra.value, extra.className); });
}

function failedNames(scope) {
    if (scope.failedFiles.length === 0) {
        return '';
    }
    return ': ' + scope.failedFiles.join(', ') +
        (scope.failedFilesMore > 0 ? ' and ' + formatCount(scope.failedFilesMore) + ' more' : '');
}

var scope = readScope(window.reportScope);

window.qzReportScope = {
    scope: scope,  // null for a report without scope
    show: function(container, extras) { show(container, scope, extras); },
    daysBetween: daysBetween,
    dayRangeText: dayRangeText,
    formatCount: formatCount
};
})(window, document);
