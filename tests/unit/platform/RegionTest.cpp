#include "platform/core/Region.h"

#include <gtest/gtest.h>

namespace {

long Area(const Region& r)
{
    long a = 0;
    for (const RECT& rect : r.Rects())
        a += long(rect.Width()) * rect.Height();
    return a;
}

}

TEST(Region, UnionKeepsRectanglesDisjoint)
{
    Region r(RECT { 0, 0, 10, 10 });
    r.Union(RECT { 5, 5, 15, 15 }).Union(RECT { 0, 0, 10, 10 }).Union(RECT { 2, 2, 3, 3 });
    EXPECT_EQ(Area(r), 100 + 100 - 25);
    for (size_t i = 0; i < r.Rects().size(); ++i) {
        for (size_t j = i + 1; j < r.Rects().size(); ++j)
            EXPECT_FALSE(r.Rects()[i].Intersects(r.Rects()[j]));
    }
}
