// The records of the sample's fiscal memory, one builder per kind, each laid
// out field by field at its offset and handed to the image writer, which adds
// the checksum and the backup copy.
#include "memoria.h"

namespace {

void Quando(Bytes *r, const Momento &m)
{
    PoeBE(r->data() + 0, 2, m.Data());
    PoeBE(r->data() + 2, 2, m.Hora());
}

// Record n of a list at base, of tamanho bytes: date and time, the reduction
// counter, a text of largura bytes at posicao, then the seconds.
void GravaTextoDatado(ImagemMF *mf, unsigned base, unsigned tamanho, unsigned n, const Momento &m,
                      unsigned crz, unsigned posicao, unsigned largura, const char *texto)
{
    Bytes r(tamanho, 0x00);
    Quando(&r, m);
    PoeBE(&r[4], 2, crz);
    PoeTexto(&r[posicao], largura, texto);
    r[posicao + largura] = m.dh.segundo;
    mf->GravaLista(base + tamanho * (n - 1), r);
}

}  // namespace

void GravaCabecalhoMF(ImagemMF *mf)
{
    Bytes r(312, 0x00);
    PoeTexto(&r[0], 20, NUMERO_SERIE);
    PoeTexto(&r[20], 20, MARCA);
    PoeTexto(&r[40], 20, MODELO);
    PoeTexto(&r[60], 7, TIPO_ECF);
    mf->GravaLista(256, r);
}

void GravaVersaoSB(ImagemMF *mf, unsigned n, const Versao &v)
{
    Bytes r(16, 0x00);
    Quando(&r, v.quando);
    r[6] = v.numero[0];
    r[7] = v.numero[1];
    r[8] = v.numero[2];
    r[10] = v.quando.dh.segundo;
    mf->GravaLista(896 + 16 * (n - 1), r);
}

void GravaDispositivo(ImagemMF *mf, unsigned n, const std::string &serie, unsigned usuario, char marca)
{
    Bytes r(32, 0x00);
    // The device's serial number is NUL-padded, as the device reports it.
    for (size_t i = 0; i < serie.size() && i < 20; ++i)
        r[i] = static_cast<uint8_t>(serie[i]);
    PoeBE(&r[20], 2, 512);
    PoeBE(&r[22], 2, n);
    r[26] = static_cast<uint8_t>(usuario);
    mf->GravaLista(1424 + 32 * (n - 1), r);
    Bytes k(16, 0x00);
    k[6] = static_cast<uint8_t>(n);
    k[7] = static_cast<uint8_t>(marca);
    mf->GravaLista(1792 + 16 * (n - 1), k);
}

void GravaUsuario(ImagemMF *mf, unsigned slot, const Usuario &u)
{
    Bytes r(88, 0x00);
    Quando(&r, u.quando);
    PoeBE(&r[4], 2, u.crz);
    PoeTexto(&r[6], 20, u.cnpj);
    PoeTexto(&r[26], 20, u.ie);
    PoeTexto(&r[46], 20, u.im);
    r[67] = static_cast<uint8_t>(u.cro);
    PoeBE(&r[68], 8, u.gt);
    r[76] = static_cast<uint8_t>(u.numero);
    r[77] = u.quando.dh.segundo;
    mf->GravaLista(2056 + 88 * (slot - 1), r);
}

void GravaCodificacaoGT(ImagemMF *mf, unsigned n, const Momento &m, unsigned crz, const char *letras)
{
    GravaTextoDatado(mf, 3928, 24, n, m, crz, 6, 10, letras);
}

void GravaSimboloMoeda(ImagemMF *mf, unsigned n, const Momento &m, unsigned crz, const char *simbolo)
{
    GravaTextoDatado(mf, 4248, 56, n, m, crz, 46, 4, simbolo);
}

void GravaFitaDetalhe(ImagemMF *mf, unsigned n, const Momento &m, unsigned usuario, uint32_t cooInicial,
                      uint32_t cooFinal)
{
    Bytes r(16, 0x00);
    Quando(&r, m);
    r[6] = static_cast<uint8_t>(usuario);
    PoeBE(&r[7], 3, cooInicial);
    PoeBE(&r[10], 3, cooFinal);
    r[13] = m.dh.segundo;
    mf->GravaLista(5072 + 16 * (n - 1), r);
}

void GravaReinicio(ImagemMF *mf, unsigned cro, const Momento &m, bool intervencao)
{
    Bytes r(16, 0x00);
    Quando(&r, m);
    r[6] = intervencao ? 1 : 0;
    r[7] = m.dh.segundo;
    mf->GravaLista(21104 + 16 * (cro - 1), r);
}

void GravaAliquota(ImagemMF *mf, unsigned n, char tipo, unsigned taxa)
{
    Bytes r(8, 0x00);
    r[2] = static_cast<uint8_t>(tipo);
    PoeBE(&r[3], 2, taxa);
    mf->GravaLista(24320 + 8 * n, r);
}

void GravaReducaoZ(ImagemMF *mf, const Reducao &z)
{
    Bytes r(280, 0x00);
    Quando(&r, z.emissao);
    PoeBE(&r[4], 2, z.crz);
    PoeBE(&r[6], 2, z.movimento);
    PoeBE(&r[8], 6, z.t.vendaBruta);
    PoeBE(&r[14], 4, z.coo);
    r[18] = static_cast<uint8_t>(z.cro);
    PoeBE(&r[19], 3, z.ccf);
    PoeBE(&r[22], 3, z.gnf);
    PoeBE(&r[25], 3, z.grg);
    PoeBE(&r[28], 2, z.cdc);
    for (unsigned i = 0; i < NUM_ALIQUOTAS; ++i) {
        PoeBE(&r[30 + 6 * i], 6, z.t.parcial[i]);
        r[258 + i] = static_cast<uint8_t>(i + 1);
    }
    // Slots of the special totalizers (F, I, N; ICMS and ISSQN) in the order
    // the reduction keeps them.
    static const unsigned icms[6] = {16, 17, 20, 21, 24, 25};
    static const unsigned issqn[6] = {18, 19, 22, 23, 26, 27};
    for (unsigned i = 0; i < 6; ++i) {
        PoeBE(&r[126 + 6 * i], 6, z.t.parcial[icms[i]]);
        PoeBE(&r[162 + 6 * i], 6, z.t.parcial[issqn[i]]);
    }
    PoeBE(&r[198], 6, z.t.cancelIcms);
    PoeBE(&r[204], 6, z.t.cancelIss);
    PoeBE(&r[210], 6, z.t.cancelNaoFiscal);
    PoeBE(&r[216], 6, z.t.descontoIcms);
    PoeBE(&r[222], 6, z.t.descontoIss);
    PoeBE(&r[234], 6, z.t.acrescimoIcms);
    PoeBE(&r[240], 6, z.t.acrescimoIss);
    PoeBE(&r[252], 6, z.t.naoFiscal);
    r[274] = z.emissao.dh.segundo;
    mf->GravaReducao(z.crz, r);
}
