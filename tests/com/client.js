// Creates a Warpper through each ProgID and prints its seven answers, each
// after a line with the method's name and the answer's type.
function show(method, answer) {
    WScript.Echo("-- " + method + " " + typeof answer);
    WScript.Echo(answer);
}

var progIds = ["BrelmoxCOM.Warpper", "BrelmoxCOM.Warpper.1"];
for (var i = 0; i < progIds.length; i++) {
    var warpper = new ActiveXObject(progIds[i]);
    WScript.Echo("== " + progIds[i]);
    show("GetUserName", warpper.GetUserName());
    show("GetComputerName", warpper.GetComputerName());
    show("GetOSName", warpper.GetOSName());
    show("GetOSNameAllPattern", warpper.GetOSNameAllPattern());
    show("GetOSEtcInfo", warpper.GetOSEtcInfo());
    show("GetOSProductName", warpper.GetOSProductName());
    show("GetReportJson", warpper.GetReportJson());
}
