// talvor leitura-rz: the scanner capture of a Redução Z through the
// LeituraRZ export (its dialog runs on the terminal).
#include "comandos.h"
#include "talvor/ecf.h"

int CmdLeituraRZ(int argc, char **)
{
    if (argc != 0)
        return ErroDeUso(Comando("leitura-rz"), "não aceita argumentos");
    int r = LeituraRZ();
    return InformaResultado("LeituraRZ", r, "captura encerrada");
}
