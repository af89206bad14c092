// Opens each kind of HTML report the tool writes in headless Chromium,
// with the network off, and checks what a reader would: no console error
// and no request, one table row per cell of the run's JSON, sorting by the
// median orders the rows, the filters hide what they should (in the charts
// and the strips of runs as well as the tables), every mark's tooltip names
// its cell, each cell's strip has a dot per run, sizes sort as numbers in a
// comparison, a loaded sort named as markup shows as text and runs nothing,
// the page without scripts still shows every table, chart and strip, and a
// screenshot is not blank.
//
//   node --experimental-websocket check_html_report.mjs ORVANDEL_BENCH SORT_LIBRARY OUT_DIR
//
// Talks the DevTools protocol over the WebSocket Node has, so it needs no
// package. Exit status 77 (a skipped test) where no Chromium is installed.
import { spawn, spawnSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { inflateSync } from "node:zlib";

const [bench, library, outDir] = process.argv.slice(2);
const HOSTILE = "<img src=x onerror=alert(1)>";
const QUOTED = '"</script><b>bold</b>';

function findChromium() {
    const named = process.env.ORVANDEL_CHROMIUM;
    if (named) return existsSync(named) ? named : null;
    for (const name of ["chromium", "chromium-browser", "google-chrome"]) {
        const found = spawnSync("sh", ["-c", `command -v ${name}`], { encoding: "utf8" });
        if (found.status === 0 && found.stdout.trim()) return found.stdout.trim();
    }
    return null;
}

// The tool's run: its JSON on standard output, the HTML page in html.
function runTool(folder, html, args) {
    const done = spawnSync(bench, [...args, "--format", "json", "--export", join(folder, html)], {
        cwd: folder, encoding: "utf8", maxBuffer: 64 << 20,
    });
    if (done.status !== 0 && done.status !== 1) throw new Error(`${args.join(" ")}: status ${done.status}: ${done.stderr}`);
    return JSON.parse(done.stdout);
}

// The DevTools protocol over one browser connection, pages as flat sessions.
class Browser {
    static async launch(chromium, profile) {
        const child = spawn(chromium, [
            "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--remote-debugging-port=0",
            `--user-data-dir=${profile}`, "--proxy-server=127.0.0.1:9", "--host-resolver-rules=MAP * ~NOTFOUND",
            "about:blank",
        ], { stdio: ["ignore", "ignore", "pipe"], detached: true });
        const url = await new Promise((resolve, reject) => {
            let text = "";
            child.stderr.on("data", (chunk) => {
                text += chunk;
                const found = /DevTools listening on (ws:\/\/\S+)/.exec(text);
                if (found) resolve(found[1]);
            });
            child.on("exit", (code) => reject(new Error(`Chromium exited (${code}): ${text}`)));
        });
        const socket = new WebSocket(url);
        await new Promise((resolve, reject) => { socket.onopen = resolve; socket.onerror = reject; });
        return new Browser(child, socket);
    }

    constructor(child, socket) {
        this.child = child;
        this.socket = socket;
        this.next = 1;
        this.waiting = new Map();
        this.listeners = [];
        socket.onmessage = (message) => {
            const data = JSON.parse(message.data);
            if (data.id && this.waiting.has(data.id)) {
                const { resolve, reject } = this.waiting.get(data.id);
                this.waiting.delete(data.id);
                data.error ? reject(new Error(JSON.stringify(data.error))) : resolve(data.result);
            } else if (data.method) {
                for (const listen of this.listeners) listen(data);
            }
        };
    }

    send(method, params = {}, sessionId = undefined) {
        const id = this.next++;
        this.socket.send(JSON.stringify({ id, method, params, sessionId }));
        return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject }));
    }

    async close() {
        const exited = new Promise((resolve) => this.child.on("exit", resolve));
        this.socket.close();
        // Its own group: the renderers and the network service go with it,
        // or they may still write into the profile while it is removed.
        process.kill(-this.child.pid, "SIGTERM");
        await exited;
    }
}

