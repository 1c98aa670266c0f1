// What the page's own drawings share: the offline renderer's charts
// (report-fallback.js) and the By day chart (report-days.js). SVG elements
// are made from attribute objects; text only ever enters as text nodes.
(function(window, document) {
'use strict';

var SVG_NS = 'http://www.w3.org/2000/svg';

function svgElement(name, attributes, parent) {
    var element = document.createElementNS(SVG_NS, name);
    for (var key in attributes) {
        if (Object.prototype.hasOwnProperty.call(attributes, key)) {
            element.setAttribute(key, String(attributes[key]));
        }
    }
    if (parent) {
        parent.appendChild(element);
    }
    return element;
}

function svgText(content, attributes, parent) {
    var text = svgElement('text', attributes, parent);
    text.textContent = content;
    return text;
}

function svgTitle(content, parent) {
    var title = svgElement('title', {}, parent);
    title.textContent = content;
    return title;
}

function clear(element) {
    while (element.firstChild) {
        element.removeChild(element.firstChild);
    }
}

// A round grid step that divides range into about count steps.
function niceStep(range, count) {
    var raw = range / count;
    var power = Math.pow(10, Math.floor(Math.log10(raw)));
    var steps = [1, 2, 2.5, 5, 10];
    for (var i = 0; i < steps.length; i++) {
        if (steps[i] * power >= raw) {
            return steps[i] * power;
        }
    }
    return 10 * power;
}

var numberFormats = {};
function formatNumber(value, decimals) {
    if (!numberFormats[decimals]) {
        numberFormats[decimals] = new Intl.NumberFormat(
            'en-US', {minimumFractionDigits: decimals, maximumFractionDigits: decimals});
    }
    return numberFormats[decimals].format(value);
}

var TARGET_COLOR = '#7a1f9c';
var BELOW_TARGET_COLOR = '#dc3912';

// The value axis of horizontal bars: a vertical grid line at every step from
// axis.from to axis.to with its value under the plot, and the axis title
// below. axis: {from, to, step, xOf(value), top, bottom, title, titleClass}.
function valueAxis(svg, axis) {
    var grid = svgElement('g', {'class': 'qz-bar-grid'}, svg);
    for (var tick = axis.from; tick <= axis.to + axis.step / 2; tick += axis.step) {
        var x = axis.xOf(tick);
        svgElement(
            'line', {
                x1: x,
                y1: axis.top,
                x2: x,
                y2: axis.bottom,
                stroke: tick === axis.from ? '#333333' : '#dddddd'
            },
            grid);
        svgText(
            formatNumber(tick, Number.isInteger(axis.step) ? 0 : 1),
            {x: x, y: axis.bottom + 16, 'text-anchor': 'middle', 'font-size': 12, fill: '#555555'},
            grid);
    }
    var first = axis.xOf(axis.from);
    svgText(
        axis.title, {
            'class': axis.titleClass || 'qz-bar-axis-title',
            x: (first + axis.xOf(axis.to)) / 2,
            y: axis.bottom + 38,
            'text-anchor': 'middle',
            'font-size': 13,
            fill: '#444444'
        },
        svg);
}

// The yield target across the bars: a dashed vertical line from top to
// bottom at x, named above it.
function targetLine(svg, x, top, bottom, target) {
    svgElement(
        'line', {
            'class': 'qz-target-line',
            x1: x,
            y1: top - 4,
            x2: x,
            y2: bottom,
            stroke: TARGET_COLOR,
            'stroke-width': 2,
            'stroke-dasharray': '6,3'
        },
        svg);
    svgText(
        'Target ' + formatNumber(target, 2),
        {x: x, y: top - 16, 'text-anchor': 'middle', 'font-size': 12, fill: TARGET_COLOR}, svg);
}

window.qzReportSvg = {
    TARGET_COLOR: TARGET_COLOR,
    BELOW_TARGET_COLOR: BELOW_TARGET_COLOR,
    valueAxis: valueAxis,
    targetLine: targetLine,
    FONT_FAMILY: 'Arial, Helvetica, sans-serif',
    svgElement: svgElement,
    svgText: svgText,
    svgTitle: svgTitle,
    clear: clear,
    niceStep: niceStep,
    formatNumber: formatNumber
};
})(window, document);
