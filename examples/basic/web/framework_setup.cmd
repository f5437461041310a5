@echo off
rem The sample's own setup for "Sample Framework", which Tessaro downloads
rem before it runs any setup: it installs the framework by leaving the
rem registry value that the framework's search looks for. The demo serves this
rem file from a loopback web server; Tessaro checks its size and MD5 digest
rem before it runs it.
reg add "HKCU\Software\Sample Vendor\Framework" /v Version /d 4.8 /f >nul
if errorlevel 1 exit 1603
exit 0
