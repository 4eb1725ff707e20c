// Putting items into their owner's list and taking them out again without a walk (internal).
#pragma once

#include <algorithm>
#include <list>

#include "mgmesh/model/MgLists.h"

namespace mgmesh::detail {

// Registration never puts an item into a list twice, so an item can erase itself directly; a
// list into which an item has been put twice (only possible by calling the container interface
// by hand) falls back to a walk.

/// Appends `item` and records its position; `walkOnly` turns on when the item was already in.
template <class T> void Enlist(std::list<T*>& list, T* item, ListSlot<T>& slot, bool& walkOnly) {
    if (slot.list == &list)
        walkOnly = true;
    slot.pos = list.insert(list.end(), item);
    slot.list = &list;
}

/// Unlinks every element equal to `item`, as a walk over the list would. A null item, or one
/// that the list does not hold, unlinks nothing; its slot (member `slot` of T) is read only
/// when the item is not null.
template <class T> void Delist(std::list<T*>& list, T* item, ListSlot<T> T::*slot, bool walkOnly) {
    if (walkOnly) {
        list.remove(item);
        if (item && (item->*slot).list == &list)
            (item->*slot).list = nullptr;
        return;
    }
    if (item && (item->*slot).list == &list) {
        list.erase((item->*slot).pos);
        (item->*slot).list = nullptr;
    }
}

} // namespace mgmesh::detail
