@echo off
rem Registers the novaflux COM server of this kit.
rem   register.cmd              for every user of this machine (run it as administrator)
rem   register.cmd user         for the current user only (no administrator rights needed)
rem   register.cmd ... win64    only the 64-bit server (64-bit Office, .NET x64, VBScript)
rem   register.cmd ... win32    only the 32-bit server (32-bit Office, VB6)
rem Without win64 or win32, a 64-bit Windows gets both servers and a 32-bit Windows the win32 one.
rem unregister.cmd takes the same arguments and removes the registration again.
setlocal
set "kit=%~dp0"
set "action=registered"
set "remove="
set "scope="
set "who=for every user"
set "only="
:arguments
if "%~1"=="" goto chosen
if /i "%~1"=="remove" (set "remove=/u" & set "action=unregistered" & goto next)
if /i "%~1"=="user" (set "scope=/n /i:user" & set "who=for the current user" & goto next)
if /i "%~1"=="win64" (set "only=win64" & goto next)
if /i "%~1"=="win32" (set "only=win32" & goto next)
goto usage
:next
shift
goto arguments

:chosen
rem A 32-bit command prompt on 64-bit Windows reaches the 64-bit system folder as Sysnative.
set "system64=%SystemRoot%\System32"
if defined PROCESSOR_ARCHITEW6432 set "system64=%SystemRoot%\Sysnative"
set "os64="
if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" set "os64=1"
if defined PROCESSOR_ARCHITEW6432 set "os64=1"
set "failed="
if defined os64 (
  if not "%only%"=="win32" call :server win64 "%system64%\regsvr32.exe"
  if not "%only%"=="win64" call :server win32 "%SystemRoot%\SysWOW64\regsvr32.exe"
) else (
  if "%only%"=="win64" (echo register.cmd: this Windows is 32-bit; it runs only the win32 server & exit /b 1)
  call :server win32 "%SystemRoot%\System32\regsvr32.exe"
)
if defined failed exit /b 1
exit /b 0

:server
rem %1 the kit's folder, %2 the regsvr32 of the same bitness
"%~2" /s %remove% %scope% "%kit%%~1\novaflux.dll"
set "status=%errorlevel%"
if "%status%"=="9009" goto server_missing
if not "%status%"=="0" goto server_failed
echo %~1\novaflux.dll %action% %who%.
exit /b 0
:server_failed
echo register.cmd: %~1\novaflux.dll was not %action% %who% (regsvr32 status %status%).
if "%scope%"=="" echo   For every user run it as administrator; for yourself alone add "user".
set "failed=1"
exit /b 0

:server_missing
echo register.cmd: %~2 is missing, so this Windows runs no %~1 server; name the other one
echo   (win64 or win32) to register only that.
set "failed=1"
exit /b 0

:usage
echo usage: register.cmd [user] [win64^|win32]
echo        unregister.cmd [user] [win64^|win32]
exit /b 2
