// talvor expandir: expands a compressed scanner capture into a file.
#include <cstdio>
#include <cstring>

#include "comandos.h"
#include "scanner/expansor.h"

int CmdExpandir(int argc, char **argv)
{
    const Subcomando *s = &Comando("expandir");
    if (argc != 2)
        return ErroDeUso(*s, argc < 2 ? "informe o arquivo comprimido e o arquivo de saída"
                                      : "argumentos demais");
    int r = ExpandCapture(argv[0], argv[1]);
    const char *significado = r == 0    ? "expandido"
                              : r == 1  ? "um dos arquivos não pôde ser aberto ou gravado"
                                        : "o arquivo não é uma captura comprimida válida";
    return InformaResultado("ExpandCapture", r, significado);
}
