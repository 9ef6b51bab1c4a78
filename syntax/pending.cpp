// pending.cpp - syntax exports whose work is not built yet.
#include "frame/pending.h"
#include "syntax/syntax_api.h"

namespace kh {

SyntaxRecord *SyntaxCreate(const char *, const char *) { return Pending("khSyntaxCreate"), nullptr; }
SyntaxRecord *SyntaxReturn(const char *) { return Pending("khSyntaxReturn"), nullptr; }
int SyntaxDeleteShallow(SyntaxRecord *) { return Pending("khSyntaxDeleteShallow"); }
int SyntaxDeleteDeep(SyntaxRecord *) { return Pending("khSyntaxDeleteDeep"); }
int SyntaxAddOption(SyntaxRecord *, const char *) { return Pending("khSyntaxAddOption"); }
int SyntaxDisableOption(SyntaxRecord *, const char *) { return Pending("khSyntaxDisableOption"); }
int SyntaxReEnableOptions(SyntaxRecord *, int) { return Pending("khSyntaxReEnableOptions"); }

}  // namespace kh
