// Drives Debian's headless Chromium over the DevTools protocol on a pipe
// (--remote-debugging-pipe), with nothing but Node's own modules: Debian 12's
// Node 18 has no WebSocket client, and no browser driver has to be fetched.
//
// It offers the few page actions the report page test needs, named as in the
// common browser-automation libraries: contexts with a viewport and request
// routing, page and console errors, navigation, reading the DOM, real mouse
// clicks on a button found by its role and name, key presses, screenshots,
// downloads and printing to PDF.

import {spawn} from 'node:child_process';
import {EventEmitter} from 'node:events';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const POLL_MS = 50;
const WAIT_MS = 10000;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// One DevTools connection: commands with ids, events by method and session.
class Connection extends EventEmitter {
    constructor(toBrowser, fromBrowser) {
        super();
        this.toBrowser = toBrowser;
        this.nextId = 1;
        this.pending = new Map();
        let buffered = '';
        fromBrowser.setEncoding('utf8');
        fromBrowser.on('data', (chunk) => {
            buffered += chunk;
            let end;
            while ((end = buffered.indexOf('\0')) >= 0) {
                this.dispatch(JSON.parse(buffered.slice(0, end)));
                buffered = buffered.slice(end + 1);
            }
        });
        fromBrowser.on('close', () => {
            for (const {reject, method} of this.pending.values()) {
                reject(new Error(`browser closed during ${method}`));
            }
            this.pending.clear();
        });
    }

    dispatch(message) {
        if (message.id !== undefined) {
            const waiter = this.pending.get(message.id);
            this.pending.delete(message.id);
            if (!waiter) {
                return;
            }
            if (message.error) {
                waiter.reject(new Error(`${waiter.method}: ${message.error.message}`));
            } else {
                waiter.resolve(message.result);
            }
        } else {
            this.emit(`${message.sessionId || ''}:${message.method}`, message.params);
        }
    }

    send(method, params = {}, sessionId = undefined) {
        const id = this.nextId++;
        const message = {id, method, params};
        if (sessionId) {
            message.sessionId = sessionId;
        }
        return new Promise((resolve, reject) => {
            this.pending.set(id, {resolve, reject, method});
            this.toBrowser.write(JSON.stringify(message) + '\0');
        });
    }
}

// A paused request, answered once by abort(), fulfill() or never.
class Route {
    constructor(session, params) {
        this.session = session;
        this.params = params;
    }
    request() { return {url: () => this.params.request.url}; }
    abort() {
        return this.session.send(
            'Fetch.failRequest', {requestId: this.params.requestId, errorReason: 'Failed'});
    }
    fulfill({contentType, body}) {
        return this.session.send('Fetch.fulfillRequest', {
            requestId: this.params.requestId,
            responseCode: 200,
            responseHeaders: [{name: 'Content-Type', value: contentType}],
            body: Buffer.from(body).toString('base64'),
        });
    }
}

// Elements matched by a test in the page, clicked with the real mouse.
class Locator {
    constructor(page, findSource, description) {
        this.page = page;
        this.findSource = findSource;  // an expression giving an array of elements
        this.description = description;
    }
    count() { return this.page.evaluateSource(`(${this.findSource}).length`); }
    async click() {
        // Wait for exactly one match, as strict locators do, then click its middle.
        const deadline = Date.now() + WAIT_MS;
        for (;;) {
            const box = await this.page.evaluateSource(`(() => {
                const found = ${this.findSource};
                if (found.length !== 1) return found.length;
                found[0].scrollIntoView({block: 'center', inline: 'center'});
                const r = found[0].getBoundingClientRect();
                return {x: r.left + r.width / 2, y: r.top + r.height / 2};
            })()`);
            if (typeof box === 'object') {
                for (const type of ['mouseMoved', 'mousePressed', 'mouseReleased']) {
                    await this.page.send(
                        'Input.dispatchMouseEvent',
                        {type, x: box.x, y: box.y, button: 'left', clickCount: 1});
                }
                return;
            }
            if (Date.now() > deadline) {
                throw new Error(`${this.description} matched ${box} elements, not one`);
            }
            await sleep(POLL_MS);
        }
    }
}

class Page extends EventEmitter {
    constructor(connection, sessionId) {
        super();
        this.connection = connection;
        this.sessionId = sessionId;
    }
    send(method, params) { return this.connection.send(method, params, this.sessionId); }
    onEvent(method, listener) { this.connection.on(`${this.sessionId}:${method}`, listener); }

