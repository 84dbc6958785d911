// ItemList: a singly linked list that owns its items (heap blocks from
// malloc).  The type-E generators keep their record texts in it, first in,
// first out.
#ifndef TALVOR_FILES_ITEM_LIST_H
#define TALVOR_FILES_ITEM_LIST_H

#include <cstddef>

struct ItemListNode {
    void *item;
    ItemListNode *next;
};

struct ItemList {
    ItemListNode *head;
    ItemListNode *tail;

    void Init();
    // Frees every item and node.
    void Release();
    // 0, or 4 when the node cannot be allocated (the item stays the caller's).
    int Append(void *item);
    // Moves the nodes of another list to the end of this one.
    void AppendList(ItemList *other);
    size_t Count() const;
    // Removes the first node and hands its item to the caller (null when empty).
    void *PopFront();
};

#endif
