// Subcommands of the talvor command-line tool.  Each takes the arguments
// after its own name and returns the process exit status.
#ifndef TALVOR_TOOLS_COMANDOS_H
#define TALVOR_TOOLS_COMANDOS_H

#include <cstddef>

struct Subcomando {
    const char *nome;
    int (*executa)(int argc, char **argv);
    const char *resumo;   // one line for the general help
    const char *ajuda;    // full help of the subcommand (usage and example)
};

// True when the arguments ask for the subcommand's help.
bool PedeAjuda(int argc, char **argv);
// The subcommand of that name (the first one when there is none).
const Subcomando &Comando(const char *nome);
// Prints the one line "talvor <nome>: <mensagem>" and the subcommand's
// usage to stderr; returns 2, the exit status of every usage error.
int ErroDeUso(const Subcomando &s, const char *mensagem);
// True when the text is minimo to maximo decimal digits and nothing else.
bool SoDigitos(const char *texto, size_t minimo, size_t maximo);
// True when the text is one character, from primeiro to ultimo ('0' to '2').
bool UmEntre(const char *texto, char primeiro, char ultimo);
// Prints an export's result with its meaning; returns 0 only for 0.
int InformaResultado(const char *exportacao, int resultado, const char *significado);

// A result of an export and what it means, as the export documents it.
struct Significado {
    int resultado;
    const char *texto;
};
// The meaning of the result in the table; "falha" when the table lacks it.
const char *Significa(const Significado *tabela, size_t n, int resultado);
template <size_t N>
const char *Significa(const Significado (&tabela)[N], int resultado)
{
    return Significa(tabela, N, resultado);
}

// The end of a subcommand that runs one export: falta, the first fault found
// in its arguments, is a usage error; without one the export runs and its
// result is printed with its meaning.
template <size_t N, typename F>
int ExecutaExportacao(const char *subcomando, const char *falta, const char *exportacao,
                      const Significado (&significados)[N], F chamada)
{
    if (falta != nullptr)
        return ErroDeUso(Comando(subcomando), falta);
    int r = chamada();
    return InformaResultado(exportacao, r, Significa(significados, r));
}

int CmdAssinar(int argc, char **argv);
int CmdVerificar(int argc, char **argv);
int CmdChavePublica(int argc, char **argv);
int CmdGeraEspelhos(int argc, char **argv);
int CmdLeBinarioMF(int argc, char **argv);
int CmdLeSoftwareBasico(int argc, char **argv);
int CmdDownloadMemorias(int argc, char **argv);
int CmdImprimeLeituraX(int argc, char **argv);
int CmdImprimeLeituraMemoriaFiscal(int argc, char **argv);
int CmdImprimeFitaDetalhe(int argc, char **argv);
int CmdGeraEspelhoLMF(int argc, char **argv);
int CmdGeraRegistrosTipoE(int argc, char **argv);
int CmdExpandir(int argc, char **argv);
int CmdLeituraRZ(int argc, char **argv);
int CmdPortas(int argc, char **argv);

extern const Subcomando kSubcomandos[];
extern const unsigned kNumSubcomandos;

#endif
