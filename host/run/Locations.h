// Where the command finds plug-ins and report definitions: beside it in its build tree
// (bin/../plugins, bin/../reports), unless KDR_PLUGIN_PATH or KDR_REPORTS_PATH say otherwise.
#pragma once

#include <filesystem>
#include <string>

std::filesystem::path PluginDirectory();
std::filesystem::path ReportsDirectory();
// The plug-in library of a report: KdrProtocolo -> PLUGINS/KdrProtocolo.so (.dll on Windows).
std::filesystem::path PluginPath(const std::string& report);
std::filesystem::path DefinitionPath(const std::string& report);
