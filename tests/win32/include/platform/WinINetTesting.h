// The tests' knobs on the internet library, for the Windows build, where the
// library is the system's WinINet: the names the Linux stand-in's knobs have,
// doing what the real library allows.
#pragma once

// Nothing: the system's time-outs stand. No test that runs on Windows waits
// on a silent server.
void SetInternetTimeoutsForTesting(long connectMilliseconds, long idleMilliseconds);

// Ends the process's browser session, which drops its session cookies: the
// only cookies our tests' servers set.
void ClearInternetCookiesForTesting();
