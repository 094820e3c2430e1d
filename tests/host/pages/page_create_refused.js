// The host refuses to create the control; host.args.expect is the error.
host.expectThrow(function () { document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}"); },
                 new RegExp(host.args.expect), "createControl refuses");
host.done();
