// talvor-amostra: writes a sample printer (fiscal-memory image, firmware
// image and detail-tape file system) from a seed.  Shared declarations of
// its parts: the pseudo-random source, the byte builders of the two memories,
// the printed text of the documents and the day-by-day movement that drives
// both memories from the same counters.
#ifndef TALVOR_AMOSTRA_AMOSTRA_H
#define TALVOR_AMOSTRA_AMOSTRA_H

#include <cstdint>
#include <string>
#include <vector>

#include "text/datas.h"

typedef std::vector<uint8_t> Bytes;

// xorshift64*: the same seed always gives the same sample.
struct Aleatorio {
    uint64_t estado;
    explicit Aleatorio(uint64_t semente) : estado(semente != 0 ? semente : 0x9E3779B97F4A7C15ULL) {}
    uint64_t Proximo()
    {
        estado ^= estado >> 12;
        estado ^= estado << 25;
        estado ^= estado >> 27;
        return estado * 0x2545F4914F6CDD1DULL;
    }
    // Uniform in [a, b].
    unsigned Entre(unsigned a, unsigned b) { return a + static_cast<unsigned>(Proximo() % (b - a + 1)); }
    // True with the given percentage.
    bool Chance(unsigned porcento) { return Entre(1, 100) <= porcento; }
};

// Big-endian and text fields.
void PoeBE(uint8_t *p, unsigned largura, uint64_t valor);
void PoeBE(Bytes *b, unsigned largura, uint64_t valor);
void PoeTexto(uint8_t *p, unsigned largura, const std::string &texto);   // space padded
void PoeTexto(Bytes *b, unsigned largura, const std::string &texto);

// Date, time and seconds of an event.
struct Momento {
    DataHora dh;
    uint16_t Data() const { return EmpacotaData(dh); }
    uint16_t Hora() const { return EmpacotaHora(dh); }
};
Momento NoDia(const DataHora &dia, unsigned hora, unsigned minuto, unsigned segundo);
DataHora DiaSeguinte(const DataHora &d);

// ---- fiscal memory --------------------------------------------------------
constexpr size_t TAMANHO_MF = 1048576;
constexpr size_t TAMANHO_SB = 524288;
constexpr size_t COPIA_MF = 43690;

struct ImagemMF {
    Bytes m;
    ImagemMF() : m(TAMANHO_MF, 0xFF) {}
    // Writes a record of the lists below 43690 (checksum in its last byte)
    // and its backup copy.
    void GravaLista(size_t deslocamento, Bytes registro);
    // Writes the reduction of this CRZ (checksum in its last byte).
    void GravaReducao(unsigned crz, Bytes registro);
};

// ---- detail tape -----------------------------------------------------------
// Text in code page 1252 turned into the printer's character codes.
std::string CodigosImpressora(const std::string &cp1252);
// A 48-column printed line compressed with the 0x01 and 0x02 codes.
Bytes LinhaComprimida(const std::string &linha48);
// The print-line record of a 48-column line.
Bytes RegistroLinha(const std::string &linha48);
// Left text and right-aligned text in 48 columns.
std::string Linha(const std::string &esquerda, const std::string &direita = "");
std::string Centro(const std::string &texto);
std::string Dinheiro(uint64_t centavos);   // 1234 gives "12,34"

// A closed detail-tape file of the printer's directory.
struct ArquivoFita {
    std::string nome;     // 12 characters
    DataHora fechamento;
    unsigned crz;
    uint32_t ultimoCoo;
    Bytes dados;
};

struct Amostra {
    ImagemMF mf;
    Bytes sb;
    std::vector<ArquivoFita> arquivos;
    Bytes atual;
};

// The sample talvor-amostra writes when given no options, and talvor-sim
// serves when given no images.
constexpr uint64_t SEMENTE_PADRAO = 1;
constexpr unsigned DIAS_PADRAO = 400;

// Builds the whole sample from the seed over the given number of working days.
void GeraAmostra(uint64_t semente, unsigned dias, Amostra *a);
// The firmware image of the software version.
void GeraSoftwareBasico(uint64_t semente, Bytes *sb);
// The text of fita/diretorio.txt: a comment line, then one closed file a
// line (name, closing date and time, CRZ and last COO).
std::string TextoDiretorio(const Amostra &a);
// Writes mf.bin, sb.bin and fita/ into the directory (created when missing).
// false, with a message on stderr, when a file cannot be written.
bool GravaAmostra(const Amostra &a, const std::string &saida, uint64_t *bytesFita);

#endif
