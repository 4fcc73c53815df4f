#pragma once

// Shared by app.rc and the C++ code, so plain #defines only.

#include "Site.h"  // APP_SITE_URL, APP_SITE_NAME, APP_VERSION_NUMBERS: set when the build is configured

// The lowest id, so Explorer and the taskbar pick this icon for the file.
#define IDI_APP 1

// Every version string names the maker's site.
#define APP_VERSION_TEXT APP_SITE_NAME
