// Visibility of the shared runtime's symbols and of a plug-in's two exports.
#pragma once

#if defined(_WIN32)
#if defined(KDR_BUILDING_RUNTIME)
#define KDR_API __declspec(dllexport)
#else
#define KDR_API __declspec(dllimport)
#endif
#define KDR_PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define KDR_API __attribute__((visibility("default")))
#define KDR_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif
