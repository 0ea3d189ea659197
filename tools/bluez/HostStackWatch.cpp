#include "HostStackWatch.h"

using bridge::HostStack;

HostStackWatch::HostStackWatch(ModuleCore& core, std::function<void(const std::string&)> trace)
    : m_core(core)
    , m_trace(std::move(trace))
{
}

HostStack HostStackWatch::Classify(const HostFacts& f)
{
    if (!f.bus)
        return HostStack::NoSystemBus;
    if (!f.bluez)
        return HostStack::NoBluetoothd;
    if (!f.adapter)
        return HostStack::NoAdapter;
    // A blocked adapter reads as off too; unblocking it comes first.
    if (f.blocked)
        return HostStack::AdapterBlocked;
    if (!f.powered)
        return HostStack::AdapterOff;
    if (!f.ofono)
        return HostStack::NoOfono;
    if (!f.handsFree)
        return HostStack::NoHandsFree;
    return HostStack::Ready;
}

void HostStackWatch::Update(const HostFacts& facts)
{
    HostStack state = Classify(facts);
    if (m_last == state)
        return;
    m_last = state;
    if (m_trace)
        m_trace("host stack " + std::string(bridge::HostStackName(state)));
    m_core.HostStack(state);
}
