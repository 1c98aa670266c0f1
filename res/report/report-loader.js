// Decides who draws the report: the Google Charts library when its loader can
// be fetched, else the page's own offline renderer (report-fallback.js).
//
// The report scripts call google.load(...) and google.setOnLoadCallback(...) at
// their top level while the page is being parsed, so a google object that
// accepts those calls must exist before the first of them runs. This file
// defines it: the calls are queued until a renderer is chosen, then answered by
// that renderer. The library is chosen when its loader has arrived within the
// time-out and the page has been parsed (so every package is known); a loader
// that fails or does not answer in time selects the offline renderer, and so
// does a library whose packages never finish loading.
(function(window, document) {
'use strict';

var LOADER_URL = 'https://www.gstatic.com/charts/loader.js';
var LOADER_TIMEOUT_MS = 2000;
var LIBRARY_TIMEOUT_MS = 6000;

var packages = [];
var pendingCallbacks = [];
var readyListeners = [];

var loaderState = 'loading';  // 'loading', 'loaded' or 'failed'
var loaderProblem = '';
var pageParsed = document.readyState !== 'loading';

var state = {
    renderer: '',  // '' until chosen, then 'library' or 'offline'
    reason: '',    // why the offline renderer was chosen
    ready: false   // the renderer can draw; callbacks run at once
};
var requestedFromLibrary = [];
var libraryWatchdog = 0;
// The loader's own google.load / google.setOnLoadCallback, if it has them:
// given back to it once the library is in charge, in case it uses them.
var loaderOwnCalls = null;

function reportError(error) {
    if (typeof window.reportError === 'function') {
        window.reportError(error);
    } else {
        window.setTimeout(function() { throw error; }, 0);
    }
}

function runCallback(callback) {
    try {
        callback();
    } catch (error) {
        // One failing draw must not keep the others from running.
        reportError(error);
    }
}

function addPackages(settings) {
    var list = settings && settings.packages;
    if (!list) {
        return;
    }
    for (var i = 0; i < list.length; i++) {
        var name = String(list[i]);
        if (packages.indexOf(name) < 0) {
            packages.push(name);
        }
    }
}

function becomeReady() {
    state.ready = true;
    var callbacks = pendingCallbacks;
    pendingCallbacks = [];
    callbacks.forEach(runCallback);
    var listeners = readyListeners;
    readyListeners = [];
    listeners.forEach(runCallback);
}

function useOffline(reason) {
    if (libraryWatchdog) {
        window.clearTimeout(libraryWatchdog);
        libraryWatchdog = 0;
    }
    state.renderer = 'offline';
    state.reason = reason;
    installLegacyCalls();
    installOffline();
    becomeReady();
}

function requestLibraryPackages() {
    var missing =
        packages.filter(function(name) { return requestedFromLibrary.indexOf(name) < 0; });
    if (missing.length === 0 && requestedFromLibrary.length > 0) {
        return;
    }
    requestedFromLibrary = requestedFromLibrary.concat(missing);
    window.google.charts.load('current', {packages: missing});
}

// The library draws whatever it is given: 100,000 keys make 100,000 bars and
// a table of 100,000 rows, and the page freezes. Its chart classes are wrapped
// so that the offline view's limits hold: a table of more rows than a page is
// paged, and a bar chart draws the first bars with a note of the rest. The
// scripts' calls stay the same.
function limitLibraryDraws(google) {
    var limits = window.qzReportFallback;
    var visualization = google.visualization || {};
    if (typeof visualization.Table === 'function') {
        visualization.Table = wrapDraw(visualization.Table, function(container, data, options) {
            // Printed, a table shows every row (report-page.js draws it again).
            if (data.getNumberOfRows() <= limits.tablePageRows ||
                document.body.classList.contains('report-printing')) {
                return [data, options];
            }
            var paged = copyOptions(options);
            paged.page = 'enable';
            paged.pageSize = limits.tablePageRows;
            return [data, paged];
        });
    }
    if (typeof visualization.PieChart === 'function') {
        visualization.PieChart =
            wrapDraw(visualization.PieChart, function(container, data, options) {
                showChartNote(container, '');
                return [data, options];
            });
    }
    if (google.charts && typeof google.charts.Bar === 'function') {
        google.charts.Bar = wrapDraw(google.charts.Bar, function(container, data, options) {
            var all = data.getNumberOfRows();
            var drawn = Math.min(all, limits.maxBars);
            showChartNote(container, drawn < all ? limits.barsNote(drawn, all, data) : '');
            if (drawn === all) {
                return [data, options];
            }
            var first = data.clone();
            first.removeRows(drawn, all - drawn);
            // A height given for every row is scaled down to the rows drawn.
            var scaled = copyOptions(options);
            var height = Number(scaled.height);
            if (height > 0) {
                scaled.height = String(Math.round(height * drawn / all));
            }
            return [first, scaled];
        });
    }
}

function installOffline() {
    window.qzReportFallback.install(window.google);
    rememberTables(window.google);
    adjustDraws(window.google);
}

// The page may adjust what a table or bar chart is given before it is drawn
// (qzReport.beforeDraw(kind, container, data, options) returns [data,
// options]): the order of the rows, the names of columns, a target. It runs
// before the limits, so that the bars drawn are the ones the page put first.
function adjustDraws(google) {
    var visualization = google.visualization || {};
    var adjust = function(kind) {
        return function(container, data, options) {
            var hook = window.qzReport.beforeDraw;
            return typeof hook === 'function' ? hook(kind, container, data, options) :
                                                [data, options];
        };
    };
    if (typeof visualization.Table === 'function') {
        visualization.Table = wrapDraw(visualization.Table, adjust('Table'));
    }
    if (google.charts && typeof google.charts.Bar === 'function') {
        google.charts.Bar = wrapDraw(google.charts.Bar, adjust('Bar'));
    }
}

// Every table drawn keeps its data with its container, so that the page can
// offer it as a file whoever drew it (the CSV download).
var tableData = typeof WeakMap === 'function' ? new WeakMap() : null;
function rememberTables(google) {
    var visualization = google.visualization;
    if (!tableData || !visualization || typeof visualization.Table !== 'function') {
        return;
    }
    visualization.Table = wrapDraw(visualization.Table, function(container, data, options) {
        tableData.set(container, data);
        return [data, options];
    });
}

// Library is a chart class; limit(container, data, options) gives the data and
// options its draw receives. The chart keeps the library's other methods.
function wrapDraw(Library, limit) {
    function Limited(container) {
        var chart = new Library(container);
        var draw = chart.draw;
        chart.draw = function(data, options) {
            var limited = limit(container, data, options);
            return draw.call(chart, limited[0], limited[1]);
        };
        return chart;
    }
    Limited.prototype = Library.prototype;
    Object.keys(Library).forEach(function(name) { Limited[name] = Library[name]; });
    return Limited;
}

function copyOptions(options) {
    var copy = {};
    Object.keys(options || {}).forEach(function(name) { copy[name] = options[name]; });
    return copy;
}

// The note sits after the chart's container: the library owns what is inside.
function showChartNote(container, text) {
    var note = container.nextElementSibling;
    if (!note || note.className !== 'qz-chart-note') {
        if (!text) {
            return;
        }
        note = document.createElement('p');
        note.className = 'qz-chart-note';
        container.parentNode.insertBefore(note, container.nextSibling);
    }
    note.textContent = text;
    note.hidden = !text;
}

function useLibrary() {
    state.renderer = 'library';
    // The page has been parsed, so every report script has made its calls;
    // any later ones go to the loader's own functions where it has them.
    installLegacyCalls();
    if (loaderOwnCalls) {
        window.google.load = loaderOwnCalls.load;
        window.google.setOnLoadCallback = loaderOwnCalls.setOnLoadCallback;
    }
    requestLibraryPackages();
    libraryWatchdog = window.setTimeout(function() {
        libraryWatchdog = 0;
        if (!state.ready) {
            useOffline('the chart library did not finish loading');
        }
    }, LIBRARY_TIMEOUT_MS);
    window.google.charts.setOnLoadCallback(function() {
        if (state.renderer === 'library' && !state.ready) {
            window.clearTimeout(libraryWatchdog);
            libraryWatchdog = 0;
            limitLibraryDraws(window.google);
            rememberTables(window.google);
            adjustDraws(window.google);
            becomeReady();
        }
    });
}

function decide() {
    if (state.renderer) {
        return;
    }
    if (loaderState === 'failed') {
        useOffline(loaderProblem);
    } else if (loaderState === 'loaded' && pageParsed) {
        var charts = window.google && window.google.charts;
        if (charts && typeof charts.load === 'function' &&
            typeof charts.setOnLoadCallback === 'function') {
            useLibrary();
        } else {
            useOffline('the chart loader did not define google.charts');
        }
    }
}

// google.load(module, version, settings): only the packages matter; the
// library is always asked for its current version.
function legacyLoad(module, version, settings) {
    addPackages(settings);
    if (settings && typeof settings.callback === 'function') {
        legacySetOnLoadCallback(settings.callback);
    }
    if (state.renderer === 'library') {
        requestLibraryPackages();
    }
}

function legacySetOnLoadCallback(callback) {
    if (typeof callback !== 'function') {
        return;
    }
    if (state.ready) {
        window.setTimeout(function() { runCallback(callback); }, 0);
    } else {
        pendingCallbacks.push(callback);
    }
}

function installLegacyCalls() {
    if (!window.google || typeof window.google !== 'object') {
        window.google = {};
    }
    window.google.load = legacyLoad;
    window.google.setOnLoadCallback = legacySetOnLoadCallback;
}

function loaderFinished(newState, problem) {
    if (loaderState !== 'loading') {
        return;
    }
    loaderState = newState;
    loaderProblem = problem || '';
    if (newState === 'loaded') {
        keepLoaderOwnCalls();
        installLegacyCalls();
    }
    decide();
}

function keepLoaderOwnCalls() {
    var google = window.google;
    if (google && typeof google.load === 'function' && google.load !== legacyLoad &&
        typeof google.setOnLoadCallback === 'function' &&
        google.setOnLoadCallback !== legacySetOnLoadCallback) {
        loaderOwnCalls = {load: google.load, setOnLoadCallback: google.setOnLoadCallback};
    }
}

installLegacyCalls();

// The page's own controls wait for this before they draw anything.
window.qzReport = {
    state: state,
    beforeDraw: null,  // set by the page
    // The data last drawn as a table into container, or null.
    tableDataOf: function(container) { return (tableData && tableData.get(container)) || null; },
    whenReady: function(listener) {
        if (state.ready) {
            runCallback(listener);
        } else {
            readyListeners.push(listener);
        }
    }
};

document.addEventListener('DOMContentLoaded', function() {
    pageParsed = true;
    decide();
});

window.setTimeout(
    function() { loaderFinished('failed', 'the chart library did not answer in time'); },
    LOADER_TIMEOUT_MS);

var loader = document.createElement('script');
loader.src = LOADER_URL;
loader.async = true;
loader.onload = function() {
    if (state.renderer === 'offline') {
        // Too late: the offline renderer has drawn and stays in charge,
        // even if the loader replaced the google object.
        installLegacyCalls();
        installOffline();
        return;
    }
    loaderFinished('loaded');
};
loader.onerror = function() {
    loaderFinished('failed', 'the chart library could not be loaded');
};
document.head.appendChild(loader);
})(window, document);
