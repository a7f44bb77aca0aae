// The commands of `kdr`; each returns the process exit status.
#pragma once

#include "cli/CommandLine.h"

int ListReports();
int DescribeReport(const CommandLine& commandLine);
int RunReport(const CommandLine& commandLine);
int InitDatabase(const CommandLine& commandLine);
int DemoDatabase(const CommandLine& commandLine);
