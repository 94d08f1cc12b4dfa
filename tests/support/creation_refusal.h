#pragma once
#include <windows.h>

// While it lives, the window system refuses to create top-level windows on
// this thread (a creation hook answers no), as when resources run out.
class ScopedCreationRefusal {
public:
    ScopedCreationRefusal();
    ~ScopedCreationRefusal();
    ScopedCreationRefusal(const ScopedCreationRefusal&) = delete;
    ScopedCreationRefusal& operator=(const ScopedCreationRefusal&) = delete;

    int refused() const;

private:
    HHOOK m_hHook;
};
