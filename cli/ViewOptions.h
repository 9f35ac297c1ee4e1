#pragma once
// The view options of the commands that draw or measure a spectrum file: --view START-END,
// --cursor C, --log | --linear STEP and --markers Fe,Cr,Ni, read into the settings the window's view commands apply.

#include "cli/Options.h"
#include "cli/Session.h"
#include "display/ViewCommands.h"

namespace tavlex::cli {

// The view options a command takes.
enum ViewOption : unsigned { kViewRange = 1, kViewCursor = 2, kViewScale = 4, kViewMarkers = 8 };

// Adds the options in `which` to the command's. Channels are checked here against the 4096 the
// program holds, and against the file's own by ViewFitsFile once it is read.
void AddViewOptions(OptionParser& parser, ViewSettings& view, unsigned which);

// 0 when the view and the cursor lie inside a file of `channels` channels, else the status of the
// usage error shown: the count array holds whatever came before past the file's channels.
int ViewFitsFile(const char* command, const ViewSettings& view, int channels);

// File -> Read of `in`, then the view set as the window's controls set it. 0, or the exit status
// once a message has said why not.
int ReadInView(Session& session, const char* command, const std::string& in,
               const ViewSettings& view);

}  // namespace tavlex::cli
