// CGeoContainer<T>: the channel through which an item registers with its owner.
#pragma once

/// Implemented by owners. Items call AddItem from their constructors and RemoveItem from
/// their destructors; neither call creates or deletes the item.
template <class T> class CGeoContainer {
public:
    virtual void AddItem(T* item) = 0;
    virtual void RemoveItem(T* item) = 0;

protected:
    ~CGeoContainer() = default;
};
