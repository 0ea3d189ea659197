#include "platform/draw/MemoryDC.h"

MemoryDC::MemoryDC()
    : DeviceContext(nullptr, {}, Region())
{
}

Bitmap* MemoryDC::SelectBitmap(Bitmap* bitmap)
{
    Bitmap* previous = m_bitmap;
    m_bitmap = bitmap;
    if (bitmap)
        Retarget(&bitmap->Pixels(), {}, Region(bitmap->Pixels().Bounds()));
    else
        Retarget(nullptr, {}, Region());
    return previous;
}

std::unique_ptr<MemoryDC> CreateCompatibleDC(HDC dc)
{
    auto memory = std::make_unique<MemoryDC>();
    if (dc)
        memory->SetTextObserver(dc->GetTextObserver());
    return memory;
}
