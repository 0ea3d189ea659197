#include "platform/backends/DisplayBackend.h"

#include "platform/tooling/Trace.h"

void DisplayBackend::CountPresent()
{
    if (m_presents.fetch_add(1, std::memory_order_relaxed) == 0)
        Trace::Write("app", "first present");
}
