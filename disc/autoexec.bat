@ECHO OFF
REM AUTOEXEC.BAT of the Lumarc sample disc, not of this machine.
REM The menu's backup action installs it as c:\autoexec.bat.
PROMPT $P$G
SET TEMP=C:\WINDOWS\TEMP
