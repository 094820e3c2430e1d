// The page API of the host, built once before the page runs from the host's
// natives (VelHostPage). Evaluates to a function of (global, native).
(function (global, native) {
    "use strict";

    function text(value) {
        if (typeof value === "string")
            return value;
        if (value instanceof Error)
            return value.toString();
        try {
            var json = JSON.stringify(value);
            if (json !== undefined)
                return json;
        } catch (e) {
        }
        return String(value);
    }

    function joined(args) {
        return Array.prototype.map.call(args, text).join(" ");
    }

    global.window = global;

    global.console = {
        log: function () { native.print(0, joined(arguments)); },
        info: function () { native.print(0, joined(arguments)); },
        debug: function () { native.print(0, joined(arguments)); },
        warn: function () { native.print(1, joined(arguments)); },
        error: function () { native.print(2, joined(arguments)); }
    };

    function startTimer(repeat, args) {
        var rest = Array.prototype.slice.call(args, 2);
        return native.setTimer(args[0], Number(args[1]) || 0, repeat, rest);
    }
    function clearTimer(id) {
        if (id !== undefined && id !== null)
            native.clearTimer(Number(id) || 0);
    }
    global.setTimeout = function () { return startTimer(false, arguments); };
    global.setInterval = function () { return startTimer(true, arguments); };
    global.clearTimeout = clearTimer;
    global.clearInterval = clearTimer;

    // The page's view of a control: slots as methods, signals as events,
    // properties as properties, and for each property an event <name>Changed
    // (plus "propertychange" with name and value) on every store.
    function wrap(ctl) {
        var d = ctl.describe();
        var listeners = {};
        var w = {};

        function addEvent(name) {
            if (listeners[name])
                return;
            listeners[name] = [];
            if (!(name in w)) {
                w[name] = {
                    connect: function (fn) { w.on(name, fn); },
                    disconnect: function (fn) { w.off(name, fn); }
                };
            }
        }

        Object.defineProperty(w, "classId", { value: d.classId });
        Object.defineProperty(w, "className", { value: d.className });
        Object.defineProperty(w, "version", { value: d.version });
        Object.defineProperty(w, "alive", { get: function () { return ctl.alive(); } });

        var slots = {};
        d.methods.forEach(function (m) {
            if (m.kind === "signal")
                addEvent(m.name);
            else
                (slots[m.name] = slots[m.name] || []).push(m);
        });
        Object.keys(slots).forEach(function (name) {
            var overloads = slots[name];
            w[name] = function () {
                var args = Array.prototype.slice.call(arguments);
                var m = overloads.find(function (o) { return o.parameterCount === args.length; })
                        || overloads[0];
                return ctl.invoke(m.signature, args);
            };
        });
        d.properties.forEach(function (p) {
            Object.defineProperty(w, p.name, {
                enumerable: true,
                get: function () { return ctl.read(p.name); },
                set: function (value) { ctl.write(p.name, value); }
            });
            addEvent(p.name + "Changed");
        });
        addEvent("propertychange");

        w.on = function (name, fn) {
            if (!listeners[name])
                throw new TypeError(d.className + " has no event " + name);
            if (typeof fn !== "function")
                throw new TypeError("the listener of " + name + " is not a function");
            listeners[name].push(fn);
            return w;
        };
        w.off = function (name, fn) {
            var list = listeners[name] || [];
            var i = list.indexOf(fn);
            if (i >= 0)
                list.splice(i, 1);
            return w;
        };

        ctl.setDispatcher(function (name, args) {
            (listeners[name] || []).slice().forEach(function (fn) {
                try {
                    fn.apply(w, args);
                } catch (e) {
                    native.reportError(e);
                }
            });
        });
        return w;
    }

    global.document = {
        // Like an object element: the class id, and optionally {width, height}.
        createControl: function (classId, options) {
            return wrap(native.createControl(String(classId), options || {}));
        }
    };

    var failures = 0;
    function failed(message) {
        failures++;
        native.print(2, "FAIL: " + message);
        return false;
    }

    global.host = {
        args: native.args(),
        version: native.version(),
        env: function (name) { return native.env(String(name)); },
        include: function (path) { return native.include(String(path)); },
        readDriveFile: function (path) { return native.readDriveFile(String(path)); },
        writeDriveFile: function (path, content) {
            return native.writeDriveFile(String(path), content === undefined ? "" : String(content));
        },
        removeDriveFile: function (path) { return native.removeDriveFile(String(path)); },
        qtDebug: function () { native.qtDebug(joined(arguments)); },

        // Reporting to CTest: the exit code of the host.
        exit: function (code) { native.exit(code === undefined ? 0 : Number(code) || 0); },
        verify: function (condition, message) {
            return condition ? true : failed(message || "verify");
        },
        compare: function (actual, expected, message) {
            var a = text(actual), e = text(expected);
            if (a === e)
                return true;
            return failed((message || "compare") + ": got " + a + ", expected " + e);
        },
        expectThrow: function (fn, pattern, message) {
            try {
                fn();
            } catch (e) {
                if (pattern && !pattern.test(String(e)))
                    return failed((message || "expectThrow") + ": wrong error " + String(e));
                return true;
            }
            return failed((message || "expectThrow") + ": nothing was thrown");
        },
        get failures() { return failures; },
        pass: function (message) {
            if (failures || native.errorCount())
                return global.host.done();
            native.print(0, "PASS" + (message ? ": " + message : ""));
            native.exit(0);
        },
        fail: function (message) {
            failed(message || "failed");
            native.exit(1);
        },
        skip: function (message) {
            native.print(0, "SKIP: " + (message || ""));
            native.exit(77);
        },
        done: function () {
            var errors = native.errorCount();
            if (failures || errors) {
                native.print(2, "FAIL: " + failures + " check(s) failed, " + errors + " page error(s)");
                native.exit(1);
            } else {
                native.print(0, "PASS");
                native.exit(0);
            }
        }
    };
})
