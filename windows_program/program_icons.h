#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// The program's icon in the window's two sizes at a scale, destroyed with the object.
class ProgramIcons {
public:
    explicit ProgramIcons(UINT dpi);

    HICON large() const { return large_.get(); }
    HICON small() const { return small_.get(); }

private:
    struct Destroy {
        void operator()(HICON icon) const { DestroyIcon(icon); }
    };
    using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, Destroy>;

    Icon large_;
    Icon small_;
};
