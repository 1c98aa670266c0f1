// The page's controls: the three views and the status line. The summary draws
// itself (its scripts register with google.setOnLoadCallback); the other views
// are drawn by the functions the report scripts define, when their button is
// pressed.
(function(window, document) {
'use strict';

var VIEWS = {
    summary: {
        title: 'Summary',
        chart: 'drawChartSummary',
        table: 'drawTableSummary',
        chartFile: 'chartSummary.js',
        tableFile: 'tableSummary.js'
    },
    settingFile: {
        title: 'Setting File',
        chart: 'drawChartSettingFile',
        table: 'drawTableSettingFile',
        chartFile: 'chartSettingFile.js',
        tableFile: 'tableSettingFile.js'
    },
    machineId: {
        title: 'Machine ID',
        chart: 'drawChartMachineId',
        table: 'drawTableMachineId',
        chartFile: 'chartMachineId.js',
        tableFile: 'tableMachineId.js'
    }
};

var buttons = Array.prototype.slice.call(document.querySelectorAll('[data-view]'));
var chartContent = document.getElementById('chartContent');
var tableContent = document.getElementById('tableContent');

function showMessage(container, text) {
    while (container.firstChild) {
        container.removeChild(container.firstChild);
    }
    var message = document.createElement('p');
    message.className = 'report-message';
    message.textContent = text;
    container.appendChild(message);
}

// Draws with the report script's function, or says which script is missing
// (the report has not been generated yet, or its folder was moved).
function drawWith(functionName, fileName, container, runNow) {
    var draw = window[functionName];
    if (typeof draw !== 'function') {
        showMessage(
            container,
            'No report data: js/' + fileName + ' could not be loaded. Generate the report again.');
        return;
    }
    if (runNow) {
        draw();
    }
}

function selectView(name, draw) {
    var view = VIEWS[name];
    buttons.forEach(function(button) {
        button.setAttribute('aria-pressed', String(button.getAttribute('data-view') === name));
    });
    document.getElementById('viewTitle').textContent = view.title;
    drawWith(view.chart, view.chartFile, chartContent, draw);
    drawWith(view.table, view.tableFile, tableContent, draw);
}

buttons.forEach(function(button) {
    button.addEventListener(
        'click', function() { selectView(button.getAttribute('data-view'), true); });
});

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
    // The summary scripts have drawn themselves; only report what is missing.
    selectView('summary', false);
});
})(window, document);
