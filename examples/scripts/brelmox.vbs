' Prints what BrelmoxCOM tells about this machine: the user name, the
' computer name, the Windows it runs, every Windows name the component knows,
' the machine's facts, today's name of the Windows and every fact as JSON.
'
'   cscript //nologo brelmox.vbs
'
' BrelmoxCOM must be registered first (the MSI does it, or register.cmd). A
' 32-bit script host loads it in its own process; a 64-bit one (the default
' cscript and wscript on 64-bit Windows) gets it in the system's 32-bit DLL
' surrogate, so its answers are a 32-bit process's: "Running on WOW64".
Option Explicit

Dim warpper
On Error Resume Next
Set warpper = CreateObject("BrelmoxCOM.Warpper")
If Err.Number <> 0 Then
    WScript.Echo "Cannot create BrelmoxCOM.Warpper: " & Err.Description & " (" & ErrorCode(Err.Number) & ")"
    WScript.Echo "Register BrelmoxCOM first: install Brelmox's MSI, or run register.cmd as administrator."
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
WScript.Echo "Product name: " & warpper.GetOSProductName()
WScript.Echo "JSON report:"
WScript.Echo warpper.GetReportJson()

' VBScript's own errors (429: cannot create object) are known by their
' decimal number, HRESULTs in hex.
Function ErrorCode(number)
    If number < 0 Then
        ErrorCode = "0x" & Hex(number)
    Else
        ErrorCode = "error " & number
    End If
End Function
