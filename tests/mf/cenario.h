// The fiscal-memory image most tests start from, and reductions whose
// values follow from their CRZ.
#ifndef TALVOR_TESTS_MF_CENARIO_H
#define TALVOR_TESTS_MF_CENARIO_H

#include <string>

#include "common/construtor_mf.h"

extern const std::string kSerie;
extern const std::string kCnpj1, kIe1;
extern const std::string kCnpj2, kIe2, kIm2;
extern const DataMF kVersao, kReinicio1, kReinicio2, kFita, kUsuario1, kUsuario2, kCodificacao,
    kMoeda;
extern const std::string kSep;

DataMF Emissao(unsigned crz, unsigned dia, unsigned mes);
ReducaoMF Reducao(unsigned crz, unsigned dia, unsigned mes);
// Identity, one version, two restarts, one detail-tape issue, a device with
// its mark, a GT coding, the symbol "R$", rates 1 (T 18,00), 2 (S 5,00) and
// 3 (T 7,00), user 1.
ConstrutorMF Base();

#endif
