// One Zorvane per user session: the running tray Zorvane marks the session, and
// a later start hands its command (or just its start) to it and ends.
#ifndef ZORVANE_SINGLE_INSTANCE_H
#define ZORVANE_SINGLE_INSTANCE_H

#include <windows.h>

// Called before anything is made. A plain start (command 0) claims the session
// when no Zorvane runs in it, and answers false; when one runs it is told (it
// shows its balloon) and the answer is true: this start ends. A start command
// (203, 204 or 207) goes to a running Zorvane, which carries it out; with none
// running the answer is false and the command runs here, as a one-shot start.
bool HandToRunningInstance(int command);

// Writes the main window into the claim made above (nothing without a claim).
void PublishInstanceWindow();

// Gives the claim up: once the main window goes, a new start is the new Zorvane.
void ReleaseInstanceClaim();

// The message a later start posts to the running main window: wParam is 0 for a
// plain start, else the command. True when the message was this one (handled).
bool OnInstanceMessage(UINT message, WPARAM command);

#endif
