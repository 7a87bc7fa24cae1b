// Knobs of the WinINet stand-in that only the tests turn. The program never
// calls these; they exist so that a test of a silent server need not wait
// the full time-outs, and so that tests start from an empty cookie store.
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
