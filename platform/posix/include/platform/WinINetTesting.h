// Knobs of the WinINet stand-in that only the tests turn. The program never
// calls these; they exist so that a test of a silent server need not wait
// the full time-outs, so that tests start from an empty cookie store, and so
// that the lack of libcurl can be shown on a machine that has it.
#pragma once

// Both in milliseconds; 0 or less restores the platform's values (60 s to
// connect, 30 s without receiving anything). The idle time counts in whole
// seconds, rounded up.
void SetInternetTimeoutsForTesting(long connectMilliseconds, long idleMilliseconds);

// The slow-transfer bound: an exchange that, once its first byte has come,
// moves fewer than minimumBytes in a window of windowMilliseconds ends as a
// time-out. 0 or less for either restores the platform's values (16 KiB in
// 60 s).
void SetInternetSlowTransferBoundForTesting(long windowMilliseconds, long minimumBytes);

// Forgets every cookie of the process-wide store.
void ClearInternetCookiesForTesting();

// The library the next internet handle loads, by file name; null restores
// libcurl's own. Only while no handle is open: a name that cannot be loaded
// makes every send fail as the platform's internal error.
void SetInternetLibraryForTesting(const char* soname);
