#pragma once
#include <windows.h>
#include <string>
#include <vector>

// While it lives, every message box this thread opens is answered at once
// with the given button, and its text and caption are recorded: no test
// ever waits on a real box.
class ScopedMessageBoxAnswerer {
public:
    explicit ScopedMessageBoxAnswerer(int nButton);
    ~ScopedMessageBoxAnswerer();
    ScopedMessageBoxAnswerer(const ScopedMessageBoxAnswerer&) = delete;
    ScopedMessageBoxAnswerer& operator=(const ScopedMessageBoxAnswerer&) = delete;

    struct Box {
        std::wstring caption;
        std::wstring text;
    };
    const std::vector<Box>& boxes() const;

private:
    HHOOK m_hHook;
};
