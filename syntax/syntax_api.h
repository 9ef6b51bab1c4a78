// syntax_api.h - the work of the syntax exports, after their call frame
// (CheckSystem, NOFUNCOPER, entry and parameter traces, handle checks).
// Each writes its own failure message or return and Leaving lines.
#ifndef KH_SYNTAX_SYNTAX_API_H
#define KH_SYNTAX_SYNTAX_API_H

#include "syntax/syntax.h"

namespace kh {

SyntaxRecord *SyntaxCreate(const char *name, const char *lattice_filename);
SyntaxRecord *SyntaxReturn(const char *name);
int SyntaxDeleteShallow(SyntaxRecord *syntax);
int SyntaxDeleteDeep(SyntaxRecord *syntax);
int SyntaxAddOption(SyntaxRecord *syntax, const char *bnf);
int SyntaxDisableOption(SyntaxRecord *syntax, const char *sentence);
int SyntaxReEnableOptions(SyntaxRecord *syntax, int number);

// Exports the library also runs as nested calls, after their guard: the
// entry and parameter lines, the handle check and the work.
SyntaxRecord *SyntaxReturnCall(const char *name);
int SyntaxDeleteShallowCall(const void *handle);
int SyntaxDeleteDeepCall(const void *handle);
int SyntaxReEnableOptionsCall(const void *handle, int number);

}  // namespace kh

#endif  // KH_SYNTAX_SYNTAX_API_H
