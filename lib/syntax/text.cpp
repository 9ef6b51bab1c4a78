// text.cpp - the separators of BNF text and sentences, the case that
// FORCECASE imposes on them, and the working buffers of string arguments.
#include <cwctype>

#include "frame/case.h"
#include "syntax/syntax_internal.h"

namespace kh {

int IsBnfSeparator(int c) {
    // The NUL ends the text; it must never be skipped as punctuation.
    if (c == 0) return 0;
    const char *punc = g_state->bnf_punc;
    size_t len = static_cast<size_t>(g_state->bnf_punc_len);
    if (len > strlen(punc)) len = strlen(punc);
    if (memchr(punc, c, len)) return 1;
    int widened = static_cast<signed char>(c);
    return widened >= 0 && iswspace(static_cast<wint_t>(widened)) ? 1 : 0;
}

void ForceCase(const char *text, char *out) {
    if (g_state->forced_case == 1) UpperCaseCopy(text, out, kNameLen);
    else if (g_state->forced_case == -1) LowerCaseCopy(text, out, kNameLen);
    else CopyText(out, kNameLen, text);
}

bool CopyArgument(const char *text, char *out) {
    if (CopyText(out, kNameLen, text)) return true;
    out[0] = '\0';
    return false;
}

}  // namespace kh
