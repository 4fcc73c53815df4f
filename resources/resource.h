#pragma once

// Shared by app.rc and the C++ code, so plain #defines only.

#include "Site.h"  // APP_SITE_URL, APP_SITE_NAME: set when the build is configured

// The lowest id, so Explorer and the taskbar pick this icon for the file.
#define IDI_APP 1

#define APP_VERSION_NUMBERS 1, 0, 0, 0
// Every version string names the maker's site.
#define APP_VERSION_TEXT APP_SITE_NAME
