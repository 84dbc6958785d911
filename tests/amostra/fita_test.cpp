// The sample's detail tape read with the library's record reader: every
// file parses to its end, documents are balanced (only the current file may
// end inside one), COO grows by one from document to document across all
// files, each closed file holds one Redução Z, and its counters and totals
// agree with the fiscal memory and the directory list; gross sales are
// recomputed here from the items, surcharges and increases of the day.
#include <cstdio>
#include <algorithm>
#include <map>

#include "amostra/amostra.h"
#include "common/util.h"
#include "mfd/registro_fd.h"

namespace {

uint64_t LE(const uint8_t *p, unsigned n)
{
    uint64_t v = 0;
    for (unsigned i = n; i-- > 0;)
        v = (v << 8) | p[i];
    return v;
}

// An item total: quantity (3 decimals) times unit price (2 decimals), to
// hundredths, truncated (flag 1) or rounded with halves to the even one.
uint64_t TotalItem(uint64_t q, uint64_t p, bool trunca)
{
    uint64_t x = q * p, t = x / 1000, r = x % 1000;
    if (!trunca && (r > 500 || (r == 500 && (t & 1))))
        ++t;
    return t;
}

struct ArquivoLido {
    unsigned documentos = 0, reducoes = 0, cupons = 0, itens = 0;
    bool aberto = false;
    unsigned crz = 0;
    uint32_t cooReducao = 0, ultimoCoo = 0, ccf = 0;
    uint16_t dataReducao = 0, horaReducao = 0;
    uint64_t incrementoGT = 0, gtInicial = 0, vendaBruta = 0;
    unsigned cro = 0, usuario = 0;
    std::string cnpj;
    std::map<uint8_t, uint64_t> totalizadores;   // 0xC3 of the reduction, by code byte
    uint32_t gnf = 0;                            // of the last comprovante não-fiscal
    std::map<unsigned, unsigned> tags;           // records by tag (0x100 + byte 1 for 0xDA)
};

// Reads one file of the printer; next COO expected in *coo.
void LeArquivoFita(const std::string &caminho, bool atual, uint32_t *coo, ArquivoLido *a)
{
    FILE *f = std::fopen(caminho.c_str(), "rb");
    ASSERT_NE(nullptr, f) << caminho;
    std::fseek(f, 0, SEEK_END);
    long tamanho = std::ftell(f);
    LeitorFD l;
    AbreLeitorFD(&l, f, 0, static_cast<uint64_t>(tamanho));
    uint8_t r[TAMANHO_REGISTRO_FD];
    int documento = 1;
    uint8_t inicio = 0;
    bool naReducao = false;
    for (;;) {
        int res = LeRegistroFD(&l, r, &documento);
        if (res == FD_FIM)
            break;
        ASSERT_EQ(FD_OK, res) << caminho << " at " << l.posicao;
        ASSERT_EQ(1, documento) << caminho << ": a record was dropped";
        const uint8_t tag = r[0];
        ASSERT_LT(tag, 0xFE) << caminho << ": filler where a record was expected";
        ++a->tags[tag == 0xDA ? 0x100u + r[1] : tag];
        if (tag == 0x85)
            a->gnf = static_cast<uint32_t>(LE(r + 10, 4));
        if (InicioDocumentoFD(tag)) {
            ASSERT_EQ(0, inicio) << caminho << ": document 0x" << std::hex << int(tag) << " inside 0x"
                                 << int(inicio);
            inicio = tag;
            ASSERT_EQ(*coo, LE(r + 6, 4)) << caminho;
            a->ultimoCoo = *coo;
            ++*coo;
            ++a->documentos;
            if (tag == 0x83) {
                ++a->reducoes;
                naReducao = true;
                a->crz = static_cast<unsigned>(LE(r + 10, 2));
                a->cooReducao = static_cast<uint32_t>(LE(r + 6, 4));
                a->dataReducao = static_cast<uint16_t>(LE(r + 1, 2));
                a->horaReducao = static_cast<uint16_t>(LE(r + 3, 2));
            }
            if (tag == 0x81)
                a->ccf = static_cast<uint32_t>(LE(r + 10, 4));
        } else if ((tag >= 0xA1 && tag <= 0xAC && tag != 0xAB) || (tag >= 0xB1 && tag <= 0xBA)) {
            uint8_t esperado = static_cast<uint8_t>(tag >= 0xB1 ? tag - 0x30 : tag - 0x20);
            ASSERT_EQ(esperado, inicio) << caminho << ": end 0x" << std::hex << int(tag);
            if (tag == 0xA1 || tag == 0xB1)
                ++a->cupons;
            inicio = 0;
            naReducao = false;
        } else if (tag == 0x92) {
            a->cnpj.assign(reinterpret_cast<char *>(r + 6), 20);
            a->cro = r[66];
            a->gtInicial = LE(r + 67, 8);
            a->usuario = r[75];
        } else if (tag == 0xD7 && inicio == 0x81) {
            a->vendaBruta += TotalItem(LE(r + 17, 4), LE(r + 24, 4), r[29] == 1);
            ++a->itens;
        } else if (tag == 0xD0 || (tag == 0xDA && r[1] == 0)) {
            a->vendaBruta += LE(r + (tag == 0xD0 ? 3 : 2), 6);
        } else if (tag == 0xC0) {
            ASSERT_TRUE(naReducao);
            a->incrementoGT += LE(r + 1, 6);
        } else if (tag == 0xC3 && naReducao) {
            a->totalizadores[r[1]] = LE(r + 2, 6);
        } else if (tag == 0x93) {
            EXPECT_EQ(3, r[1]);
            EXPECT_EQ(2, r[2]);
        }
        if (FimDoFluxoFD(&l))
            break;
    }
    a->aberto = inicio != 0;
    if (!atual) {
        EXPECT_FALSE(a->aberto) << caminho;
    }
    std::fclose(f);
}

class FitaDetalhe : public DiretorioTemporario {};

TEST_F(FitaDetalhe, DocumentosEContadoresConferemComAMemoriaFiscal)
{
    ASSERT_EQ(0, GeraAmostraTeste("--saida a"));
    const std::string m = LeArquivo("a/mf.bin");
    std::vector<EntradaDiretorio> dir = LeDiretorioFita("a/fita");
    ASSERT_EQ(400u, dir.size());
    uint32_t coo = 1;
    uint64_t gt = 0;
    std::map<unsigned, unsigned> tags;
    std::string cnpjAnterior;
    unsigned trocasUsuario = 0;
    for (size_t i = 0; i < dir.size(); ++i) {
        SCOPED_TRACE(dir[i].nome);
        ArquivoLido a;
        LeArquivoFita("a/fita/" + dir[i].nome, false, &coo, &a);
        if (HasFatalFailure())
            return;
        ASSERT_EQ(1u, a.reducoes);
        EXPECT_GE(a.cupons, 2u);
        const unsigned crz = static_cast<unsigned>(i + 1);
        EXPECT_EQ(crz, a.crz);
        // The directory: CRZ, last COO and the date of the day.
        EXPECT_EQ(crz, dir[i].crz);
        EXPECT_EQ(a.ultimoCoo, dir[i].coo);
        char data[16];
        std::snprintf(data, sizeof data, "%02u%02u%04u", a.dataReducao & 31, (a.dataReducao >> 5) & 15,
                      (a.dataReducao >> 9) + 1990);
        EXPECT_EQ(data, dir[i].data);
        EXPECT_EQ(std::string(data + 4, 4) + std::string(data + 2, 2) + std::string(data, 2) + ".MFD",
                  dir[i].nome);
        // The fiscal memory's reduction of this CRZ.
        size_t o = 87680 + 280 * (crz - 1);
        EXPECT_EQ(crz, BE(m, o + 4, 2));
        EXPECT_EQ(a.dataReducao, BE(m, o, 2));
        EXPECT_EQ(a.horaReducao, BE(m, o + 2, 2));
        EXPECT_EQ(a.cooReducao, BE(m, o + 14, 4));
        EXPECT_EQ(a.cro, static_cast<uint8_t>(m[o + 18]));
        EXPECT_EQ(a.ccf, BE(m, o + 19, 3));
        EXPECT_LT(a.gnf, BE(m, o + 22, 3));
        for (const auto &t : a.tags)
            tags[t.first] += t.second;
        const uint64_t vb = BE(m, o + 8, 6);
        EXPECT_EQ(vb, a.incrementoGT);
        EXPECT_EQ(vb, a.vendaBruta);
        EXPECT_EQ(gt, a.gtInicial);
        gt += vb;
        for (unsigned s = 0; s < 5; ++s) {
            uint8_t codigo = static_cast<uint8_t>(s == 4 ? 0x44 : s);
            EXPECT_EQ(BE(m, o + 30 + 6 * s, 6), a.totalizadores[codigo]) << "slot " << s;
        }
        EXPECT_EQ(BE(m, o + 126, 6), a.totalizadores[0x80]);        // F1
        EXPECT_EQ(BE(m, o + 132, 6), a.totalizadores[0x81]);        // F2
        EXPECT_EQ(BE(m, o + 138, 6), a.totalizadores[0x90]);        // I1
        EXPECT_EQ(BE(m, o + 150, 6), a.totalizadores[0xA0]);        // N1
        // The taxpayer of the file is the user registered before this CRZ.
        size_t slot = 0;
        while (slot + 1 < 20 && m[2056 + 88 * (slot + 1)] != '\xFF' && BE(m, 2056 + 88 * (slot + 1) + 4, 2) < crz)
            ++slot;
        EXPECT_EQ(m.substr(2056 + 88 * slot + 6, 20), a.cnpj);
        EXPECT_EQ(static_cast<uint8_t>(m[2056 + 88 * slot + 76]), a.usuario);
        if (!cnpjAnterior.empty() && a.cnpj != cnpjAnterior)
            ++trocasUsuario;
        cnpjAnterior = a.cnpj;
    }
    EXPECT_EQ(1u, trocasUsuario);
    // Every kind of record the sample promises is there.
    const unsigned esperados[] = {0x75, 0x76, 0x7D, 0x7E, 0x7F, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x88,
                                  0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x98, 0x99, 0x9C, 0x9E,
                                  0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA8, 0xB1, 0xB5, 0xC0, 0xC1, 0xC2,
                                  0xC3, 0xC4, 0xC5, 0xD0, 0xD1, 0xD3, 0xD5, 0xD7, 0xDB, 0xDF,
                                  0x100, 0x101};
    for (unsigned t : esperados)
        EXPECT_GT(tags[t], 0u) << std::hex << t;
    unsigned linhas = 0;
    for (unsigned t = 0; t <= 0x74; ++t)
        linhas += tags[t];
    EXPECT_GT(linhas, 20000u);
    EXPECT_EQ(1u, tags[0x82]);
    EXPECT_EQ(400u, tags[0x83]);
    // The current file: the day after the last reduction, ending inside a cupom.
    ArquivoLido atual;
    LeArquivoFita("a/fita/File_Current", true, &coo, &atual);
    EXPECT_EQ(0u, atual.reducoes);
    EXPECT_TRUE(atual.aberto);
    EXPECT_EQ(gt, atual.gtInicial);
}

}  // namespace

