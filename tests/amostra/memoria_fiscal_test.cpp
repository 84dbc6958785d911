// The sample's fiscal-memory image read the way the readers read it, by a
// reader of this test: every list record's checksum and backup copy, lists
// without gaps, the erased areas, every reduction in its slot with its
// checksum, and the history the sample promises (users, versions, restarts,
// codings, currency symbols, detail-tape devices and issues, tax rates).
#include "amostra/amostra.h"
#include "common/util.h"

namespace {

const size_t kCopia = 43690;

uint8_t Soma(const std::string &m, size_t inicio, size_t n)
{
    unsigned s = 0;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<uint8_t>(m[inicio + i]);
    return static_cast<uint8_t>(s);
}

bool Apagado(const std::string &m, size_t inicio, size_t n)
{
    return m.find_first_not_of('\xFF', inicio) >= inicio + n;
}

// Checks a list: intact records with equal backup copies from slot 1, then
// only erased slots.  Returns the number of records written.
unsigned ConfereLista(const std::string &m, const char *nome, size_t base, size_t tamanho, unsigned slots)
{
    unsigned escritos = 0;
    for (unsigned n = 1; n <= slots; ++n) {
        size_t o = base + tamanho * (n - 1);
        if (Apagado(m, o, tamanho)) {
            for (unsigned k = n; k <= slots; ++k)
                EXPECT_TRUE(Apagado(m, base + tamanho * (k - 1), tamanho)) << nome << " slot " << k;
            break;
        }
        ++escritos;
        EXPECT_EQ(Soma(m, o, tamanho - 1), static_cast<uint8_t>(m[o + tamanho - 1])) << nome << " slot " << n;
        EXPECT_EQ(m.substr(o, tamanho), m.substr(o + kCopia, tamanho)) << nome << " slot " << n;
    }
    return escritos;
}

class MemoriaFiscal : public DiretorioTemporario {
protected:
    void SetUp() override
    {
        DiretorioTemporario::SetUp();
        ASSERT_EQ(0, GeraAmostraTeste("--saida a"));
        m_ = LeArquivo("a/mf.bin");
        ASSERT_EQ(1048576u, m_.size());
    }
    std::string m_;
};

TEST_F(MemoriaFiscal, ListasComSomaECopia)
{
    EXPECT_EQ(1u, ConfereLista(m_, "cabecalho", 256, 312, 1));
    EXPECT_EQ(0, m_.compare(256, 20, "TV0123SIM78901234567"));
    EXPECT_EQ(0, m_.compare(276, 20, "TALVOR              "));
    EXPECT_EQ(0, m_.compare(296, 20, "7720-QX3            "));
    EXPECT_EQ(3u, ConfereLista(m_, "versoes", 896, 16, 30));
    EXPECT_EQ(2u, ConfereLista(m_, "dispositivos", 1424, 32, 10));
    EXPECT_EQ(2u, ConfereLista(m_, "marcas", 1792, 16, 10));
    EXPECT_EQ(3u, ConfereLista(m_, "usuarios", 2056, 88, 20));
    EXPECT_EQ(2u, ConfereLista(m_, "codificacoes", 3928, 24, 10));
    EXPECT_EQ(2u, ConfereLista(m_, "simbolos", 4248, 56, 10));
    EXPECT_EQ(0u, ConfereLista(m_, "lista 4880", 4880, 16, 10));
    unsigned fitas = ConfereLista(m_, "fitas", 5072, 16, 400);
    EXPECT_GE(fitas, 12u);
    EXPECT_EQ(4u, ConfereLista(m_, "reinicios", 21104, 16, 200));
    EXPECT_EQ(5u, ConfereLista(m_, "aliquotas", 24328, 8, 200));
    // The backup area is the first 43690 bytes again, erased bytes included.
    EXPECT_TRUE(m_.compare(0, kCopia, m_, kCopia, kCopia) == 0);
    EXPECT_TRUE(Apagado(m_, 0, 256));
    EXPECT_TRUE(Apagado(m_, 2 * kCopia, 87680 - 2 * kCopia));

    // Tax rates: four ICMS and one ISSQN.
    const char tipos[] = "TTTTS";
    const unsigned taxas[] = {700, 1200, 1800, 2500, 500};
    for (unsigned n = 1; n <= 5; ++n) {
        size_t o = 24320 + 8 * n;
        EXPECT_EQ(tipos[n - 1], m_[o + 2]);
        EXPECT_EQ(taxas[n - 1], BE(m_, o + 3, 2));
    }
    // Versions in order; the last one is 1.2.3.
    EXPECT_EQ(1u, static_cast<uint8_t>(m_[896 + 32 + 6]));
    EXPECT_EQ(2u, static_cast<uint8_t>(m_[896 + 32 + 7]));
    EXPECT_EQ(3u, static_cast<uint8_t>(m_[896 + 32 + 8]));
    // One restart flagged as an intervention.
    unsigned marcados = 0;
    for (unsigned n = 1; n <= 4; ++n)
        marcados += m_[21104 + 16 * (n - 1) + 6] != 0;
    EXPECT_EQ(1u, marcados);
    // Devices with their marks, one per user.
    EXPECT_EQ(1u, static_cast<uint8_t>(m_[1424 + 26]));
    EXPECT_EQ(2u, static_cast<uint8_t>(m_[1424 + 32 + 26]));
    EXPECT_EQ('A', m_[1792 + 7]);
    EXPECT_EQ(2u, static_cast<uint8_t>(m_[1792 + 16 + 6]));
    EXPECT_EQ('B', m_[1792 + 16 + 7]);
    // Currency symbols: the second one from a later reduction on.
    EXPECT_EQ(0u, BE(m_, 4248 + 4, 2));
    EXPECT_GT(BE(m_, 4248 + 56 + 4, 2), 0u);
    EXPECT_NE(m_.substr(4248 + 46, 4), m_.substr(4248 + 56 + 46, 4));
}

TEST_F(MemoriaFiscal, ReducoesEUsuarios)
{
    unsigned ultima = 0;
    uint64_t gt = 0, dataAnterior = 0, cooAnterior = 0;
    std::vector<uint64_t> gtAntes(1, 0);   // GT before each CRZ
    for (unsigned n = 1; n <= 2555; ++n) {
        size_t o = 87680 + 280 * static_cast<size_t>(n - 1);
        if (Apagado(m_, o, 280)) {
            EXPECT_TRUE(Apagado(m_, o, m_.size() - o)) << "after CRZ " << ultima;
            break;
        }
        ultima = n;
        ASSERT_EQ(Soma(m_, o, 279), static_cast<uint8_t>(m_[o + 279])) << "CRZ " << n;
        EXPECT_EQ(n, BE(m_, o + 4, 2));
        uint64_t data = BE(m_, o, 2);
        EXPECT_NE(0u, data);
        EXPECT_GT(data, dataAnterior) << "CRZ " << n;
        EXPECT_EQ(data, BE(m_, o + 6, 2)) << "CRZ " << n;
        uint64_t coo = BE(m_, o + 14, 4);
        EXPECT_GT(coo, cooAnterior) << "CRZ " << n;
        dataAnterior = data;
        cooAnterior = coo;
        // Gross sales: what the totalizers hold plus what was cancelled or
        // discounted (increases are inside the totalizers).
        uint64_t vb = BE(m_, o + 8, 6), soma = 0;
        for (size_t k = 30; k < 198; k += 6)
            soma += BE(m_, o + k, 6);
        soma += BE(m_, o + 198, 6) + BE(m_, o + 204, 6) + BE(m_, o + 216, 6) + BE(m_, o + 222, 6);
        EXPECT_EQ(vb, soma) << "CRZ " << n;
        EXPECT_GT(vb, 0u) << "CRZ " << n;
        for (unsigned i = 0; i < 16; ++i)
            EXPECT_EQ(i < 5 ? i + 1 : 0u, static_cast<uint8_t>(m_[o + 258 + i])) << "CRZ " << n;
        gt += vb;
        gtAntes.push_back(gt);
    }
    EXPECT_EQ(400u, ultima);
    // Users: 1 from the start, 2 from a later CRZ with another CNPJ, then
    // user 2 again with its GT and CRZ at the time.
    unsigned numeros[3] = {1, 2, 2};
    unsigned crzAnterior = 0;
    for (unsigned s = 0; s < 3; ++s) {
        size_t o = 2056 + 88 * s;
        EXPECT_EQ(numeros[s], static_cast<uint8_t>(m_[o + 76]));
        unsigned crz = static_cast<unsigned>(BE(m_, o + 4, 2));
        if (s > 0) {
            EXPECT_GT(crz, crzAnterior);
        }
        crzAnterior = crz;
        ASSERT_LT(crz, gtAntes.size());
        EXPECT_EQ(gtAntes[crz], BE(m_, o + 68, 8)) << "slot " << s + 1;
    }
    EXPECT_EQ(0u, BE(m_, 2056 + 4, 2));
    EXPECT_NE(m_.substr(2056 + 6, 20), m_.substr(2056 + 88 + 6, 20));
    EXPECT_EQ(m_.substr(2056 + 88 + 6, 20), m_.substr(2056 + 176 + 6, 20));
    EXPECT_NE(m_.substr(2056 + 88 + 26, 20), m_.substr(2056 + 176 + 26, 20));
    // Detail-tape issues cover growing COO ranges.
    uint64_t fim = 0;
    for (unsigned n = 1; n <= 400 && !Apagado(m_, 5072 + 16 * (n - 1), 16); ++n) {
        size_t o = 5072 + 16 * (n - 1);
        EXPECT_GT(BE(m_, o + 7, 3), fim);
        EXPECT_GE(BE(m_, o + 10, 3), BE(m_, o + 7, 3));
        fim = BE(m_, o + 10, 3);
    }
}

}  // namespace
