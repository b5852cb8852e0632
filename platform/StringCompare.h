// The one comparison of 8-bit texts that stands for the platform's
// locale-aware lstrcmpA wherever lists are ordered by it (folder contents of
// the item store, the command table, the tree and icon views).
//
// Fixed behaviour, on Windows-1252 text, level by level (a later level only
// decides when all earlier ones are equal):
// 1. Letters without regard to case or accents ("é" sorts as "e", "Æ" as
//    "ae", "ß" as "ss"), after digits, which come after punctuation and
//    symbols; the hyphen and the apostrophe are passed over here, so that
//    "co-op" sorts next to "coop" (word sort).
// 2. Accents: the unaccented letter first.
// 3. Case: the lower-case letter first.
// 4. The passed-over hyphens and apostrophes, then the bytes themselves.
// Only identical byte strings compare equal.
#pragma once

#include <string>

namespace tallix {

// Less than 0, 0 or greater than 0, as lstrcmpA answers.
int CompareTextLocale(const char* a, const char* b);

// The comparison's key of a text, for ordering many texts without weighing
// them again at every comparison: CompareTextKeys(MakeTextCompareKey(a),
// MakeTextCompareKey(b)) answers as CompareTextLocale(a, b), and so does the
// plain byte order of the keys (std::string's own comparison).
using TextCompareKey = std::string;
TextCompareKey MakeTextCompareKey(const char* text);
int CompareTextKeys(const TextCompareKey& a, const TextCompareKey& b);

}  // namespace tallix
