// The demo platform keeps the clip settings the panel sends and answers them back.
host.include(host.env("VEL_DEMO_DIR") + "/platform.js");
var platform = new VelDemoPlatform({});
var first = platform.parse(platform.clipMessage("prelude"));
host.compare(first.requestParam, "prelude", "stored prelude");
host.compare(first.target.title, "分数的认识", "stored title");
var answers = platform.answer('{"event":"","requestParam":"curtain","target":{"curtainName":"curtain","picture":"end_09_30_05.png","backMusic":"","duration":"4","avaliable":"0","pictureFlag":"0"},"token":""}');
host.compare(answers.length, 1, "curtain answered");
var stored = platform.parse(answers[0]);
host.compare(stored.target.picture, "end_09_30_05.png", "picture kept");
host.compare(stored.target.pictureFlag, "1", "uploaded picture now known to the platform");
host.compare(platform.parse(platform.clipMessage("curtain")).target.duration, "4", "stored");
var failing = new VelDemoPlatform({ fail: ["prelude"] });
host.compare(failing.parse(failing.answer('{"event":"","requestParam":"prelude","target":{"preludeName":"prelude"},"token":""}')[0]).event, "error", "failing prelude");
host.done();
