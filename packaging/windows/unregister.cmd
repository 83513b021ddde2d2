@echo off
rem Removes the registration made by register.cmd; the same arguments:
rem   unregister.cmd            for every user of this machine (run it as administrator)
rem   unregister.cmd user       for the current user only
rem   unregister.cmd ... win64  or win32: only that server
call "%~dp0register.cmd" remove %*
