// Prints what BrelmoxCOM tells about this machine: the user name, the
// computer name, the Windows it runs, every Windows name the component knows,
// the machine's facts, today's name of the Windows and every fact as JSON.
//
//   cscript //nologo brelmox.js
//
// BrelmoxCOM must be registered first (the MSI does it, or register.cmd). A
// 32-bit script host loads it in its own process; a 64-bit one (the default
// cscript and wscript on 64-bit Windows) gets it in the system's 32-bit DLL
// surrogate, so its answers are a 32-bit process's: "Running on WOW64".

// A method answers Empty when the system could not tell.
function text(answer) {
    return answer == null ? "" : String(answer);
}

var warpper;
try {
    warpper = new ActiveXObject("BrelmoxCOM.Warpper");
} catch (error) {
    WScript.Echo("Cannot create BrelmoxCOM.Warpper: " + error.message +
        " (0x" + (error.number >>> 0).toString(16).toUpperCase() + ")");
    WScript.Echo("Register BrelmoxCOM first: install Brelmox's MSI, or run register.cmd as administrator.");
    WScript.Quit(1);
}

WScript.Echo("User name: " + text(warpper.GetUserName()));
WScript.Echo("Computer name: " + text(warpper.GetComputerName()));
WScript.Echo("OS name:");
WScript.Echo(text(warpper.GetOSName()));
WScript.Echo("All OS names:");
WScript.Echo(text(warpper.GetOSNameAllPattern()));
WScript.Echo("Machine facts:");
WScript.Echo(text(warpper.GetOSEtcInfo()));
WScript.Echo("Product name: " + text(warpper.GetOSProductName()));
WScript.Echo("JSON report:");
WScript.Echo(text(warpper.GetReportJson()));
