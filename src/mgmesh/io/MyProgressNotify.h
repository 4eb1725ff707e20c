// MyProgressNotify: the host's progress receiver for loads and saves.
#pragma once

/// Implemented by the host. The library calls Step() once per line processed, never stores
/// the pointer beyond the call and never deletes the receiver.
class MyProgressNotify {
public:
    virtual void Step() = 0;
    virtual ~MyProgressNotify() = default;
};