namespace {

// Percentage of an amount, p in hundredths of a percent, exact halves to
// the odd neighbour.
uint64_t Porcentagem(uint64_t v, uint64_t p)
{
    uint64_t x = v * p, q = x / 10000, r = x % 10000;
    if (r > 5000 || (r == 5000 && (q & 1) == 0))
        ++q;
    return q;
}

// Reads a stream the way the type-E generator keeps the partial totalizers
// (slots set by 0xC3, cleared with the baseline at 0x83, baseline moved at
// the end of a cupom and of a cupom cancellation) and checks that each
// cupom's result is its subtotal less its discount plus its increase (0 for
// a cupom cancelled before payment).  Returns the cupons checked.
unsigned ConfereResultados(const std::string &caminho)
{
    FILE *f = std::fopen(caminho.c_str(), "rb");
    EXPECT_NE(nullptr, f) << caminho;
    if (f == nullptr)
        return 0;
    std::fseek(f, 0, SEEK_END);
    LeitorFD l;
    AbreLeitorFD(&l, f, 0, static_cast<uint64_t>(std::ftell(f)));
    uint8_t r[TAMANHO_REGISTRO_FD];
    int documento = 1;
    uint64_t slots[28] = {}, base = 0, subtotal = 0, desconto = 0, acrescimo = 0;
    unsigned cupons = 0;
    auto soma = [&]() {
        uint64_t s = 0;
        for (uint64_t v : slots)
            s += v;
        return s;
    };
    while (LeRegistroFD(&l, r, &documento) == FD_OK) {
        switch (r[0]) {
        case 0x81: subtotal = desconto = acrescimo = 0; break;
        case 0x83: std::fill(slots, slots + 28, 0); base = 0; break;
        case 0xC3: {
            uint8_t c = r[1];
            unsigned s = (c & 0x80) == 0 ? (c & 15) : 16 + 2 * ((c >> 6) & 1) + 4 * ((c >> 4) & 3) + (c & 15);
            EXPECT_LT(s, 28u);
            slots[s % 28] = LE(r + 2, 6);
            break;
        }
        case 0xC1: subtotal = LE(r + 1, 6); break;
        case 0xDA: (r[1] == 1 ? desconto : acrescimo) = LE(r + 2, 6); break;
        case 0xDB: desconto = Porcentagem(subtotal, LE(r + 2, 2)); break;
        case 0xA1:
        case 0xB1: {
            uint64_t s = soma();
            EXPECT_EQ(r[0] == 0xA1 ? subtotal - desconto + acrescimo : 0, s - base)
                << caminho << " cupom " << cupons + 1;
            base = s;
            ++cupons;
            break;
        }
        case 0xA8: base = soma(); break;
        default: break;
        }
        if (FimDoFluxoFD(&l))
            break;
    }
    std::fclose(f);
    return cupons;
}

class ResultadosCupons : public DiretorioTemporario {};

TEST_F(ResultadosCupons, CadaArquivoSozinhoEEmSequencia)
{
    ASSERT_EQ(0, GeraAmostraTeste("--saida a"));
    std::string todos;
    unsigned sozinhos = 0;
    for (const EntradaDiretorio &e : LeDiretorioFita("a/fita")) {
        sozinhos += ConfereResultados("a/fita/" + e.nome);
        todos += LeArquivo("a/fita/" + e.nome);
    }
    sozinhos += ConfereResultados("a/fita/File_Current");
    todos += LeArquivo("a/fita/File_Current");
    GravaArquivo("todos", todos);
    EXPECT_EQ(sozinhos, ConfereResultados("todos"));
    EXPECT_GT(sozinhos, 800u);
}

}  // namespace
