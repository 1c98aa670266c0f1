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

window.qzReportSvg = {
    FONT_FAMILY: 'Arial, Helvetica, sans-serif',
    svgElement: svgElement,
    svgText: svgText,
    svgTitle: svgTitle,
    clear: clear,
    niceStep: niceStep,
    formatNumber: formatNumber
};
})(window, document);
