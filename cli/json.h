#pragma once
// A minimal JSON text writer for the runner's reports.

#include <string>

// The text as a JSON string literal (quotes included); bytes that are not
// valid UTF-8 are replaced by U+FFFD so the output always parses.
std::string cadenaJSON(const std::string& texto);

// A finite double in shortest round-trip form; NaN and infinities become null.
std::string numeroJSON(double valor);
