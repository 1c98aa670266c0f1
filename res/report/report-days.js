// The By day view: the yield of every day of the report with its OK and NG
// writes, from the days of js/reportScope.js. The chart is drawn by the page
// (SVG) whichever renderer draws the others; the table goes through
// google.visualization like the report scripts' tables. A day without records
// is shown as such: a grey band in the chart, "no records" in the table.
(function(window, document) {
'use strict';

var svgKit = window.qzReportSvg;
var FONT_FAMILY = svgKit.FONT_FAMILY;
var svgElement = svgKit.svgElement;
var svgText = svgKit.svgText;
var clear = svgKit.clear;
var niceStep = svgKit.niceStep;
var formatNumber = svgKit.formatNumber;
var OK_COLOR = '#109618';
var NG_COLOR = '#dc3912';
var YIELD_COLOR = '#3366cc';
var EMPTY_COLOR = '#e4e6ea';
var BELOW_COLOR = svgKit.BELOW_TARGET_COLOR;
var TARGET_COLOR = svgKit.TARGET_COLOR;
var NO_RECORDS = 'no records';
var BELOW_TARGET = 'below target';

// Yield axes: the lowest that holds every yield, with its grid step, so that
// a fall from 99 % to 97 % can be seen.
var YIELD_AXES = [[98, 0.5], [95, 1], [90, 2], [80, 5], [50, 10], [0, 20]];

function yieldOf(day) { return day.ok + day.ng > 0 ? day.ok * 100 / (day.ok + day.ng) : null; }

function dayTip(day) {
    var y = yieldOf(day);
    return y === null ? day.day + ': ' + NO_RECORDS :
                        day.day + ': yield ' + formatNumber(y, 2) + ' %, OK ' +
            formatNumber(day.ok, 0) + ', NG ' + formatNumber(day.ng, 0);
}

// Which days get a label under the axis: every k-th day where there is room,
// else the first day of every m-th month.
function labelledDays(days, band, kind) {
    var ROOM = 48;
    if (kind === 'week' || kind === 'month') {
        var room = kind === 'week' ? 64 : 56;
        var step =
            [1, 2, 4, 6, 12, 26, 52].filter(function(k) { return band * k >= room; })[0] || 104;
        return days.map(function(
            period, i) { return i % step === 0 ? {index: i, text: period.day} : null; });
    }
    var dayStep = [1, 2, 7, 14].filter(function(k) { return band * k >= ROOM; })[0];
    if (dayStep) {
        return days.map(function(
            day, i) { return i % dayStep === 0 ? {index: i, text: day.day.slice(5)} : null; });
    }
    var monthStep = [1, 2, 3, 6, 12].filter(function(m) { return band * 30 * m >= ROOM; })[0] || 12;
    return days.map(function(day, i) {
        var month = Number(day.day.slice(5, 7)) - 1;
        var isFirst = day.day.slice(8) === '01' && month % monthStep === 0;
        return isFirst ? {index: i, text: day.day.slice(0, 7)} : null;
    });
}

function drawLegend(svg, x) {
    var entries = [
        {label: 'Yield (%)', line: true, color: YIELD_COLOR}, {label: 'OK', color: OK_COLOR},
        {label: 'NG', color: NG_COLOR}, {label: 'No records', color: EMPTY_COLOR}
    ];
    var legend = svgElement('g', {'class': 'qz-legend'}, svg);
    entries.forEach(function(entry) {
        if (entry.line) {
            svgElement(
                'line', {x1: x, y1: 12, x2: x + 16, y2: 12, stroke: entry.color, 'stroke-width': 2},
                legend);
            svgElement('circle', {cx: x + 8, cy: 12, r: 3, fill: entry.color}, legend);
        } else {
            svgElement(
                'rect', {
                    x: x + 1,
                    y: 5,
                    width: 14,
                    height: 14,
                    fill: entry.color,
                    stroke: entry.color === EMPTY_COLOR ? '#b8bcc4' : 'none'
                },
                legend);
        }
        svgText(entry.label, {x: x + 22, y: 17, 'font-size': 13, fill: '#222222'}, legend);
        x += 22 + entry.label.length * 7 + 24;
    });
}

// days: [{day, ok, ng}] ascending, one for every day shown. options (the
// Trend view): {kind: 'day', 'week' or 'month' (day is then the period's
// key), target: a yield or null, pick(key), pickName(key)}.
function drawChart(container, days, options) {
    options = options || {};
    var kind = options.kind || 'day';
    var target = typeof options.target === 'number' ? options.target : null;
    clear(container);
    if (days.length === 0) {
        var none = document.createElement('p');
        none.className = 'qz-no-data';
        none.textContent = kind === 'day' ? 'No day of the range has records.' :
                                            'No period of the range has records.';
        container.appendChild(none);
        return;
    }
    var width = Math.max(480, Math.min(container.clientWidth || 1000, 1000));
    var left = 64;
    var right = 16;
    var yieldTop = 56;
    var yieldHeight = 170;
    var countTop = yieldTop + yieldHeight + 44;
    var countHeight = 130;
    var axisBottom = countTop + countHeight;
    var height = axisBottom + 52;
    var plotWidth = width - left - right;
    var band = plotWidth / days.length;
    var column = Math.min(band * 0.8, 48);
    var xOf = function(i) { return left + band * (i + 0.5); };

    // Loops, not argument lists: any number of days fits.
    var yields = days.map(yieldOf);
    var lowest = null;
    var most = 0;
    for (var d = 0; d < days.length; d++) {
        if (yields[d] !== null && (lowest === null || yields[d] < lowest)) {
            lowest = yields[d];
        }
        most = Math.max(most, days[d].ok + days[d].ng);
    }
    lowest = lowest === null ? 0 : lowest;
    if (target !== null) {
        lowest = Math.min(lowest, target);
    }
    var axis = YIELD_AXES.filter(function(a) { return a[0] <= lowest; })[0];
    var yieldMin = axis[0];
    var yOfYield = function(y) { return yieldTop + yieldHeight * (100 - y) / (100 - yieldMin); };

    var countStep = niceStep(Math.max(most, 1), 4);
    var countMax = Math.max(countStep, Math.ceil(most / countStep) * countStep);
    var yOfCount = function(n) { return countTop + countHeight * (1 - n / countMax); };

    var first = days[0].day;
    var last = days[days.length - 1].day;
    var svg = svgElement('svg', {
        'class': 'qz-chart qz-days',
        width: width,
        height: height,
        viewBox: '0 0 ' + width + ' ' + height,
        'font-family': FONT_FAMILY,
        // A chart whose periods are buttons is a group: an image hides them.
        role: options.pick ? 'group' : 'img',
        'aria-label': 'Yield and OK and NG writes by ' + kind + ', ' + first +
            (first === last ? '' : ' to ' + last) + '. The table lists every ' + kind + '.'
    });
    container.appendChild(svg);
    drawLegend(svg, left);

    // Days without records first, under the grid and the data.
    var bands = svgElement('g', {'class': 'qz-days-empty'}, svg);
    days.forEach(function(day, i) {
        if (yields[i] === null) {
            [[yieldTop, yieldHeight], [countTop, countHeight]].forEach(function(panel) {
                svgElement(
                    'rect', {
                        x: left + band * i,
                        y: panel[0],
                        width: Math.max(band, 1),
                        height: panel[1],
                        fill: EMPTY_COLOR
                    },
                    bands);
            });
            if (band >= 72) {
                svgText(
                    NO_RECORDS, {
                        x: xOf(i),
                        y: yieldTop + yieldHeight / 2,
                        'text-anchor': 'middle',
                        'font-size': 12,
                        fill: '#5e6670'
                    },
                    bands);
            }
        }
    });

    var grid = svgElement('g', {'class': 'qz-bar-grid'}, svg);
    function gridLine(y, label, strong) {
        svgElement(
            'line',
            {x1: left, y1: y, x2: left + plotWidth, y2: y, stroke: strong ? '#333333' : '#dddddd'},
            grid);
        svgText(
            label, {
                x: left - 6,
                y: y,
                'text-anchor': 'end',
                'dominant-baseline': 'middle',
                'font-size': 12,
                fill: '#555555'
            },
            grid);
    }
    for (var tick = yieldMin; tick <= 100 + axis[1] / 2; tick += axis[1]) {
        gridLine(yOfYield(tick), formatNumber(tick, axis[1] < 1 ? 1 : 0), tick === yieldMin);
    }
    for (var n = 0; n <= countMax + countStep / 2; n += countStep) {
        gridLine(yOfCount(n), formatNumber(n, Number.isInteger(countStep) ? 0 : 1), n === 0);
    }
    svgText(
        'Yield (%)',
        {x: 0, y: yieldTop - 12, 'font-size': 13, 'font-weight': 'bold', fill: '#444444'}, grid);
    svgText(
        'OK and NG writes',
        {x: 0, y: countTop - 12, 'font-size': 13, 'font-weight': 'bold', fill: '#444444'}, grid);

    // The yield line, broken where a day has no records.
    var path = '';
    var previous = false;
    yields.forEach(function(y, i) {
        if (y !== null) {
            path += (previous ? ' L' : ' M') + xOf(i) + ',' + yOfYield(y);
        }
        previous = y !== null;
    });
    svgElement(
        'path', {
            'class': 'qz-days-yield',
            d: path.trim(),
            fill: 'none',
            stroke: YIELD_COLOR,
            'stroke-width': 2
        },
        svg);

    if (target !== null) {
        svgElement(
            'line', {
                'class': 'qz-target-line',
                x1: left,
                y1: yOfYield(target),
                x2: left + plotWidth,
                y2: yOfYield(target),
                stroke: TARGET_COLOR,
                'stroke-width': 2,
                'stroke-dasharray': '6,3'
            },
            svg);
        svgText(
            'Target ' + formatNumber(target, 2), {
                x: left + plotWidth,
                y: yOfYield(target) - 6,
                'text-anchor': 'end',
                'font-size': 12,
                fill: TARGET_COLOR
            },
            svg);
    }

    var dots = band >= 6;
    // Every period is a button where the periods are few enough to step through.
    var pickable = options.pick && (kind !== 'day' || days.length <= 62);
    days.forEach(function(day, i) {
        var below = target !== null && yields[i] !== null && yields[i] < target;
        var group = svgElement(
            'g', {
                'class': (yields[i] === null ? 'qz-day qz-day-empty' : 'qz-day') +
                    (below ? ' qz-below-target' : ''),
                'data-day': day.day
            },
            svg);
        var isolated = yields[i] !== null && (i === 0 || yields[i - 1] === null) &&
            (i === days.length - 1 || yields[i + 1] === null);
        if (yields[i] !== null && (dots || isolated || below)) {
            svgElement(
                'circle', {
                    cx: xOf(i),
                    cy: yOfYield(yields[i]),
                    r: below ? 4 : 3,
                    fill: below ? BELOW_COLOR : YIELD_COLOR
                },
                group);
        }
        var okTop = yOfCount(day.ok);
        svgElement(
            'rect', {
                'class': 'qz-day-ok',
                x: xOf(i) - column / 2,
                y: okTop,
                width: column,
                height: axisBottom - okTop,
                fill: OK_COLOR
            },
            group);
        var ngTop = yOfCount(day.ok + day.ng);
        svgElement(
            'rect', {
                'class': 'qz-day-ng',
                x: xOf(i) - column / 2,
                y: ngTop,
                width: column,
                height: okTop - ngTop,
                fill: NG_COLOR
            },
            group);
        // The whole day's height answers the pointer with its figures.
        var hit = svgElement(
            'rect', {
                x: left + band * i,
                y: yieldTop,
                width: band,
                height: axisBottom - yieldTop,
                fill: 'transparent'
            },
            group);
        var tip = dayTip(day) + (below ? ', below the target' : '');
        svgElement('title', {}, hit).textContent = tip;
        if (options.pick) {
            hit.setAttribute('class', 'qz-pickable');
            hit.addEventListener('click', function() { options.pick(day.day); });
        }
        if (pickable) {
            group.setAttribute('tabindex', '0');
            group.setAttribute('role', 'button');
            group.setAttribute('aria-label', options.pickName(day.day) + ' (' + tip + ')');
            group.addEventListener('keydown', function(event) {
                if (event.key === 'Enter' || event.key === ' ') {
                    event.preventDefault();
                    options.pick(day.day);
                }
            });
        }
    });

    var labels = svgElement('g', {'class': 'qz-days-labels'}, svg);
    labelledDays(days, band, kind).forEach(function(label) {
        // A label that would run over the right edge is left out.
        if (label && xOf(label.index) + label.text.length * 3.5 <= width) {
            svgText(
                label.text, {
                    x: xOf(label.index),
                    y: axisBottom + 18,
                    'text-anchor': 'middle',
                    'font-size': 12,
                    fill: '#555555'
                },
                labels);
        }
    });
    svgText(
        (kind === 'day'      ? 'Day' :
             kind === 'week' ? 'ISO week' :
                               'Month') +
            (first === last ? ' ' + first : ', ' + first + ' to ' + last),
        {
            'class': 'qz-bar-axis-title',
            x: left + plotWidth / 2,
            y: axisBottom + 42,
            'text-anchor': 'middle',
            'font-size': 13,
            fill: '#444444'
        },
        svg);
}

// The table's data, through the renderer in charge: day, OK, NG, yield; the
// yield of a day without records is empty and shown as "no records".
// With a target, a last column marks the days below it. label names the
// first column (the Trend view's period).
function dataTable(visualization, days, target, label) {
    var data = new visualization.DataTable();
    data.addColumn('string', label || 'Day');
    data.addColumn('number', 'OK');
    data.addColumn('number', 'NG');
    data.addColumn('number', 'Yield(%)');
    var marked = typeof target === 'number';
    if (marked) {
        data.addColumn('string', 'Target');
    }
    data.addRows(days.map(function(day) {
        var y = yieldOf(day);
        var row = [
            day.day, day.ok, day.ng,
            y === null ? {v: null, f: NO_RECORDS} : {v: y, f: formatNumber(y, 2)}
        ];
        if (marked) {
            row.push(y !== null && y < target ? BELOW_TARGET : '');
        }
        return row;
    }));
    return data;
}

// Said above the chart when the days shown are fewer than the report's range:
// a range too long to list every day shows the first to the last day with
// records, and days with records far apart only those days (the latest of
// them, when there are more than a scope lists).
function spanNote(scope) {
    if (!scope.daysFrom || (scope.daysFrom === scope.firstDay && scope.daysTo === scope.lastDay)) {
        return '';
    }
    var ranges = window.qzReportScope;
    var covers = 'The report covers ' + ranges.dayRangeText(scope.firstDay, scope.lastDay) + '; ';
    if (scope.everyDay) {
        return covers + 'only the days from its first to its last day with records are shown, ' +
            ranges.dayRangeText(scope.daysFrom, scope.daysTo) + '.';
    }
    return covers + 'its days with records lie far apart, so only those days are shown' +
        (scope.dayRowsLeftOut > 0 ?
             ', the latest ' + ranges.formatCount(scope.days.length) + ' of them (' +
                 ranges.formatCount(scope.dayRowsLeftOut) + ' earlier days are not listed)' :
             '') +
        '.';
}

window.qzReportDays = {
    drawChart: drawChart,
    dataTable: dataTable,
    spanNote: spanNote,
    yieldAxes: YIELD_AXES,
    BELOW_TARGET: BELOW_TARGET
};
})(window, document);
