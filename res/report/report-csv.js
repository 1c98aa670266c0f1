// A drawn table as a CSV file, made in the page (no server, no network):
// comma-separated, a field quoted when it holds a comma, a double quote or a
// line break (its quotes doubled), a text that would read as a formula behind
// an apostrophe, lines ended by CR LF, and UTF-8 with a byte-order mark, which
// spreadsheets need to read non-ASCII names right.
(function(window, document) {
'use strict';

var BOM = '\ufeff';

function field(text) { return /[",\r\n]/.test(text) ? '"' + text.replace(/"/g, '""') + '"' : text; }

// A text a spreadsheet would take for a formula (it begins with =, +, -, @, a
// TAB or a CR) gets a leading apostrophe, so that opening the file runs
// nothing; the usual guidance for CSV export.
function inert(text) { return /^[=+\-@\t\r]/.test(text) ? "'" + text : text; }

// A number column is written as the table shows it: counts as integers, a
// yield column (or any with a fraction) with two decimals; no digit grouping.
function decimalsOf(data, column) {
    if (/^Yield/.test(String(data.getColumnLabel(column)))) {
        return 2;
    }
    for (var r = 0; r < data.getNumberOfRows(); r++) {
        var value = data.getValue(r, column);
        if (typeof value === 'number' && !Number.isInteger(value)) {
            return 2;
        }
    }
    return 0;
}

function cellText(data, row, column, decimals) {
    var value = data.getValue(row, column);
    if (value === null || value === undefined) {
        return '';
    }
    if (typeof value === 'number') {
        return value.toFixed(decimals);
    }
    return inert(String(value));
}

// The header row of column labels, then every row in the data's order.
function tableCsv(data) {
    var columns = data.getNumberOfColumns();
    var decimals = [];
    var header = [];
    for (var c = 0; c < columns; c++) {
        decimals.push(data.getColumnType(c) === 'number' ? decimalsOf(data, c) : 0);
        header.push(field(inert(String(data.getColumnLabel(c)))));
    }
    var lines = [header.join(',')];
    for (var r = 0; r < data.getNumberOfRows(); r++) {
        var cells = [];
        for (var col = 0; col < columns; col++) {
            cells.push(field(cellText(data, r, col, decimals[col])));
        }
        lines.push(cells.join(','));
    }
    return BOM + lines.join('\r\n') + '\r\n';
}

// Hands text to the browser as a download named fileName.
function download(fileName, text) {
    var url = URL.createObjectURL(new Blob([text], {type: 'text/csv;charset=utf-8'}));
    var link = document.createElement('a');
    link.href = url;
    link.download = fileName;
    link.hidden = true;
    document.body.appendChild(link);
    link.click();
    document.body.removeChild(link);
    // The download has taken the data by the time this runs.
    window.setTimeout(function() { URL.revokeObjectURL(url); }, 10000);
}

window.qzReportCsv = {
    tableCsv: tableCsv,
    download: download
};
})(window, document);
