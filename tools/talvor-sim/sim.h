// talvor-sim: a Talvor printer played on a pseudo-terminal (or a given
// serial device) for testing hosts without a printer.  Shared declarations
// of its three parts: the link side (frames, sequence bit, establishment,
// injected faults), the printer's commands, and the detail-tape files.
#ifndef TALVOR_SIM_SIM_H
#define TALVOR_SIM_SIM_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// One injected fault: at a rate (0 to 1) of the printer's frames, and/or at
// given command exchanges (counted from 1).
struct Falha {
    double taxa = 0;
    std::vector<uint64_t> trocas;
};

struct OpcoesSim {
    std::string dispositivo;       // empty: a new pseudo-terminal
    // Without any of the three, the sample printer of talvor-amostra.
    std::string imagemMF, imagemSB, diretorioFita, registro;
    std::string identificacao = "TV0123SIM78901234567";
    bool inicioReinicio = true;    // first probe answered with a restart request
    unsigned ocupado = 0;          // busy status answers before ready
    unsigned semStatus = 0;        // status requests followed by no status at all
    uint32_t chave1, chave2, chave3;
    uint64_t semente = 1;
    bool verboso = false;
    uint64_t saiApos = 0;          // exit after this many commands (0: never)
    Falha crc, outroBit, tipo6, silencio, reinicio, intermediaria, executando;
    Falha erro, blocoLongo;        // answer 'E'; a block answer above 128 bytes
};
extern OpcoesSim Opcoes;

// A printer answer (RespostaImpressora) being built.
typedef std::vector<uint8_t> Resposta;
Resposta NovaResposta(uint8_t indicadores, char conclusao, size_t dados = 0);

// Loads the images and the detail-tape directory, or builds the sample
// printer when none is given.  false with a message on stderr when a given
// file cannot be read.
bool CarregaMemorias();

// Answers for one command (usually one; status requests queue more).
void ExecutaComandoSim(const uint8_t *comando, size_t n, uint64_t troca,
                       std::vector<Resposta> *respostas);

// The link side: handles every byte from the host.  Returns false when
// the simulator must end.
bool RecebeBytes(int fd, const uint8_t *bytes, size_t n);

// Logs a line to the command log (and to stderr with --verboso).
void Registra(const char *formato, ...);

// The erro and blocoLongo faults at this exchange.
bool NaTrocaErro(uint64_t troca);
bool NaTrocaBlocoLongo(uint64_t troca);

// Pseudo-random fraction in [0, 1).
double Aleatorio();

// Detail tape: listing, opening and block reads.
bool CarregaFita(const std::string &diretorio);
struct AmostraSim;
bool CarregaFitaAmostra(const AmostraSim &amostra);
bool EntradaListagem(size_t indice, Resposta *r);
bool AbreArquivoFita(const uint8_t *nome12);
void FechaArquivoFita();
bool BlocoFita(bool atual, uint32_t bloco, std::vector<uint8_t> *dados);

#endif
