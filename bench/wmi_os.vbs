' The operating system as WMI answers it, the way administrators ask from
' VBScript: one Win32_OperatingSystem query per call. VBScript's Timer ticks at
' 1/128 s, so only the mean of many queries is reported.
'   cscript //nologo wmi_os.vbs [queries]
Queries = 100
If WScript.Arguments.Count > 0 Then Queries = CLng(WScript.Arguments(0))
Query = "SELECT Caption,Version,BuildNumber,CSDVersion FROM Win32_OperatingSystem"
Function OneQuery(service)
  Dim item, text
  For Each item In service.ExecQuery(Query)
    text = item.Caption & "|" & item.Version & "|" & item.BuildNumber & "|" & item.CSDVersion
    Exit For
  Next
  OneQuery = text
End Function
On Error Resume Next
Set Service = GetObject("winmgmts:\\.\root\cimv2")
Answer = OneQuery(Service)
If Err.Number <> 0 Or Len(Answer) = 0 Then
  WScript.Echo "wmi_note FAILED_0x" & Hex(Err.Number) & " text"
  WScript.Quit 1
End If
On Error GoTo 0
Start = Timer
For Index = 1 To Queries
  OneQuery Service
Next
WScript.Echo "wmi_os_query_us " & CLng((Timer - Start) * 1000000 / Queries) & " us"
