// ItemList: an owning singly linked list of heap blocks.
#include "files/item_list.h"

#include <cstdlib>

void ItemList::Init()
{
    head = nullptr;
    tail = nullptr;
}

void ItemList::Release()
{
    ItemListNode *n = head;
    while (n != nullptr) {
        ItemListNode *next = n->next;
        std::free(n->item);
        std::free(n);
        n = next;
    }
    head = nullptr;
    tail = nullptr;
}

int ItemList::Append(void *item)
{
    ItemListNode *n = static_cast<ItemListNode *>(std::malloc(sizeof(ItemListNode)));
    if (n == nullptr)
        return 4;
    n->item = item;
    n->next = nullptr;
    if (tail != nullptr)
        tail->next = n;
    else
        head = n;
    tail = n;
    return 0;
}

void ItemList::AppendList(ItemList *other)
{
    if (other->head == nullptr)
        return;
    if (tail != nullptr)
        tail->next = other->head;
    else
        head = other->head;
    tail = other->tail;
    other->head = nullptr;
    other->tail = nullptr;
}

size_t ItemList::Count() const
{
    size_t n = 0;
    for (ItemListNode *p = head; p != nullptr; p = p->next)
        ++n;
    return n;
}

void *ItemList::PopFront()
{
    ItemListNode *n = head;
    if (n == nullptr)
        return nullptr;
    head = n->next;
    if (head == nullptr)
        tail = nullptr;
    void *item = n->item;
    std::free(n);
    return item;
}
