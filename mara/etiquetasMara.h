#pragma once
// The two fixed electrode-label tables of MARA's model files.

#include <string>
#include <vector>

// 118 labels of the 10-5 system: the row order of the lead-field cube "maraL.bin".
const std::vector<std::string>& etiquetasLeadfield();

// 104 labels in ascending byte order: the row order of "marapattern.bin".
// It is etiquetasLeadfield() without the 14 electrodes the training set lacks.
const std::vector<std::string>& etiquetasMara();

// Label converted byte by byte to upper case (C locale): the comparison key
// of every label lookup in MARA.
std::string aMayusculas(const std::string& etiqueta);
