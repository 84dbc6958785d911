// The public half of the signing key, as published in keys/ead-public.pem.
#ifndef TALVOR_FILES_CHAVE_PUBLICA_H
#define TALVOR_FILES_CHAVE_PUBLICA_H

extern const char ChavePublicaPEM[];

#endif
