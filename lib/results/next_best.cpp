// nbest.cpp - khRecGetNextBest: the alternatives to the recognised words
// of a stretch, second best first, one call at a time.
#include <vector>

#include "dict/dict.h"
#include "frame/trace.h"
#include "results/results_internal.h"
#include "results/results.h"

namespace kh {

namespace {

// Room for the routes the engine writes; the N-best count never exceeds 3.
constexpr int kRouteTable = 5;

// Writes the base names of a route's words, blank-separated.  -1 (after logging) when the engine fails.
int WriteRoute(hapiLatObject lattice, int route, char *out) {
    int w = hapiLatRouteWordNames(lattice, nullptr, route);
    if (w < 0) return Failure("khRecGetNextBest: Error getting the path through the network");
    std::vector<const char *> names(static_cast<size_t>(w) + 1, nullptr);
    int w2 = hapiLatRouteWordNames(lattice, names.data(), route);
    if (w2 < 0 || w2 > w) return Failure("khRecGetNextBest: Error getting the names of the words through the network");
    JoinBaseNames(names.data(), w2, out);
    return 1;
}

}  // namespace

int RecGetNextBest(RecogniserRecord *rec, int start, int end, char *out) {
    if (rec->nbest_count == 1) return Failure("khRecGetNextBest: Recogniser has not been activated for NBest results");
    hapiResObject res = CurrentResult(rec);
    if (!res) return -1;
    int n = RecGetNumWords(rec);
    if (n <= 0) return Failure("khRecGetNextBest: No results available");
    if (start != rec->nbest_start || end != rec->nbest_end) {
        rec->nbest_rank = 1;
        rec->nbest_start = start;
        rec->nbest_end = end;
    }
    int first = WordIndex(start, n), last = WordIndex(end, n);
    if (!first) return Failure("khRecGetNextBest: Invalid start word index");
    if (!last) return Failure("khRecGetNextBest: Invalid end word index");
    if (last < first) return Failure("khRecGetNextBest: Invalid word indices");
    if (!rec->results_lattice) rec->results_lattice = hapiResLatGenerate(res, 0);
    if (!rec->results_lattice) return Failure("khRecGetNextBest: Error building NBest results");
    if (++rec->nbest_rank > rec->nbest_count) return Success("khRecGetNextBest", 0);
    int routes[kRouteTable] = {};
    int count = rec->nbest_count < kRouteTable ? rec->nbest_count : kRouteTable;
    int m = hapiLatWordAlternatives(rec->results_lattice, first, last, 0, count, routes);
    if (m < 0) return Failure("khRecGetNextBest: Error building NBest results");
    if (rec->nbest_rank > m || rec->nbest_rank > kRouteTable) return Success("khRecGetNextBest", 0);
    if (WriteRoute(rec->results_lattice, routes[rec->nbest_rank - 1], out) < 0) {
        out[0] = '\0';
        return -1;
    }
    TraceOutString(out);
    return Success("khRecGetNextBest", 1);
}

}  // namespace kh