// One page of the browser, with what it said and asked for.
async function openPage(browser, file, scripts) {
    const { targetId } = await browser.send("Target.createTarget", { url: "about:blank" });
    const { sessionId } = await browser.send("Target.attachToTarget", { targetId, flatten: true });
    const page = { errors: [], requests: [], dialogs: [], sessionId, targetId };
    const url = "file://" + file;
    let loaded;
    const load = new Promise((resolve) => { loaded = resolve; });
    browser.listeners.push((event) => {
        if (event.sessionId !== sessionId) return;
        const p = event.params;
        if (event.method === "Runtime.consoleAPICalled" && (p.type === "error" || p.type === "assert"))
            page.errors.push("console: " + p.args.map((a) => a.value ?? a.description).join(" "));
        if (event.method === "Runtime.exceptionThrown") page.errors.push("exception: " + p.exceptionDetails.text);
        if (event.method === "Log.entryAdded" && p.entry.level === "error") page.errors.push("log: " + p.entry.text);
        if (event.method === "Network.requestWillBeSent" && p.request.url !== url) page.requests.push(p.request.url);
        if (event.method === "Page.javascriptDialogOpening") {
            page.dialogs.push(p.message);
            browser.send("Page.handleJavaScriptDialog", { accept: true }, sessionId);
        }
        if (event.method === "Page.loadEventFired") loaded();
    });
    for (const domain of ["Page", "Runtime", "Log", "Network"]) await browser.send(`${domain}.enable`, {}, sessionId);
    await browser.send("Network.emulateNetworkConditions",
        { offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1 }, sessionId);
    await browser.send("Emulation.setScriptExecutionDisabled", { value: !scripts }, sessionId);
    await browser.send("Emulation.setDeviceMetricsOverride",
        { width: 1200, height: 1600, deviceScaleFactor: 1, mobile: false }, sessionId);
    await browser.send("Page.navigate", { url }, sessionId);
    await load;
    page.evaluate = async (expression) => {
        // With scripts off, evaluation from the protocol still runs: it reads, the page does not.
        const done = await browser.send("Runtime.evaluate", { expression, returnByValue: true }, sessionId);
        if (done.exceptionDetails) throw new Error(`${expression}: ${done.exceptionDetails.exception?.description}`);
        return done.result.value;
    };
    page.screenshot = async () => {
        const shot = await browser.send("Page.captureScreenshot", { format: "png" }, sessionId);
        return Buffer.from(shot.data, "base64");
    };
    return page;
}

