% Times core GNU Octave running the ASR processing statements (set-up and
% loop, verbatim, free memory fixed) on the inputs the benchmark wrote:
%   octave-cli bench_asr_completo_octave.m <folder> <free memory in bytes>
% The folder holds, as Armadillo binary matrices, x (C x S working data),
% T, M, B, A, iirstate, and param.txt with "srate P N stepsize maxdims".
% Prints "tiempo_octave: <seconds>" and "pico_octave_kb: <peak resident kB>"
% (VmHWM of its own process: a forked parent's pages do not count).
1;
function X = leer(nombre)
  f = fopen(nombre, 'r');
  fgetl(f);
  d = sscanf(fgetl(f), '%d');
  X = reshape(fread(f, prod(d), 'double', 0, 'ieee-le'), d(1), d(2));
  fclose(f);
end

argumentos = argv();
carpeta = argumentos{1};
memoria = str2double(argumentos{2});
raiz = fileparts(mfilename('fullpath'));
source(fullfile(raiz, '..', '..', 'tests', 'data', 'asr', 'procesado', 'sentencias_asr.m'));

p = load(fullfile(carpeta, 'param.txt'));
x = leer(fullfile(carpeta, 'x.bin'));
T = leer(fullfile(carpeta, 'T.bin')); M = leer(fullfile(carpeta, 'M.bin'));
B = leer(fullfile(carpeta, 'B.bin')); A = leer(fullfile(carpeta, 'A.bin'));
iirstate = leer(fullfile(carpeta, 'iirstate.bin'));
P = int32(p(2)); N = int32(p(3)); stepsize = int32(p(4)); maxdims = p(5);
% The driver's end extension (odd reflection), outside the timed part.
S = columns(x); Pd = double(P);
data = [x 2 * x(:, S) - x(:, (S - 1):-1:(S - Pd))];
clear x
reloj = tic;
eval(strrep(preparacion, memoriaJava, sprintf('%.17g', memoria)));
eval(bucle);
printf('\ntiempo_octave: %.3f\n', toc(reloj));
estado = fileread('/proc/self/status');
pico = regexp(estado, 'VmHWM:\s*(\d+)', 'tokens', 'once');
if ~isempty(pico), printf('pico_octave_kb: %s\n', pico{1}); end
