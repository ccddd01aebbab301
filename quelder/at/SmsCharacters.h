#pragma once
// Which characters a short message can carry in each alphabet, for the client's check of
// a text before it is sent.

// 1 when `character` converts to code page `codePage` and back unchanged, else 0 (also
// for a code page this system does not have, which is logged).
int QdIsValid8BitChar(char32_t character, unsigned codePage);

// By alphabet: 1 (8-bit) asks QdIsValid8BitChar; 2 (UCS2) carries everything: 1; any
// other is the GSM 7-bit alphabet: 0 without a mapping, 1 in the default alphabet, 2 in
// the extension table (two septets).
int QdIsValidSmsChar(char32_t character, int alphabet, unsigned codePage);
