// Prints what BrelmoxCOM tells about this machine: the user name, the
// computer name, the Windows it runs, every Windows name the component knows,
// and the machine's facts.
//
//   32-bit Windows:  cscript //nologo brelmox.js
//   64-bit Windows:  %SystemRoot%\SysWOW64\cscript.exe //nologo brelmox.js
//
// BrelmoxCOM is a 32-bit in-process server: register it first (register.cmd),
// and on 64-bit Windows run scripts with the 32-bit script host.

// A 64-bit host cannot load the server, registered or not.
function hint() {
    var shell = new ActiveXObject("WScript.Shell");
    var architecture = shell.Environment("Process")("PROCESSOR_ARCHITECTURE");
    if (architecture.toLowerCase() != "x86") {
        return "This script host is a 64-bit program and BrelmoxCOM a 32-bit component: " +
            "run the script with %SystemRoot%\\SysWOW64\\cscript.exe.";
    }
    return "Register BrelmoxCOM first: run register.cmd as administrator.";
}

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
    WScript.Echo(hint());
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
