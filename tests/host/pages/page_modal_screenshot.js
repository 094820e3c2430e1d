// A page whose top-level code sits in a control's modal warning: the host's
// screenshot is still written and ends the page (exit code 0).
var panel = document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}");
panel.sltReceiveCommand('{"requestParam":"workingMode","event":"error","target":"截图时打开"}');
