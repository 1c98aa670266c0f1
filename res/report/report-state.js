// What the operator chose on the page, kept where a link or a reload finds
// it: the view, the chips, the trend's period, the Pareto's key, the tables'
// sort and (for a live reload) the scroll position, in the URL fragment; the
// yield target in the browser's storage for this page.
//
//   #view=trend&period=week&chip=board%3AB7&chip=machine%3AM01&sort=trend.3.a
(function(window) {
'use strict';

var VIEW_NAMES =
    ['summary', 'settingFile', 'machineId', 'byDay', 'byMachine', 'byCustomer', 'trend', 'pareto'];
var CHIP_DIMENSIONS = ['machine', 'settingFile', 'customer', 'board', 'day', 'week', 'month'];
var PARETO_KEYS = ['board', 'settingFile', 'machine'];

function defaults() {
    return {view: 'summary', chips: [], period: 'day', pareto: 'board', sort: {}, y: 0};
}

function parse(hash) {
    var state = defaults();
    var params = new URLSearchParams(String(hash || '').replace(/^#/, ''));
    if (VIEW_NAMES.indexOf(params.get('view')) >= 0) {
        state.view = params.get('view');
    }
    if (['day', 'week', 'month'].indexOf(params.get('period')) >= 0) {
        state.period = params.get('period');
    }
    if (PARETO_KEYS.indexOf(params.get('pareto')) >= 0) {
        state.pareto = params.get('pareto');
    }
    params.getAll('chip').forEach(function(chip) {
        var colon = chip.indexOf(':');
        var dimension = chip.slice(0, colon);
        var value = chip.slice(colon + 1);
        if (colon > 0 && CHIP_DIMENSIONS.indexOf(dimension) >= 0 &&
            !has(state.chips, dimension, value)) {
            state.chips.push({dimension: dimension, value: value});
        }
    });
    params.getAll('sort').forEach(function(sort) {
        var match = /^(\w+)\.(\d+)\.([ad])$/.exec(sort);
        if (match && VIEW_NAMES.indexOf(match[1]) >= 0) {
            state.sort[match[1]] = {column: Number(match[2]), ascending: match[3] === 'a'};
        }
    });
    var y = Number(params.get('y'));
    state.y = isFinite(y) && y > 0 ? y : 0;
    return state;
}

function format(state, withScroll) {
    var params = new URLSearchParams();
    params.append('view', state.view);
    if (state.period !== 'day') {
        params.append('period', state.period);
    }
    if (state.pareto !== 'board') {
        params.append('pareto', state.pareto);
    }
    state.chips.forEach(function(
        chip) { params.append('chip', chip.dimension + ':' + chip.value); });
    Object.keys(state.sort).forEach(function(view) {
        var sort = state.sort[view];
        params.append('sort', view + '.' + sort.column + '.' + (sort.ascending ? 'a' : 'd'));
    });
    if (withScroll && state.y > 0) {
        params.append('y', String(Math.round(state.y)));
    }
    return '#' + params.toString();
}

function has(chips, dimension, value) {
    return chips.some(function(
        chip) { return chip.dimension === dimension && chip.value === value; });
}

// The target is kept per page (its path): two report folders may serve two
// lines of different targets. Storage may be refused (a private window, a
// policy); the target then lasts as long as the page.
var TARGET_KEY = 'qz-report-target:' + window.location.pathname;

function loadTarget() {
    try {
        return parseTarget(window.localStorage.getItem(TARGET_KEY));
    } catch (error) {
        return null;
    }
}

function saveTarget(target) {
    try {
        if (target === null) {
            window.localStorage.removeItem(TARGET_KEY);
        } else {
            window.localStorage.setItem(TARGET_KEY, String(target));
        }
    } catch (error) {
        // Kept for this page only.
    }
}

// A yield from 0 to 100, or null for none (an empty or other text).
function parseTarget(text) {
    if (text === null || text === undefined || String(text).trim() === '') {
        return null;
    }
    var value = Number(String(text).trim().replace(',', '.'));
    return isFinite(value) && value >= 0 && value <= 100 ? value : null;
}

window.qzReportState = {
    parse: parse,
    format: format,
    has: has,
    loadTarget: loadTarget,
    saveTarget: saveTarget,
    parseTarget: parseTarget
};
})(window);
