// Ctrl-C (and a polite kill) asks the running filter to stop; nothing is torn down in the handler.
#pragma once

#include <string>

// Installs the handlers for SIGINT, SIGTERM and SIGHUP; an open dialog then closes as Cancel.
void InstallInterruptHandlers();

// True once the user asked to stop.
bool InterruptRequested();

// Ends the command as cancelled (a HostError naming `file`) once the user asked to stop.
void StopIfInterrupted(const std::string& file);
