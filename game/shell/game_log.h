// The game's own diagnostics. The game switches the runtime's log off before start-up, so
// problems with the user's files go to the standard error stream instead.
#pragma once

// Reports that the user file at path could not be read or written.
void ReportFileProblem(const char* what, const char* path);
// Reports something the game noticed in the user file at path and worked around.
void ReportFileNote(const char* path, const char* note);
