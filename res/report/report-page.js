// The page's controls: the scope, the views, the drill-down chips, the yield
// target, the CSV downloads, printing and the status lines. The summary draws
// itself (its scripts register with google.setOnLoadCallback); the other
// views are drawn when their button is pressed: Setting File and Machine
// (Write Board) ID by the functions the report scripts define, By day by the
// page from the scope script's days, and By machine, By customer, Trend and
// Pareto by the page from the report's facts (js/reportFacts.js). While chips
// select part of the report, every view is drawn from the facts.
//
// Every view has a section of its own. The scripts draw into the elements
// with the ids chartContent and tableContent; those ids (and viewTitle) are
// on the shown view's elements, and move to another view's while it is drawn.
// Printing draws the views not drawn yet and prints them all, one after the
// other.
(function(window, document) {
'use strict';

var MACHINE_ID_NAME = window.qzReportFactViews.MACHINE_ID_NAME;
var BELOW_TARGET = window.qzReportFactViews.BELOW_TARGET;

var VIEWS = {
    summary: {
        title: 'Summary',
        chart: 'drawChartSummary',
        table: 'drawTableSummary',
        chartFile: 'chartSummary.js',
        tableFile: 'tableSummary.js',
        fileName: 'summary'
    },
    settingFile: {
        title: 'Setting File',
        chart: 'drawChartSettingFile',
        table: 'drawTableSettingFile',
        chartFile: 'chartSettingFile.js',
        tableFile: 'tableSettingFile.js',
        fileName: 'setting-file'
    },
    machineId: {
        title: MACHINE_ID_NAME,
        chart: 'drawChartMachineId',
        table: 'drawTableMachineId',
        chartFile: 'chartMachineId.js',
        tableFile: 'tableMachineId.js',
        fileName: 'machine-id'
    },
    byDay: {title: 'By day', draw: drawByDay, fileName: 'by-day'},
    byMachine: {
        title: 'By machine',
        draw: function(part, name) { return factViews.byKey(part, name); },
        fileName: 'by-machine',
        needsFacts: true
    },
    byCustomer: {
        title: 'By customer',
        draw: function(part, name) { return factViews.byKey(part, name); },
        fileName: 'by-customer',
        needsFacts: true
    },
    trend: {
        title: 'Trend',
        draw: function(part, name) { return factViews.trend(part, name); },
        fileName: 'trend',
        needsFacts: true
    },
    pareto: {
        title: 'Pareto',
        draw: function(part, name) { return factViews.pareto(part, name); },
        fileName: 'pareto',
        needsFacts: true
    }
};
// What a click on a view's row or bar selects.
var PICKS = {
    settingFile: 'settingFile',
    machineId: 'board',
    byDay: 'day',
    byMachine: 'machine',
    byCustomer: 'customer'
};
var IDS = {title: 'viewTitle', chart: 'chartContent', table: 'tableContent'};

var scope = window.qzReportScope.scope;
var factsKit = window.qzReportFacts;
var stateKit = window.qzReportState;
// The facts script is loaded without holding up the page (a year of a line
// is megabytes of rows): the views of the six scripts are drawn first, those
// of the facts once they are read.
var factsKnown = false;
var facts = null;
var customerNames = {};
var rendererReady = false;
var state = stateKit.parse(window.location.hash);
// The view the address asks for (or the operator chose) while the page waits
// for the renderer or the facts.
var wantedView = state.view;
var target = stateKit.loadTarget();

var buttons = Array.prototype.slice.call(document.querySelectorAll('[data-view]'));
var printButton = document.getElementById('printReport');
var targetInput = document.getElementById('yieldTarget');
var periodSelect = document.getElementById('trendPeriod');
var paretoSelect = document.getElementById('paretoBy');
var parts = {};
Object.keys(VIEWS).forEach(function(name) {
    var section = document.querySelector('[data-view-section="' + name + '"]');
    parts[name] = {
        section: section,
        title: section.querySelector('.report-view-title'),
        chart: section.querySelector('.report-chart-content'),
        table: section.querySelector('.report-table-content'),
        csv: section.querySelector('.report-csv'),
        drawn: false  // drawn, not only a message of missing data
    };
    parts[name].csv.setAttribute(
        'aria-label', 'Download CSV of the ' + VIEWS[name].title + ' table');
});
var shownView = 'summary';
var factViews = window.qzReportFactViews.create({
    facts: function() { return facts; },
    state: function() { return state; },
    target: function() { return target; },
    customerNames: function() { return customerNames; },
    scope: scope,
    pick: function(dimension, key) { addChip(dimension, key); },
    drawTable: function(name, data) { drawTable(name, data); },
    message: function(container, text) { showMessage(container, text); },
    clear: function(container) { clear(container); }
});

// Code -> name, where the report gives the customer list's names.
function readCustomerNames(raw) {
    var names = raw && raw.customerNames;
    var result = {};
    if (names && typeof names === 'object') {
        Object.keys(names).forEach(function(code) { result[code] = String(names[code]); });
    }
    return result;
}

function clear(container) {
    while (container.firstChild) {
        container.removeChild(container.firstChild);
    }
    // A note the library's bar chart left after its container.
    var next = container.nextElementSibling;
    if (next && next.className === 'qz-chart-note') {
        next.parentNode.removeChild(next);
    }
}

function showMessage(container, text) {
    clear(container);
    var message = document.createElement('p');
    message.className = 'report-message';
    message.textContent = text;
    container.appendChild(message);
}

// Puts the ids the scripts draw into on the view's elements.
function giveIds(name) {
    Object.keys(IDS).forEach(function(part) {
        var current = document.getElementById(IDS[part]);
        if (current) {
            current.removeAttribute('id');
        }
        parts[name][part].id = IDS[part];
    });
}

// Draws with the report script's function, or says which script is missing
// (the report has not been generated yet, or its folder was moved).
function drawWith(functionName, fileName, container, runNow) {
    var draw = window[functionName];
    if (typeof draw !== 'function') {
        showMessage(
            container,
            'No report data: js/' + fileName + ' could not be loaded. Generate the report again.');
        return false;
    }
    if (runNow) {
        draw();
    }
    return true;
}

// A table of the page's own views: worst first as given, or in the order
// the operator last chose; the order chosen is kept (the URL fragment).
function drawTable(name, data) {
    var visualization = factViews.visualizationOrSay(parts[name].table);
    if (!visualization) {
        return;
    }
    var options = {showRowNumber: false};
    var sort = state.sort[name];
    if (sort && sort.column < data.getNumberOfColumns()) {
        options.sortColumn = sort.column;
        options.sortAscending = sort.ascending;
    }
    var table = new visualization.Table(parts[name].table);
    var events = visualization.events;
    if (events && typeof events.addListener === 'function') {
        events.addListener(
            table, 'sort',
            function(
                event) { rememberSort(name, {column: event.column, ascending: event.ascending}); });
    }
    table.draw(data, options);
}

function rememberSort(name, sort) {
    state.sort[name] = sort;
    keepState();
}

// ---- By day -----------------------------------------------------------

function drawByDay(part) {
    var days;
    if (facts && state.chips.length) {
        days = factViews.periodsOf('day').map(function(
            period) { return {day: period.key, ok: period.ok, ng: period.ng}; });
    } else if (scope) {
        days = scope.days;
    } else {
        showMessage(
            part.chart,
            'No counts by day: js/reportScope.js could not be loaded (a report made by an ' +
                'older version of the program). Generate the report again.');
        clear(part.table);
        return false;
    }
    var dayKit = window.qzReportDays;
    // Days are picked only where there are facts to select from.
    var options = facts ? factViews.picking('day') : {};
    options.target = target;
    dayKit.drawChart(part.chart, days, options);
    var note = scope && !state.chips.length ? dayKit.spanNote(scope) : '';
    if (note) {
        var element = document.createElement('p');
        element.className = 'report-days-note';
        element.textContent = note;
        part.chart.insertBefore(element, part.chart.firstChild);
    }
    var visualization = factViews.visualizationOrSay(part.table);
    if (visualization) {
        new visualization.Table(part.table)
            .draw(
                dayKit.dataTable(visualization, days, target === null ? undefined : target),
                {showRowNumber: false});
    }
    return true;
}

// ---- Drawing a view ---------------------------------------------------

function drawView(name, runNow) {
    var view = VIEWS[name];
    var part = parts[name];
    giveIds(name);
    if (view.needsFacts) {
        part.drawn = facts ? view.draw(part, name) : false;
    } else if (facts && state.chips.length && name === 'summary') {
        clear(part.chart);
        part.drawn = factViews.summary(part);
    } else if (facts && state.chips.length && PICKS[name] && !view.draw) {
        clear(part.chart);
        part.drawn = factViews.keyView(part, PICKS[name]);
    } else if (view.draw) {
        part.drawn = view.draw(part, name);
    } else {
        var chartDrawn = drawWith(view.chart, view.chartFile, part.chart, runNow);
        var tableDrawn = drawWith(view.table, view.tableFile, part.table, runNow);
        part.drawn = chartDrawn && tableDrawn;
    }
    part.csv.disabled = !window.qzReport.tableDataOf(part.table);
    part.table.classList.toggle('report-pickable', Boolean(facts && pickOf(name)));
}

function selectView(name, draw) {
    buttons.forEach(function(button) {
        button.setAttribute('aria-pressed', String(button.getAttribute('data-view') === name));
    });
    var left = parts[shownView];
    if (name !== shownView && !left.drawn) {
        // Only a message of missing data: said again when the view is shown.
        clear(left.chart);
        clear(left.table);
    }
    Object.keys(parts).forEach(function(other) { parts[other].section.hidden = other !== name; });
    shownView = name;
    state.view = name;
    drawView(name, draw);
    keepState();
}

// After a change of the selection or the target: the shown view again, the
// others when they are next shown or printed.
function redraw() {
    Object.keys(parts).forEach(function(name) { parts[name].drawn = false; });
    showScope();
    showChips();
    selectView(shownView, true);
}

// ---- Tables and charts of today's views ---------------------------------

// The scripts' Summary, Setting File and Machine (Write Board) ID tables and
// bars, adjusted before they are drawn: the page's name for the ID, worst
// first (the lowest yield, then the most NG), the target marked.
function beforeDraw(kind, container, data, options) {
    var section = container.closest ? container.closest('[data-view-section]') : null;
    var name = section ? section.getAttribute('data-view-section') : '';
    if ((name !== 'settingFile' && name !== 'machineId' && name !== 'summary') ||
        typeof data.getNumberOfColumns !== 'function') {
        return [data, options];
    }
    var columns = data.getNumberOfColumns();
    var yieldColumn = -1;
    var ngColumn = -1;
    for (var c = 0; c < columns; c++) {
        var label = String(data.getColumnLabel(c));
        if (/^Yield/.test(label)) {
            yieldColumn = c;
        } else if (label === 'NG') {
            ngColumn = c;
        }
    }
    if (typeof data.setColumnLabel === 'function' && data.getColumnLabel(0) === 'Machine ID') {
        data.setColumnLabel(0, MACHINE_ID_NAME);
    }
    if (yieldColumn >= 0 && typeof data.sort === 'function') {
        var order = [{column: yieldColumn}];
        if (ngColumn >= 0) {
            order.push({column: ngColumn, desc: true});
        }
        order.push({column: 0});
        data.sort(order);
    }
    var adjusted = {};
    Object.keys(options || {}).forEach(function(key) { adjusted[key] = options[key]; });
    if (kind === 'Bar') {
        adjusted.qzTarget = target;
    } else if (kind === 'Table') {
        if (target !== null && yieldColumn >= 0 && typeof data.setValue === 'function') {
            var targetColumn = data.addColumn('string', 'Target');
            for (var r = 0; r < data.getNumberOfRows(); r++) {
                var y = data.getValue(r, yieldColumn);
                data.setValue(r, targetColumn, y !== null && y < target ? BELOW_TARGET : '');
            }
        }
        var sort = state.sort[name];
        if (sort && sort.column < data.getNumberOfColumns()) {
            adjusted.sortColumn = sort.column;
            adjusted.sortAscending = sort.ascending;
        }
    }
    return [data, adjusted];
}

// ---- Chips ------------------------------------------------------------

function pickOf(name) {
    return name === 'trend' ? state.period : name === 'pareto' ? state.pareto : PICKS[name];
}

function addChip(dimension, value) {
    if (!facts || stateKit.has(state.chips, dimension, value)) {
        return;
    }
    state.chips.push({dimension: dimension, value: value});
    redraw();
}

function removeChip(index) {
    state.chips.splice(index, 1);
    redraw();
    // Focus stays in the selection, or goes to the view's buttons.
    var next = document.querySelectorAll('#chips button')[Math.min(index, state.chips.length - 1)];
    (next || document.querySelector('[data-view][aria-pressed="true"]')).focus();
}

function showChips() {
    var holder = document.getElementById('chips');
    while (holder.firstChild) {
        holder.removeChild(holder.firstChild);
    }
    state.chips.forEach(function(chip, i) {
        var button = document.createElement('button');
        button.type = 'button';
        button.className = 'report-chip';
        var text = factsKit.DIMENSION_NAMES[chip.dimension] + ' ' +
            factViews.keyLabel(chip.dimension, chip.value);
        button.appendChild(document.createTextNode(text + ' '));
        // The cross is the button's look on screen; printed, the chip is its text.
        var cross = document.createElement('span');
        cross.className = 'report-chip-cross';
        cross.textContent = '\u00d7';
        button.appendChild(cross);
        button.setAttribute('aria-label', 'Remove ' + text + ' from the selection');
        button.addEventListener('click', function() { removeChip(i); });
        holder.appendChild(button);
    });
    document.getElementById('selection').hidden = state.chips.length === 0;
}

// A click on a row of a table selects its key (the first column's text).
function listenToRows(name) {
    parts[name].table.addEventListener('click', function(event) {
        var dimension = pickOf(name);
        if (!facts || !dimension || !event.target.closest ||
            event.target.closest('button, a, input')) {
            return;
        }
        var row = event.target.closest('tbody tr');
        if (!row) {
            return;
        }
        var cells = Array.prototype.filter.call(row.cells, function(cell) {
            return !cell.classList.contains('qz-row-number') &&
                !cell.classList.contains('google-visualization-table-seq');
        });
        if (cells.length) {
            addChip(dimension, cells[0].textContent);
        }
    });
    parts[name].table.addEventListener(
        'qz-sort', function(event) { rememberSort(name, event.detail); });
}

// ---- Target, scope, state -----------------------------------------------

function showScope() {
    var format = window.qzReportSvg.formatNumber;
    window.qzReportScope.show(
        document.getElementById('scopeContent'),
        target === null ? [] : [{term: 'Yield target', value: format(target, 2) + ' %'}]);
}

function onTarget() {
    var text = targetInput.value;
    var value = stateKit.parseTarget(text);
    var invalid = value === null && text.trim() !== '';
    targetInput.setAttribute('aria-invalid', String(invalid));
    document.getElementById('yieldTargetHelp').textContent = invalid ?
        'give a yield from 0 to 100, or nothing for no target' :
        'kept by this browser for this page';
    if (invalid || value === target) {
        return;
    }
    target = value;
    stateKit.saveTarget(target);
    redraw();
}

function keepState() {
    var fragment = stateKit.format(state, false);
    if (window.location.hash !== fragment && window.history && window.history.replaceState) {
        window.history.replaceState(null, '', fragment);
    }
}

// A link or an edited address: the state it gives.
function onHashChange() {
    state = stateKit.parse(window.location.hash);
    if (!facts) {
        state.chips = [];
    }
    periodSelect.value = state.period;
    paretoSelect.value = state.pareto;
    if (VIEWS[state.view].needsFacts && !facts) {
        state.view = 'summary';
    }
    wantedView = state.view;
    shownView = state.view;
    redraw();
}

// ---- Printing -----------------------------------------------------------

function csvFileName(name) {
    var range = !scope || !scope.firstDay ? '' :
        scope.firstDay === scope.lastDay  ? '-' + scope.firstDay :
                                            '-' + scope.firstDay + '-to-' + scope.lastDay;
    return 'report-' + VIEWS[name].fileName + range + '.csv';
}

function printRows(all) {
    Object.keys(parts).forEach(function(name) {
        var holder = parts[name].table;
        if (typeof holder.qzPrintRows === 'function') {
            holder.qzPrintRows(all);
        }
    });
}

// Printing shows every view: those not drawn yet are drawn first, while the
// sections are laid out as printed, so that the charts take the page's width;
// every table shows all its rows.
function preparePrint() {
    if (document.body.classList.contains('report-printing')) {
        return;
    }
    document.body.classList.add('report-printing');
    // The library pages long tables: every view is drawn again, unpaged.
    var again = window.qzReport.state.renderer === 'library';
    Object.keys(parts).forEach(function(name) {
        if ((again || !parts[name].drawn) && (facts || !VIEWS[name].needsFacts)) {
            drawView(name, true);
        }
    });
    giveIds(shownView);
    printRows(true);
}

// Back to the shown view alone; a message of missing data printed for another
// view is said again when that view is shown.
function endPrint() {
    document.body.classList.remove('report-printing');
    printRows(false);
    if (window.qzReport.state.renderer === 'library') {
        // Paged again: the shown view now, the others when they are shown.
        Object.keys(parts).forEach(function(name) { parts[name].drawn = false; });
        drawView(shownView, true);
    }
    Object.keys(parts).forEach(function(name) {
        if (name !== shownView && !parts[name].drawn) {
            clear(parts[name].chart);
            clear(parts[name].table);
        }
    });
}

// The summary table loaded must show the scope's totals: when it does not,
// the scripts come from different reports (a folder written in part, or by
// hand), and the page says so above everything else.
function warnOfOtherSummary() {
    var data = window.qzReport.tableDataOf(parts.summary.table);
    if (!scope || scope.ok === null || !data || typeof data.getValue !== 'function' ||
        data.getNumberOfRows() < 1) {
        return;
    }
    var ok = data.getValue(0, 1);
    var ng = data.getValue(0, 2);
    if (ok === scope.ok && ng === scope.ng) {
        return;
    }
    var format = window.qzReportScope.formatCount;
    var warning = document.createElement('p');
    warning.className = 'report-mismatch';
    warning.setAttribute('role', 'alert');
    warning.textContent = 'Warning: this page shows scripts of different reports. The summary ' +
        'table counts OK ' + format(ok) + ' and NG ' + format(ng) + ', but the report made ' +
        scope.made + ' counted OK ' + format(scope.ok) + ' and NG ' + format(scope.ng) +
        '. Generate the report again.';
    document.body.insertBefore(warning, document.body.firstChild);
}

// ---- Live ---------------------------------------------------------------

function startLive() {
    if (!scope || !scope.live) {
        return;
    }
    var line = document.getElementById('liveStatus');
    function say(lastLook) {
        line.textContent = 'Live report: the data was made ' + scope.made + '; the page looks ' +
            'for newer data every ' + scope.liveSeconds + ' s' +
            (lastLook ? ' (last at ' + lastLook.toTimeString().slice(0, 8) + ').' : '.');
    }
    line.hidden = false;
    say(null);
    window.qzReportLive.start(scope.made, scope.liveSeconds, {
        stale: function() { return Boolean(document.querySelector('.report-mismatch')); },
        report: say,
        reload: function() {
            state.y = window.scrollY;
            window.history.replaceState(null, '', stateKit.format(state, true));
            window.location.reload();
        }
    });
}

// ---- Start --------------------------------------------------------------

buttons.forEach(function(button) {
    button.addEventListener('click', function() {
        wantedView = button.getAttribute('data-view');
        selectView(wantedView, true);
    });
});

function enableControls() {
    buttons.forEach(function(button) {
        button.disabled = !rendererReady || (button.hasAttribute('data-facts') && !facts);
        button.hidden = button.hasAttribute('data-facts') && factsKnown && !facts;
    });
    printButton.disabled = !rendererReady;
}

// The facts script has run (or failed to load): the views of the facts are
// offered, or a note says why not.
function factsArrived() {
    if (factsKnown) {
        return;
    }
    factsKnown = true;
    var read = factsKit.read(window.reportFacts);
    facts = read.facts;
    customerNames = readCustomerNames(window.reportFacts);
    document.body.setAttribute('data-facts', read.state);
    Object.keys(VIEWS).forEach(function(name) {
        if (VIEWS[name].needsFacts && !facts) {
            parts[name].section.classList.add('report-view-unavailable');
        }
    });
    if (read.note) {
        var factsNote = document.getElementById('factsNote');
        factsNote.textContent = read.note;
        factsNote.hidden = false;
    }
    enableControls();
    if (rendererReady) {
        showWanted();
    }
}

// Once the renderer and the facts are both known: the view, chips and scroll
// position the address asks for.
function showWanted() {
    if (!facts) {
        state.chips = [];
        if (VIEWS[wantedView].needsFacts) {
            wantedView = 'summary';
        }
    }
    showChips();
    if (wantedView !== shownView || state.chips.length) {
        selectView(wantedView, true);
    }
    if (state.y > 0) {
        window.scrollTo(0, state.y);
        state.y = 0;
    }
    window.qzReport.usableAt = window.performance.now();
    document.body.setAttribute('data-usable', '');
    startLive();
}

Object.keys(parts).forEach(function(name) {
    listenToRows(name);
    parts[name].csv.addEventListener('click', function() {
        var data = window.qzReport.tableDataOf(parts[name].table);
        if (data) {
            window.qzReportCsv.download(csvFileName(name), window.qzReportCsv.tableCsv(data));
        }
    });
});

window.addEventListener('beforeprint', preparePrint);
window.addEventListener('afterprint', endPrint);
printButton.addEventListener('click', function() {
    preparePrint();
    // The library may still be drawing what was just asked of it.
    window.setTimeout(function() {
        window.print();
        endPrint();
    }, window.qzReport.state.renderer === 'library' ? 1000 : 0);
});
document.getElementById('clearChips').addEventListener('click', function() {
    state.chips = [];
    redraw();
    document.querySelector('[data-view][aria-pressed="true"]').focus();
});
periodSelect.value = state.period;
periodSelect.addEventListener('change', function() {
    state.period = periodSelect.value;
    parts.trend.drawn = false;
    selectView('trend', true);
});
paretoSelect.value = state.pareto;
paretoSelect.addEventListener('change', function() {
    state.pareto = paretoSelect.value;
    parts.pareto.drawn = false;
    selectView('pareto', true);
});
targetInput.value = target === null ? '' : String(target);
targetInput.addEventListener('change', onTarget);
window.addEventListener('hashchange', onHashChange);
window.qzReport.beforeDraw = beforeDraw;

showScope();
showChips();

window.qzReport.whenReady(function() {
    var rendererState = window.qzReport.state;
    var status = document.getElementById('reportStatus');
    if (rendererState.renderer === 'library') {
        status.textContent = 'Charts drawn by the Google Charts library.';
    } else {
        status.textContent =
            'Offline view: ' + rendererState.reason + ', so the page draws the charts itself.';
    }
    document.body.setAttribute('data-renderer', rendererState.renderer);
    rendererReady = true;
    enableControls();
    // The summary scripts have drawn themselves; only report what is missing.
    var wanted = wantedView;
    selectView('summary', false);
    wantedView = wanted;
    warnOfOtherSummary();
    window.qzReport.summaryAt = window.performance.now();
    if (factsKnown) {
        showWanted();
    } else if (!VIEWS[wantedView].needsFacts && !state.chips.length && wantedView !== 'summary') {
        selectView(wantedView, true);
    }
});

// The facts script's tag records its end (report.html), whether it came
// before this script ran or comes later.
var factsTag = document.getElementById('reportFactsScript');
if (window.qzReportFactsLoaded || !factsTag) {
    factsArrived();
} else {
    factsTag.addEventListener('load', factsArrived);
    factsTag.addEventListener('error', factsArrived);
}
})(window, document);
