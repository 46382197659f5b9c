#pragma once

namespace korvel {

// Hears of the progress of long work (a copy of a big frame, an import) item by item, so that a
// window can show it while the model and persistence layers that do the work know nothing of
// windows.
class Progress {
public:
    virtual ~Progress() = default;
    // How many items the work has in all, once the worker knows it.
    virtual void Expect(int items) = 0;
    // One more item done.
    virtual void Advance() = 0;
};

// Tells `progress` of one more item when there is one to tell.
inline void Advance(Progress* progress)
{
    if (progress)
        progress->Advance();
}

} // namespace korvel
