#pragma once

namespace catalog {

// Makes every library the program loads after start come from the system's folder only, never
// from the program's own folder or the current one, where a file planted under a system
// library's name (a downloads folder) would otherwise be loaded first. Call first thing at
// start-up. Windows only: elsewhere the loader takes no library from those folders.
void loadLibrariesFromSystemOnly();

}  // namespace catalog
