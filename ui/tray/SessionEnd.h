#pragma once

namespace mayorin::ui {

class Form4;

// How the end of the desktop session reaches the resident window. Each way ends the program
// without the exit question, and a few seconds after it began the process is gone whatever the
// shut-down meets.

// Passes SIGTERM, SIGHUP and SIGINT (when SystemSignals::install() succeeded) and the session
// manager's die to Form4::closeFromSystem. The session manager's request to save writes the data
// file and ends nothing; a save of the program's state tells it never to start the program again.
void connectSessionEnd(Form4& resident, bool signalsInstalled);

// From now on an exit from under the event loop (the toolkit ends the process when the display
// connection is lost) runs Form4::endWithoutDisplay first. Call once, after the start-up and just
// before the event loop, while the resident window lives on the stack of main: the toolkit's
// own objects the end uses are then already made, and are torn down only after it.
void endOnLostDisplay(Form4& resident);

} // namespace mayorin::ui
