@echo off
rem The sample's setup for "Sample Runtime". Every Windows has the registry
rem key that the runtime's search looks for, so Tessaro finds the runtime and
rem never starts this file; a package still carries every setup it names.
exit 0
