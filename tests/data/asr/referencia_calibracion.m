% Reference for the ASR calibration on the first 60 s of p300_8ch.dat:
% a transcription in core Octave of the clean-window selection and the
% calibration steps, on the drift-removal statements' output, with the
% 256 Hz shaping filter of the reference design. Run from this folder:
%   octave-cli --no-gui referencia_calibracion.m
1;

function [mu, sig] = ajuste(X, c, d, q, s, formas)
  X = sort(X(:)); n = numel(X);
  for f = 1:numel(formas)
    b = formas(f); g = 1/b;
    for iq = 1:2
      if q(iq) < 0.5
        z(iq, f) = -(gammaincinv(1 - 2*q(iq), g))^(1/b);
      else
        z(iq, f) = (gammaincinv(2*q(iq) - 1, g))^(1/b);
      end
    end
    reescala(f) = b / (2*gamma(1/b));
  end
  lower_min = min(q); max_width = max(q) - min(q); min_width = c*max_width;
  L = round(n*max_width); columnas = round(d/s(1)) + 1;
  R = zeros(L, columnas);
  for j = 0:columnas-1
    r = round(n*(lower_min + j*s(1)));
    R(:, j+1) = X(r + (1:L));
  end
  X1 = R(1, :); R = R - X1;
  opt_val = realmax;
  k = 0;
  while true
    m = round(n*(max_width - k*s(2)));
    if m < round(n*min_width) break; end
    nbins = round(3*log2(floor(m/2) + 1));
    H = R(1:m, :) .* (nbins ./ R(m, :));
    logq = log(histc(H, [0:nbins-1, realmax]) + 0.01);
    for f = 1:numel(formas)
      b = formas(f);
      x = z(1, f) + ((0:nbins-1)' + 0.5)/nbins*(z(2, f) - z(1, f));
      p = exp(-abs(x).^b)*reescala(f); p = p/sum(p);
      kl = sum(p .* (log(p) - logq(1:end-1, :))) + log(m);
      [mn, idx] = min(kl);
      if mn < opt_val
        opt_val = mn; opt_beta = b; opt_bounds = z(:, f); opt_lu = [X1(idx), X1(idx) + R(m, idx)];
      end
    end
    k = k + 1;
  end
  alpha = (opt_lu(2) - opt_lu(1))/(opt_bounds(2) - opt_bounds(1));
  mu = opt_lu(1) - opt_bounds(1)*alpha;
  sig = sqrt(gamma(3/opt_beta)*alpha^2/gamma(1/opt_beta));
end

function inicios = ventanas(S, N, paso)
  inicios = round(1:paso:S-N);
end

f = fopen('../../../../shared/data/p300_8ch.dat', 'r');
cabecera = fgetl(f);
longitud = sscanf(cabecera(strfind(cabecera, 'HeaderLen=') + 10:end), '%d', 1);
fseek(f, longitud, 'bof');
crudo = fread(f, [26, 60*256], 'int16', 0, 'ieee-le');
fclose(f);
srate = 256;
datos = derivaLiteral(crudo(1:8, :), srate);

% Clean-window selection with the defaults.
[C, S] = size(datos);
formas = []; b = 1.7; while b < 3.5 + 1e-9 formas(end+1) = b; b = b + 0.15; end
q = [0.022 0.6]; s = [0.01 0.01]; umbrales = [-3.5 5.5];
malos = round(C*0.075);
N = srate;
off = ventanas(S, N, N*(1 - 0.66));
wnd = 0:N-1;
z = zeros(C, numel(off));
ajusteSeleccion = zeros(C, 2);
for c = 1:C
  x = datos(c, :).^2;
  rms = sqrt(sum(x(off + wnd'))/N);
  [mu, sig] = ajuste(rms, 0.25, 0.1, q, s, formas);
  ajusteSeleccion(c, :) = [mu sig];
  z(c, :) = (rms - mu)/sig;
end
zs = sort(z);
marcadas = (zs(end - malos, :) > max(umbrales)) | (zs(1 + malos, :) < min(umbrales));
quitar = false(1, S);
for w = find(marcadas)
  quitar(off(w) + wnd) = true;
end
X = datos(:, ~quitar);

% Calibration, cutoff 5.
B = [1.758701314177015, -4.326762439445862, 5.799988003101652, -6.239662546354836, 5.376807904688311, -3.7938218893375635, 2.1649108095226857, -0.8591392569863896, 0.2569361125628091];
A = [1, -1.700803963930181, 1.9232830391058915, -2.0826929726929992, 1.598263874255749, -1.073585418393015, 0.567971922565272, -0.1886181499768232, 0.0572954115997266];
[X, iirstate] = filter(B, A, X, [], 2);
X = X';
[Sp, C] = size(X);
nb = floor((Sp - 1)/10) + 1;
U = zeros(nb, C*C);
for k = 0:9
  idx = min(k + 10*(0:nb-1), Sp - 1) + 1;
  Xk = X(idx, :);
  U = U + reshape(reshape(Xk, nb, 1, C) .* reshape(Xk, nb, C, 1), nb, C*C);
end
U = U/10;
y = mean(U);
for it = 1:500
  w = 1 ./ sqrt(sum((U - y).^2, 2));
  nuevo = sum(U .* w)/sum(w);
  cambio = norm(nuevo - y)/norm(nuevo);
  y = nuevo;
  if cambio < 1e-5 break; end
end
M = real(sqrtm(reshape(y, C, C)));
[V, D] = eig(M);
V = real(V);
X = abs(X*V);
N = ceil(0.5*srate);
off = ventanas(Sp, N, (1 - 0.66)*N);
wnd = 0:N-1;
mus = zeros(C, 1); sigs = zeros(C, 1);
for c = 1:C
  x = X(:, c).^2;
  rms = sqrt(sum(x(off + wnd'))/N);
  [mus(c), sigs(c)] = ajuste(rms, 0.25, 0.1, q, s, formas);
end
T = diag(mus + 5*sigs)*V';

guardar('calibracion_p300_ajusteSeleccion.bin', ajusteSeleccion);
guardar('calibracion_p300_limpias.bin', Sp);
guardar('calibracion_p300_M.bin', M);
guardar('calibracion_p300_TtT.bin', T'*T);  % independent of eigenvector signs and order
guardar('calibracion_p300_umbrales.bin', sort(mus + 5*sigs));
guardar('calibracion_p300_iirstate.bin', iirstate);
printf('limpias %d de %d, ventanas marcadas %d\n', Sp, S, nnz(marcadas));
