// The capture expander: hand-made streams for the edge cases (empty stream,
// symbol 257, overlapping matches, every token form, streams cut short at
// any byte, malformed code-length tables, codes that need the widest
// decoding tables, failures with the output before them), round trips of
// generated inputs of both variants through the test compressor, and the
// command-line tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/util.h"
#include "common/compressor_captura.h"
#include "scanner/expansor.h"

namespace {

class Expansor : public DiretorioTemporario {
protected:
    // Expands the capture and returns the result; the output in *saida.
    int Expande(const std::string &captura, std::string *saida)
    {
        GravaArquivo("captura.bin", captura);
        int r = ExpandCapture("captura.bin", "saida.bin");
        *saida = LeArquivo("saida.bin");
        return r;
    }
};

// A hand-made stream.  By default with flat codes: every literal/length
// symbol has a 9-bit code equal to its number, every distance slot a 6-bit
// code equal to its number (each tree written as one length and repeat
// items).  Or with the code lengths given, each written as one item.
class FluxoManual {
public:
    explicit FluxoManual(bool pequena) : pequena_(pequena)
    {
        std::memset(compL_, 9, sizeof compL_);
        std::memset(compD_, 6, sizeof compD_);
        Plano(9, 512);
        Plano(6, 64);
        Codigos();
    }
    FluxoManual(bool pequena, const uint8_t *literais, const uint8_t *distancias)
        : pequena_(pequena)
    {
        std::memcpy(compL_, literais, sizeof compL_);
        std::memcpy(compD_, distancias, sizeof compD_);
        for (uint8_t c : compL_)
            w_.Poe(c, 5);
        for (uint8_t c : compD_)
            w_.Poe(c, 5);
        Codigos();
    }
    FluxoManual &Simbolo(unsigned s)
    {
        w_.Poe(codL_[s], compL_[s]);
        return *this;
    }
    FluxoManual &Literais(const std::string &bytes)
    {
        for (unsigned char c : bytes)
            Simbolo(c);
        return *this;
    }
    FluxoManual &Distancia(unsigned slot, unsigned extra, unsigned x)
    {
        w_.Poe(codD_[slot], compD_[slot]);
        w_.Poe(x, extra);
        return *this;
    }
    FluxoManual &Bits(uint32_t valor, unsigned n)
    {
        w_.Poe(valor, n);
        return *this;
    }
    size_t BitsEscritos() const { return w_.Bits(); }
    // The capture: header, bits, padding, and 'sobra' zero bytes after them.
    std::string Captura(unsigned sobra = 2)
    {
        std::string c = "\xDB\x99\x04";
        c.push_back(pequena_ ? '\xF5' : '\xF6');
        c += w_.Termina();
        c.append(sobra, '\0');
        return c;
    }

private:
    void Plano(unsigned comprimento, unsigned n)
    {
        w_.Poe(comprimento, 5);
        unsigned feitos = 1;
        while (feitos < n) {
            unsigned r = std::min(5u, n - feitos);
            if (r < 2) {
                w_.Poe(comprimento, 5);
                feitos += 1;
                continue;
            }
            w_.Poe(29, 5);
            w_.Poe(r - 2, 2);
            feitos += r;
        }
    }
    void Codigos()
    {
        CodigosCanonicos(compL_, 512, codL_);
        CodigosCanonicos(compD_, 64, codD_);
    }
    bool pequena_;
    EscritorBits w_;
    uint8_t compL_[512];
    uint8_t compD_[64];
    uint32_t codL_[512];
    uint32_t codD_[64];
};

TEST_F(Expansor, FirstSymbolEndGivesAnEmptyFile)
{
    for (bool pequena : {true, false}) {
        std::string saida = "x";
        EXPECT_EQ(Expande(FluxoManual(pequena).Simbolo(256).Captura(), &saida), 0);
        EXPECT_EQ(saida, "");
    }
}

TEST_F(Expansor, Symbol257PerVariant)
{
    std::string saida;
    // Small: a match of length 2 from distance value 1 (two bytes back).
    EXPECT_EQ(Expande(FluxoManual(true).Literais("AB").Simbolo(257).Distancia(0, 1, 1)
                          .Simbolo(256).Captura(), &saida), 0);
    EXPECT_EQ(saida, "ABAB");
    // Large: two zero bytes, no distance read (the next 9 bits are 'B').
    EXPECT_EQ(Expande(FluxoManual(false).Literais("A").Simbolo(257).Literais("B")
                          .Simbolo(256).Captura(), &saida), 0);
    EXPECT_EQ(saida, std::string("A\0\0B", 4));
}

TEST_F(Expansor, OverlappingMatchRepeatsThePreviousByte)
{
    for (bool pequena : {true, false}) {
        std::string saida;
        EXPECT_EQ(Expande(FluxoManual(pequena).Literais("QX").Simbolo(260).Distancia(0, 1, 0)
                              .Simbolo(256).Captura(), &saida), 0);
        EXPECT_EQ(saida, "QXXXXXX");
    }
}

TEST_F(Expansor, LargestDistanceOfEachVariant)
{
    // Slot 63 with all extra bits set: d = 4095 (small), 16383 (large).
    for (bool pequena : {true, false}) {
        unsigned recuo = pequena ? 4096 : 16384;
        std::string dados;
        std::mt19937 r(7);
        for (unsigned i = 0; i < recuo; ++i)
            dados.push_back(static_cast<char>('a' + r() % 26));
        std::string saida;
        EXPECT_EQ(Expande(FluxoManual(pequena).Literais(dados).Simbolo(255 + 10)
                              .Distancia(63, pequena ? 7 : 9, pequena ? 127 : 511)
                              .Simbolo(256).Captura(), &saida), 0);
        EXPECT_EQ(saida, dados + dados.substr(0, 10));
    }
}

TEST_F(Expansor, TokensOfTheSmallVariant)
{
    struct Caso {
        std::string bytes, esperado;
    } casos[] = {
        {std::string("\x1E\x0C\x22\x9C", 4), "1.234,56"},
        {std::string("\x18\x04", 2), "-----"},
        {std::string("\x8B", 1), std::string(4, '\0')},
        {std::string("\x89", 1), std::string(2, '\0')},
        {std::string("\x8F", 1), std::string(8, '\0')},
        {std::string("\x17\x1E", 2), "\x1E"},
        {std::string("\x17\x8B", 2), "\x8B"},
        {std::string("\x18\xFF", 2), std::string(256, '-')},
        // 1234567 in the seven forms: 12, 34, 56 go on, 207 ends with "7".
        {std::string("\x19\x0C\x22\x38\xCF", 5), "12345.67"},
        {std::string("\x1A\x0C\x22\x38\xCF", 5), "12345,67"},
        {std::string("\x1B\x0C\x22\x38\xCF", 5), "1234567"},
        {std::string("\x1C\x0C\x22\x38\xCF", 5), "12,345.67"},
        {std::string("\x1D\x0C\x22\x38\xCF", 5), "1,234,567"},
        {std::string("\x1E\x0C\x22\x38\xCF", 5), "12.345,67"},
        {std::string("\x1F\x0C\x22\x38\xCF", 5), "1.234.567"},
        // Three digits: one leading digit, then the decimals.
        {std::string("\x1C\x0C\xCB", 3), "1.23"},
        {std::string("\x1D\x0C\x22\xCB", 4), "12,343"},
        // Fewer than three digits in the grouped forms with decimals:
        // the separator comes first, no group is formed.
        {std::string("\x1C\x6B", 2), ".07"},
        {std::string("\x1E\xCD", 2), ",5"},
        {std::string("\x19\xCD", 2), ".5"},
        {std::string("\x1D\xCD", 2), "5"},
        // A byte from 210 up ends the number with the byte - 152.
        {std::string("\x1B\xFF", 2), "g"},
        // Text around the tokens passes as it is.
        {std::string("A\x1B\x6E" "B", 4), "A10B"},
    };
    for (const Caso &c : casos) {
        std::string saida;
        EXPECT_EQ(Expande(FluxoManual(true).Literais(c.bytes).Simbolo(256).Captura(), &saida), 0);
        EXPECT_EQ(saida, c.esperado) << "tokens of " << c.bytes.size() << " bytes";
    }
}

TEST_F(Expansor, NumberTokenHoldsAtMost200Digits)
{
    std::string saida;
    // 101 pairs that go on: the 101st adds nothing; the end byte adds nothing.
    std::string t = "\x1B" + std::string(101, '\x0B') + "\x7A";
    EXPECT_EQ(Expande(FluxoManual(true).Literais(t).Simbolo(256).Captura(), &saida), 0);
    EXPECT_EQ(saida, std::string(200, '1'));
    // 99 pairs and an end pair: exactly 200.
    t = "\x1B" + std::string(99, '\x0B') + "\x7A";
    EXPECT_EQ(Expande(FluxoManual(true).Literais(t).Simbolo(256).Captura(), &saida), 0);
    EXPECT_EQ(saida, std::string(198, '1') + "22");
    // Grouped with decimals over 200 digits: 198 before the decimals.
    t = "\x1C" + std::string(100, '\x0B') + "\x7A";
    EXPECT_EQ(Expande(FluxoManual(true).Literais(t).Simbolo(256).Captura(), &saida), 0);
    // 200 digits: leading 200 % 3 + 1 = 3, then groups of three up to 198.
    std::string agrupada = "111";
    for (unsigned i = 3; i < 198; i += 3)
        agrupada += ",111";
    EXPECT_EQ(saida, agrupada + ".11");
}

TEST_F(Expansor, LargeVariantWritesTokenBytesAsTheyAre)
{
    std::string saida;
    std::string t("\x1E\x0C\x22\x9C\x18\x04\x8B\x17", 8);
    EXPECT_EQ(Expande(FluxoManual(false).Literais(t).Simbolo(256).Captura(), &saida), 0);
    EXPECT_EQ(saida, t);
}

TEST_F(Expansor, StreamCutShort)
{
    std::string dados;
    for (int i = 0; i < 300; ++i)
        dados += "Linha " + std::to_string(i * 7) + " do relatorio\n";
    for (bool pequena : {true, false}) {
        OpcoesCompressor o;
        o.pequena = pequena;
        std::string c = Comprime(dados, o);
        std::string saida;
        ASSERT_EQ(Expande(c, &saida), 0);
        EXPECT_EQ(saida, dados);
        // Two bytes missing: supplied as zeros.
        EXPECT_EQ(Expande(c.substr(0, c.size() - 2), &saida), 0);
        EXPECT_EQ(saida, dados);
        // Three missing: the last bits are needed and cannot be supplied.
        EXPECT_EQ(Expande(c.substr(0, c.size() - 3), &saida), -1);
        // The same for the smallest stream: the end symbol alone.
        std::string vazio = FluxoManual(pequena).Simbolo(256).Captura(0);
        EXPECT_EQ(Expande(vazio, &saida), 0);
        EXPECT_EQ(Expande(vazio.substr(0, vazio.size() - 1), &saida), -1);
    }
    std::string saida;
    EXPECT_EQ(Expande(std::string("\xDB\x99\x04", 3), &saida), -1);
    EXPECT_EQ(Expande(std::string("\xDB\x99\x04\xF5", 4), &saida), -1);
    EXPECT_EQ(Expande("", &saida), -1);
}

TEST_F(Expansor, FilesThatCannotBeOpened)
{
    EXPECT_EQ(ExpandCapture("nao-existe.bin", "saida.bin"), 1);
    GravaArquivo("captura.bin", FluxoManual(true).Simbolo(256).Captura());
    EXPECT_EQ(ExpandCapture("captura.bin", "sem-diretorio/saida.bin"), 1);
}

// Code-length tables that are not valid codes.
TEST_F(Expansor, MalformedCodeLengths)
{
    // Each table as (value, bits, times) items.
    struct Item {
        uint32_t valor;
        unsigned bits, vezes;
    };
    const std::vector<Item> tabelas[] = {
        // A repeat item before any length.
        {{29, 5, 1}, {0, 2, 1}},
        // Over-full, caught by the running sum: 3 codes of length 1.
        {{1, 5, 3}, {31, 5, 1}, {127, 7, 1}},
        // Over-full, completed by the last item (511 codes of 9 bits, then
        // one of 1 bit): the running sum never saw it.
        {{9, 5, 511}, {1, 5, 1}},
        // Every length 0: no symbol can be decoded.
        {{31, 5, 1}, {127, 7, 1}, {31, 5, 1}, {127, 7, 1}, {31, 5, 1}, {127, 7, 1},
         {31, 5, 1}, {127, 7, 1}, {31, 5, 1}, {127, 7, 1}, {0, 32, 1}},
    };
    for (const std::vector<Item> &t : tabelas) {
        EscritorBits w;
        for (const Item &i : t) {
            for (unsigned n = 0; n < i.vezes; ++n)
                w.Poe(i.valor, i.bits);
        }
        std::string saida;
        EXPECT_EQ(Expande(std::string("\xDB\x99\x04\xF6", 4) + w.Termina() + std::string(2, '\0'), &saida),
                  -1)
            << "table " << &t - tabelas;
    }
}

TEST_F(Expansor, RunsPastTheLastSymbolAreCut)
{
    // Literals: 'A' and 256 with 1-bit codes; then a 142-zero run that
    // passes 512.  Distances: a run of 142 zeros for 64 symbols.
    EscritorBits v;
    v.Poe(31, 5);
    v.Poe(65 - 15, 7);        // symbols 0-64 zero
    v.Poe(1, 5);              // 'A' (65) length 1
    v.Poe(31, 5);
    v.Poe(127, 7);            // 66-207
    v.Poe(31, 5);
    v.Poe(48 - 15, 7);        // 208-255
    v.Poe(1, 5);              // 256 length 1
    v.Poe(31, 5);
    v.Poe(127, 7);            // 257-398
    v.Poe(31, 5);
    v.Poe(127, 7);            // 399-511, cut at 512
    v.Poe(31, 5);
    v.Poe(127, 7);            // distances: 64 zeros, cut
    v.Poe(0, 1);              // 'A'
    v.Poe(0, 1);              // 'A'
    v.Poe(1, 1);              // 256
    std::string saida;
    EXPECT_EQ(Expande(std::string("\xDB\x99\x04\xF6", 4) + v.Termina() + std::string(2, '\0'),
                      &saida), 0);
    EXPECT_EQ(saida, "AA");
}

TEST_F(Expansor, MatchBeforeTheStartOfTheStream)
{
    std::string saida;
    // After "AB" a distance value of 1 is the first byte; 2 is before it.
    EXPECT_EQ(Expande(FluxoManual(true).Literais("AB").Simbolo(258).Distancia(1, 1, 0)
                          .Simbolo(256).Captura(), &saida), -1);
    EXPECT_EQ(Expande(FluxoManual(false).Simbolo(300).Distancia(0, 1, 0)
                          .Simbolo(256).Captura(), &saida), -1);
    // The same with input behind it: the bytes before the match are kept.
    std::string lixo(64, '\x5A');
    EXPECT_EQ(Expande(FluxoManual(true).Literais("AB").Simbolo(258).Distancia(1, 1, 0)
                          .Captura(0) + lixo, &saida), -1);
    EXPECT_EQ(saida, "AB");
    EXPECT_EQ(Expande(FluxoManual(false).Literais("AB").Simbolo(300).Distancia(1, 1, 0)
                          .Captura(0) + lixo, &saida), -1);
    EXPECT_EQ(saida, "AB");
    // An earlier expansion's window is not reachable either.
    EXPECT_EQ(Expande(FluxoManual(false).Literais("xyz").Simbolo(256).Captura(), &saida), 0);
    EXPECT_EQ(Expande(FluxoManual(false).Literais("a").Simbolo(258).Distancia(1, 1, 1)
                          .Simbolo(256).Captura(), &saida), -1);
}

TEST_F(Expansor, DeepSparseCodesBuildTheirTrees)
{
    // Every literal/length symbol with a 23-bit code (an incomplete code
    // whose tree needs long chains), and one distance slot.
    EscritorBits w;
    w.Poe(23, 5);
    for (unsigned k = 0; k < 102; ++k) {
        w.Poe(29, 5);
        w.Poe(3, 2);   // five more of 23 bits
    }
    w.Poe(23, 5);
    w.Poe(31, 5);
    w.Poe(127, 7);
    uint8_t comp[512];
    std::memset(comp, 23, sizeof comp);
    uint32_t cod[512];
    CodigosCanonicos(comp, 512, cod);
    for (char c : std::string("deep"))
        w.Poe(cod[static_cast<unsigned char>(c)], 23);
    w.Poe(cod[256], 23);
    std::string saida;
    EXPECT_EQ(Expande(std::string("\xDB\x99\x04\xF6", 4) + w.Termina() + std::string(2, '\0'),
                      &saida), 0);
    EXPECT_EQ(saida, "deep");
}

// ---- tables of every shape, streams cut anywhere -------------------------------

// Code lengths from a count of codes per length, given to the symbols in a
// shuffled order (symbol 256, the end, always among them); the symbols
// left over have no code.
void ComprimentosDe(const std::vector<std::pair<unsigned, unsigned>> &contagens, unsigned n,
                    std::mt19937 &r, uint8_t *c)
{
    std::vector<unsigned> ordem(n);
    for (unsigned s = 0; s < n; ++s)
        ordem[s] = s;
    std::shuffle(ordem.begin(), ordem.end(), r);
    if (n > 256)
        std::swap(ordem[0], *std::find(ordem.begin(), ordem.end(), 256u));
    std::memset(c, 0, n);
    unsigned i = 0;
    for (const auto &lk : contagens)
        for (unsigned k = 0; k < lk.second; ++k)
            c[ordem[i++]] = static_cast<uint8_t>(lk.first);
}

// The code right after the last 23-bit one: unused in an incomplete code.
uint32_t CodigoSemUso(const uint8_t *c, unsigned n)
{
    uint32_t codigos[512];
    CodigosCanonicos(c, n, codigos);
    uint32_t maior = 0;
    for (unsigned s = 0; s < n; ++s)
        if (c[s] == 23)
            maior = std::max(maior, codigos[s]);
    return maior + 1;
}

TEST_F(Expansor, TablesOfEveryShapeDecodeEverySymbol)
{
    // Widest: the lengths that need the most subtable room (widths 4, 5,
    // 6, 7, 8 and 13 full, a last 13 with one code).  Each length once:
    // root codes of 1 to 10 bits, then one subtable of 11 to 23.
    const std::vector<std::pair<unsigned, unsigned>> larga[2] = {
        {{11, 1}, {12, 1}, {13, 1}, {14, 17}, {15, 33}, {16, 65}, {17, 129}, {18, 257},
         {19, 1}, {20, 1}, {21, 1}, {22, 1}, {23, 3}},
        {{11, 1}, {12, 1}, {13, 1}, {14, 17}, {15, 33}, {16, 1}, {17, 1}, {18, 1},
         {19, 1}, {20, 1}, {21, 1}, {22, 1}, {23, 3}}};
    std::vector<std::pair<unsigned, unsigned>> cada;
    for (unsigned l = 1; l <= 23; ++l)
        cada.push_back({l, 1});
    // Base and extra bits of each slot, from the compressor's own table.
    unsigned base[2][64], extra[2][64];
    for (unsigned v = 0; v < 2; ++v)
        for (unsigned d = 16383; d != ~0u; --d) {
            unsigned slot, e, x;
            SlotDe(d, v == 0, &slot, &e, &x);
            if (slot < 64 && (v == 1 || d < 4096)) {
                base[v][slot] = d;
                extra[v][slot] = e;
            }
        }

    enum Fim { SIMBOLO_FIM, LITERAL_SEM_CODIGO, DISTANCIA_SEM_CODIGO };
    std::mt19937 r(1717);
    for (unsigned forma = 0; forma < 2; ++forma)
        for (unsigned v = 0; v < 2; ++v)
            for (Fim fim : {SIMBOLO_FIM, LITERAL_SEM_CODIGO, DISTANCIA_SEM_CODIGO})
                for (unsigned cauda : {0u, 64u}) {
                    bool pequena = v == 0;
                    uint8_t cl[512], cd[64];
                    ComprimentosDe(forma == 0 ? larga[0] : cada, 512, r, cl);
                    ComprimentosDe(forma == 0 ? larga[1] : cada, 64, r, cd);
                    FluxoManual f(pequena, cl, cd);
                    // Every coded symbol twice (in the small variant no
                    // literal that begins a token), the end symbol last.
                    std::vector<unsigned> simbolos;
                    for (unsigned s = 0; s < 512; ++s) {
                        bool token = (s >= 0x17 && s <= 0x1F) || (s >= 0x89 && s <= 0x8F);
                        if (cl[s] > 0 && s != 256 && !(pequena && token))
                            simbolos.insert(simbolos.end(), 2, s);
                    }
                    std::shuffle(simbolos.begin(), simbolos.end(), r);
                    std::string esperado;
                    unsigned copia = 0;   // a length symbol with a code
                    for (unsigned s : simbolos) {
                        if (s < 256) {
                            f.Simbolo(s);
                            esperado.push_back(static_cast<char>(s));
                            continue;
                        }
                        if (s == 257 && !pequena) {
                            f.Simbolo(s);
                            esperado.append(2, '\0');
                            continue;
                        }
                        copia = s;
                        std::vector<unsigned> slots;
                        for (unsigned k = 0; k < 64; ++k)
                            if (cd[k] > 0 && base[v][k] < esperado.size())
                                slots.push_back(k);
                        if (slots.empty())
                            continue;
                        unsigned k = slots[r() % slots.size()];
                        unsigned x = r() % (1u << extra[v][k]);
                        if (base[v][k] + x >= esperado.size())
                            x = 0;
                        f.Simbolo(s).Distancia(k, extra[v][k], x);
                        size_t origem = esperado.size() - base[v][k] - x - 1;
                        for (unsigned i = 0; i < s - 255; ++i)
                            esperado.push_back(esperado[origem + i]);
                    }
                    if (fim == SIMBOLO_FIM)
                        f.Simbolo(256);
                    else if (fim == LITERAL_SEM_CODIGO)
                        f.Bits(CodigoSemUso(cl, 512), 23);
                    else
                        f.Simbolo(copia).Bits(CodigoSemUso(cd, 64), 23);
                    std::string captura = f.Captura(0);
                    for (unsigned i = 0; i < cauda; ++i)
                        captura.push_back(static_cast<char>(r()));
                    std::string saida;
                    EXPECT_EQ(Expande(captura, &saida), fim == SIMBOLO_FIM ? 0 : -1)
                        << forma << pequena << fim << cauda;
                    EXPECT_EQ(saida, esperado) << forma << pequena << fim << cauda;
                }
}

TEST_F(Expansor, StreamCutAnywhereKeepsEveryWholeSymbol)
{
    // 5000 literals of 9 bits (past the 4096-byte input block), then the
    // end symbol; cut after every byte of the code lengths, of the block's
    // end and of the stream's end, and every 37th byte between.  A symbol
    // is decoded when its last bit is in the file; two missing bytes may be
    // supplied as zeros, but only as look-ahead, never as a symbol's bits.
    std::string texto;
    for (unsigned i = 0; i < 5000; ++i)
        texto.push_back(static_cast<char>('a' + i * 7 % 26));
    for (bool pequena : {true, false}) {
        FluxoManual f(pequena);
        size_t cabeca = f.BitsEscritos();
        std::string captura = f.Literais(texto).Simbolo(256).Captura(0);
        for (size_t corte = 0; corte <= captura.size(); ++corte) {
            bool perto =
                corte < 130 || (corte > 4060 && corte < 4130) || corte + 40 > captura.size();
            if (!perto && corte % 37 != 0)
                continue;
            size_t bits = corte > 4 ? 8 * (corte - 4) : 0;
            size_t inteiros = bits >= cabeca ? std::min<size_t>((bits - cabeca) / 9, 5000) : 0;
            bool fim = corte > 4 && bits >= cabeca + 9 * 5001;
            std::string saida;
            ASSERT_EQ(Expande(captura.substr(0, corte), &saida), fim ? 0 : -1) << corte;
            ASSERT_EQ(saida, texto.substr(0, inteiros)) << corte;
        }
    }
}

// ---- round trips ------------------------------------------------------------

struct Aleatorio {
    std::mt19937 r;
    explicit Aleatorio(uint32_t s) : r(s) {}
    unsigned Ate(unsigned n) { return static_cast<unsigned>(r() % n); }
};

// Plain bytes: random, text-like, runs, and copies of earlier parts at
// distances spread over every slot.
std::string GeraDados(Aleatorio &a, unsigned recuoMaximo, bool semTokens)
{
    std::string d;
    unsigned alvo = 1 + a.Ate(a.Ate(10) == 0 ? 40000 : 3000);
    auto byte = [&]() {
        for (;;) {
            uint8_t b = static_cast<uint8_t>(a.Ate(4) == 0 ? a.Ate(256) : 'a' + a.Ate(20));
            if (!semTokens || ((b < 0x17 || b > 0x1F) && (b < 0x89 || b > 0x8F)))
                return static_cast<char>(b);
        }
    };
    while (d.size() < alvo) {
        switch (a.Ate(5)) {
        case 0:
        case 1:
            for (unsigned i = a.Ate(40); i > 0; --i)
                d.push_back(byte());
            break;
        case 2:
            d.append(1 + a.Ate(a.Ate(4) == 0 ? 600 : 20), a.Ate(3) == 0 ? '\0' : byte());
            break;
        default:
            if (!d.empty()) {
                // Distance spread on a log scale so that every slot occurs.
                unsigned bits = 1 + a.Ate(15);
                unsigned recuo = 1 + a.Ate(1u << bits);
                if (recuo > d.size())
                    recuo = static_cast<unsigned>(d.size());
                if (recuo > recuoMaximo)
                    recuo = recuoMaximo;
                unsigned l = 2 + a.Ate(a.Ate(3) == 0 ? 300 : 30);
                size_t origem = d.size() - recuo;
                for (unsigned i = 0; i < l; ++i)
                    d.push_back(d[origem + i]);
            }
        }
    }
    return d;
}

// Number text as the token stage writes it, built apart: digits grouped
// from the right.
std::string FormaNumero(const std::string &digitos, uint8_t token)
{
    bool centavos = token == 0x19 || token == 0x1A || token == 0x1C || token == 0x1E;
    char decimal = (token == 0x1A || token == 0x1E) ? ',' : '.';
    char grupo = token == 0x1C || token == 0x1D ? ',' : (token == 0x1E || token == 0x1F ? '.' : 0);
    std::string inteira = centavos ? digitos.substr(0, digitos.size() - 2) : digitos;
    std::string agrupada;
    for (size_t i = 0; i < inteira.size(); ++i) {
        if (grupo != 0 && i > 0 && (inteira.size() - i) % 3 == 0)
            agrupada.push_back(grupo);
        agrupada.push_back(inteira[i]);
    }
    if (centavos)
        agrupada += std::string(1, decimal) + digitos.substr(digitos.size() - 2);
    return agrupada;
}

// A token stream of the small variant and the text it stands for.
void GeraTokens(Aleatorio &a, std::string *tokens, std::string *texto)
{
    unsigned pecas = 1 + a.Ate(a.Ate(8) == 0 ? 400 : 60);
    for (unsigned p = 0; p < pecas; ++p) {
        switch (a.Ate(6)) {
        case 0: {
            // A number of 3 to 40 digits (3 or more so that every form is
            // defined), pairs then an ending pair or single digit.
            unsigned n = 3 + a.Ate(38);
            std::string digitos;
            for (unsigned i = 0; i < n; ++i)
                digitos.push_back(static_cast<char>('0' + a.Ate(10)));
            uint8_t token = static_cast<uint8_t>(0x19 + a.Ate(7));
            tokens->push_back(static_cast<char>(token));
            size_t i = 0;
            while (n - i > 2) {
                tokens->push_back(static_cast<char>((digitos[i] - '0') * 10 + digitos[i + 1] - '0'));
                i += 2;
            }
            if (n - i == 2)
                tokens->push_back(static_cast<char>(100 + (digitos[i] - '0') * 10 + digitos[i + 1] - '0'));
            else
                tokens->push_back(static_cast<char>(200 + digitos[i] - '0'));
            *texto += FormaNumero(digitos, token);
            break;
        }
        case 1: {
            unsigned n = a.Ate(256);
            tokens->push_back('\x18');
            tokens->push_back(static_cast<char>(n));
            texto->append(n + 1, '-');
            break;
        }
        case 2: {
            unsigned n = 2 + a.Ate(7);
            tokens->push_back(static_cast<char>(0x87 + n));
            texto->append(n, '\0');
            break;
        }
        case 3: {
            char b = static_cast<char>(a.Ate(2) ? 0x17 + a.Ate(9) : 0x89 + a.Ate(7));
            tokens->push_back('\x17');
            tokens->push_back(b);
            texto->push_back(b);
            break;
        }
        default: {
            static const char *const kPalavras[] = {"TOTAL", "R$", "CUPOM FISCAL", "\n",
                                                    "  ", "ICMS", "Redu\xE7\xE3o Z", "COO:"};
            std::string t = kPalavras[a.Ate(8)];
            *tokens += t;
            *texto += t;
        }
        }
    }
}

TEST_F(Expansor, RoundTripsOfBothVariants)
{
    UsoCompressor usoPequena, usoGrande;
    Aleatorio a(20061);
    const unsigned kVoltas = 1500;
    for (unsigned volta = 0; volta < kVoltas; ++volta) {
        bool pequena = volta % 2 == 0;
        OpcoesCompressor o;
        o.pequena = pequena;
        o.semente = volta;
        o.semCasamentos = volta % 50 == 7;
        std::string entrada, esperado;
        if (pequena && volta % 4 == 0) {
            GeraTokens(a, &entrada, &esperado);
        } else {
            entrada = GeraDados(a, pequena ? 4096 : 16384, pequena);
            esperado = entrada;
        }
        std::string c = Comprime(entrada, o, pequena ? &usoPequena : &usoGrande);
        std::string saida;
        ASSERT_EQ(Expande(c, &saida), 0) << "round " << volta;
        ASSERT_EQ(saida, esperado) << "round " << volta;
    }
    // The generated inputs reached every distance slot, every match length,
    // the largest distances and every run item.
    for (const UsoCompressor *u : {&usoPequena, &usoGrande}) {
        EXPECT_EQ(u->slots.size(), 64u);
        EXPECT_TRUE(u->sobreposicao);
        for (unsigned v = 24; v <= 31; ++v)
            EXPECT_TRUE(u->itens.count(v)) << "item " << v;
    }
    EXPECT_EQ(usoPequena.maiorDistancia, 4095u);
    EXPECT_EQ(usoGrande.maiorDistancia, 16383u);
    for (unsigned l = 3; l <= 256; ++l) {
        EXPECT_TRUE(usoPequena.comprimentos.count(l)) << "small, length " << l;
        EXPECT_TRUE(usoGrande.comprimentos.count(l)) << "large, length " << l;
    }
    EXPECT_TRUE(usoPequena.comprimentos.count(2));
}

TEST_F(Expansor, OutputLongerThanTheWindowAndTheBuffer)
{
    // A few hundred kilobytes of report text: many 512-byte writes, window
    // positions wrapping several times.
    std::string dados;
    Aleatorio a(5);
    while (dados.size() < 400000)
        dados += "ITEM " + std::to_string(a.Ate(100000)) + " VALOR " + std::to_string(a.Ate(999)) + "\n";
    for (bool pequena : {true, false}) {
        OpcoesCompressor o;
        o.pequena = pequena;
        std::string saida;
        ASSERT_EQ(Expande(Comprime(dados, o), &saida), 0);
        EXPECT_EQ(saida, dados);
    }
}

TEST_F(Expansor, CorruptStreamsNeverOverrun)
{
    // Flipped bits and cut tails of valid streams: any result, never a
    // fault (the sanitizer build watches the bounds).
    Aleatorio a(99);
    for (unsigned volta = 0; volta < 400; ++volta) {
        OpcoesCompressor o;
        o.pequena = volta % 2 == 0;
        std::string c = Comprime(GeraDados(a, o.pequena ? 4096 : 16384, false), o);
        for (unsigned k = 1 + a.Ate(8); k > 0; --k) {
            size_t i = 4 + a.Ate(static_cast<unsigned>(c.size() - 4));
            c[i] = static_cast<char>(c[i] ^ (1 << a.Ate(8)));
        }
        if (a.Ate(3) == 0)
            c.resize(4 + a.Ate(static_cast<unsigned>(c.size() - 4)));
        std::string saida;
        int r = Expande(c, &saida);
        EXPECT_TRUE(r == 0 || r == -1);
    }
}

#if !defined(_WIN32) && defined(TALVOR_CLI_PATH)
TEST_F(Expansor, CommandLineTool)
{
    OpcoesCompressor o;
    o.pequena = true;
    GravaArquivo("c.bin", Comprime("abc abc abc\n", o));
    std::string saida;
    EXPECT_EQ(Executa(std::string(TALVOR_CLI_PATH) + " expandir c.bin s.txt", &saida), 0);
    EXPECT_EQ(LeArquivo("s.txt"), "abc abc abc\n");
    EXPECT_NE(saida.find("resultado 0"), std::string::npos);
    GravaArquivo("ruim.bin", std::string("\xDB\x99\x04\xF5\xE8\x00\x00", 7));
    EXPECT_EQ(Executa(std::string(TALVOR_CLI_PATH) + " expandir ruim.bin s.txt", &saida), 1);
    EXPECT_NE(saida.find("resultado -1"), std::string::npos);
    EXPECT_EQ(Executa(std::string(TALVOR_CLI_PATH) + " expandir nada.bin s.txt", &saida), 1);
    EXPECT_NE(saida.find("resultado 1"), std::string::npos);
    EXPECT_EQ(Executa(std::string(TALVOR_CLI_PATH) + " expandir so-um 2>/dev/null", &saida), 2);
}
#endif

}  // namespace
