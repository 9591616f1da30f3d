#!/bin/sh
# Non-blank lines of C++ in the tests against the product code (everything
# but tests/, bench/, fuzz/ and the build folders), and their ratio.
#   sh tools/proporcion_pruebas.sh
cd "$(dirname "$0")/.." || exit 1
contar() { git ls-files -- "$@" | xargs cat | grep -cv '^[[:space:]]*$'; }
codigo=$(contar '*.cpp' '*.h' ':!tests/' ':!bench/' ':!fuzz/')
pruebas=$(contar 'tests/*.cpp' 'tests/*.h')
awk -v c="$codigo" -v p="$pruebas" 'BEGIN { printf "código: %d líneas; pruebas: %d líneas; proporción: %.2f\n", c, p, p / c }'
