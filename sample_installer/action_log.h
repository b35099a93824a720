// The action log that tests read to learn what the menu started: the file named by the
// environment variable LUMARC_ACTION_LOG. Each start appends one line,
//   <name on the disc>[ <command-line arguments>]<TAB><current directory>
// for example "acrobat\ar40eng.exe /q\tZ:\tmp\disc". Without the variable nothing is written.
#pragma once

// False (with the reason on standard error) when the log was asked for but could not be written.
bool RecordStart(const char* disc_name, const char* arguments);
