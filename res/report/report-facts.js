// The report's fact rows from js/reportFacts.js, and the sums the new views
// are drawn from: per machine, customer, setting file or board, per day, ISO
// week or month, for the rows the chips select. A report without the script
// (made by an older version) or with its detail left out has no facts; the
// page then keeps the views of the six scripts and says why.
//
// Rows are held column by column in typed arrays: a year of a line is some
// hundred thousand rows, and every chip or period change sums them again.
(function(window) {
'use strict';

var DAY_MS = 24 * 60 * 60 * 1000;
// The columns of a row: day, machine, setting file, customer, board, OK, NG.
var DIMENSIONS = ['machine', 'settingFile', 'customer', 'board'];
var DIMENSION_NAMES = {
    machine: 'Machine',
    settingFile: 'Setting File',
    customer: 'Customer',
    board: 'Board',
    day: 'Day',
    week: 'Week',
    month: 'Month'
};
var PERIODS = ['day', 'week', 'month'];

// ---- Days and periods -------------------------------------------------

function pad(n, width) {
    var text = String(n);
    while (text.length < width) {
        text = '0' + text;
    }
    return text;
}

function dayText(day) {
    var date = new Date(day * DAY_MS);
    return pad(date.getUTCFullYear(), 4) + '-' + pad(date.getUTCMonth() + 1, 2) + '-' +
        pad(date.getUTCDate(), 2);
}

// yyyy-mm-dd to its day number, or NaN.
function dayOf(text) {
    var match = /^(\d{4})-(\d{2})-(\d{2})$/.exec(String(text));
    return match ? Date.UTC(Number(match[1]), Number(match[2]) - 1, Number(match[3])) / DAY_MS :
                   NaN;
}

// ISO 8601: weeks start on Monday; week 1 holds the year's first Thursday.
function isoWeekOf(day) {
    var weekday = (((day + 3) % 7) + 7) % 7;  // 0 for Monday (day 0 was a Thursday)
    var thursday = day - weekday + 3;
    var year = new Date(thursday * DAY_MS).getUTCFullYear();
    var week = Math.floor((thursday - Date.UTC(year, 0, 1) / DAY_MS) / 7) + 1;
    return {key: pad(year, 4) + '-W' + pad(week, 2), first: thursday - 3, last: thursday + 3};
}

function monthOf(day) {
    var date = new Date(day * DAY_MS);
    var year = date.getUTCFullYear();
    var month = date.getUTCMonth();
    return {
        key: pad(year, 4) + '-' + pad(month + 1, 2),
        first: Date.UTC(year, month, 1) / DAY_MS,
        last: Date.UTC(year, month + 1, 1) / DAY_MS - 1
    };
}

// The period of kind ('day', 'week', 'month') that holds day: {key, first, last}.
function periodOf(kind, day) {
    if (kind === 'week') {
        return isoWeekOf(day);
    }
    if (kind === 'month') {
        return monthOf(day);
    }
    return {key: dayText(day), first: day, last: day};
}

// The days of a period key, or null when the key is not one.
function periodRange(kind, key) {
    var text = String(key);
    var day = NaN;
    if (kind === 'day') {
        day = dayOf(text);
    } else if (kind === 'month' && /^\d{4}-\d{2}$/.test(text)) {
        day = dayOf(text + '-01');
    } else if (kind === 'week') {
        var match = /^(\d{4})-W(\d{2})$/.exec(text);
        if (match) {
            // The fourth of January is always in week 1.
            var fourth = Date.UTC(Number(match[1]), 0, 4) / DAY_MS;
            day = isoWeekOf(fourth).first + (Number(match[2]) - 1) * 7;
        }
    }
    if (isNaN(day)) {
        return null;
    }
    var period = periodOf(kind, day);
    return period.key === text ? period : null;
}

// ---- Reading the script -----------------------------------------------

// {state, facts, note}: state 'ready' with the facts, or 'missing',
// 'incomplete' or 'invalid' with a note for the page.
function readFacts(raw) {
    if (!raw || typeof raw !== 'object') {
        return {
            state: 'missing',
            facts: null,
            note: 'This report has no js/reportFacts.js (it was made by an older version of the ' +
                'program), so the views by machine, customer, period and Pareto cannot be ' +
                'shown. Generate the report again to see them.'
        };
    }
    var count = typeof raw.rowCount === 'number' ? raw.rowCount : 0;
    if (raw.complete === false) {
        return {
            state: 'incomplete',
            facts: null,
            note: 'This report has ' + formatCount(count) + ' fact rows, more than the ' +
                formatCount(typeof raw.bound === 'number' ? raw.bound : 0) +
                ' the page is given, so the views by machine, customer, period and Pareto ' +
                'are not shown. A report over fewer days or machines shows them.'
        };
    }
    if (raw.version !== 1) {
        return {
            state: 'invalid',
            facts: null,
            note: 'The js/reportFacts.js of this report was written by another version of the ' +
                'program, so the views by machine, customer, period and Pareto are not shown. ' +
                'Open the report page that the program wrote with it.'
        };
    }
    var texts = Array.isArray(raw.texts) ? raw.texts.map(String) : null;
    var rows = Array.isArray(raw.rows) ? raw.rows : null;
    if (!texts || !rows) {
        return invalid();
    }
    var n = rows.length;
    var facts = {
        texts: texts,
        count: n,
        day: new Int32Array(n),
        keys: DIMENSIONS.map(function() { return new Int32Array(n); }),
        ok: new Float64Array(n),
        ng: new Float64Array(n),
        firstDay: Infinity,
        lastDay: -Infinity
    };
    for (var i = 0; i < n; i++) {
        var row = rows[i];
        if (!Array.isArray(row) || row.length !== 7) {
            return invalid();
        }
        for (var d = 0; d < 4; d++) {
            var index = row[d + 1];
            if (!(index >= 0 && index < texts.length && Number.isInteger(index))) {
                return invalid();
            }
            facts.keys[d][i] = index;
        }
        if (!Number.isInteger(row[0]) || !(row[5] >= 0) || !(row[6] >= 0)) {
            return invalid();
        }
        facts.day[i] = row[0];
        facts.ok[i] = row[5];
        facts.ng[i] = row[6];
        facts.firstDay = Math.min(facts.firstDay, row[0]);
        facts.lastDay = Math.max(facts.lastDay, row[0]);
    }
    return {state: 'ready', facts: facts, note: ''};
}

function invalid() {
    return {
        state: 'invalid',
        facts: null,
        note: 'The js/reportFacts.js of this report cannot be read (it was written in part, or ' +
            'by hand), so the views by machine, customer, period and Pareto are not shown. ' +
            'Generate the report again.'
    };
}

function formatCount(n) { return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, ','); }

// ---- Selection --------------------------------------------------------

// A chip: {dimension, value}; value is a text of the facts for the four key
// dimensions, a period key for day, week and month. Chips of one dimension
// select any of their values; chips of different dimensions all hold.
function selector(facts, chips) {
    var keySets = [];
    var dayRanges = [];
    DIMENSIONS.forEach(function(dimension, d) {
        var values = chips.filter(function(chip) { return chip.dimension === dimension; })
                         .map(function(chip) { return chip.value; });
        if (values.length) {
            var wanted = new Uint8Array(facts.texts.length);
            facts.texts.forEach(function(text, i) {
                if (values.indexOf(text) >= 0) {
                    wanted[i] = 1;
                }
            });
            keySets.push({column: facts.keys[d], wanted: wanted});
        }
    });
    PERIODS.forEach(function(kind) {
        var ranges = chips.filter(function(chip) { return chip.dimension === kind; })
                         .map(function(chip) { return periodRange(kind, chip.value); })
                         .filter(Boolean);
        if (ranges.length) {
            dayRanges.push(ranges);
        }
    });
    return function(i) {
        for (var k = 0; k < keySets.length; k++) {
            if (!keySets[k].wanted[keySets[k].column[i]]) {
                return false;
            }
        }
        for (var p = 0; p < dayRanges.length; p++) {
            var day = facts.day[i];
            if (!dayRanges[p].some(function(
                    range) { return day >= range.first && day <= range.last; })) {
                return false;
            }
        }
        return true;
    };
}

// Sums of the selected rows by one key dimension: [{key, ok, ng}] of every
// key with a selected row, in no particular order.
function sumsBy(facts, chips, dimension) {
    var column = facts.keys[DIMENSIONS.indexOf(dimension)];
    var selected = selector(facts, chips);
    var ok = new Float64Array(facts.texts.length);
    var ng = new Float64Array(facts.texts.length);
    var seen = new Uint8Array(facts.texts.length);
    for (var i = 0; i < facts.count; i++) {
        if (selected(i)) {
            var key = column[i];
            ok[key] += facts.ok[i];
            ng[key] += facts.ng[i];
            seen[key] = 1;
        }
    }
    var sums = [];
    for (var t = 0; t < seen.length; t++) {
        if (seen[t]) {
            sums.push({key: facts.texts[t], ok: ok[t], ng: ng[t]});
        }
    }
    return sums;
}

// Sums of the selected rows by period, one for every period from first to
// last day (both day numbers), those without records with zero counts and
// empty set: [{key, first, last, ok, ng, empty}].
function sumsByPeriod(facts, chips, kind, first, last) {
    var periods = [];
    var indexOfDay = {};
    for (var day = first; day <= last;) {
        var period = periodOf(kind, day);
        period.ok = 0;
        period.ng = 0;
        period.empty = true;
        for (var d = Math.max(period.first, first); d <= Math.min(period.last, last); d++) {
            indexOfDay[d] = periods.length;
        }
        periods.push(period);
        day = period.last + 1;
    }
    var selected = selector(facts, chips);
    for (var i = 0; i < facts.count; i++) {
        var at = indexOfDay[facts.day[i]];
        if (at !== undefined && selected(i)) {
            var p = periods[at];
            p.ok += facts.ok[i];
            p.ng += facts.ng[i];
            if (facts.ok[i] + facts.ng[i] > 0) {
                p.empty = false;
            }
        }
    }
    return periods;
}

function yieldOf(sum) { return sum.ok + sum.ng > 0 ? sum.ok * 100 / (sum.ok + sum.ng) : null; }

// Worst first: the lowest yield, then the most NG, then the key.
function compareWorstFirst(a, b) {
    var ya = yieldOf(a);
    var yb = yieldOf(b);
    if (ya !== yb) {
        return ya === null ? 1 : yb === null ? -1 : ya - yb;
    }
    return b.ng - a.ng || (a.key < b.key ? -1 : a.key > b.key ? 1 : 0);
}

// NG by key, largest first, with each key's share and the cumulative share
// of all NG (fractions): [{key, ng, share, cumulative}]; keys without NG are
// left out.
function pareto(sums) {
    var total = 0;
    var rows = sums.filter(function(sum) { return sum.ng > 0; });
    rows.forEach(function(sum) { total += sum.ng; });
    rows.sort(function(
        a, b) { return b.ng - a.ng ||
                    (a.key < b.key     ? -1 :
                         a.key > b.key ? 1 :
                                         0); });
    var running = 0;
    return rows.map(function(sum) {
        running += sum.ng;
        return {key: sum.key, ng: sum.ng, share: sum.ng / total, cumulative: running / total};
    });
}

window.qzReportFacts = {
    DIMENSIONS: DIMENSIONS,
    DIMENSION_NAMES: DIMENSION_NAMES,
    PERIODS: PERIODS,
    read: readFacts,
    dayText: dayText,
    dayOf: dayOf,
    periodOf: periodOf,
    periodRange: periodRange,
    sumsBy: sumsBy,
    sumsByPeriod: sumsByPeriod,
    yieldOf: yieldOf,
    compareWorstFirst: compareWorstFirst,
    pareto: pareto
};
})(window);
