// A page that adds its cameras in the same breath as it creates the control,
// as the platform's pages do. Run by tst_hostpagesizes, which then measures
// the thumbnails: their sizes must come from the control's real width.
var options = {};
if (host.args.width)
    options = { width: Number(host.args.width), height: Number(host.args.height) };
var panel = document.createControl("{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}", options);
["教师全景", "教师特写", "学生全景", "学生特写", "板书", "电脑画面"].forEach(function (name, i) {
    panel.sltSetOverviewWidget(name, "cam" + i, "1");
});
