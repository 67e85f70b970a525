#pragma once

// The ids of the program's resources, read by windres in catalog-collector.rc and by the window.
// The icon with the lowest id is the one Explorer shows for the file.
#define CATALOG_ICON_ID 1
