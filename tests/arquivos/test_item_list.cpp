// ItemList: ownership of its items, joining, and the first-in first-out use.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "files/item_list.h"

static char *Texto(const char *t)
{
    char *p = static_cast<char *>(std::malloc(std::strlen(t) + 1));
    std::strcpy(p, t);
    return p;
}

TEST(ItemList, AppendCountPopAndRelease)
{
    ItemList a;
    a.Init();
    EXPECT_EQ(a.Count(), 0u);
    EXPECT_EQ(a.PopFront(), nullptr);
    ASSERT_EQ(a.Append(Texto("um")), 0);
    ASSERT_EQ(a.Append(Texto("dois")), 0);
    ASSERT_EQ(a.Append(Texto("tres")), 0);
    EXPECT_EQ(a.Count(), 3u);
    char *p = static_cast<char *>(a.PopFront());
    EXPECT_STREQ(p, "um");
    std::free(p);  // a popped item belongs to the caller
    EXPECT_EQ(a.Count(), 2u);
    a.Release();  // frees the remaining items (checked by the sanitizer run)
    EXPECT_EQ(a.Count(), 0u);
    EXPECT_EQ(a.head, nullptr);
    EXPECT_EQ(a.tail, nullptr);
}

TEST(ItemList, AppendListMovesTheNodes)
{
    ItemList a, b, vazia;
    a.Init();
    b.Init();
    vazia.Init();
    a.Append(Texto("a1"));
    b.Append(Texto("b1"));
    b.Append(Texto("b2"));
    a.AppendList(&vazia);
    EXPECT_EQ(a.Count(), 1u);
    a.AppendList(&b);
    EXPECT_EQ(a.Count(), 3u);
    EXPECT_EQ(b.Count(), 0u);  // the nodes belong to a only: no double free
    b.Release();
    const char *esperado[] = {"a1", "b1", "b2"};
    int i = 0;
    for (ItemListNode *n = a.head; n != nullptr; n = n->next)
        EXPECT_STREQ(static_cast<char *>(n->item), esperado[i++]);
    // Appending after a join extends the joined tail.
    a.Append(Texto("a2"));
    EXPECT_STREQ(static_cast<char *>(a.tail->item), "a2");
    ItemList c;
    c.Init();
    c.AppendList(&a);
    EXPECT_EQ(c.Count(), 4u);
    c.Release();
    a.Release();
}
