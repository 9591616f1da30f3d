#pragma once
// An event kind as text, for the formats that name events rather than store
// the pair (EDF+/BDF+ annotations, GDF 2's event descriptions):
// "tipo.calificador", then one blank and the kind's name when it has one
// ("1.2 R  1", "3.1"). Reading such a text gives back the pair and the name,
// so a conversion keeps the numbers that promediado:1.1 and the window use.
// Numbers are written as std::to_string writes them, and only that form is
// read back: "01.1", "1.1x" or "T0" are ordinary texts, numbered by first
// appearance as the readers always did.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ClaseEvento {
    int32_t tipo = 0;
    int32_t calificador = 0;
    std::string nombre;  // empty when the kind has none
};

// "tipo.calificador", or "tipo.calificador nombre" when nombre is not empty.
std::string textoClaseEvento(int32_t tipo, int32_t calificador, const std::string& nombre);

// The kind that `texto` writes in the form above; nullopt for any other text.
std::optional<ClaseEvento> leerClaseEvento(std::string_view texto);
