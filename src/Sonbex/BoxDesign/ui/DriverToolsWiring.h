#pragma once
// Plugs the driver tools into the frame: the speaker database (opened at
// start-up, saved at exit, command "Speaker Database" opens its dialog) and
// the "Thiele-Small Parameters" command over impedance curves read from
// text tables. Call once, before SonbexApp::Start.
// Threads: the GUI thread only.

#include "Platform/Paths.h"

namespace sonbex::shell {
class SonbexApp;
}

namespace sonbex::boxdesign {

class YSpkDbaseMgr;

// The manager is owned by `app`; returned for the box designer and tests.
YSpkDbaseMgr* InstallDriverTools(shell::SonbexApp& app, const platform::Paths& paths);

}  // namespace sonbex::boxdesign
