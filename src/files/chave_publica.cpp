// The public key of the signature lines (filled in with the key pair).
#include "files/chave_publica.h"

const char ChavePublicaPEM[] = "";
