// Evaluates the six report scripts of a folder against a stand-in for the
// chart library and prints every drawn data row, one line each:
//   <file> TAB <element id> TAB <first cell as hex code units> TAB <other cells as JSON>
// The scripts are read as latin1, as a page without a charset would read them:
// byte n of a file becomes code unit n. Each code unit of the first cell is
// printed as four hex digits.
'use strict';

const fs = require('fs');
const path = require('path');
const vm = require('vm');

const folder = process.argv[2];
if (!folder) {
    console.error('usage: node read_script_rows.js <script folder>');
    process.exit(2);
}

const scripts = [
    'chartSummary.js', 'chartSettingFile.js', 'chartMachineId.js',
    'tableSummary.js', 'tableSettingFile.js', 'tableMachineId.js',
];

function hexOf(text) {
    let hex = '';
    for (let i = 0; i < text.length; ++i) {
        hex += text.charCodeAt(i).toString(16).padStart(4, '0');
    }
    return hex;
}

function runScript(file) {
    const drawn = [];
    const onLoad = [];
    class DataTable {
        constructor() {
            this.columns = [];
            this.rows = [];
        }
        addColumn(type, label) {
            this.columns.push([type, label]);
        }
        addRows(rows) {
            this.rows.push(...rows);
        }
    }
    class Drawable {
        constructor(element) {
            if (!element || typeof element.id !== 'string') {
                throw new Error(file + ': chart made without a page element');
            }
            this.element = element;
        }
        draw(data, options) {
            drawn.push({element: this.element, data, options});
        }
    }
    const google = {
        load() {},
        setOnLoadCallback(callback) {
            onLoad.push(callback);
        },
        visualization: {
            DataTable,
            arrayToDataTable(array) {
                const table = new DataTable();
                for (const label of array[0]) {
                    table.addColumn('', label);
                }
                table.addRows(array.slice(1));
                return table;
            },
            Table: class extends Drawable {},
            PieChart: class extends Drawable {},
        },
        charts: {Bar: class extends Drawable {}},
    };
    const document = {
        getElementById(id) {
            return {id};
        },
    };

    const context = vm.createContext({google, document});
    const source = fs.readFileSync(path.join(folder, file), 'latin1');
    vm.runInContext(source, context, {filename: file});

    // Summary scripts register their draw function; the others leave it to
    // the page, which calls it by name.
    const name = 'draw' + file[0].toUpperCase() + file.slice(1, -'.js'.length);
    if (typeof context[name] !== 'function') {
        throw new Error(file + ': no function ' + name);
    }
    if (onLoad.length > 0) {
        onLoad.forEach((callback) => callback());
    } else {
        context[name]();
    }
    if (drawn.length !== 1) {
        throw new Error(file + ': drawn ' + drawn.length + ' times');
    }
    const {element, data} = drawn[0];
    for (const row of data.rows) {
        const [key, ...cells] = row;
        console.log([file, element.id, hexOf(String(key)), JSON.stringify(cells)].join('\t'));
    }
}

for (const file of scripts) {
    runScript(file);
}
