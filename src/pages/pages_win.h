// The three page window procedures, registered by start-up.
#pragma once

#include <windows.h>

namespace qf {

LRESULT CALLBACK LicencePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LocationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK CustomPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace qf
