#pragma once

#include <filesystem>

// Directory holding the running executable: the real path of
// /proc/self/exe (links resolved), not the current directory.
// Throws std::runtime_error when the system does not provide it.
std::filesystem::path directorioEjecutable();