    async start(viewport, routes) {
        this.onEvent('Runtime.exceptionThrown', ({exceptionDetails}) => {
            const description = exceptionDetails.exception?.description || exceptionDetails.text;
            this.emit('pageerror', new Error(description.split('\n')[0]));
        });
        this.onEvent('Runtime.consoleAPICalled', ({type, args, stackTrace}) => {
            const text = args.map((a) => (a.value !== undefined ? String(a.value) : a.description))
                             .join(' ');
            this.emitConsole(type, text, stackTrace?.callFrames[0]?.url || '');
        });
        this.onEvent('Log.entryAdded', ({entry}) => {
            if (entry.source !== 'violation') {
                this.emitConsole(entry.level, entry.text, entry.url || '');
            }
        });
        this.onEvent('Fetch.requestPaused', (params) => {
            const route = new Route(this, params);
            const handler = routes.find(({pattern}) => pattern.test(params.request.url));
            if (handler) {
                handler.answer(route);
            } else {
                this.send('Fetch.continueRequest', {requestId: params.requestId});
            }
        });
        await Promise.all([
            this.send('Page.enable'),
            this.send('Runtime.enable'),
            this.send('Log.enable'),
            this.send(
                'Emulation.setDeviceMetricsOverride',
                {...viewport, deviceScaleFactor: 1, mobile: false}),
            this.send(
                'Fetch.enable', {patterns: [{urlPattern: 'http://*'}, {urlPattern: 'https://*'}]}),
        ]);
    }

    emitConsole(type, text, url) {
        this.emit('console', {type: () => type, text: () => text, location: () => ({url})});
    }

    // Navigates and returns once the document is parsed (not loaded: a
    // request that never answers would hold the load event back).
    async goto(url) {
        const parsed = new Promise(
            (resolve) =>
                this.connection.once(`${this.sessionId}:Page.domContentEventFired`, resolve));
        const {errorText} = await this.send('Page.navigate', {url});
        if (errorText) {
            throw new Error(`cannot open ${url}: ${errorText}`);
        }
        await parsed;
    }

    async evaluateSource(expression) {
        const {result, exceptionDetails} = await this.send(
            'Runtime.evaluate', {expression, returnByValue: true, awaitPromise: true});
        if (exceptionDetails) {
            throw new Error(
                `in the page: ${exceptionDetails.exception?.description || exceptionDetails.text}`);
        }
        return result.value;
    }
    evaluate(fn) { return this.evaluateSource(`(${fn})()`); }
    $$eval(selector, fn) {
        return this.evaluateSource(
            `(${fn})(Array.from(document.querySelectorAll(${JSON.stringify(selector)})))`);
    }

    async waitForSelector(selector, {timeout = WAIT_MS} = {}) {
        const deadline = Date.now() + timeout;
        while (
            !(await this.evaluateSource(`!!document.querySelector(${JSON.stringify(selector)})`))) {
            if (Date.now() > deadline) {
                throw new Error(`no ${selector} after ${timeout} ms`);
            }
            await sleep(POLL_MS);
        }
    }
    async getAttribute(selector, name) {
        await this.waitForSelector(selector);
        return this.evaluateSource(`document.querySelector(${
            JSON.stringify(selector)}).getAttribute(${JSON.stringify(name)})`);
    }
    async textContent(selector) {
        await this.waitForSelector(selector);
        return this.evaluateSource(
            `document.querySelector(${JSON.stringify(selector)}).textContent`);
    }

    // Elements matching a CSS selector, optionally only those containing a text.
    locator(selector, {hasText} = {}) {
        const filter = hasText === undefined ?
            '' :
            `.filter((e) => e.textContent.includes(${JSON.stringify(hasText)}))`;
        return new Locator(
            this, `Array.from(document.querySelectorAll(${JSON.stringify(selector)}))${filter}`,
            `${selector}${hasText === undefined ? '' : ` with "${hasText}"`}`);
    }
    // Shown buttons whose accessible name (aria-label, else their text) is
    // `name`; a hidden one is not in the accessibility tree.
    getByRole(role, {name, exact}) {
        if (role !== 'button' || !exact) {
            throw new Error('only exact button names are supported');
        }
        return new Locator(
            this, `Array.from(document.querySelectorAll('button, [role=button]')).filter((e) =>
                e.checkVisibility() &&
                (e.getAttribute('aria-label') || e.textContent).trim().replace(/\\s+/g, ' ') ===
                ${JSON.stringify(name)})`,
            `button "${name}"`);
    }

    // A real key press (Tab, Shift+Tab, Enter or Space) to the focused element.
    async press(name) {
        const keys = {
            Tab: {key: 'Tab', code: 'Tab', windowsVirtualKeyCode: 9},
            'Shift+Tab': {key: 'Tab', code: 'Tab', windowsVirtualKeyCode: 9, modifiers: 8},
            Enter: {key: 'Enter', code: 'Enter', windowsVirtualKeyCode: 13, text: '\r'},
            Space: {key: ' ', code: 'Space', windowsVirtualKeyCode: 32, text: ' '},
        };
        const key = keys[name];
        if (!key) {
            throw new Error(`no key ${name}`);
        }
        await this.send('Input.dispatchKeyEvent', {type: 'keyDown', ...key});
        const up = {...key, type: 'keyUp'};
        delete up.text;
        await this.send('Input.dispatchKeyEvent', up);
    }

