// A page whose top-level code sits in a control's modal warning for good: the
// host's time limit still ends it (exit code 124).
var panel = document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
panel.sltReceiveCommand('{"requestParam":"workingMode","event":"error","target":"无人关闭"}');
