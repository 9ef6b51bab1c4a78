// syntax_support.cpp - the helpers of the syntax tests.
#include "syntax_support.h"

#include <cstdio>

namespace khtest {

void SyntaxTest::Start(const std::string &level, const std::string &extra) {
    ASSERT_EQ(InitWith(StandardConfig("DEBUG = " + level + "\n" + extra)), 1) << Log();
}

KhSyntax SyntaxTest::Make(const char *name, std::initializer_list<const char *> options) {
    KhSyntax s = khSyntaxCreate(name, nullptr);
    for (const char *option : options) EXPECT_EQ(khSyntaxAddOption(s, option), 1) << option;
    return s;
}

int Registered() {
    int n = 0;
    for (kh::SyntaxLink *link = kh::g_state->current_vocab->syntaxes; link; link = link->next) n++;
    return n;
}

std::string Picture(KhSyntax syntax) {
    hapiLatObject lattice = Rec(syntax)->lattice;
    int arcs = 0;
    int nodes = hapiLatSize(lattice, &arcs);
    std::string text = "nodes:";
    for (int n = 1; n <= nodes; n++) {
        char name[HAPI_MAX_NAME] = {};
        if (hapiLatObject sub = hapiLatNodeSublatObject(lattice, n))
            snprintf(name, sizeof name, "$%s", hapiLatName(sub));
        else hapiDictWordName(hapiLatDictObject(lattice), hapiLatNodeWordId(lattice, n, 0), name);
        text += std::string(" ") + name;
    }
    text += " | arcs:";
    for (int a = 1; a <= arcs; a++) {
        text += " " + std::to_string(hapiLatArcStart(lattice, a)) + ">" + std::to_string(hapiLatArcEnd(lattice, a));
        if (hapiLatArcScore(lattice, a, 1, nullptr) == -1000000.0) text += "(disabled)";
    }
    return text;
}

std::string Links(KhSyntax syntax) {
    std::string text = "includes:";
    for (const kh::SyntaxLink *l = Rec(syntax)->includes; l; l = l->next)
        text += std::string(" ") + Rec(l->syntax)->name + "*" + std::to_string(l->count);
    text += " | in:";
    for (const kh::SyntaxLink *l = Rec(syntax)->containedIn; l; l = l->next)
        text += std::string(" ") + Rec(l->syntax)->name + "*" + std::to_string(l->count);
    return text;
}

double ArcScore(KhSyntax syntax, int arc) { return hapiLatArcScore(Rec(syntax)->lattice, arc, 1, nullptr); }

int Occurrences(const std::string &text, const std::string &part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) n++;
    return n;
}

}  // namespace khtest
