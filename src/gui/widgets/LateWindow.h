#pragma once

#include <functional>
#include <utility>

// A secondary window made at its first use rather than with its owner: start-up then pays
// for the main window alone, and a window a session never opens is never built. The
// function makes it with the owner as its parent, which deletes it.
template <class Window> class LateWindow {
  public:
    explicit LateWindow(std::function<Window*()> make) : m_make(std::move(make)) {}

    // The window, made now unless it was made before.
    Window* get() {
        if (!m_window)
            m_window = m_make();
        return m_window;
    }
    Window* operator->() { return get(); }

  private:
    std::function<Window*()> m_make;
    Window* m_window = nullptr;
};
