// The commands of `kdr` behind the browser page: `serve` itself, and `form`, which the server
// runs in a child for each form event. Each returns the process exit status.
#pragma once

#include "cli/CommandLine.h"

int ServeReports(const CommandLine& commandLine);
// Reads a form request (FormState.h) on standard input and prints the form as JSON.
int PrintFormState(const CommandLine& commandLine);
