// The fiscal-memory image most tests start from (see cenario.h).
#include "mf/cenario.h"

const std::string kSerie = "TL0001234567ABCDEFGH";
const std::string kCnpj1 = "12.345.678/0001-90", kIe1 = "110.042.490.114";
const std::string kCnpj2 = "98.765.432/0001-10", kIe2 = "220.111.222.333", kIm2 = "IM-77";
const DataMF kVersao{2, 1, 2007, 8, 0, 0};
const DataMF kReinicio1{2, 1, 2007, 8, 5, 9}, kReinicio2{20, 3, 2007, 7, 0, 0};
const DataMF kFita{5, 1, 2007, 10, 0, 0};
const DataMF kUsuario1{2, 1, 2007, 9, 0, 30}, kUsuario2{1, 2, 2007, 9, 30, 0};
const DataMF kCodificacao{2, 1, 2007, 8, 1, 0};
const DataMF kMoeda{2, 1, 2007, 8, 2, 0};
const std::string kSep(48, '-');

DataMF Emissao(unsigned crz, unsigned dia, unsigned mes)
{
    return {dia, mes, 2007, 23, 0, crz % 60};
}

// A reduction whose values follow from its CRZ.
ReducaoMF Reducao(unsigned crz, unsigned dia, unsigned mes)
{
    ReducaoMF z;
    z.crz = static_cast<uint16_t>(crz);
    z.emissao = Emissao(crz, dia, mes);
    z.movimento = {dia, mes, 2007, 0, 0, 0};
    z.vendaBruta = 10000ull * crz + 12345;
    z.coo = 10 * crz + 40;
    z.cro = 1;
    z.gnf = 2 * crz;
    z.Parcial(0, 6000ull * crz, 1).Parcial(1, 1500, 2).Parcial(2, 100, 1).Parcial(3, 2000, 3);
    z.naoTributados[0] = 345;   // F1
    z.naoTributados[4] = 55;    // N1
    z.dt = 150;
    z.ct = 1000;
    z.on = 700;
    return z;
}

// The base image: identity, one version, restarts, one detail-tape issue,
// a device with its mark, a GT coding, the symbol "R$", three rates, user 1.
ConstrutorMF Base()
{
    ConstrutorMF c;
    c.Cabecalho(kSerie, "TALVOR", "7720-QX3", "ECF-IF");
    c.Versao(kVersao, 1, 0, 2);
    c.Reinicio(kReinicio1, 0).Reinicio(kReinicio2, 1);
    c.FitaDetalhe(kFita, 1, 1, 40);
    c.Dispositivo(std::string("MFD000111\0\0\0", 12), 1).Marca(1, 'A');
    c.Codificacao(kCodificacao, 0, "ABCDEFGHIJ");
    c.Simbolo(kMoeda, 0, "R$");
    c.Aliquota(1, 'T', 1800).Aliquota(2, 'S', 500).Aliquota(3, 'T', 700);
    c.Usuario(kUsuario1, 0, kCnpj1, kIe1, "", 1, 0, 1);
    return c;
}

