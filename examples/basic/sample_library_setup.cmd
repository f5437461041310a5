@echo off
rem The sample's own setup for "Sample Library": it installs the library by
rem leaving the registry value that the library's search looks for. A real
rem setup would copy files; the chainer only cares about its exit code.
reg add "HKCU\Software\Sample Vendor\Library" /v Version /d 1.2 /f >nul
if errorlevel 1 exit 1603
exit 0
