// The offline renderer: draws the report when the Google Charts library cannot
// be loaded. It implements the calls the report scripts make, with the same
// signatures:
//   google.visualization.arrayToDataTable(rows)      header row first
//   new google.visualization.DataTable()             addColumn, addRow(s)
//   new google.visualization.PieChart(el).draw(data, options)
//   new google.charts.Bar(el).draw(data, options)    horizontal bars
//   new google.visualization.Table(el).draw(data, {showRowNumber})
// Charts are SVG, tables are HTML. Record text (keys, labels) only ever enters
// the page as text nodes, never as markup.
(function(window, document) {
'use strict';

var svgKit = window.qzReportSvg;
var FONT_FAMILY = svgKit.FONT_FAMILY;
var svgElement = svgKit.svgElement;
var svgText = svgKit.svgText;
var svgTitle = svgKit.svgTitle;
var clear = svgKit.clear;
var niceStep = svgKit.niceStep;
var formatNumber = svgKit.formatNumber;
// The library's default series colours, so both renderers look alike.
var PALETTE = [
    '#3366cc', '#dc3912', '#ff9900', '#109618', '#990099', '#0099c6', '#dd4477', '#66aa00',
    '#b82e2e', '#316395'
];
var BAR_COLOR = '#4285f4';
var BELOW_COLOR = svgKit.BELOW_TARGET_COLOR;
// Column types whose values are checked when a row is added.
var CHECKED_TYPES = ['number', 'string', 'boolean'];

// ---- Data -------------------------------------------------------------

function typeOfValue(value) {
    if (typeof value === 'number') {
        return 'number';
    }
    if (typeof value === 'boolean') {
        return 'boolean';
    }
    if (value instanceof Date) {
        return 'date';
    }
    return 'string';
}

function isCellObject(value) {
    return value !== null && typeof value === 'object' && !(value instanceof Date) &&
        !Array.isArray(value);
}

function DataTable() {
    this.columns = [];
    this.rows = [];
    this.decimals = {};  // per column, computed when first needed
}

// addColumn(type, label[, id]) or addColumn({type, label, id}).
DataTable.prototype.addColumn = function(type, label, id) {
    var column = isCellObject(type) ? type : {type: type, label: label, id: id};
    this.columns.push({
        type: String(column.type || 'string'),
        label: column.label == null ? '' : String(column.label),
        id: column.id == null ? '' : String(column.id)
    });
    for (var r = 0; r < this.rows.length; r++) {
        this.rows[r].push({v: null, f: undefined});
    }
    return this.columns.length - 1;
};

// As the library does, a row must have one value per column, each of the
// column's type or null; anything else is a fault in the data.
DataTable.prototype.addRow = function(row) {
    var values = row || [];
    if (!Array.isArray(values)) {
        throw new Error('Every row given must be either null or an array.');
    }
    if (row && values.length !== this.columns.length) {
        throw new Error(
            'Row given with size different than ' + this.columns.length +
            ' (the number of columns in the table).');
    }
    var cells = [];
    for (var c = 0; c < this.columns.length; c++) {
        var cell = isCellObject(values[c]) ? {v: values[c].v, f: values[c].f} :
                                             {v: values[c], f: undefined};
        if (cell.v === undefined) {
            cell.v = null;
        }
        var type = this.columns[c].type;
        if (cell.v !== null && CHECKED_TYPES.indexOf(type) >= 0 && typeOfValue(cell.v) !== type) {
            throw new Error(
                'Type mismatch. Value ' + String(cell.v) + ' does not match type ' + type +
                ' in column index ' + c);
        }
        cells.push(cell);
    }
    this.rows.push(cells);
    this.decimals = {};
    return this.rows.length - 1;
};

// addRows(arrayOfRows) or addRows(count) for empty rows.
DataTable.prototype.addRows = function(rows) {
    if (typeof rows === 'number') {
        for (var n = 0; n < rows; n++) {
            this.addRow(null);
        }
    } else if (Array.isArray(rows)) {
        for (var i = 0; i < rows.length; i++) {
            this.addRow(rows[i]);
        }
    } else {
        throw new Error('Argument given to addRows must be either a number or an array');
    }
    return this.rows.length - 1;
};

DataTable.prototype.getNumberOfRows = function() {
    return this.rows.length;
};
DataTable.prototype.getNumberOfColumns = function() {
    return this.columns.length;
};
DataTable.prototype.getColumnLabel = function(c) {
    return this.columns[c].label;
};
DataTable.prototype.getColumnType = function(c) {
    return this.columns[c].type;
};
DataTable.prototype.getColumnId = function(c) {
    return this.columns[c].id;
};
DataTable.prototype.getValue = function(r, c) {
    return this.rows[r][c].v;
};
DataTable.prototype.setValue = function(r, c, value) {
    this.rows[r][c] = {v: value === undefined ? null : value, f: undefined};
    this.decimals = {};
};
DataTable.prototype.setColumnLabel = function(c, label) {
    this.columns[c].label = String(label);
};

// sort(column), sort({column, desc}) or sort([{column, desc}, ...]), in place
// and stable, as the library's: nulls first when ascending.
DataTable.prototype.sort = function(order) {
    var keys = (Array.isArray(order) ? order : [order]).map(function(key) {
        return typeof key === 'number' ? {column: key, desc: false} :
                                         {column: key.column, desc: key.desc === true};
    });
    var indexed = this.rows.map(function(row, i) { return {row: row, i: i}; });
    indexed.sort(function(a, b) {
        for (var k = 0; k < keys.length; k++) {
            var result = compareCells(a.row[keys[k].column].v, b.row[keys[k].column].v);
            if (result) {
                return keys[k].desc ? -result : result;
            }
        }
        return a.i - b.i;
    });
    this.rows = indexed.map(function(entry) { return entry.row; });
};

DataTable.prototype.getFormattedValue = function(r, c) {
    var cell = this.rows[r][c];
    if (cell.f != null) {
        return String(cell.f);
    }
    if (cell.v === null) {
        return '';
    }
    if (this.columns[c].type === 'number') {
        if (!(c in this.decimals)) {
            this.decimals[c] = decimalsOfColumn(this, c);
        }
        return formatNumber(cell.v, this.decimals[c]);
    }
    return String(cell.v);
};

// A header row of labels (or {label, type} objects), then the data rows;
// column types follow the first non-null value of each column.
function arrayToDataTable(rows, firstRowIsData) {
    if (!Array.isArray(rows) || (!firstRowIsData && rows.length === 0)) {
        throw new Error('Data table is not defined.');
    }
    var data = new DataTable();
    var body = firstRowIsData ? rows : rows.slice(1);
    var width = firstRowIsData ? (rows[0] ? rows[0].length : 0) : rows[0].length;
    for (var c = 0; c < width; c++) {
        var header = firstRowIsData ? '' : rows[0][c];
        var column = isCellObject(header) ? header : {label: header};
        var type = column.type;
        for (var r = 0; !type && r < body.length; r++) {
            var value = isCellObject(body[r][c]) ? body[r][c].v : body[r][c];
            if (value != null) {
                type = typeOfValue(value);
            }
        }
        data.addColumn(type || (c === 0 ? 'string' : 'number'), column.label, column.id);
    }
    data.addRows(body);
    return data;
}

// ---- Formatting -------------------------------------------------------

// Counts are shown as integers, a column with any fraction (a yield) with
// two decimals throughout, so that its values line up.
function decimalsOfColumn(data, c) {
    for (var r = 0; r < data.getNumberOfRows(); r++) {
        var v = data.getValue(r, c);
        if (typeof v === 'number' && !Number.isInteger(v)) {
            return 2;
        }
    }
    return 0;
}

function formatPercent(fraction) { return formatNumber(fraction * 100, 1) + '%'; }

function toNumber(value, fallback) {
    var n = typeof value === 'number' ? value : parseFloat(value);
    return isFinite(n) && n > 0 ? n : fallback;
}

// ---- Drawing helpers --------------------------------------------------

function newChart(container, className, width, height) {
    clear(container);
    var svg = svgElement('svg', {
        'class': 'qz-chart ' + className,
        width: width,
        height: height,
        viewBox: '0 0 ' + width + ' ' + height,
        'font-family': FONT_FAMILY,
        role: 'img'
    });
    container.appendChild(svg);
    return svg;
}

function containerWidth(container, fallback) {
    var width = container.clientWidth;
    return width > 0 ? width : fallback;
}

var measureContext = null;
function textWidth(content, fontSize) {
    if (!measureContext) {
        measureContext = document.createElement('canvas').getContext('2d');
    }
    if (!measureContext) {
        return content.length * fontSize * 0.6;
    }
    measureContext.font = fontSize + 'px ' + FONT_FAMILY;
    return measureContext.measureText(content).width;
}

// The longest start of content that fits width, with an ellipsis when cut.
function fitText(content, fontSize, width) {
    if (textWidth(content, fontSize) <= width) {
        return content;
    }
    var low = 0;
    var high = content.length;
    while (low < high) {
        var middle = Math.ceil((low + high) / 2);
        if (textWidth(content.slice(0, middle) + '\u2026', fontSize) <= width) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return content.slice(0, low) + '\u2026';
}

function noData(container, className) {
    clear(container);
    var message = document.createElement('p');
    message.className = 'qz-no-data ' + className;
    message.textContent = 'No data';
    container.appendChild(message);
}

// ---- Pie chart --------------------------------------------------------

function PieChart(container) { this.container = container; }

PieChart.prototype.draw = function(data, options) {
    options = options || {};
    var colors = Array.isArray(options.colors) && options.colors.length ? options.colors : PALETTE;
    var slices = [];
    var total = 0;
    for (var r = 0; r < data.getNumberOfRows(); r++) {
        var value = Number(data.getValue(r, 1)) || 0;
        slices.push({
            label: data.getFormattedValue(r, 0),
            value: value,
            shown: data.getFormattedValue(r, 1),
            color: colors[r % colors.length]
        });
        total += value > 0 ? value : 0;
    }

    var width = toNumber(options.width, Math.min(containerWidth(this.container, 640), 640));
    var height = toNumber(options.height, 320);
    var titleHeight = options.title ? 28 : 0;
    var radius = Math.max(10, Math.min(height - titleHeight - 20, width / 2) / 2);
    var cx = 10 + radius;
    var cy = titleHeight + 10 + radius;
    var svg = newChart(this.container, 'qz-pie', width, height);
    if (options.title) {
        svgText(String(options.title), {x: 10, y: 20, 'font-size': 15, 'font-weight': 'bold'}, svg);
    }

    var pie = svgElement('g', {'class': 'qz-pie-slices'}, svg);
    var angle = -Math.PI / 2;
    slices.forEach(function(slice) {
        var share = total > 0 && slice.value > 0 ? slice.value / total : 0;
        slice.percent = formatPercent(share);
        if (share <= 0) {
            return;
        }
        var shape;
        if (share >= 1) {
            shape = svgElement('circle', {cx: cx, cy: cy, r: radius}, pie);
        } else {
            var end = angle + share * 2 * Math.PI;
            shape = svgElement(
                'path', {
                    d: 'M' + cx + ',' + cy + ' L' + (cx + radius * Math.cos(angle)) + ',' +
                        (cy + radius * Math.sin(angle)) + ' A' + radius + ',' + radius + ' 0 ' +
                        (share > 0.5 ? 1 : 0) + ' 1 ' + (cx + radius * Math.cos(end)) + ',' +
                        (cy + radius * Math.sin(end)) + ' Z'
                },
                pie);
        }
        shape.setAttribute('fill', slice.color);
        shape.setAttribute('stroke', '#ffffff');
        shape.setAttribute('stroke-width', '1');
        svgTitle(slice.label + ': ' + slice.shown + ' (' + slice.percent + ')', shape);
        // The share inside the slice where it has room, as the library does.
        if (share >= 0.05) {
            var middle = angle + share * Math.PI;
            var labelRadius = share >= 1 ? 0 : radius * 0.62;
            svgText(
                slice.percent, {
                    'class': 'qz-pie-percent',
                    x: cx + labelRadius * Math.cos(middle),
                    y: cy + labelRadius * Math.sin(middle),
                    'text-anchor': 'middle',
                    'dominant-baseline': 'middle',
                    'font-size': 13,
                    fill: '#ffffff'
                },
                pie);
        }
        angle += share * 2 * Math.PI;
    });

    var legendX = cx + radius + 30;
    var legend = svgElement('g', {'class': 'qz-legend'}, svg);
    var legendWidth = Math.max(40, width - legendX - 10);
    slices.forEach(function(slice, i) {
        var y = titleHeight + 20 + i * 26;
        var entry = svgElement('g', {'class': 'qz-legend-entry'}, legend);
        svgElement(
            'rect', {x: legendX, y: y - 10, width: 14, height: 14, fill: slice.color}, entry);
        var text = slice.label + ' ' + slice.shown + ' (' + slice.percent + ')';
        svgText(
            fitText(text, 14, legendWidth - 22),
            {x: legendX + 22, y: y + 2, 'font-size': 14, fill: '#222222'}, entry);
        svgTitle(text, entry);
    });
};

// ---- Horizontal bar chart ---------------------------------------------

function Bar(container) { this.container = container; }

function axisLabelOf(options, data) {
    var axes = options.axes && options.axes.x;
    var first = axes && (axes[0] || axes['0']);
    if (first && first.label != null) {
        return String(first.label);
    }
    return data.getNumberOfColumns() > 1 ? data.getColumnLabel(1) : '';
}

function groupShare(options) {
    var groupWidth = options.bar && options.bar.groupWidth;
    if (typeof groupWidth === 'string' && /%$/.test(groupWidth)) {
        var share = parseFloat(groupWidth) / 100;
        if (share > 0 && share <= 1) {
            return share;
        }
    }
    return 0.62;
}

// More bars than this cannot be read on one page; the rest are counted in a
// note under the chart (the table lists every row).
var MAX_BARS = 100;

function formatCount(n) { return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, ','); }

// Also shown under the library's bar chart (report-loader.js). Bars of a
// yield are given worst first (report-page.js): the note then says which
// yields the bars left out have.
function barsNote(drawn, all, data) {
    var yields = data && typeof data.getNumberOfColumns === 'function' &&
        data.getNumberOfColumns() === 2 && /^Yield/.test(String(data.getColumnLabel(1)));
    if (!yields) {
        return 'The first ' + formatCount(drawn) + ' of ' + formatCount(all) + ' bars are drawn; ' +
            formatCount(all - drawn) + ' are not. The table lists them all.';
    }
    return 'The worst ' + formatCount(drawn) + ' of ' + formatCount(all) + ' bars are drawn; ' +
        'the other ' + formatCount(all - drawn) + ' (yields ' +
        formatNumber(Number(data.getValue(drawn, 1)), 2) + ' % to ' +
        formatNumber(Number(data.getValue(all - 1, 1)), 2) +
        ' %) are not. The table lists them all.';
}

Bar.prototype.draw = function(data, options) {
    options = options || {};
    var allRows = data.getNumberOfRows();
    var rowCount = Math.min(allRows, MAX_BARS);
    var seriesCount = data.getNumberOfColumns() - 1;
    if (rowCount === 0 || seriesCount < 1) {
        noData(this.container, 'qz-bars');
        return;
    }
    var title = options.chart && options.chart.title ? String(options.chart.title) :
        options.title                                ? String(options.title) :
                                                       '';

    var maxValue = 0;
    var labels = [];
    var widestLabel = 0;
    for (var r = 0; r < rowCount; r++) {
        labels.push(data.getFormattedValue(r, 0));
        widestLabel = Math.max(widestLabel, textWidth(labels[r], 13));
        for (var s = 1; s <= seriesCount; s++) {
            maxValue = Math.max(maxValue, Number(data.getValue(r, s)) || 0);
        }
    }
    // A yield axis runs to 100 % from the lowest round start that holds
    // every bar (and the target), so that 97.6 % and 98.4 % do not look alike.
    var isYield =
        seriesCount === 1 && /^Yield/.test(String(data.getColumnLabel(1))) && maxValue <= 100;
    var target = isYield && typeof options.qzTarget === 'number' ? options.qzTarget : null;
    var axisMin = 0;
    var axisMax = maxValue <= 100 ? 100 : maxValue;
    var step = niceStep(axisMax, 5);
    axisMax = Math.ceil(axisMax / step) * step;
    if (isYield) {
        var lowest = target === null ? 100 : target;
        for (var lr = 0; lr < rowCount; lr++) {
            lowest = Math.min(lowest, Number(data.getValue(lr, 1)) || 0);
        }
        var fitted = window.qzReportViews.yieldAxis(lowest);
        axisMin = fitted[0];
        step = fitted[1];
    }

    var width = toNumber(options.width, containerWidth(this.container, 800));
    var top = (title ? 30 : 0) + 26;
    var bottom = 46;
    // The key column's title stands above the labels, right-aligned: room for it too.
    widestLabel = Math.max(widestLabel, textWidth(String(data.getColumnLabel(0)), 14));
    var labelWidth = Math.min(Math.ceil(widestLabel) + 16, Math.round(width * 0.4));
    var valueRoom = 64;
    var plotLeft = labelWidth;
    var plotWidth = Math.max(40, width - plotLeft - valueRoom);
    // A height given for every row is scaled down to the rows drawn.
    // Compact bars: a report of 200 keys stays within a screen or two.
    var height = toNumber(options.height, 0) ? top + bottom +
            Math.min(
                (toNumber(options.height, 0) - top - bottom) * rowCount / allRows, rowCount * 24) :
                                               top + bottom + rowCount * 22;
    var band = Math.max(4, (height - top - bottom) / rowCount);
    var barHeight = band * groupShare(options) / seriesCount;

    var svg = newChart(this.container, 'qz-bars', width, height);
    if (title) {
        svgText(title, {x: 0, y: 18, 'font-size': 15, 'font-weight': 'bold'}, svg);
    }
    // The key column's title above the key labels.
    svgText(
        data.getColumnLabel(0), {
            'class': 'qz-bar-key-title',
            x: plotLeft - 8,
            y: top - 10,
            'text-anchor': 'end',
            'font-size': 13,
            'font-weight': 'bold',
            fill: '#444444'
        },
        svg);

    var plotBottom = top + band * rowCount;
    var xOf = function(
        value) { return plotLeft + plotWidth * (value - axisMin) / (axisMax - axisMin); };
    svgKit.valueAxis(svg, {
        from: axisMin,
        to: axisMax,
        step: step,
        xOf: xOf,
        top: top,
        bottom: plotBottom,
        title: axisLabelOf(options, data)
    });

    for (var row = 0; row < rowCount; row++) {
        var bandTop = top + band * row;
        var below = target !== null && Number(data.getValue(row, 1)) < target;
        var group =
            svgElement('g', {'class': below ? 'qz-bar-row qz-below-target' : 'qz-bar-row'}, svg);
        svgText(
            fitText(labels[row], 13, labelWidth - 16), {
                'class': 'qz-bar-label',
                x: plotLeft - 8,
                y: bandTop + band / 2,
                'text-anchor': 'end',
                'dominant-baseline': 'middle',
                'font-size': 13,
                fill: '#222222'
            },
            group);
        var tooltip = [];
        var firstBarTop = bandTop + (band - barHeight * seriesCount) / 2;
        for (var series = 1; series <= seriesCount; series++) {
            var value = Number(data.getValue(row, series)) || 0;
            var shown = data.getFormattedValue(row, series);
            var barTop = firstBarTop + barHeight * (series - 1);
            var barWidth = Math.max(0, xOf(Math.max(axisMin, Math.min(value, axisMax))) - plotLeft);
            svgElement(
                'rect', {
                    'class': 'qz-bar',
                    x: plotLeft,
                    y: barTop,
                    width: barWidth,
                    height: barHeight,
                    fill: below           ? BELOW_COLOR :
                        seriesCount === 1 ? BAR_COLOR :
                                            PALETTE[(series - 1) % PALETTE.length]
                },
                group);
            tooltip.push(shown);
            svgText(
                shown, {
                    'class': 'qz-bar-value',
                    x: plotLeft + barWidth + 6,
                    y: barTop + barHeight / 2,
                    'dominant-baseline': 'middle',
                    'font-size': 12,
                    fill: '#222222'
                },
                group);
        }
        // The full key, also where its label had to be cut.
        svgTitle(
            labels[row] + ': ' + tooltip.join(', ') + (below ? ', below the target' : ''), group);
    }
    if (target !== null) {
        svgKit.targetLine(svg, xOf(target), top, plotBottom, target);
    }
    if (allRows > rowCount) {
        var note = document.createElement('p');
        note.className = 'qz-chart-note';
        note.textContent = barsNote(rowCount, allRows, data);
        this.container.appendChild(note);
    }
};

// ---- Table ------------------------------------------------------------

function Table(container) { this.container = container; }

// Rows shown at a time; the pager under the table moves through the rest.
var TABLE_PAGE_ROWS = 100;

function compareCells(a, b) {
    if (a === b) {
        return 0;
    }
    if (a === null) {
        return -1;
    }
    if (b === null) {
        return 1;
    }
    return a < b ? -1 : 1;
}

Table.prototype.draw = function(data, options) {
    options = options || {};
    var showRowNumber = options.showRowNumber === true;
    var sortable = options.sort !== 'disable';
    var columnCount = data.getNumberOfColumns();
    var rowCount = data.getNumberOfRows();

    var table = document.createElement('table');
    table.className = 'qz-table';
    var head = table.createTHead().insertRow();
    if (showRowNumber) {
        var corner = document.createElement('th');
        corner.className = 'qz-row-number';
        head.appendChild(corner);
    }
    var headers = [];
    for (var c = 0; c < columnCount; c++) {
        var th = document.createElement('th');
        th.scope = 'col';
        if (data.getColumnType(c) === 'number') {
            th.className = 'qz-number';
        }
        if (sortable && data.getColumnLabel(c) !== '') {
            var sortButton = document.createElement('button');
            sortButton.type = 'button';
            sortButton.textContent = data.getColumnLabel(c);
            sortButton.setAttribute('data-column', String(c));
            th.appendChild(sortButton);
        } else {
            th.textContent = data.getColumnLabel(c);
        }
        headers.push(th);
        head.appendChild(th);
    }

    var body = table.createTBody();
    // Rows are made a page at a time: a report may have 100,000 keys.
    var order = [];
    for (var r = 0; r < rowCount; r++) {
        order.push(r);
    }
    var pageCount = Math.max(1, Math.ceil(rowCount / TABLE_PAGE_ROWS));
    var pageIndex = 0;

    function makeRow(index) {
        var tr = document.createElement('tr');
        if (showRowNumber) {
            var number = document.createElement('td');
            number.className = 'qz-row-number';
            number.textContent = String(index + 1);
            tr.appendChild(number);
        }
        for (var col = 0; col < columnCount; col++) {
            var td = document.createElement('td');
            if (data.getColumnType(col) === 'number') {
                td.className = 'qz-number';
            }
            td.textContent = data.getFormattedValue(index, col);
            tr.appendChild(td);
        }
        return tr;
    }

    var pager = null;
    var pagerText, previousButton, nextButton;
    if (pageCount > 1) {
        pager = document.createElement('nav');
        pager.className = 'qz-table-pager';
        pager.setAttribute('aria-label', 'Table pages');
        previousButton = document.createElement('button');
        previousButton.type = 'button';
        previousButton.textContent = 'Previous';
        nextButton = document.createElement('button');
        nextButton.type = 'button';
        nextButton.textContent = 'Next';
        pagerText = document.createElement('span');
        pagerText.setAttribute('role', 'status');
        pager.appendChild(previousButton);
        pager.appendChild(pagerText);
        pager.appendChild(nextButton);
        previousButton.addEventListener('click', function() { showPage(pageIndex - 1); });
        nextButton.addEventListener('click', function() { showPage(pageIndex + 1); });
    }

    function showPage(index) {
        pageIndex = Math.max(0, Math.min(index, pageCount - 1));
        var first = pageIndex * TABLE_PAGE_ROWS;
        var last = Math.min(rowCount, first + TABLE_PAGE_ROWS);
        var rowsOfPage = document.createDocumentFragment();
        for (var i = first; i < last; i++) {
            rowsOfPage.appendChild(makeRow(order[i]));
        }
        clear(body);
        body.appendChild(rowsOfPage);
        if (pager) {
            pagerText.textContent = 'Rows ' + formatCount(first + 1) + '\u2013' +
                formatCount(last) + ' of ' + formatCount(rowCount);
            previousButton.disabled = pageIndex === 0;
            nextButton.disabled = pageIndex === pageCount - 1;
        }
    }

    // Sorting by a header orders every row, not only the page; a row keeps
    // its number, and the first page is shown. The container hears of it
    // (a 'qz-sort' event), so that the page can keep the order.
    var sortColumn = -1;
    var ascending = true;
    var container = this.container;
    function sortBy(column, up) {
        ascending = up;
        sortColumn = column;
        var byIndex = [];
        for (var index = 0; index < rowCount; index++) {
            byIndex.push(data.getValue(index, column));
        }
        order.sort(function(a, b) {
            var result = compareCells(byIndex[a], byIndex[b]);
            return (ascending ? result : -result) || a - b;
        });
        headers.forEach(function(header, i) {
            if (i === column) {
                header.setAttribute('aria-sort', ascending ? 'ascending' : 'descending');
            } else {
                header.removeAttribute('aria-sort');
            }
        });
    }
    head.addEventListener('click', function(event) {
        var button = event.target.closest ? event.target.closest('button[data-column]') : null;
        if (!button) {
            return;
        }
        var column = Number(button.getAttribute('data-column'));
        sortBy(column, column === sortColumn ? !ascending : true);
        showPage(0);
        container.dispatchEvent(new CustomEvent(
            'qz-sort', {detail: {column: sortColumn, ascending: ascending}, bubbles: true}));
    });
    if (typeof options.sortColumn === 'number' && options.sortColumn >= 0 &&
        options.sortColumn < columnCount) {
        sortBy(options.sortColumn, options.sortAscending !== false);
    }

    // Printed, a table shows every row (qzPrintRows(true)), then its page again.
    container.qzPrintRows = function(all) {
        if (!pager) {
            return;
        }
        if (!all) {
            showPage(pageIndex);
            return;
        }
        var every = document.createDocumentFragment();
        for (var i = 0; i < rowCount; i++) {
            every.appendChild(makeRow(order[i]));
        }
        clear(body);
        body.appendChild(every);
    };

    showPage(0);
    clear(this.container);
    this.container.appendChild(table);
    if (pager) {
        this.container.appendChild(pager);
    }
};

// ---- Installation -----------------------------------------------------

// Puts the renderer's classes on the given google object. google.charts is
// kept where it exists (the loader's), only Bar is added to it.
function install(google) {
    google.visualization = {
        arrayToDataTable: arrayToDataTable,
        DataTable: DataTable,
        PieChart: PieChart,
        Table: Table
    };
    if (!google.charts || typeof google.charts !== 'object') {
        google.charts = {};
    }
    google.charts.Bar = Bar;
}

// The limits hold for the library's draws too (report-loader.js).
window.qzReportFallback = {
    install: install,
    maxBars: MAX_BARS,
    tablePageRows: TABLE_PAGE_ROWS,
    barsNote: barsNote
};
})(window, document);
