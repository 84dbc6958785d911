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
// Prints an export's result with its meaning; returns 0 only for 0.
int InformaResultado(const char *exportacao, int resultado, const char *significado);

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
