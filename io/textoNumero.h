#pragma once
// Numbers written as text, the same under any locale. Qt sets the C library's
// locale from the environment, so the C formatting functions would write
// "1,5" under a Spanish locale; these go through std::to_chars, which never
// reads it.

#include <string>

// As printf("%.<cifras>g") in the C locale: "40", "0.5", "1.23457e+06".
std::string textoGeneral(double x, int cifras = 6);

// As printf("%.<decimales>f") in the C locale: "3.50".
std::string textoFijo(double x, int decimales);