// The share of a PNG's pixels that are not white (8-bit RGB or RGBA, as
// Chromium writes them).
function inkShare(png) {
    const width = png.readUInt32BE(16), height = png.readUInt32BE(20), type = png[25];
    const channels = type === 6 ? 4 : 3;
    const chunks = [];
    for (let at = 8; at < png.length;) {
        const length = png.readUInt32BE(at), kind = png.toString("latin1", at + 4, at + 8);
        if (kind === "IDAT") chunks.push(png.subarray(at + 8, at + 8 + length));
        at += 12 + length;
    }
    const data = inflateSync(Buffer.concat(chunks));
    const stride = width * channels;
    let previous = new Uint8Array(stride), ink = 0;
    for (let y = 0; y < height; ++y) {
        const filter = data[y * (stride + 1)];
        const line = new Uint8Array(data.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
        for (let x = 0; x < stride; ++x) {
            const a = x >= channels ? line[x - channels] : 0, b = previous[x], c = x >= channels ? previous[x - channels] : 0;
            const paeth = () => {
                const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
                return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            };
            const predictor = [0, a, b, (a + b) >> 1, paeth()][filter];
            line[x] = (line[x] + predictor) & 255;
        }
        for (let x = 0; x < width; ++x)
            if (line[x * channels] < 240 || line[x * channels + 1] < 240 || line[x * channels + 2] < 240) ++ink;
        previous = line;
    }
    return ink / (width * height);
}

// Expressions run in the page.
const CELL_ROWS = "document.querySelectorAll('table[data-group=cells] tbody tr').length";
const COMPARED_ROWS = "document.querySelectorAll('table[data-group=comparison] tbody tr').length";
const visibleRows = (group) => `Array.from(document.querySelectorAll('table[data-group=${group}] tbody tr'))
    .filter((r) => r.offsetParent !== null).map((r) => r.getAttribute('data-contender'))`;
// Clicks a heading of the cells' tables, and gives each table's keys of that column in their new order.
const clickHeading = (text) => `(() => {
    const th = Array.from(document.querySelectorAll('table[data-group=cells] th')).find((h) => h.textContent === '${text}');
    th.click();
    return Array.from(document.querySelectorAll('table[data-group=cells]')).map((table) =>
        Array.from(table.tBodies[0].rows).map((r) => {
            const v = r.classList.contains('unfinished') ? null : r.cells[th.cellIndex].getAttribute('data-v');
            return v === null || v === '' ? null : Number(v);
        }));
})()`;
const choose = (id, value) => `(() => {
    const select = document.getElementById('${id}');
    select.value = ${JSON.stringify(value)};
    select.dispatchEvent(new Event('change'));
    return select.value;
})()`;

// The marks of the charts and strips: every bar, point, cross and run.
const MARKS = "figure[data-chart] :is(circle, rect[data-role^=bar], path[data-role=unfinished]), " +
    "details.runs circle";
const shownMarks = (selector) => `Array.from(document.querySelectorAll(${JSON.stringify(selector)}))
    .filter((m) => { const r = m.getBoundingClientRect(); return r.width > 0 || r.height > 0; })
    .map((m) => [m.getAttribute('data-contender') ?? m.closest('[data-contender]')?.getAttribute('data-contender'),
                 m.getAttribute('data-pattern') ?? m.closest('[data-pattern]')?.getAttribute('data-pattern')])`;
// Shows each chart of the switch in turn and gives what shownMarks gives, all together.
const everyChart = (selector) => `(() => {
    const inputs = Array.from(document.querySelectorAll('input[name=chart]'));
    const shown = [];
    for (const input of inputs.length ? inputs : [null]) {
        if (input) input.click();
        shown.push(...${shownMarks(selector)});
    }
    if (inputs.length) inputs[0].click();
    return shown;
})()`;
// The cell a JSON row was measured in, as the marks' titles name it.
const cellOf = (row, typed) => `${row.pattern}, ${row.count} values${typed ? ", " + row.type : ""}`;

function ordered(tables, descending) {
    if (!tables.some((keys) => keys.filter((k) => k !== null && !isNaN(k)).length >= 2))
        return "no table has two figures to order";
    for (const keys of tables) {
        const known = keys.filter((k) => k !== null);
        if (keys.slice(0, known.length).some((k) => k === null)) return "a row without figures before one with them";
        for (let k = 1; k < known.length; ++k)
            if (descending ? known[k - 1] < known[k] : known[k - 1] > known[k]) return `keys out of order: ${known}`;
    }
    return "";
}

// The checks of one page: each a row, its fault or "".
function checksOf(kind, json) {
    const cells = json.rows ? json.rows.length : 0;
    const compared = json.comparison ? json.comparison.cells.length : 0;
    const rows = [
        ["one table row per cell", async (p) => {
            const [shown, comparedShown] = [await p.evaluate(CELL_ROWS), await p.evaluate(COMPARED_ROWS)];
            return shown === cells && comparedShown === compared ? "" :
                `${shown} rows for ${cells} cells, ${comparedShown} compared rows for ${compared}`;
        }],
        ["loaded names are text, no markup", async (p) => {
            const images = await p.evaluate("document.images.length + document.querySelectorAll('b').length");
            const text = await p.evaluate("document.body.textContent");
            if (images) return `${images} elements made of a name`;
            return kind === "saved" || (text.includes(HOSTILE) && text.includes(QUOTED)) ? "" : "a loaded name is missing";
        }],
    ];
    if (cells) {
        rows.push(["sorting by the median orders the rows", async (p) => {
            const fault = ordered(await p.evaluate(clickHeading("median")), false) ||
                ordered(await p.evaluate(clickHeading("median")), true);
            const after = await p.evaluate(CELL_ROWS);
            return fault || (after === cells ? "" : `${after} rows after sorting`);
        }]);
        rows.push(["the contender filter hides every other row", async (p) => {
            await p.evaluate(choose("filter-contender", HOSTILE));
            const shown = await p.evaluate(visibleRows("cells"));
            await p.evaluate(choose("filter-contender", ""));
            const expected = json.rows.filter((r) => r.name === HOSTILE).length;
            return shown.length === expected && shown.every((n) => n === HOSTILE) ? "" :
                `${shown.length} rows shown, ${expected} expected: ${shown}`;
        }]);
        rows.push(["every mark of the time chart is one row's, its title naming contender, shape and size", async (p) => {
            const marks = await p.evaluate(`Array.from(document.querySelectorAll(
                "figure[data-chart=time] :is(circle, rect[data-role^=bar], path[data-role=unfinished])")).map((m) =>
                [m.querySelector('title')?.textContent ?? '',
                 ['data-contender', 'data-pattern', 'data-count', 'data-type'].map((a) => m.getAttribute(a))])`);
            const typed = json.settings.types.length > 1;
            const faults = [];
            for (const row of json.rows) {
                const place = `${row.name}, ${cellOf(row, typed)}: `;
                const found = marks.filter(([title]) => title.startsWith(place));
                const attributes = [row.name, row.pattern, String(row.count), row.type];
                if (found.length !== 1) faults.push(`${found.length} marks titled ${place}`);
                else if (JSON.stringify(found[0][1]) !== JSON.stringify(attributes))
                    faults.push(`${place} carries ${found[0][1]}`);
                else if (row.status === "measured" && !/median .+ \(95% interval .+ to .+\)$/.test(found[0][0]))
                    faults.push(`${place} has no median and interval: ${found[0][0]}`);
            }
            return marks.length === json.rows.length && !faults.length ? "" :
                `${marks.length} marks for ${json.rows.length} rows; ${faults.slice(0, 3).join("; ")}`;
        }]);
        rows.push(["a cell's strip holds a dot per run of each row", async (p) => {
            const strips = await p.evaluate(`Array.from(document.querySelectorAll('section.cell')).map((s) =>
                [[s.getAttribute('data-pattern'), s.getAttribute('data-count'), s.getAttribute('data-type')].join('/'),
                 Array.from(s.querySelectorAll('details.runs g[data-role=strip]')).map((g) =>
                    [g.getAttribute('data-contender'), g.querySelectorAll('circle').length])])`);
            const byCell = new Map(strips);
            const faults = [];
            for (const row of json.rows) {
                const strip = byCell.get([row.pattern, row.count, row.type].join("/")) ?? [];
                const dots = strip.filter(([name]) => name === row.name).map(([, n]) => n);
                const expected = row.status === "measured" ? json.settings.runs : 0;
                if (dots.length !== 1 || dots[0] !== expected || (row.times_ms ?? []).length !== expected)
                    faults.push(`${row.name} at ${row.pattern} ${row.count}: dots ${dots}, ${expected} runs`);
            }
            const drawn = strips.reduce((n, [, strip]) => n + strip.length, 0);
            return drawn === json.rows.length && !faults.length ? "" :
                `${drawn} strip rows for ${json.rows.length} rows; ${faults.slice(0, 3).join("; ")}`;
        }]);
        rows.push(["the contender filter hides the other contenders' marks in every chart and strip", async (p) => {
            await p.evaluate(choose("filter-contender", HOSTILE));
            const shown = await p.evaluate(everyChart(MARKS));
            await p.evaluate(choose("filter-contender", ""));
            const others = shown.filter(([name]) => name !== HOSTILE);
            return shown.length && !others.length ? "" :
                `${shown.length} marks shown, of them ${others.length} of others: ${others.slice(0, 3)}`;
        }]);
    }
    if (json.summary) {
        // The page's overall figures are the JSON's, row for row and in its order.
        rows.push(["the summary leads the page with a row per contender", async (p) => {
            const shown = await p.evaluate(`Array.from(document.querySelectorAll('table[data-group=summary] tbody tr'))
                .map((r) => [r.getAttribute('data-contender'), r.cells[1].getAttribute('data-v')])`);
            const first = await p.evaluate(`document.querySelector('table[data-group]').getAttribute('data-group')`);
            const expected = json.summary.map((s) => [s.name, s.overall_ratio === null ? "" : s.overall_ratio.toFixed(6)]);
            return first === "summary" && JSON.stringify(shown) === JSON.stringify(expected) ? "" :
                `first table ${first}; ${JSON.stringify(shown)} against ${JSON.stringify(expected)}`;
        }]);
    }
    if (kind === "matrix") {
        rows.push(["the shape filter hides the other shapes", async (p) => {
            await p.evaluate(choose("filter-shape", "ascending"));
            const shown = (await p.evaluate(visibleRows("cells"))).length;
            const sections = await p.evaluate(`Array.from(document.querySelectorAll('section[data-pattern]'))
                .filter((s) => s.offsetParent !== null).map((s) => s.getAttribute('data-pattern'))`);
            await p.evaluate(choose("filter-shape", ""));
            const expected = json.rows.filter((r) => r.pattern === "ascending").length;
            return shown === expected && sections.every((s) => s === "ascending") && sections.length ? "" :
                `${shown} rows in ${sections} shown, ${expected} expected`;
        }]);
        rows.push(["the shape filter hides every chart mark of the other shapes", async (p) => {
            await p.evaluate(choose("filter-shape", "ascending"));
            const shown = await p.evaluate(everyChart(MARKS));
            await p.evaluate(choose("filter-shape", ""));
            const others = shown.filter(([, pattern]) => pattern !== "ascending");
            return shown.length && !others.length ? "" :
                `${shown.length} marks shown, of them ${others.length} of other shapes: ${others.slice(0, 3)}`;
        }]);
        rows.push(["the size filter hides the other sizes, in the tables and the charts (lines across sizes too)",
            async (p) => {
            await p.evaluate(choose("filter-size", "2000"));
            const shown = (await p.evaluate(visibleRows("cells"))).length;
            const marks = await p.evaluate(`(() => {
                const sizes = [];
                for (const input of document.querySelectorAll('input[name=chart]')) {
                    input.click();
                    for (const m of document.querySelectorAll('figure[data-chart] :is(circle, path, polyline)')) {
                        const r = m.getBoundingClientRect();
                        if (r.width > 0 || r.height > 0) sizes.push(m.getAttribute('data-count'));
                    }
                }
                document.querySelector('input[name=chart]').click();
                return sizes;
            })()`);
            await p.evaluate(choose("filter-size", ""));
            const expected = json.rows.filter((r) => r.count === 2000).length;
            const others = marks.filter((size) => size !== "2000");
            return shown === expected && marks.length && !others.length ? "" :
                `${shown} rows shown, ${expected} expected; ${marks.length} marks shown, sized ${others.slice(0, 3)}`;
        }]);
        rows.push(["the chart switch shows one chart at a time: time, counts, branch misses", async (p) => {
            const shown = () => p.evaluate(`Array.from(document.querySelectorAll('figure[data-chart]'))
                .filter((f) => f.offsetParent !== null).map((f) => f.getAttribute('data-chart')).join()`);
            const first = await shown();
            await p.evaluate("document.querySelector('input[value=counts]').click()");
            const second = await shown();
            await p.evaluate("document.querySelector('input[value=branch-misses]').click()");
            const third = await shown();
            return first === "time" && second === "counts" && third === "branch-misses" ? "" :
                `shown: ${first}, then ${second}, then ${third}`;
        }]);
        rows.push(["every point has a tooltip", async (p) => {
            const [points, titled] = await p.evaluate(`[document.querySelectorAll('svg circle').length,
                document.querySelectorAll('svg circle > title').length]`);
            return points > 0 && points === titled ? "" : `${titled} tooltips for ${points} points`;
        }]);
    }
    if (kind === "typed") {
        rows.push(["the type filter hides the other types' cells and chart panels", async (p) => {
            await p.evaluate(choose("filter-type", "string"));
            const shown = (await p.evaluate(visibleRows("cells"))).length;
            const types = await p.evaluate(`Array.from(document.querySelectorAll('section[data-type], g[data-type]'))
                .filter((s) => s.getBoundingClientRect().height > 0).map((s) => s.getAttribute('data-type'))`);
            await p.evaluate(choose("filter-type", ""));
            const expected = json.rows.filter((r) => r.type === "string").length;
            return shown === expected && types.length >= 2 && types.every((t) => t === "string") ? "" :
                `${shown} rows shown, ${expected} expected; shown types ${types}`;
        }]);
    }
    if (kind === "sizes") {
        rows.push(["sorting the comparison by its data column orders the sizes as numbers", async (p) => {
            const order = () => p.evaluate(`(() => {
                const th = Array.from(document.querySelectorAll('table[data-group=comparison] th'))
                    .find((h) => h.textContent === 'data');
                th.click();
                return Array.from(th.closest('table').tBodies[0].rows).map((r) => Number(r.getAttribute('data-count')));
            })()`);
            const [up, down] = [await order(), await order()];
            const sorted = [...up].sort((a, b) => a - b);
            return new Set(up).size === 3 && JSON.stringify(up) === JSON.stringify(sorted) &&
                JSON.stringify(down) === JSON.stringify([...sorted].reverse()) ? "" : `ascending ${up}, descending ${down}`;
        }]);
    }
    if (compared) {
        rows.push(["each verdict in its own colour", async (p) => {
            const colours = await p.evaluate(`Object.fromEntries(Array.from(
                document.querySelectorAll('table[data-group=comparison] td.verdict')).map((td) =>
                [td.closest('tr').className, getComputedStyle(td).color]))`);
            const verdicts = Object.keys(colours), distinct = new Set(Object.values(colours));
            return verdicts.length && verdicts.every((v) => v.startsWith("verdict-")) && distinct.size === verdicts.length
                ? "" : `colours ${JSON.stringify(colours)}`;
        }]);
    }
    return rows;
}

// Without scripts: every table row and chart shows, the controls do not.
async function checkWithoutScripts(browser, file, json) {
    const page = await openPage(browser, file, false);
    const cells = json.rows ? json.rows.length : 0;
    const shown = await page.evaluate(`Array.from(document.querySelectorAll('table[data-group] tbody tr')).filter((r) => r.offsetParent !== null).length`);
    const figures = await page.evaluate(`[document.querySelectorAll('figure').length,
        Array.from(document.querySelectorAll('figure svg')).filter((s) => s.getBoundingClientRect().height > 0).length,
        document.getElementById('controls').offsetParent === null]`);
    const strips = await page.evaluate(`[document.querySelectorAll('section.cell').length,
        Array.from(document.querySelectorAll('section.cell details.runs svg'))
            .filter((s) => s.getBoundingClientRect().height > 0).length]`);
    const compared = json.comparison ? json.comparison.cells.length : 0;
    const summarised = json.summary ? json.summary.length : 0;
    const faults = [];
    if (strips[0] !== strips[1]) faults.push(`without scripts ${strips[1]} of ${strips[0]} cells' runs shown`);
    if (shown !== cells + compared + summarised) faults.push(`without scripts ${shown} rows shown of ${cells + compared}`);
    if (!figures[0] || figures[0] !== figures[1]) faults.push(`without scripts ${figures[1]} of ${figures[0]} charts shown`);
    if (!figures[2]) faults.push("without scripts the controls show, and do nothing");
    await browser.send("Target.closeTarget", { targetId: page.targetId });
    return faults;
}

async function checkPage(browser, kind, file, json) {
    const faults = [];
    const page = await openPage(browser, file, true);
    for (const [what, check] of checksOf(kind, json)) {
        const fault = await check(page).catch((e) => `threw ${e.message}`);
        console.log(`${fault ? "FAIL" : "ok  "} ${kind}: ${what}`);
        if (fault) faults.push(`${kind}: ${what}: ${fault}`);
    }
    const png = await page.screenshot();
    writeFileSync(join(outDir, `html-report-${kind}.png`), png);
    const ink = inkShare(png);
    if (ink < 0.01) faults.push(`${kind}: the screenshot is blank (${(ink * 100).toFixed(2)}% ink)`);
    faults.push(...page.errors.map((e) => `${kind}: ${e}`));
    faults.push(...page.requests.map((r) => `${kind}: asked for ${r}`));
    faults.push(...page.dialogs.map((d) => `${kind}: a dialog opened: ${d}`));
    await browser.send("Target.closeTarget", { targetId: page.targetId });
    faults.push(...(await checkWithoutScripts(browser, file, json)).map((f) => `${kind}: ${f}`));
    console.log(`${kind}: ${file}, ${(readFileSync(file).length / 1024).toFixed(0)} KiB, screenshot ${(ink * 100).toFixed(1)}% ink`);
    return faults;
}

async function main() {
    if (typeof WebSocket === "undefined") {
        console.log("SKIPPED: this Node has no WebSocket (Node 20.10 or later, run with --experimental-websocket)");
        return 77;
    }
    const chromium = findChromium();
    if (!chromium) {
        console.log("SKIPPED: no Chromium installed (tools/install-deps.sh installs Debian's chromium)");
        return 77;
    }
    const folder = mkdtempSync(join(tmpdir(), "orvandel-html-"));
    const loaded = ["--sort-library", `${library}:orvandel_sort=${HOSTILE}`,
                    "--sort-library", `${library}:orvandel_sort=${QUOTED}`, "--filter", "img|script"];
    const runs = [
        ["matrix", "m.html", ["Qsort C", ...loaded, "--pattern", "random,ascending", "--count", "1000,2000",
                              "--runs", "3", "--operations", "--machine-counts"]],
        ["typed", "t.html", ["Qsort C", ...loaded, "--pattern", "random", "--count", "1000,2000", "--type", "i32,string",
                             "--runs", "3"]],
        ["window", "w.html", ["Qsort C", ...loaded, "--count", "2000", "--runs", "5", "--save-baseline", "base.json"]],
        ["compared", "c.html", ["Qsort C", ...loaded, "--count", "2000", "--runs", "5", "--baseline", "base.json"]],
    ];
    const pages = runs.map(([kind, html, args]) => [kind, join(folder, html), runTool(folder, html, args)]);
    const saved = spawnSync(bench, ["--compare", "base.json", "base.json", "--format", "json", "--export", "s.html"],
        { cwd: folder, encoding: "utf8" });
    pages.push(["saved", join(folder, "s.html"), JSON.parse(saved.stdout)]);
    // Sizes whose order as text (1000, 2000, 300) is not their order as numbers.
    runTool(folder, "z0.html", ["Qsort C", ...loaded, "--pattern", "random", "--count", "300,1000,2000", "--runs", "2",
                                "--save-baseline", "sizes.json"]);
    const sizes = spawnSync(bench, ["--compare", "sizes.json", "sizes.json", "--format", "json", "--export", "z.html"],
        { cwd: folder, encoding: "utf8" });
    pages.push(["sizes", join(folder, "z.html"), JSON.parse(sizes.stdout)]);

    const browser = await Browser.launch(chromium, join(folder, "profile"));
    const faults = [];
    try {
        for (const [kind, file, json] of pages) faults.push(...(await checkPage(browser, kind, file, json)));
    } finally {
        await browser.close();
    }
    for (const fault of faults) console.log("  " + fault);
    rmSync(folder, { recursive: true, force: true, maxRetries: 20 });
    return faults.length ? 1 : 0;
}

main().then((status) => process.exit(status), (error) => {
    console.log("FAIL: " + (error.stack || error));
    process.exit(1);
});
