#pragma once
// Texts taken from file headers: fixed-width fields lose their padding, bytes
// that are not UTF-8 become U+FFFD, and BCI2000's %XX escapes are decoded, so
// that every text of a record can go as it is into JSON, a CSV or a window.

#include <string>
#include <vector>
#include <string_view>

// `texto` without its trailing blanks and NUL bytes (the padding of a
// fixed-width field such as a GDF label "Fz" + 14 blanks).
std::string recortarRelleno(std::string texto);

// True when `texto` is well-formed UTF-8: no overlong form, no surrogate
// (U+D800-U+DFFF), nothing above U+10FFFF, no cut sequence.
bool esUTF8Valido(std::string_view texto);

// `texto` with each maximal invalid sequence replaced by U+FFFD (EF BF BD);
// valid text comes back unchanged.
std::string utf8Saneado(std::string_view texto);

// Text from a file quoted in a message: valid UTF-8 (as utf8Saneado) with
// every control character (NUL, ESC, line ends, DEL, the C1 range) replaced
// by U+FFFD, so that a quoted value can neither cut the message short nor
// drive the terminal it is printed on.
std::string textoParaMensaje(std::string_view texto);

// Header text as a record keeps it: padding removed, then made valid UTF-8.
std::string textoDeCabecera(std::string_view texto);

// BCI2000 parameter value with each "%XX" (two hex digits) replaced by that
// byte: "Signal%20Properties" gives "Signal Properties". A "%" not followed
// by two hex digits (the empty-value mark "%" among them) stays as it is.
std::string decodificarPorciento(std::string_view texto);

// `texto` split at every `separador`, empty pieces kept in place: "a,,b" gives
// "a", "" and "b"; an empty text gives one empty piece.
std::vector<std::string> partir(const std::string& texto, char separador);
