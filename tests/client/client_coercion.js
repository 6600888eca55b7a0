// Wine's JScript host as a client of the control, with one simulated card:
//   cscript //nologo client_coercion.js <card message log> <expected messages>
// JScript sends every integer as a long, so each short parameter goes through the
// control's narrowing. Last line "RESULT <n> passed, <m> failed"; exit code the failures.
var passed = 0, failed = 0;
var fso = new ActiveXObject("Scripting.FileSystemObject");

function check(ok, what) {
    if (ok) {
        passed++;
    } else {
        failed++;
        WScript.Echo("FAIL: " + what);
    }
}

function messageCount() {
    var path = WScript.Arguments(0);
    if (!fso.FileExists(path) || fso.GetFile(path).Size == 0) return 0;
    return fso.OpenTextFile(path, 1).ReadAll().split("\n").length - 1;
}

// Runs call and checks the error number it raises (0 for none; low word for 438).
function expect(number, call, what) {
    var got = 0;
    try {
        call();
    } catch (e) {
        got = number == 438 ? e.number & 0xFFFF : e.number;
    }
    check(got == number, what + ": error " + got + ", expected " + number);
}

var DISP_E_TYPEMISMATCH = 0x80020005 | 0, DISP_E_OVERFLOW = 0x8002000A | 0;
var DISP_E_BADPARAMCOUNT = 0x8002000E | 0, DISP_E_PARAMNOTOPTIONAL = 0x8002000F | 0;
try {
    var o = new ActiveXObject("VORN305Q.Vorn305qCtrl.1");
    check(o.InitCard(0) === 0, "InitCard(0) with a long card number");
    o.SetPosition(3, -32769);
    check(o.GetPosition(3) === -32769, "GetPosition after SetPosition(3, -32769)");
    check(o.ManuMove2(0, 3000, -32768) === 0, "ManuMove2(0, 3000, -32768)");

    var n = messageCount();  // refused by the dispatch layer: no card message
    expect(DISP_E_OVERFLOW, function () { o.ManuMove2(0, 3000, 32768); }, "ManuMove2 rV 32768");
    expect(DISP_E_OVERFLOW, function () { o.InitCard(65536); }, "InitCard(65536)");
    expect(DISP_E_TYPEMISMATCH, function () { o.RunState("abc"); }, "RunState(\"abc\")");
    expect(DISP_E_BADPARAMCOUNT, function () { o.GetPosition(); }, "GetPosition()");
    expect(DISP_E_BADPARAMCOUNT, function () { o.GetPosition(0, 1); }, "GetPosition(0, 1)");
    expect(438, function () { o.Stop3AxisDecelerate(0, 1, 2); }, "an unknown name");
    check(messageCount() == n, "a call refused by the dispatch layer wrote a card message");

    expect(0, function () { o.Setoutput(1.5); }, "Setoutput(1.5)");
    expect(0, function () { o.stop3AXISdec(0, 1, 2); }, "stop3AXISdec");
    var r = 7;
    expect(0, function () { r = o.CloseCard(); }, "CloseCard()");
    check(r === undefined, "CloseCard's result is " + typeof r);
    check(o.RunState(0) === 0 && messageCount() == n + 1, "RunState(0) after CloseCard");
} catch (e) {
    check(false, "unexpected error " + e.number + " " + e.description);
}
o = null;
WScript.Echo("RESULT " + passed + " passed, " + failed + " failed");
WScript.Quit(failed);
