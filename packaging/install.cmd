@echo off
rem Installs Korvel GenICam Source from this folder: registers the filter, its
rem property page and its type library. The files stay where they are, so
rem unpack the package where it should live (for example under
rem "C:\Program Files\Korvel GenICam Source") before running this.
setlocal
set "HERE=%~dp0"
set "MODULE=%HERE%KorvelGenICamSource.ax"

call :check_elevated
if errorlevel 1 (
    echo Korvel GenICam Source: install.cmd needs administrator rights to register the filter.
    echo Right-click install.cmd and choose "Run as administrator", or run it from an elevated prompt.
    exit /b 5
)

for %%F in (KorvelGenICamSource.ax QuillBase_MD_VC80.dll OrelGenICamConfig.dll) do (
    if not exist "%HERE%%%F" (
        echo Korvel GenICam Source: %%F is missing from %HERE%; unpack the whole package first.
        exit /b 2
    )
)

regsvr32 /s "%MODULE%"
if errorlevel 1 (
    echo Korvel GenICam Source: registering %MODULE% failed.
    exit /b 1
)
echo Korvel GenICam Source is installed. Applications list it as a video capture device.
exit /b 0

rem Writing under HKLM succeeds only with administrator rights.
:check_elevated
reg add "HKLM\SOFTWARE\Korvel GenICam Source Setup Check" /f >nul 2>&1
if errorlevel 1 exit /b 1
reg delete "HKLM\SOFTWARE\Korvel GenICam Source Setup Check" /f >nul 2>&1
exit /b 0
