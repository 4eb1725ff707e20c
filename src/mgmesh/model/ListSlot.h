// Where an item sits in its owner's list, so that unregistering needs no walk (internal).
#pragma once

#include <algorithm>
#include <list>

namespace mgmesh::detail {

/// An item's own record of its place in one owner list. Registration never puts an item into
/// a list twice, so an item can erase itself directly; a list into which an item has been put
/// twice (only possible by calling the container interface by hand) falls back to a walk.
template <class T> struct ListSlot {
    typename std::list<T*>::iterator pos{};
    const std::list<T*>* list = nullptr;
};

/// Appends `item` and records its position; `walkOnly` turns on when the item was already in.
template <class T> void Enlist(std::list<T*>& list, T* item, ListSlot<T>& slot, bool& walkOnly) {
    if (slot.list == &list)
        walkOnly = true;
    slot.pos = list.insert(list.end(), item);
    slot.list = &list;
}

/// Unlinks every element equal to `item`, as a walk over the list would.
template <class T> void Delist(std::list<T*>& list, T* item, ListSlot<T>& slot, bool walkOnly) {
    if (walkOnly) {
        list.remove(item);
        if (slot.list == &list)
            slot.list = nullptr;
        return;
    }
    if (slot.list == &list) {
        list.erase(slot.pos);
        slot.list = nullptr;
    }
}

} // namespace mgmesh::detail
