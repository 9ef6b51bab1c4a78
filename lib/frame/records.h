// records.h - the memory behind handles.  A handle is its record's address,
// and the memory of a freed record is never handed out again: a handle the
// application kept after its record was freed can never name a newer
// record, so the registry of live handles refuses it for good.  The cost is
// the few hundred bytes of each freed record, kept for the life of the
// process.
#ifndef KH_FRAME_RECORDS_H
#define KH_FRAME_RECORDS_H

#include <cstddef>
#include <type_traits>

namespace kh {

// Wipes the memory (so that no tag survives) and keeps it out of use; the
// memory must hold at least a pointer.
void KeepRetired(void *memory, size_t size);

// Ends the life of a record made with new, in place of delete.
template <typename Record>
void RetireRecord(Record *record) {
    static_assert(std::is_trivially_destructible<Record>::value, "a record holds nothing to destroy");
    static_assert(sizeof(Record) >= sizeof(void *), "a retired record holds the link to the one before");
    KeepRetired(record, sizeof(Record));
}

}  // namespace kh

#endif  // KH_FRAME_RECORDS_H
