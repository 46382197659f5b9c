#pragma once

#include "bench/cases.h"

namespace korvel::bench {

// The cases of windows that follow what other sessions do (the change log and its watcher).
//
// live-delay: from a save committed by another process (a saver started for the run) to the
// redraw of the frame in this designer, where it is shown read-only; wall-clock milliseconds
// between the saver's commit and the redraw, as the two processes read the system clock.
Measurement LiveDelay();
// idle: a designer window left alone over `frames` frames for `seconds`: the time column gives
// the CPU milliseconds it used per minute, the statements column the statements it sent per minute.
Measurement IdleWindow(int frames, int seconds);

// The saver of live-delay: korvel_bench --saver LOCATION FRAME takes the frame's lock, prints
// "ready", then per line "go" renames the frame's first step, saves, and prints "saved MS" (the
// clock in milliseconds since the epoch right after the commit). Returns the exit status.
int RunSaver(const QString& location, const QString& frameId);

} // namespace korvel::bench
