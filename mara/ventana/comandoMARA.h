#pragma once
// Where the "aplicar MARA" command finds the model files.

#include <cstdint>
#include <filesystem>
#include <optional>

// The executable's directory, unless a directory was set with
// fijarDirectorioModelosMara (tests put small model sets in a temp folder).
std::filesystem::path directorioModelosMara();
void fijarDirectorioModelosMara(std::optional<std::filesystem::path> directorio);

// Seed of the command's ICA and curve fits; the clock unless set (tests).
void fijarSemillaMara(std::optional<uint32_t> semilla);
// The seed set there: also that of the window's ICA and of the review's vote.
std::optional<uint32_t> semillaMara();
