// Test compressor of scanner captures, written apart from the expander: an
// LZ77 match finder over hash chains, Huffman code lengths limited to 23
// bits, canonical codes, and the code lengths written with the 5-bit items
// (single lengths, zero runs of every size, repeats of the previous length).
// It writes both variants, so that round trips test the expander on real
// streams.
#ifndef TALVOR_TESTS_COMMON_COMPRESSOR_CAPTURA_H
#define TALVOR_TESTS_COMMON_COMPRESSOR_CAPTURA_H

#include <cstdint>
#include <set>
#include <string>

struct OpcoesCompressor {
    bool pequena = false;         // variant 0xF5 (else 0xF6)
    uint32_t semente = 1;         // varies the choice of length items
    bool semCasamentos = false;   // literals only
    unsigned cadeia = 32;         // hash-chain candidates tried per position
};

// What a compression used, to show that round trips reached every case.
struct UsoCompressor {
    std::set<unsigned> slots;          // distance slots written
    std::set<unsigned> comprimentos;   // match lengths written
    std::set<unsigned> itens;          // code-length items written (0-31)
    unsigned maiorDistancia = 0;       // largest distance value d
    bool sobreposicao = false;         // a match overlapping its own output
};

// Compresses dados into a whole capture: the 4-byte header, the stream,
// and two zero bytes after the last bit (the expander may supply those).
std::string Comprime(const std::string &dados, const OpcoesCompressor &o,
                     UsoCompressor *uso = nullptr);

// Writes bits most significant first (for hand-made streams too).
class EscritorBits {
public:
    void Poe(uint32_t valor, unsigned bits);
    // Bits written so far.
    size_t Bits() const { return bytes_.size() * 8 + n_; }
    // Pads the last byte with zero bits and returns the bytes.
    std::string Termina();
private:
    std::string bytes_;
    uint32_t acumulado_ = 0;
    unsigned n_ = 0;
};

// Canonical codes of a set of code lengths (as DEFLATE assigns them).
void CodigosCanonicos(const uint8_t *comprimentos, unsigned n, uint32_t *codigos);

// The distance slot of a distance value d, its number of extra bits and
// their value x.
void SlotDe(unsigned d, bool pequena, unsigned *slot, unsigned *extra, unsigned *x);

#endif
