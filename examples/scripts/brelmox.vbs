' Prints what BrelmoxCOM tells about this machine: the user name, the
' computer name, the Windows it runs, every Windows name the component knows,
' and the machine's facts.
'
'   32-bit Windows:  cscript //nologo brelmox.vbs
'   64-bit Windows:  %SystemRoot%\SysWOW64\cscript.exe //nologo brelmox.vbs
'
' BrelmoxCOM is a 32-bit in-process server: register it first (register.cmd),
' and on 64-bit Windows run scripts with the 32-bit script host.
Option Explicit

Dim warpper
On Error Resume Next
Set warpper = CreateObject("BrelmoxCOM.Warpper")
If Err.Number <> 0 Then
    WScript.Echo "Cannot create BrelmoxCOM.Warpper: " & Err.Description & " (" & ErrorCode(Err.Number) & ")"
    WScript.Echo Hint()
    WScript.Quit 1
End If
On Error GoTo 0

WScript.Echo "User name: " & warpper.GetUserName()
WScript.Echo "Computer name: " & warpper.GetComputerName()
WScript.Echo "OS name:"
WScript.Echo warpper.GetOSName()
WScript.Echo "All OS names:"
WScript.Echo warpper.GetOSNameAllPattern()
WScript.Echo "Machine facts:"
WScript.Echo warpper.GetOSEtcInfo()

' VBScript's own errors (429: cannot create object) are known by their
' decimal number, HRESULTs in hex.
Function ErrorCode(number)
    If number < 0 Then
        ErrorCode = "0x" & Hex(number)
    Else
        ErrorCode = "error " & number
    End If
End Function

' A 64-bit host cannot load the server, registered or not.
Function Hint()
    Dim environment
    Set environment = CreateObject("WScript.Shell").Environment("Process")
    If LCase(environment("PROCESSOR_ARCHITECTURE")) <> "x86" Then
        Hint = "This script host is a 64-bit program and BrelmoxCOM a 32-bit component: " & _
            "run the script with %SystemRoot%\SysWOW64\cscript.exe."
    Else
        Hint = "Register BrelmoxCOM first: run register.cmd as administrator."
    End If
End Function
