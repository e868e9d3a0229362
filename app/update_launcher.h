// Hand-over to the separate updater program "update" beside the executable.
//
// The updater gets one argument, a one-line JSON object naming the program
// and its version. It is started detached (its own process group, standard
// handles on /dev/null, none of our descriptors) and never waited for, but a
// background thread reaps it when it ends so that no zombie stays behind.
// A missing or unstartable updater is skipped silently.
//
// Threads: meant for the UI thread, ~200 ms after the main window is ready;
// safe from any thread. Keeps no state.
#pragma once

#include <string>

// {"title":"Lumora 批量升级工具","app_name":"fleetsync","current_version":"1.2.1"}
// written compactly, UTF-8.
std::string UpdaterArgument();

// Starts `folder` + "update" (folder ends in '/') with UpdaterArgument() as
// its only argument. True when it was started.
bool StartUpdaterIn(const std::string& folder);

// StartUpdaterIn(the executable's folder); the result is ignored.
void LaunchUpdater();
