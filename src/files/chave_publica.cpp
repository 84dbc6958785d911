// The public key of the signature lines, the same text as keys/ead-public.pem.
#include "files/chave_publica.h"

const char ChavePublicaPEM[] =
    "-----BEGIN PUBLIC KEY-----\n"
    "MIGfMA0GCSqGSIb3DQEBAQUAA4GNADCBiQKBgQCm9+W61KKrWRlD6SEmjCQr/K+L\n"
    "aV46GIb3omae5JFD/DG35rsvhYo2uCgKdj5SFP9blN4w3KnAKYYuPWjeDPCX+AmW\n"
    "0xPvX2AwTXqD81Aa7+MNLdY+Xyus2IcrTFiXw344EceQsIpxGp7Pq5Upr2RvZswL\n"
    "tUgnxjqCp8HCrTsYAQIDAQAB\n"
    "-----END PUBLIC KEY-----\n";
