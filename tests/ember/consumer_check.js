#!/usr/bin/env node
// An independent Ember+ consumer (node-emberplus from npm) against `vexiloctl serve` on
// vexilo-sim: walks the tree, reads status, sets a setting, sees a pushed status change, invokes
// save and sees a converter go offline when the simulator unplugs it.
//
// Usage: consumer_check.js VEXILOCTL VEXILO_SIM NODE_MODULES_DIR
'use strict';
const path = require('path');
const {spawn, execFileSync} = require('child_process');

const [vexiloctl, sim, modules] = process.argv.slice(2);
const {EmberClient} = require(path.resolve(modules, 'node-emberplus'));

let failures = 0;
let passed = 0;
function check(ok, what) {
    if (ok) {
        passed++;
    } else {
        failures++;
        console.error(`FAIL: ${what}`);
    }
}

// The first line of `stream` matching `pattern`, within `ms`.
function lineMatching(stream, pattern, ms) {
    return new Promise((resolve, reject) => {
        let buffer = '';
        const timer = setTimeout(() => reject(new Error(`no line matching ${pattern}`)), ms);
        stream.on('data', chunk => {
            buffer += chunk.toString();
            const lines = buffer.split('\n');
            buffer = lines.pop();
            for (const line of lines) {
                const m = line.match(pattern);
                if (m) {
                    clearTimeout(timer);
                    resolve(m);
                }
            }
        });
    });
}

// Resolves when `test()` holds, checked on every call of the returned poke and every 100 ms.
function until(test, ms, what) {
    return new Promise((resolve, reject) => {
        const deadline = Date.now() + ms;
        const tick = () => {
            if (test()) {
                resolve();
            } else if (Date.now() > deadline) {
                reject(new Error(`timed out waiting for ${what}`));
            } else {
                setTimeout(tick, 100);
            }
        };
        tick();
    });
}

