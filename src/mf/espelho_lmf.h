// The LMF mirror: the text of the fiscal-memory reading, built from a
// downloaded fiscal-memory file.
#ifndef TALVOR_MF_ESPELHO_LMF_H
#define TALVOR_MF_ESPELHO_LMF_H

// 0 written and signed; 1 the MF file is missing or short; 2 the mirror
// cannot be created; 3 bad tipo/faixa, bad range or damaged memory.
int GeradorEspelhoLMF(const char *arquivoMF, const char *saida, const char *tipo,
                      const char *faixa, const char *inicio, const char *fim);

#endif
