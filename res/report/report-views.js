// The charts of the views drawn from the report's facts: yield by key (By
// machine, By customer) and the Pareto of NG writes. SVG, whichever renderer
// draws the tables. Every bar is a button that selects its key (keyboard and
// pointer alike); the view's table is the chart's text equivalent.
(function(window, document) {
'use strict';

var svgKit = window.qzReportSvg;
var svgElement = svgKit.svgElement;
var svgText = svgKit.svgText;
var svgTitle = svgKit.svgTitle;
var formatNumber = svgKit.formatNumber;
var YIELD_COLOR = '#4285f4';
var BELOW_COLOR = svgKit.BELOW_TARGET_COLOR;
var TARGET_COLOR = svgKit.TARGET_COLOR;
var NG_COLOR = '#dc3912';
var SHARE_COLOR = '#3366cc';
// More bars than this cannot be read; the rest are named in the note.
var MAX_BARS = 100;

// The lowest axis start that holds every value (and the target), with its
// grid step, so that 97.6 % and 98.4 % do not look the same.
var YIELD_AXES = [[98, 0.5], [95, 1], [90, 2], [80, 5], [50, 10], [0, 20]];
function yieldAxis(lowest) {
    return YIELD_AXES.filter(function(axis) { return axis[0] <= lowest; })[0] ||
        YIELD_AXES[YIELD_AXES.length - 1];
}

function formatCount(n) { return formatNumber(n, 0); }

function newSvg(container, className, width, height, label) {
    var svg = svgElement('svg', {
        'class': 'qz-chart ' + className,
        width: width,
        height: height,
        viewBox: '0 0 ' + width + ' ' + height,
        'font-family': svgKit.FONT_FAMILY,
        role: 'group',
        'aria-label': label
    });
    container.appendChild(svg);
    return svg;
}

// A bar group that a click, Enter or Space picks.
function pickable(group, label, pick) {
    if (!pick) {
        return;
    }
    group.setAttribute('tabindex', '0');
    group.setAttribute('role', 'button');
    group.setAttribute('aria-label', label);
    group.setAttribute('class', group.getAttribute('class') + ' qz-pickable');
    group.addEventListener('click', pick);
    group.addEventListener('keydown', function(event) {
        if (event.key === 'Enter' || event.key === ' ') {
            event.preventDefault();
            pick();
        }
    });
}

function note(container, text) {
    var element = document.createElement('p');
    element.className = 'qz-chart-note';
    element.textContent = text;
    container.appendChild(element);
}

function noData(container, text) {
    var element = document.createElement('p');
    element.className = 'qz-no-data';
    element.textContent = text;
    container.appendChild(element);
}

// Yield bars of sums [{key, label, ok, ng}] in the order given (worst
// first), the first MAX_BARS of them. options: {keyTitle, noun, target,
// pick(key), pickName(key)}.
function drawYieldBars(container, sums, options) {
    svgKit.clear(container);
    if (sums.length === 0) {
        noData(container, 'No records for this selection.');
        return;
    }
    var shown = sums.slice(0, MAX_BARS);
    var yields = shown.map(function(sum) { return sum.ok * 100 / (sum.ok + sum.ng); });
    var lowest = Math.min.apply(null, yields);
    if (options.target !== null) {
        lowest = Math.min(lowest, options.target);
    }
    var axis = yieldAxis(lowest);
    var width = Math.max(480, Math.min(container.clientWidth || 1000, 1000));
    var labelWidth = Math.min(
        Math.round(width * 0.35),
        16 + 7 * Math.max.apply(null, shown.map(function(sum) { return sum.label.length; })));
    var plotLeft = Math.max(80, labelWidth);
    var plotWidth = width - plotLeft - 64;
    var band = 22;
    var top = 30;
    var height = top + band * shown.length + 46;
    var xOf = function(y) { return plotLeft + plotWidth * (y - axis[0]) / (100 - axis[0]); };
    var svg = newSvg(
        container, 'qz-yield-bars', width, height,
        'Yield by ' + options.noun + ', worst first. The table lists every ' + options.noun + '.');
    svgText(
        options.keyTitle, {
            x: plotLeft - 8,
            y: top - 10,
            'text-anchor': 'end',
            'font-size': 13,
            'font-weight': 'bold',
            fill: '#444444'
        },
        svg);
    var plotBottom = top + band * shown.length;
    svgKit.valueAxis(svg, {
        from: axis[0],
        to: 100,
        step: axis[1],
        xOf: xOf,
        top: top,
        bottom: plotBottom,
        title: 'Yield (%)'
    });
    shown.forEach(function(sum, i) {
        var below = options.target !== null && yields[i] < options.target;
        var group = svgElement(
            'g',
            {'class': below ? 'qz-bar-row qz-below-target' : 'qz-bar-row', 'data-key': sum.key},
            svg);
        var y = top + band * i;
        svgText(
            sum.label.length * 7 > plotLeft - 16 ?
                sum.label.slice(0, Math.max(1, Math.floor((plotLeft - 24) / 7))) + '\u2026' :
                sum.label,
            {
                'class': 'qz-bar-label',
                x: plotLeft - 8,
                y: y + band / 2,
                'text-anchor': 'end',
                'dominant-baseline': 'middle',
                'font-size': 13,
                fill: '#222222'
            },
            group);
        var barWidth = Math.max(1, xOf(yields[i]) - plotLeft);
        svgElement(
            'rect', {
                'class': 'qz-bar',
                x: plotLeft,
                y: y + 3,
                width: barWidth,
                height: band - 6,
                fill: below ? BELOW_COLOR : YIELD_COLOR
            },
            group);
        var shownYield = formatNumber(yields[i], 2);
        svgText(
            shownYield + (below ? ' \u25bc' : ''), {
                'class': 'qz-bar-value',
                x: plotLeft + barWidth + 6,
                y: y + band / 2,
                'dominant-baseline': 'middle',
                'font-size': 12,
                fill: '#222222'
            },
            group);
        var tip = sum.label + ': yield ' + shownYield + ' %, OK ' + formatCount(sum.ok) + ', NG ' +
            formatCount(sum.ng) + (below ? ', below the target' : '');
        svgTitle(tip, group);
        pickable(
            group, options.pickName(sum.key) + ' (' + tip + ')',
            options.pick && function() { options.pick(sum.key); });
    });
    if (options.target !== null) {
        svgKit.targetLine(svg, xOf(options.target), top, plotBottom, options.target);
    }
    if (sums.length > shown.length) {
        var rest = sums.slice(MAX_BARS);
        var best = rest[rest.length - 1];
        var first = rest[0];
        var yieldText = function(sum) { return formatNumber(sum.ok * 100 / (sum.ok + sum.ng), 2); };
        note(
            container,
            'The worst ' + formatCount(shown.length) + ' of ' + formatCount(sums.length) + ' ' +
                options.nounPlural + ' are drawn; the other ' + formatCount(rest.length) +
                ' (yields ' + yieldText(first) + ' % to ' + yieldText(best) +
                ' %) are not. The table lists them all.');
    }
}

// NG columns of rows [{key, label, ng, share, cumulative, yield}] largest
// first, with the cumulative share as a line on an axis of 0 to 100 %.
// options: {noun, nounPlural, target, pick(key), pickName(key)}.
function drawPareto(container, rows, options) {
    svgKit.clear(container);
    if (rows.length === 0) {
        noData(container, 'No NG writes in this selection.');
        return;
    }
    var shown = rows.slice(0, MAX_BARS);
    var width = Math.max(480, Math.min(container.clientWidth || 1000, 1000));
    var left = 64;
    var right = 56;
    var top = 40;
    var plotHeight = 240;
    var bottom = top + plotHeight;
    var height = bottom + 70;
    var plotWidth = width - left - right;
    var band = plotWidth / shown.length;
    var column = Math.min(band * 0.8, 48);
    var most = shown[0].ng;
    var step = svgKit.niceStep(most, 5);
    var max = Math.max(step, Math.ceil(most / step) * step);
    var yOfNg = function(n) { return bottom - plotHeight * n / max; };
    var yOfShare = function(s) { return bottom - plotHeight * s; };
    var xOf = function(i) { return left + band * (i + 0.5); };
    var svg = newSvg(
        container, 'qz-pareto', width, height,
        'NG writes by ' + options.noun + ', largest first, with their cumulative share. The ' +
            'table lists every ' + options.noun + ' with NG writes.');
    var grid = svgElement('g', {'class': 'qz-bar-grid'}, svg);
    for (var n = 0; n <= max + step / 2; n += step) {
        svgElement(
            'line', {
                x1: left,
                y1: yOfNg(n),
                x2: left + plotWidth,
                y2: yOfNg(n),
                stroke: n === 0 ? '#333333' : '#dddddd'
            },
            grid);
        svgText(
            formatNumber(n, Number.isInteger(step) ? 0 : 1), {
                x: left - 6,
                y: yOfNg(n),
                'text-anchor': 'end',
                'dominant-baseline': 'middle',
                'font-size': 12,
                fill: '#555555'
            },
            grid);
    }
    for (var s = 0; s <= 4; s++) {
        svgText(
            String(s * 25) + ' %', {
                x: left + plotWidth + 6,
                y: yOfShare(s / 4),
                'dominant-baseline': 'middle',
                'font-size': 12,
                fill: SHARE_COLOR
            },
            grid);
    }
    svgText(
        'NG writes', {x: 0, y: top - 16, 'font-size': 13, 'font-weight': 'bold', fill: '#444444'},
        svg);
    svgText(
        'Cumulative share', {
            x: width,
            y: top - 16,
            'text-anchor': 'end',
            'font-size': 13,
            'font-weight': 'bold',
            fill: SHARE_COLOR
        },
        svg);
    var path = '';
    shown.forEach(function(row, i) {
        // A key whose yield is below the target: a marker above its column.
        var below = options.target !== null && row.yield !== null && row.yield < options.target;
        var group = svgElement(
            'g', {
                'class': below ? 'qz-pareto-bar qz-below-target' : 'qz-pareto-bar',
                'data-key': row.key
            },
            svg);
        svgElement(
            'rect', {
                'class': 'qz-bar',
                x: xOf(i) - column / 2,
                y: yOfNg(row.ng),
                width: column,
                height: bottom - yOfNg(row.ng),
                fill: NG_COLOR
            },
            group);
        if (below) {
            svgText(
                '\u25bc', {
                    x: xOf(i),
                    y: yOfNg(row.ng) - 4,
                    'text-anchor': 'middle',
                    'font-size': 12,
                    fill: TARGET_COLOR
                },
                group);
        }
        svgElement(
            'rect',
            {x: left + band * i, y: top, width: band, height: plotHeight, fill: 'transparent'},
            group);
        var tip = row.label + ': NG ' + formatCount(row.ng) + ', ' +
            formatNumber(row.share * 100, 1) + ' % of all NG, cumulative ' +
            formatNumber(row.cumulative * 100, 1) + ' %' +
            (below ? ', yield ' + formatNumber(row.yield, 2) + ' %, below the target' : '');
        svgTitle(tip, group);
        pickable(
            group, options.pickName(row.key) + ' (' + tip + ')',
            options.pick && function() { options.pick(row.key); });
        if (band >= 14) {
            var label = row.label.length > 14 ? row.label.slice(0, 13) + '\u2026' : row.label;
            svgText(
                label, {
                    'class': 'qz-bar-label',
                    x: xOf(i),
                    y: bottom + 10,
                    'text-anchor': 'end',
                    'font-size': 11,
                    fill: '#222222',
                    transform: 'rotate(-40 ' + xOf(i) + ' ' + (bottom + 10) + ')'
                },
                group);
        }
        path += (i ? ' L' : 'M') + xOf(i) + ',' + yOfShare(row.cumulative);
    });
    svgElement(
        'path', {
            'class': 'qz-pareto-cumulative',
            d: path,
            fill: 'none',
            stroke: SHARE_COLOR,
            'stroke-width': 2
        },
        svg);
    shown.forEach(function(row, i) {
        svgElement(
            'circle', {cx: xOf(i), cy: yOfShare(row.cumulative), r: 3, fill: SHARE_COLOR}, svg);
    });
    if (rows.length > shown.length) {
        note(
            container,
            'The largest ' + formatCount(shown.length) + ' of ' + formatCount(rows.length) + ' ' +
                options.nounPlural + ' with NG writes are drawn; the other ' +
                formatCount(rows.length - shown.length) + ' hold ' +
                formatNumber((1 - shown[shown.length - 1].cumulative) * 100, 1) +
                ' % of the NG writes. The table lists them all.');
    }
}

window.qzReportViews = {
    MAX_BARS: MAX_BARS,
    drawYieldBars: drawYieldBars,
    drawPareto: drawPareto,
    yieldAxis: yieldAxis
};
})(window, document);
