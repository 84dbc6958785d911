// Subcommands of the talvor command-line tool.  Each takes the arguments
// after its own name and returns the process exit status.
#ifndef TALVOR_TOOLS_COMANDOS_H
#define TALVOR_TOOLS_COMANDOS_H

struct Subcomando {
    const char *nome;
    int (*executa)(int argc, char **argv);
    const char *resumo;   // one line for the general help
    const char *ajuda;    // full help of the subcommand (usage and example)
};

// True when the arguments ask for the subcommand's help.
bool PedeAjuda(int argc, char **argv);
// Prints "talvor <nome>: <mensagem>" and the usage to stderr; returns 2.
int ErroDeUso(const Subcomando &s, const char *mensagem);
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

extern const Subcomando kSubcomandos[];
extern const unsigned kNumSubcomandos;

#endif
