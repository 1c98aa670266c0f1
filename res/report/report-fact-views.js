// The views drawn from the report's facts: By machine, By customer, Trend and
// Pareto, and, while chips select part of the report, the Summary, Setting
// File, Machine (Write Board) ID and By day of that part. Charts are SVG drawn
// by the page (report-views.js, report-days.js); tables go through the
// renderer in charge, so that CSV, sorting and paging are the same as for the
// report scripts' tables.
(function(window) {
'use strict';

var factsKit = window.qzReportFacts;
// The page's one name for the write board's ID (the scripts say Machine ID).
var MACHINE_ID_NAME = 'Machine (Write Board) ID';
var BELOW_TARGET = 'below target';
var KEY_TITLES =
    {machine: 'Machine', settingFile: 'Setting File', customer: 'Customer', board: MACHINE_ID_NAME};
// Many of a key dimension, as the charts' notes name them.
var KEY_PLURALS =
    {machine: 'machines', settingFile: 'setting files', customer: 'customers', board: 'IDs'};

// page gives what the views are drawn from and what they do:
//   facts(), state() (chips, period, pareto), target(), customerNames(),
//   scope, pick(dimension, key), drawTable(view name, data),
//   message(container, text), clear(container).
function create(page) {
    function visualizationOrSay(container) {
        var visualization = window.google.visualization;
        if (!visualization || typeof visualization.Table !== 'function') {
            page.message(container, 'The table cannot be drawn: the chart library has no table.');
            return null;
        }
        return visualization;
    }

    // The day range the periods run over: the report's, or the facts' own
    // where the report's is not known or too long to list.
    function dayRange() {
        var first = page.scope ? factsKit.dayOf(page.scope.firstDay) : NaN;
        var last = page.scope ? factsKit.dayOf(page.scope.lastDay) : NaN;
        if (isNaN(first) || isNaN(last) || last < first || last - first > 3700) {
            first = page.facts().firstDay;
            last = page.facts().lastDay;
        }
        return {first: first, last: last};
    }

    function yieldCell(sum) {
        var y = factsKit.yieldOf(sum);
        return y === null ? {v: null, f: 'no records'} :
                            {v: y, f: window.qzReportSvg.formatNumber(y, 2)};
    }

    function targetCell(sum) {
        var y = factsKit.yieldOf(sum);
        return y !== null && page.target() !== null && y < page.target() ? BELOW_TARGET : '';
    }

    function keyLabel(dimension, key) {
        return dimension === 'customer' && page.customerNames()[key] ?
            key + ' (' + page.customerNames()[key] + ')' :
            key;
    }

    // What a chart's bars of a dimension do when picked, and their names.
    function picking(dimension) {
        return {
            pick: function(key) { page.pick(dimension, key); },
            pickName: function(
                key) { return 'Show only ' + factsKit.DIMENSION_NAMES[dimension] + ' ' + key; }
        };
    }

    // A DataTable of the renderer in charge, or null where it has none.
    function newDataTable() {
        var visualization = window.google.visualization;
        return visualization && typeof visualization.DataTable === 'function' ?
            new visualization.DataTable() :
            null;
    }

    function drawByKey(part, name) {
        var target = page.target();
        var dimension = name === 'byCustomer' ? 'customer' : 'machine';
        var sums = factsKit.sumsBy(page.facts(), page.state().chips, dimension)
                       .sort(factsKit.compareWorstFirst);
        sums.forEach(function(sum) { sum.label = keyLabel(dimension, sum.key); });
        var options = picking(dimension);
        options.keyTitle = KEY_TITLES[dimension];
        options.noun = dimension;
        options.nounPlural = KEY_PLURALS[dimension];
        options.target = target;
        window.qzReportViews.drawYieldBars(part.chart, sums, options);
        var data = newDataTable();
        if (!data) {
            return true;
        }
        data.addColumn('string', KEY_TITLES[dimension]);
        if (dimension === 'customer') {
            data.addColumn('string', 'Name');
        }
        data.addColumn('number', 'OK');
        data.addColumn('number', 'NG');
        data.addColumn('number', 'Yield(%)');
        if (target !== null) {
            data.addColumn('string', 'Target');
        }
        data.addRows(sums.map(function(sum) {
            var row = [sum.key];
            if (dimension === 'customer') {
                row.push(page.customerNames()[sum.key] || '');
            }
            row.push(sum.ok, sum.ng, yieldCell(sum));
            if (target !== null) {
                row.push(targetCell(sum));
            }
            return row;
        }));
        page.drawTable(name, data);
        return true;
    }

    function periodsOf(kind) {
        var range = dayRange();
        return factsKit.sumsByPeriod(
            page.facts(), page.state().chips, kind, range.first, range.last);
    }

    function drawTrend(part, name) {
        var target = page.target();
        var kind = page.state().period;
        if (page.facts().count === 0) {
            page.message(part.chart, 'No records in this report.');
            page.clear(part.table);
            return true;
        }
        var periods = periodsOf(kind);
        var rows = periods.map(function(
            period) { return {day: period.key, ok: period.ok, ng: period.ng}; });
        var options = picking(kind);
        options.kind = kind;
        options.target = target;
        window.qzReportDays.drawChart(part.chart, rows, options);
        var visualization = visualizationOrSay(part.table);
        if (visualization) {
            page.drawTable(
                name,
                window.qzReportDays.dataTable(
                    visualization, rows, target === null ? undefined : target,
                    factsKit.DIMENSION_NAMES[kind]));
        }
        return true;
    }

    function drawPareto(part, name) {
        var target = page.target();
        var dimension = page.state().pareto;
        var sums = factsKit.sumsBy(page.facts(), page.state().chips, dimension);
        var rows = factsKit.pareto(sums);
        var byKey = {};
        sums.forEach(function(sum) { byKey[sum.key] = sum; });
        rows.forEach(function(row) {
            row.label = keyLabel(dimension, row.key);
            row.yield = factsKit.yieldOf(byKey[row.key]);
        });
        var options = picking(dimension);
        options.target = target;
        options.noun = KEY_TITLES[dimension];
        options.nounPlural = KEY_PLURALS[dimension];
        window.qzReportViews.drawPareto(part.chart, rows, options);
        var data = newDataTable();
        if (!data) {
            return true;
        }
        data.addColumn('string', KEY_TITLES[dimension]);
        data.addColumn('number', 'NG');
        data.addColumn('number', 'Share(%)');
        data.addColumn('number', 'Cumulative(%)');
        data.addColumn('number', 'OK');
        data.addColumn('number', 'Yield(%)');
        if (target !== null) {
            data.addColumn('string', 'Target');
        }
        var format = window.qzReportSvg.formatNumber;
        data.addRows(rows.map(function(row) {
            var sum = byKey[row.key];
            var cells = [
                row.key, row.ng, {v: row.share * 100, f: format(row.share * 100, 2)},
                {v: row.cumulative * 100, f: format(row.cumulative * 100, 2)}, sum.ok,
                yieldCell(sum)
            ];
            if (target !== null) {
                cells.push(targetCell(sum));
            }
            return cells;
        }));
        page.drawTable(name, data);
        return true;
    }

    // Setting File and Machine (Write Board) ID of the selection, drawn through
    // the renderer as the report scripts draw them.
    function drawKeyView(part, dimension) {
        var sums = factsKit.sumsBy(page.facts(), page.state().chips, dimension);
        var google = window.google;
        var title = KEY_TITLES[dimension];
        if (google.charts && typeof google.charts.Bar === 'function') {
            var bars = [[title, 'Yield(%)']].concat(sums.map(function(sum) {
                return [sum.key, factsKit.yieldOf(sum)];
            }));
            new google.charts.Bar(part.chart).draw(google.visualization.arrayToDataTable(bars), {
                width: 1000,
                bars: 'horizontal',
                legend: {position: 'none'},
                axes: {x: {0: {side: 'bottom', label: 'Yield(%)'}}},
                bar: {groupWidth: '95%'}
            });
        } else {
            page.message(
                part.chart, 'The chart cannot be drawn: the chart library has no bar chart.');
        }
        var visualization = visualizationOrSay(part.table);
        if (visualization) {
            var data = new visualization.DataTable();
            data.addColumn('string', title);
            data.addColumn('number', 'OK');
            data.addColumn('number', 'NG');
            data.addColumn('number', 'Yield(%)');
            data.addRows(sums.map(function(sum) {
                return [sum.key, sum.ok, sum.ng, yieldCell(sum)];
            }));
            new visualization.Table(part.table).draw(data, {showRowNumber: true});
        }
        return true;
    }

    function drawSummary(part) {
        var total = {ok: 0, ng: 0};
        factsKit.sumsBy(page.facts(), page.state().chips, 'machine').forEach(function(sum) {
            total.ok += sum.ok;
            total.ng += sum.ng;
        });
        var visualization = visualizationOrSay(part.table);
        if (!visualization) {
            return true;
        }
        if (typeof visualization.PieChart === 'function') {
            new visualization.PieChart(part.chart)
                .draw(
                    visualization.arrayToDataTable(
                        [['Result', 'Number'], ['OK', total.ok], ['NG', total.ng]]),
                    {is3D: true, backgroundColor: 'transparent'});
        }
        var data = new visualization.DataTable();
        data.addColumn('string', '');
        data.addColumn('number', 'OK');
        data.addColumn('number', 'NG');
        data.addColumn('number', 'Yield(%)');
        // The target is marked as in the report script's summary (beforeDraw).
        data.addRows([['Summary', total.ok, total.ng, yieldCell(total)]]);
        new visualization.Table(part.table).draw(data, {showRowNumber: false});
        return true;
    }

    return {
        byKey: drawByKey,
        trend: drawTrend,
        pareto: drawPareto,
        keyView: drawKeyView,
        summary: drawSummary,
        periodsOf: periodsOf,
        picking: picking,
        keyLabel: keyLabel,
        visualizationOrSay: visualizationOrSay
    };
}

window.qzReportFactViews = {
    create: create,
    MACHINE_ID_NAME: MACHINE_ID_NAME,
    BELOW_TARGET: BELOW_TARGET
};
})(window);