    async screenshot({path: file, fullPage}) {
        const params = {format: 'png'};
        if (fullPage) {
            const {cssContentSize} = await this.send('Page.getLayoutMetrics');
            params.captureBeyondViewport = true;
            params.clip = {
                x: 0,
                y: 0,
                width: Math.ceil(cssContentSize.width),
                height: Math.ceil(cssContentSize.height),
                scale: 1
            };
        }
        const {data} = await this.send('Page.captureScreenshot', params);
        fs.writeFileSync(file, Buffer.from(data, 'base64'));
    }

    // The page printed by the browser's own PDF printing (print media, the
    // beforeprint and afterprint events), on A4 with the default margins.
    async pdf() {
        const {data} = await this.send('Page.printToPDF', {paperWidth: 8.27, paperHeight: 11.69});
        return Buffer.from(data, 'base64');
    }

    // Runs action, which must start one download, and gives the file's
    // suggested name and its bytes once it is complete.
    async waitForDownload(action) {
        const connection = this.connection;
        let started;
        const done = new Promise((resolve, reject) => {
            const timer = setTimeout(() => {
                finish();
                reject(new Error('no download finished'));
            }, WAIT_MS);
            const onBegin = (params) => {
                started ??= params;
            };
            const onProgress = (params) => {
                if (started && params.guid === started.guid && params.state !== 'inProgress') {
                    finish();
                    resolve(params.state);
                }
            };
            function finish() {
                clearTimeout(timer);
                connection.off(':Browser.downloadWillBegin', onBegin);
                connection.off(':Browser.downloadProgress', onProgress);
            }
            connection.on(':Browser.downloadWillBegin', onBegin);
            connection.on(':Browser.downloadProgress', onProgress);
        });
        await action();
        const state = await done;
        if (state !== 'completed') {
            throw new Error(`the download of ${started.suggestedFilename} was ${state}`);
        }
        return {
            suggestedFilename: started.suggestedFilename,
            bytes: fs.readFileSync(path.join(this.downloads, started.guid)),
        };
    }
}

// A browser context of its own (cookies, cache, downloads folder) with one
// viewport and routes.
class Context {
    constructor(connection, id, viewport, downloads) {
        this.connection = connection;
        this.id = id;
        this.viewport = viewport;
        this.downloads = downloads;
        this.routes = [];
    }
    async route(pattern, answer) { this.routes.push({pattern, answer}); }
    async newPage() {
        const {targetId} = await this.connection.send(
            'Target.createTarget', {url: 'about:blank', browserContextId: this.id});
        const {sessionId} =
            await this.connection.send('Target.attachToTarget', {targetId, flatten: true});
        const page = new Page(this.connection, sessionId);
        page.downloads = this.downloads;
        await page.start(this.viewport, this.routes);
        return page;
    }
    async close() {
        await this.connection.send('Target.disposeBrowserContext', {browserContextId: this.id});
        fs.rmSync(this.downloads, {recursive: true, force: true});
    }
}

class Browser {
    constructor(child, connection, profile) {
        this.child = child;
        this.connection = connection;
        this.profile = profile;
    }
    async newContext({viewport}) {
        const {browserContextId} = await this.connection.send('Target.createBrowserContext');
        // Downloads are kept under their id, so that two of one name do not clash.
        const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'qz-chromium-downloads-'));
        await this.connection.send('Browser.setDownloadBehavior', {
            behavior: 'allowAndName',
            browserContextId,
            downloadPath: downloads,
            eventsEnabled: true,
        });
        return new Context(this.connection, browserContextId, viewport, downloads);
    }
    async close() {
        const exited = new Promise((resolve) => this.child.once('exit', resolve));
        await this.connection.send('Browser.close').catch(() => {});
        await Promise.race([exited, sleep(5000)]);
        this.child.kill('SIGKILL');
        fs.rmSync(this.profile, {recursive: true, force: true});
    }
}

// Starts the browser with a new empty profile; its stderr is kept for errors.
export async function launch({executablePath, args}) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qz-chromium-profile-'));
    const child = spawn(
        executablePath,
        [...args, '--remote-debugging-pipe', `--user-data-dir=${profile}`, 'about:blank'],
        {stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe']});
    let stderr = '';
    child.stderr.on('data', (chunk) => {
        stderr += chunk;
    });
    const failed = new Promise((_, reject) => {
        child.once('error', reject);
        child.once(
            'exit', (code) => reject(new Error(`${executablePath} exited (${code}): ${stderr}`)));
    });
    const connection = new Connection(child.stdio[3], child.stdio[4]);
    await Promise.race([connection.send('Browser.getVersion'), failed]);
    failed.catch(() => {});
    return new Browser(child, connection, profile);
}
