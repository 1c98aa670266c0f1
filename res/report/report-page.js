// The page's controls: the scope, the four views, the CSV downloads, printing
// and the status line. The summary draws itself (its scripts register with
// google.setOnLoadCallback); the other views are drawn when their button is
// pressed, Setting File and Machine ID by the functions the report scripts
// define, By day by the page from the scope script's days.
//
// Every view has a section of its own. The scripts draw into the elements
// with the ids chartContent and tableContent; those ids (and viewTitle) are
// on the shown view's elements, and move to another view's while it is drawn.
// Printing draws the views not drawn yet and prints them all, one after the
// other.
(function(window, document) {
'use strict';

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
        title: 'Machine ID',
        chart: 'drawChartMachineId',
        table: 'drawTableMachineId',
        chartFile: 'chartMachineId.js',
        tableFile: 'tableMachineId.js',
        fileName: 'machine-id'
    },
    byDay: {title: 'By day', draw: drawByDay, fileName: 'by-day'}
};
var IDS = {title: 'viewTitle', chart: 'chartContent', table: 'tableContent'};

var scope = window.qzReportScope.scope;
var buttons = Array.prototype.slice.call(document.querySelectorAll('[data-view]'));
var printButton = document.getElementById('printReport');
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

function drawByDay(part) {
    if (!scope) {
        showMessage(
            part.chart,
            'No counts by day: js/reportScope.js could not be loaded (a report made by an ' +
                'older version of the program). Generate the report again.');
        clear(part.table);
        return false;
    }
    var days = window.qzReportDays;
    var note = days.spanNote(scope);
    days.drawChart(part.chart, scope.days);
    if (note) {
        var element = document.createElement('p');
        element.className = 'report-days-note';
        element.textContent = note;
        part.chart.insertBefore(element, part.chart.firstChild);
    }
    var visualization = window.google.visualization;
    if (!visualization || typeof visualization.Table !== 'function') {
        showMessage(part.table, 'The table cannot be drawn: the chart library has no table.');
        return true;
    }
    new visualization.Table(part.table).draw(days.dataTable(visualization, scope.days), {
        showRowNumber: false
    });
    return true;
}

function drawView(name, runNow) {
    var view = VIEWS[name];
    var part = parts[name];
    giveIds(name);
    if (view.draw) {
        part.drawn = view.draw(part);
    } else {
        var chartDrawn = drawWith(view.chart, view.chartFile, part.chart, runNow);
        var tableDrawn = drawWith(view.table, view.tableFile, part.table, runNow);
        part.drawn = chartDrawn && tableDrawn;
    }
    part.csv.disabled = !window.qzReport.tableDataOf(part.table);
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
    drawView(name, draw);
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

function csvFileName(name) {
    var range = !scope || !scope.firstDay ? '' :
        scope.firstDay === scope.lastDay  ? '-' + scope.firstDay :
                                            '-' + scope.firstDay + '-to-' + scope.lastDay;
    return 'report-' + VIEWS[name].fileName + range + '.csv';
}

// Printing shows every view: those not drawn yet are drawn first, while the
// sections are laid out as printed, so that the charts take the page's width.
function preparePrint() {
    if (document.body.classList.contains('report-printing')) {
        return;
    }
    document.body.classList.add('report-printing');
    Object.keys(parts).forEach(function(name) {
        if (!parts[name].drawn) {
            drawView(name, true);
        }
    });
    giveIds(shownView);
}

// Back to the shown view alone; a message of missing data printed for another
// view is said again when that view is shown.
function endPrint() {
    document.body.classList.remove('report-printing');
    Object.keys(parts).forEach(function(name) {
        if (name !== shownView && !parts[name].drawn) {
            clear(parts[name].chart);
            clear(parts[name].table);
        }
    });
}

buttons.forEach(function(button) {
    button.addEventListener(
        'click', function() { selectView(button.getAttribute('data-view'), true); });
});

Object.keys(parts).forEach(function(name) {
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

window.qzReportScope.show(document.getElementById('scopeContent'));

window.qzReport.whenReady(function() {
    var state = window.qzReport.state;
    var status = document.getElementById('reportStatus');
    if (state.renderer === 'library') {
        status.textContent = 'Charts drawn by the Google Charts library.';
    } else {
        status.textContent =
            'Offline view: ' + state.reason + ', so the page draws the charts itself.';
        status.classList.add('report-status-offline');
    }
    document.body.setAttribute('data-renderer', state.renderer);
    buttons.forEach(function(button) { button.disabled = false; });
    printButton.disabled = false;
    // The summary scripts have drawn themselves; only report what is missing.
    selectView('summary', false);
    warnOfOtherSummary();
});
})(window, document);
