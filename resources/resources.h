#pragma once
// The program's compiled-in pictures and icons. A static library's resources
// are registered only when asked for; every user calls InitResources() first.

namespace resources {

// Registers the resource data once; later calls do nothing.
void InitResources();

}  // namespace resources
