// syntax_exports.cpp - the seven syntax exports: their call frame, then
// the work in syntax/.
#include "khapi.h"

#include "frame/checks.h"
#include "frame/trace.h"
#include "syntax/syntax.h"

namespace {

KhSyntax const kNoOpHandle = reinterpret_cast<KhSyntax>(1);

}  // namespace

extern "C" {

KhSyntax KHAPI_CALL khSyntaxCreate(const char *syntax_name, const char *lattice_filename) try {
    KH_FRAME_GUARD(nullptr, kNoOpHandle);
    kh::TraceEnter("khSyntaxCreate");
    kh::TraceParamString(1, "syntax name", syntax_name);
    kh::TraceParamString(2, "lattice filename", lattice_filename);
    return kh::SyntaxCreate(syntax_name, lattice_filename);
}
KH_CATCH(nullptr)

KhSyntax KHAPI_CALL khSyntaxReturn(const char *syntax_name) try {
    KH_FRAME_GUARD(nullptr, kNoOpHandle);
    return kh::SyntaxReturnCall(syntax_name);
}
KH_CATCH(nullptr)

int KHAPI_CALL khSyntaxDeleteShallow(KhSyntax syntax) try {
    KH_FRAME_GUARD(-1, 0);
    return kh::SyntaxDeleteShallowCall(syntax);
}
KH_CATCH(-1)

int KHAPI_CALL khSyntaxDeleteDeep(KhSyntax syntax) try {
    KH_FRAME_GUARD(-1, 0);
    return kh::SyntaxDeleteDeepCall(syntax);
}
KH_CATCH(-1)

int KHAPI_CALL khSyntaxAddOption(KhSyntax syntax, const char *bnf_string) try {
    KH_FRAME_GUARD(-1, 0);
    kh::TraceEnter("khSyntaxAddOption");
    kh::TraceParamPointer(1, "syntax ptr", syntax);
    kh::TraceParamString(2, "bnf string", bnf_string);
    kh::SyntaxRecord *record = kh::CheckSyntax(syntax);
    if (!record) return -1;
    return kh::SyntaxAddOption(record, bnf_string);
}
KH_CATCH(-1)

int KHAPI_CALL khSyntaxDisableOption(KhSyntax syntax, const char *sentence) try {
    KH_FRAME_GUARD(-1, 0);
    kh::TraceEnter("khSyntaxDisableOption");
    kh::TraceParamPointer(1, "syntax ptr", syntax);
    kh::TraceParamString(2, "sentence", sentence);
    kh::SyntaxRecord *record = kh::CheckSyntax(syntax);
    if (!record) return -1;
    return kh::SyntaxDisableOption(record, sentence);
}
KH_CATCH(-1)

int KHAPI_CALL khSyntaxReEnableOptions(KhSyntax syntax, int number_of_enables) try {
    KH_FRAME_GUARD(-1, 0);
    return kh::SyntaxReEnableOptionsCall(syntax, number_of_enables);
}
KH_CATCH(-1)

}  // extern "C"