async function main() {
    // Converter 1 (DVI) is the one SIGUSR1 unplugs.
    const simProc = spawn(sim, ['rgb', 'dvi', 'ntsc', '--hotplug-port', '1'],
                          {stdio: ['ignore', 'pipe', 'inherit']});
    const serveErr = [];
    let serve = null;
    try {
        const ports = (await lineMatching(simProc.stdout, /^VEXILO_PORTS=(.*)$/, 10000))[1];
        const env = {...process.env, VEXILO_PORTS: ports};
        const labels = ports.split(',').map(p => p.split('=')[1].slice('/dev/'.length));
        const ids = labels.map(l => l.replace(/[^A-Za-z0-9_-]/g, '_'));
        const [rgb, dvi, ntsc] = ids;

        serve = spawn(vexiloctl, ['serve', '--ember', '127.0.0.1:0'],
                      {env, stdio: ['ignore', 'pipe', 'pipe']});
        serve.stderr.on('data', d => serveErr.push(d.toString()));
        const port = Number((await lineMatching(serve.stdout,
                                                /^serving Ember\+ on 127\.0\.0\.1:(\d+)$/,
                                                10000))[1]);

        const client = new EmberClient({host: '127.0.0.1', port, timeoutValue: 5000});
        client.on('error', e => console.error('consumer error:', e.message));
        await client.connectAsync();
        await client.getDirectoryAsync();

        // The tree: root, one node per converter, its groups and functions.
        const root = await client.getElementByPathAsync('vexilo');
        check(root.contents.identifier === 'vexilo', 'root node vexilo');
        const names = root.getChildren().map(c => c.contents.identifier).sort();
        check(JSON.stringify(names) === JSON.stringify([...ids].sort()),
              `one node per converter: ${names} vs ${ids}`);
        const rgbNode = await client.getElementByPathAsync(`vexilo/${rgb}`);
        check(rgbNode.contents.description === `KTP-RGB-SDI on ${labels[0]}`,
              `description: ${rgbNode.contents.description}`);
        const groups = rgbNode.getChildren().map(c => c.contents.identifier);
        check(['identity', 'status', 'settings', 'save', 'revert', 'factory']
                  .every(g => groups.includes(g)),
              `groups and functions: ${groups}`);
        const model = await client.getElementByPathAsync(`vexilo/${ntsc}/identity/model`);
        check(model.contents.value === 'KTP-NTSC-SDI', `identity model: ${model.contents.value}`);

        // The whole tree, expanded as a viewer does.
        const walker = new EmberClient({host: '127.0.0.1', port, timeoutValue: 5000});
        await walker.connectAsync();
        await walker.getDirectoryAsync();
        await Promise.race([walker.expandAsync(),
                            new Promise((_, reject) => setTimeout(
                                () => reject(new Error('expanding the tree did not end')), 20000))]);
        let elements = 0;
        const walk = e => { elements++; (e.getChildren() || []).forEach(walk); };
        walk(walker.root);
        // root + vexilo + per converter: node, 3 groups, 9 identity, 8 status, settings, 3 functions
        const settings = {[rgb]: 15, [dvi]: 4, [ntsc]: 6};
        const expected = 2 + ids.reduce((n, id) => n + 1 + 3 + 9 + 8 + settings[id] + 3, 0);
        check(elements === expected, `expanded ${elements} elements, expected ${expected}`);
        await walker.disconnectAsync();

        // Status, as vexiloctl --json status names and scales it.
        const value = async p => (await client.getElementByPathAsync(`vexilo/${rgb}/${p}`)).contents.value;
        check(await value('status/fpga_temperature') === 45.3, 'fpga_temperature 45.3');
        check(await value('status/supply_voltage') === 5, 'supply_voltage 5.0');
        check(await value('status/input_present') === true, 'input present');
        check(await value('status/width') === 1024, 'width 1024');

        // A setting: range from the model, set, refused, read back.
        const hpos = await client.getElementByPathAsync(`vexilo/${rgb}/settings/hpos`);
        check(hpos.contents.minimum === -500 && hpos.contents.maximum === 500,
              `hpos range ${hpos.contents.minimum}..${hpos.contents.maximum}`);
        check(hpos.contents.access === 3, 'hpos is read-write');
        await client.setValueAsync(hpos, 12);
        check(hpos.contents.value === 12, `hpos set to 12: ${hpos.contents.value}`);
        await client.setValueAsync(hpos, 9999);
        check(hpos.contents.value === 12, `out of range refused, answered 12: ${hpos.contents.value}`);
        const format = await client.getElementByPathAsync(`vexilo/${rgb}/settings/output_format`);
        check(format.contents.type === 6 && format.contents.enumeration === '59.94i\n59.94p',
              'output_format is an enumeration');
        await client.setValueAsync(format, 0);
        check(format.contents.value === 0, 'output_format set to 59.94i');
        // A second consumer reads what the first one set.
        const other = new EmberClient({host: '127.0.0.1', port, timeoutValue: 5000});
        await other.connectAsync();
        await other.getDirectoryAsync();
        const seen = await other.getElementByPathAsync(`vexilo/${rgb}/settings/hpos`);
        check(seen.contents.value === 12, `another consumer reads 12: ${seen.contents.value}`);
        await other.disconnectAsync();

        // Functions: save stores what was set.
        const save = await client.getElementByPathAsync(`vexilo/${rgb}/save`);
        const result = await client.invokeFunctionAsync(save, []);
        check(result && result.success === true && result.result[0].value === 'saved',
              `save: ${JSON.stringify(result)}`);

        // Pushed status changes: the simulator takes the input signal away and gives it back.
        let pushedWidth = null;
        const width = await client.getElementByPathAsync(`vexilo/${rgb}/status/width`,
                                                         n => { pushedWidth = n.contents.value; });
        simProc.kill('SIGUSR2');
        await until(() => pushedWidth === 0, 8000, 'the width change pushed');
        check(width.contents.value === 0, 'width 0 without input');
        simProc.kill('SIGUSR2');
        await until(() => pushedWidth === 1024, 8000, 'the width back');
        check(true, 'width pushed again when the input is back');

        // Unplugged: the node goes offline.
        const dviNode = await client.getElementByPathAsync(`vexilo/${dvi}`);
        check(dviNode.contents.isOnline === true, 'dvi online');
        simProc.kill('SIGUSR1');
        await until(() => dviNode.contents.isOnline === false, 8000, 'the DVI node offline');
        check(true, 'dvi offline');

        await client.disconnectAsync();
        serve.kill('SIGTERM');
        const code = await new Promise(r => serve.on('exit', c => r(c)));
        check(code === 0, `serve ended with ${code}`);
        serve = null;

        // The converter holds what the consumer set.
        const got = JSON.parse(execFileSync(vexiloctl, ['--port', labels[0], '--json', 'get', 'hpos'],
                                            {env}).toString());
        check(got.converters[0].settings.hpos === 12, `the converter holds hpos 12`);
    } finally {
        if (serve) {
            serve.kill('SIGTERM');
        }
        simProc.kill('SIGTERM');
    }
    if (failures > 0) {
        console.error(serveErr.join(''));
    }
    console.log(`${passed} passed, ${failures} failed`);
    process.exit(failures > 0 ? 1 : 0);
}

main().catch(e => {
    console.error(e.stack || e);
    process.exit(1);
});
