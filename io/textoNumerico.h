#pragma once
// Number conversions of header texts, by their leading characters as the
// formats' own tools read them ("256Hz" and "256.0" both give 256).

#include <cstdint>
#include <optional>
#include <string_view>

// Optional sign and the leading decimal digits of `texto`, ignoring what
// follows them. nullopt when it does not start with a digit (after the
// sign) or the value does not fit in 64 bits.
std::optional<int64_t> enteroInicial(std::string_view texto);
