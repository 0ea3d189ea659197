#include "controller/ScreenFactory.h"

#include <array>

namespace {

std::array<ScreenConstructor, kScreenKindCount>& Table()
{
    static std::array<ScreenConstructor, kScreenKindCount> table {};
    return table;
}

}

void SetScreenConstructor(UINT kind, ScreenConstructor constructor)
{
    if (kind < kScreenKindCount && kind != kScreenAll && kind != kScreenNone)
        Table()[kind] = constructor;
}

ScreenConstructor GetScreenConstructor(UINT kind)
{
    return kind < kScreenKindCount ? Table()[kind] : ScreenConstructor {};
}
