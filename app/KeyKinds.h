#pragma once
// What kind of value the shell expects under each middleware key. The middleware's
// records are untyped on the wire; this table decides how a key is written and read.

#include <QString>

namespace Orvanta {

enum class KeyKind { integer, string, dictionary, pointer, callback, array, real, unsupported };

// The type code the table stores for `key` (27 for a key it does not list).
int keyTypeCode(const QString& key);
// The kind a type code stands for: 0 to 20 integers (1 to 20 name the key's enumeration),
// 21 string, 22 dictionary, 23 pointer, 24 callback, 25 array, 26 double, others unsupported.
KeyKind kindOfCode(int code);

inline KeyKind keyKind(const QString& key) { return kindOfCode(keyTypeCode(key)); }

} // namespace Orvanta
