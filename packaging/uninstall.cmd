@echo off
rem Uninstalls Korvel GenICam Source: removes the filter, its property page and
rem its type library from the registry. The files can be deleted afterwards.
setlocal
set "HERE=%~dp0"
set "MODULE=%HERE%KorvelGenICamSource.ax"

call :check_elevated
if errorlevel 1 (
    echo Korvel GenICam Source: uninstall.cmd needs administrator rights to unregister the filter.
    echo Right-click uninstall.cmd and choose "Run as administrator", or run it from an elevated prompt.
    exit /b 5
)

if not exist "%MODULE%" (
    echo Korvel GenICam Source: %MODULE% is missing; run uninstall.cmd from the folder it was installed from.
    exit /b 2
)

regsvr32 /s /u "%MODULE%"
if errorlevel 1 (
    echo Korvel GenICam Source: unregistering %MODULE% failed.
    exit /b 1
)
echo Korvel GenICam Source is uninstalled. The folder can now be deleted.
exit /b 0

rem Writing under HKLM succeeds only with administrator rights.
:check_elevated
reg add "HKLM\SOFTWARE\Korvel GenICam Source Setup Check" /f >nul 2>&1
if errorlevel 1 exit /b 1
reg delete "HKLM\SOFTWARE\Korvel GenICam Source Setup Check" /f >nul 2>&1
exit /b 0
