@echo off
rem Removes the registration of BrelmoxCOM.dll, the 32-bit COM server beside
rem this script, with the 32-bit regsvr32: SysWOW64's on 64-bit Windows,
rem System32's on 32-bit Windows. Run it as administrator, before the folder is
rem moved or deleted. The exit code is regsvr32's (0: done).
rem
rem No ( ) blocks below: a folder such as "C:\Program Files (x86)\Brelmox"
rem would end them early.
setlocal
set "server=%~dp0BrelmoxCOM.dll"
set "regsvr32=%SystemRoot%\System32\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "regsvr32=%SystemRoot%\SysWOW64\regsvr32.exe"
if not exist "%server%" goto missing

"%regsvr32%" /u /s "%server%"
set "status=%ERRORLEVEL%"
if not "%status%"=="0" goto failed
echo Unregistered "%server%" with "%regsvr32%".
exit /b 0

:failed
>&2 echo unregister.cmd: "%regsvr32%" could not unregister "%server%" (exit code %status%).
>&2 echo Run it from a Command Prompt opened with "Run as administrator".
exit /b %status%

:missing
>&2 echo unregister.cmd: "%server%" is missing.
exit /b 2
