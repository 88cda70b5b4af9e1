' Creates a Warpper through each ProgID and prints its seven answers, each
' after a line with the method's name and the answer's type.
Option Explicit

Sub Show(method, answer)
    WScript.Echo "-- " & method & " " & LCase(TypeName(answer))
    WScript.Echo answer
End Sub

Dim progId, warpper
For Each progId In Array("BrelmoxCOM.Warpper", "BrelmoxCOM.Warpper.1")
    Set warpper = CreateObject(progId)
    WScript.Echo "== " & progId
    Show "GetUserName", warpper.GetUserName()
    Show "GetComputerName", warpper.GetComputerName
    Show "GetOSName", warpper.GetOSName()
    Show "GetOSNameAllPattern", warpper.GetOSNameAllPattern
    Show "GetOSEtcInfo", warpper.GetOSEtcInfo()
    Show "GetOSProductName", warpper.GetOSProductName()
    Show "GetReportJson", warpper.GetReportJson
Next
