% guardar(nombre, x): writes x in Armadillo's binary matrix format
% (ARMA_MAT_BIN_FN008), which the tests read with arma::mat::load.
function guardar(nombre, x)
  f = fopen(nombre, 'w');
  fprintf(f, 'ARMA_MAT_BIN_FN008\n%d %d\n', rows(x), columns(x));
  fwrite(f, double(x), 'double', 0, 'ieee-le');
  fclose(f);
end
