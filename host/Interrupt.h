// Ctrl-C (and a polite kill) asks the running filter to stop; nothing is torn down in the handler.
#pragma once

// Installs the handlers for SIGINT and SIGTERM.
void InstallInterruptHandlers();

// True once the user asked to stop.
bool InterruptRequested();
