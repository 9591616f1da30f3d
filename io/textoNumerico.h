#pragma once
// Number conversions of header texts and of numbers put into messages,
// the same under any locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Optional sign and the leading decimal digits of `texto`, ignoring what
// follows them. nullopt when it does not start with a digit (after the
// sign) or the value does not fit in 64 bits.
std::optional<int64_t> enteroInicial(std::string_view texto);

// The shortest text that reads back to `v`, in plain digits below 10^21
// ("1000000000", "0.5"), in exponent form above.
std::string textoReal(double v);
