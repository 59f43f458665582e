// The loadable module: its exported entry points live in LM_entry.
#include "relight_filter.h"

static_assert(sizeof(PluginMainProc) == sizeof(&PluginMain));
static_assert(sizeof(PluginSetThreadsProc) == sizeof(&PluginSetThreads));
static_assert(sizeof(PluginAboutTextProc) == sizeof(&PluginAboutText));
