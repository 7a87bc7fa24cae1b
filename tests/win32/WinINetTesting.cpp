#include "platform/WinINetTesting.h"

#include <windows.h>
#include <wininet.h>

void SetInternetTimeoutsForTesting(long, long) {}

void ClearInternetCookiesForTesting() {
  InternetSetOptionA(nullptr, INTERNET_OPTION_END_BROWSER_SESSION, nullptr, 0);
}
