#pragma once

// Told after every change of the caption store's records: a line stored, inserted or withdrawn.
// It must not change the store while it is being told.
class ICaptionStoreObserver
{
public:
    virtual ~ICaptionStoreObserver() = default;
    virtual void captionStoreChanged() = 0;
};
